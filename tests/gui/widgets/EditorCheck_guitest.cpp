#include "EditorFixture.h"
#include "gui/editors/DiagnosisWindow.h"
#include "gui/family/PdoAccessWindow.h"
#include "gui/widgets/FindingsList.h"
#include "gui/widgets/StringGrid.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>
#include <memory>

namespace {
// An editor with two bad rows, and where the second failure points.
struct Case {
    std::unique_ptr<EditorWindow> dlg;
    StringGrid* grid = nullptr;
    int col = 0, row = 0;
    std::string file;
};

Case Open(const QString& window, EditorFixture& f) {
    Case c;
    if (window == "diagnosis") {
        auto* d = new TFSetDiagnosis(f.ws);
        c.dlg.reset(d);
        d->show();
        for (auto [r, id] : {std::pair{1, "1"}, {2, "0"}, {3, "300"}, {4, "2"}})
            d->ACG->setCell(1, r, id);
        c.grid = d->ACG;
        c.col = 1;
        c.row = 3;
        c.file = f.ws.DiagnosisPath;
    } else {
        auto* d = new TFSetPdo(f.ws);
        c.dlg.reset(d);
        d->show();
        d->sga->setCell(1, 1, "100");
        d->sga->setCell(2, 1, "2");
        d->sga->setCell(3, 1, "0");
        d->sga->setCell(1, 2, "0"); // Cob-Id out of range
        d->sga->setCell(2, 2, "1");
        d->sga->setCell(3, 2, "2");
        d->sgb->setCell(1, 1, "200");
        d->sgb->setCell(2, 1, "9"); // Dimension out of range
        d->sgb->setCell(3, 1, "0");
        c.grid = d->sgb;
        c.col = 2;
        c.row = 1;
        c.file = f.ws.PdoPath;
    }
    c.dlg->setPrompt(f.rec);
    return c;
}
} // namespace

class EditorCheckTest : public QObject {
    Q_OBJECT
private slots:
    void checkListsEveryFailure_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("diagnosis")
            << "diagnosis"
            << QStringList{"Error row 2!! Modbus ID must be between 1 and 255. ",
                           "Error row 3!! Modbus ID must be between 1 and 255. "};
        QTest::newRow("pdo access")
            << "pdo"
            << QStringList{"Error row 2!! [ProfiBus IN --> Transmit PDO] CANOpen Cob-Id must be "
                           "between 0x001 and 0x7FF. ",
                           "Error row 1!! [Recive PDO --> ProfiBub OUT] CANOpen Dimension must "
                           "be between 1 and 8. "};
    }

    void checkListsEveryFailure() {
        QFETCH(QString, window);
        QFETCH(QStringList, messages);
        EditorFixture f;
        Case c = Open(window, f);
        EditorWindow& dlg = *c.dlg;
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        auto* check = dlg.findChild<QPushButton*>("BtnCheck");
        auto* label = dlg.findChild<QLabel*>("LabelFindings");
        auto* list = dlg.findChild<FindingsList*>("ListFindings");
        QVERIFY(check && label && list);
        QCOMPARE(label->buddy(), list);
        QVERIFY(!list->isVisible());

        // OK shows the first failure, the list holds the same text first.
        QTest::mouseClick(dlg.findChild<QPushButton*>("bitbtn1"), Qt::LeftButton);
        QCOMPARE(f.rec->texts("error"), QStringList{messages[0]});
        f.rec->clear();

        QTest::mouseClick(check, Qt::LeftButton);
        QVERIFY(list->isVisible());
        QStringList lines;
        for (int i = 0; i < list->count(); ++i)
            lines << list->item(i)->text();
        QCOMPARE(lines, messages);
        QCOMPARE(label->text(), QString("Findings: 2 errors"));
        // No message box, nothing written, the window stays open.
        QVERIFY(f.rec->entries.isEmpty());
        QVERIFY(!FileExists(c.file));
        QVERIFY(dlg.isVisible());

        c.grid->selectCell(0, 5);
        QApplication::processEvents(); // lay the list out
        // QTest's double click is the double-click event alone: the view wants a press first.
        const QPoint at = list->visualItemRect(list->item(1)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        QVERIFY(c.grid->isVisible());
        QCOMPARE(c.grid->currentCol(), c.col);
        QCOMPARE(c.grid->currentRow(), c.row);
        QVERIFY(f.rec->entries.isEmpty());

        // A new showing starts without the findings of the last one.
        dlg.hide();
        dlg.show();
        QVERIFY(!list->isVisible());
    }
};

QTEST_MAIN(EditorCheckTest)
#include "EditorCheck_guitest.moc"
