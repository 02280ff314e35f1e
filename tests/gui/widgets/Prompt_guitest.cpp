// The real message boxes show every text as plain text and keep long texts
// inside the box.
#include "GuiTestUtil.h"
#include "gui/widgets/Prompt.h"

#include <QAbstractButton>
#include <QLabel>
#include <QMessageBox>
#include <QWidget>
#include <QtTest>
#include <functional>

namespace {
const QString kHostile = "<h1>BIG</h1> <img src=\"file:///etc/passwd\"> <b>x</b>&amp;";

struct Seen {
    bool shown = false;
    Qt::TextFormat format = Qt::AutoText, labelFormat = Qt::AutoText, infoFormat = Qt::AutoText;
    QString text, informative, detailed;
};

// Runs `ask` on a real QtPrompt; reads the box, then presses its first button.
Seen Look(const std::function<void(QtPrompt&)>& ask) {
    QWidget owner;
    QtPrompt prompt(&owner);
    Seen s;
    WhenModal([&](QDialog* d) {
        auto* box = qobject_cast<QMessageBox*>(d);
        if (!box) return;
        s.shown = true;
        s.format = box->textFormat();
        s.text = box->text();
        s.informative = box->informativeText();
        s.detailed = box->detailedText();
        if (auto* l = box->findChild<QLabel*>("qt_msgbox_label")) s.labelFormat = l->textFormat();
        if (auto* l = box->findChild<QLabel*>("qt_msgbox_informativelabel"))
            s.infoFormat = l->textFormat();
        const auto buttons = box->buttons();
        if (!buttons.isEmpty()) buttons.first()->click();
    });
    ask(prompt);
    return s;
}
} // namespace

class PromptTest : public QObject {
    Q_OBJECT
private slots:
    void everyBoxShowsPlainText_data() {
        QTest::addColumn<QString>("kind");
        for (const char* k : {"message", "error", "error+reason", "confirm", "risky", "choose"})
            QTest::newRow(k) << QString(k);
    }
    void everyBoxShowsPlainText() {
        QFETCH(QString, kind);
        Seen s = Look([&](QtPrompt& p) {
            if (kind == "message") p.message(kHostile);
            if (kind == "error") p.error(kHostile);
            if (kind == "error+reason") p.error(kHostile, kHostile);
            if (kind == "confirm") p.confirm("Title", kHostile);
            if (kind == "risky") p.confirmRisky("Title", kHostile);
            if (kind == "choose") p.choose("Title", kHostile, {"A", "B"}, 0, 1);
        });
        QVERIFY(s.shown);
        QCOMPARE(s.format, Qt::PlainText);
        QCOMPARE(s.labelFormat, Qt::PlainText);
        QCOMPARE(s.text, kHostile);
        if (kind == "error+reason") {
            QCOMPARE(s.informative, kHostile);
            QCOMPARE(s.infoFormat, Qt::PlainText);
        }
        QVERIFY(s.detailed.isEmpty());
    }

    void longTextsStayInTheBox() {
        QString manyLines;
        for (int i = 1; i <= 100; ++i)
            manyLines += QString("line %1\n").arg(i);
        const QString longLine = QString(1000, 'x');
        Seen s = Look([&](QtPrompt& p) { p.error(manyLines + longLine); });
        QVERIFY(s.shown);
        const QStringList shown = s.text.split('\n');
        QCOMPARE(shown.size(), MaxBoxLines);
        QCOMPARE(shown.first(), QString("line 1"));
        QCOMPARE(shown.last(), QString(QChar(0x2026)));
        // The whole text stays one click away.
        QCOMPARE(s.detailed, manyLines + longLine);

        bool cut = false;
        const QString one = BoxText(longLine, &cut);
        QVERIFY(cut);
        QCOMPARE(QString(one).remove(QChar(0x200B)),
                 longLine.left(MaxBoxLineChars - 1) + QChar(0x2026));
        // A word without blanks gets a break chance every MaxBoxWordChars.
        QCOMPARE(one.count(QChar(0x200B)), (MaxBoxLineChars - 1) / MaxBoxWordChars);
        QCOMPARE(BoxText("short words only", &cut), QString("short words only"));
        QVERIFY(!cut);
    }
};

QTEST_MAIN(PromptTest)
#include "Prompt_guitest.moc"
