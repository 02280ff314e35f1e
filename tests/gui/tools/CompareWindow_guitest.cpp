#include "RecordingPrompt.h"
#include "TempDir.h"
#include "WorkedExample.h"
#include "core/device/Crc32.h"
#include "core/project/FileSystem.h"
#include "core/project/Workspace.h"
#include "gui/tools/CompareWindow.h"

#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>
#include <memory>

namespace {
std::string Replace(std::string s, const std::string& from, const std::string& to) {
    s.replace(s.find(from), from.size(), to);
    return s;
}

// Project A is the worked example; B differs in DN_ID and the read row's NPoint.
struct Sides {
    TempDir exe;
    Workspace ws{exe.path()};
    std::string a = exe / "A", b = exe / "B", image = exe / "bank.bin";
    std::shared_ptr<RecordingPrompt> prompt = std::make_shared<RecordingPrompt>();
    Sides() {
        for (const std::string& p : {a, b}) {
            ForceDirectories(p + "/bin");
            WriteText(p + "/pargen.xml", ExamplePargen);
            WriteText(p + "/sdo.xml", ExampleSdo);
        }
        WriteText(b + "/pargen.xml", Replace(ExamplePargen, "<DN_ID>20<", "<DN_ID>21<"));
        WriteText(b + "/sdo.xml", Replace(ExampleSdo, "NPoint=\"2\"", "NPoint=\"4\""));
        WriteText(image, ExampleBank);
    }
};

QStringList RowTexts(const QTableWidget* t, int r) {
    QStringList out;
    for (int c = 0; c < t->columnCount(); ++c)
        out << t->item(r, c)->text();
    return out;
}
} // namespace

class CompareWindowTest : public QObject {
    Q_OBJECT
private slots:
    void listsDifferencesUnderBothFingerprints() {
        Sides s;
        TFCompare w(s.ws);
        w.setPrompt(s.prompt);
        w.show();
        QVERIFY(w.compare(s.a, s.b));
        QCOMPARE(w.ListDifferences->rowCount(), 2);
        QCOMPARE(RowTexts(w.ListDifferences, 0),
                 QStringList({"parameter", "", "DN_ID", "20", "21"}));
        QCOMPARE(RowTexts(w.ListDifferences, 1), QStringList({"read", "1", "NPoint", "2", "4"}));
        QCOMPARE(w.LabelResult->text(), QString("2 differences"));
        QVERIFY(w.LabelA->text().endsWith(QString::fromStdString(Crc32Text(Crc32(ExampleBank)))));
        QVERIFY(w.LabelB->text().contains("(project), CRC-32 "));
        QVERIFY(w.LabelA->text() != w.LabelB->text());
        QVERIFY(w.LabelResult->palette().color(QPalette::WindowText) != QColor(0, 128, 0));

        // The project against its own image: identical, in green.
        QVERIFY(w.compare(s.a, s.image));
        QCOMPARE(w.ListDifferences->rowCount(), 0);
        QCOMPARE(w.LabelResult->text(), QString("Identical"));
        QCOMPARE(w.LabelResult->palette().color(QPalette::WindowText), QColor(0, 128, 0));
        QVERIFY(w.LabelB->text().contains("(image file)"));
        QVERIFY(s.prompt->entries.isEmpty());
    }

    void doubleClickOpensSetAccessOnTheRowAndComparesAgain() {
        Sides s;
        TFCompare w(s.ws);
        w.setPrompt(s.prompt);
        QList<std::tuple<AccessTable, int, std::string>> opened;
        w.openAccessRow = [&](AccessTable t, int row, const std::string& column) {
            opened.append({t, row, column});
            // The user mends the row in the editor.
            WriteText(s.a + "/sdo.xml", Replace(ExampleSdo, "NPoint=\"2\"", "NPoint=\"4\""));
        };
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(w.compare(s.a, s.b));
        auto dclick = [&](int row) {
            QTableWidget* t = w.ListDifferences;
            const QRect cell = t->visualItemRect(t->item(row, 2));
            // The view wants the press before the double click.
            QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, cell.center());
            QTest::mouseDClick(t->viewport(), Qt::LeftButton, {}, cell.center());
        };
        dclick(0); // a parameter: nothing to open
        QVERIFY(opened.isEmpty());
        dclick(1);
        QCOMPARE(opened.size(), 1);
        QCOMPARE(std::get<0>(opened[0]), AccessTable::Read);
        QCOMPARE(std::get<1>(opened[0]), 1);
        QCOMPARE(std::get<2>(opened[0]), std::string("NPoint"));
        // Compared again after the editor: only the parameter is left.
        QCOMPARE(w.ListDifferences->rowCount(), 1);
        QCOMPARE(w.LabelResult->text(), QString("1 difference"));
    }

    void exportsTheListAsCsv() {
        Sides s;
        TFCompare w(s.ws);
        w.setPrompt(s.prompt);
        w.show();
        QVERIFY(w.compare(s.a, s.b));
        const std::string csv = s.exe / "diff.csv";
        s.prompt->fileAnswers = {QString::fromStdString(csv)};
        w.btn_Export->click();
        QCOMPARE(s.prompt->entries.size(), 1);
        QCOMPARE(s.prompt->entries[0].kind, QString("save"));
        QCOMPARE(ReadText(csv), std::string("Part,Row,Field,A,B\r\nparameter,,DN_ID,20,21\r\n"
                                            "read,1,NPoint,2,4\r\n"));
    }

    void unreadableSidesAndCheckErrorsAreAsked() {
        Sides s;
        TFCompare w(s.ws);
        w.setPrompt(s.prompt);
        w.show();
        WriteText(s.exe / "short.bin", ExampleBank.substr(0, 12));
        QVERIFY(!w.compare(s.a, s.exe / "short.bin"));
        QCOMPARE(s.prompt->entries.size(), 1);
        QCOMPARE(s.prompt->entries[0].kind, QString("error"));
        QVERIFY(s.prompt->entries[0].text.startsWith("B (") &&
                s.prompt->entries[0].text.endsWith("short.bin) cannot be read."));
        QVERIFY(s.prompt->entries[0].informative.contains("bytes"));

        WriteText(s.b + "/pargen.xml", Replace(ExamplePargen, "<DN_ID>20<", "<DN_ID>99<"));
        s.prompt->clear();
        s.prompt->confirmAnswers = {false};
        QVERIFY(!w.compare(s.a, s.b));
        QCOMPARE(s.prompt->entries.size(), 1);
        QVERIFY(s.prompt->entries[0].text.contains("has errors:\n\npargen.xml:::ID Dev.: error:"));
        s.prompt->confirmAnswers = {true};
        QVERIFY(w.compare(s.a, s.b));
        QCOMPARE(RowTexts(w.ListDifferences, 0),
                 QStringList({"parameter", "", "DN_ID", "20", "99"}));
    }
};

QTEST_MAIN(CompareWindowTest)
#include "CompareWindow_guitest.moc"
