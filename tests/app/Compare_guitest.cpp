#include "GuiTestUtil.h"
#include "RecordingPrompt.h"
#include "TempDir.h"
#include "WorkedExample.h"
#include "app/Forms.h"
#include "app/MainWindow.h"
#include "core/device/Crc32.h"
#include "core/project/FileSystem.h"
#include "core/project/Workspace.h"
#include "gui/editors/AccessMapWindow.h"
#include "gui/tools/CompareWindow.h"
#include "gui/widgets/StringGrid.h"

#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QtTest>
#include <memory>

namespace {
// The program on a workspace whose last project, p1, is the worked example.
struct Run {
    TempDir exe;
    std::string project = exe / "PROJECTS/p1";
    std::unique_ptr<Workspace> ws;
    Forms forms;
    std::shared_ptr<RecordingPrompt> prompt = std::make_shared<RecordingPrompt>();
    explicit Run(bool withPargen = true) {
        ForceDirectories(project + "/bin");
        if (withPargen) WriteText(project + "/pargen.xml", ExamplePargen);
        WriteText(project + "/sdo.xml", ExampleSdo);
        WriteText(exe / "Tessaro_Sm2DNs.ini", "[lastproj]\r\nprojectname=p1\r\n");
        ws = std::make_unique<Workspace>(exe.path());
        forms.create(*ws);
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* f = qobject_cast<FormBase*>(w)) f->setPrompt(prompt);
        main()->compareWindow()->setPrompt(prompt);
        main()->show();
    }
    ~Run() { forms.destroy(); }
    TFTessaroFirmWare* main() const { return forms.FTessaroFirmWare; }
};
} // namespace

class CompareTest : public QObject {
    Q_OBJECT
private slots:
    void fingerprintBesideTheCheckState() {
        {
            Run r;
            TFTessaroFirmWare* m = r.main();
            QCOMPARE(m->LabelCheck->text(), QString("No errors"));
            QCOMPARE(m->LabelImage->text(), QString::fromStdString(Crc32Text(Crc32(ExampleBank))));
            // After the check's text, before the maker's link, on the same line.
            const int textEnd =
                m->LabelCheck->x() + m->LabelCheck->fontMetrics().horizontalAdvance("No errors");
            QVERIFY(m->LabelImage->x() > textEnd);
            QCOMPARE(m->LabelImage->y(), m->LabelCheck->y());
            QVERIFY(m->LabelImage->geometry().right() < m->Label1->geometry().right());
            // Refreshed with the check: the project changes, the fingerprint follows.
            WriteText(r.project + "/sdo.xml", "<Serial_to_ProfiBus><DeviceNet_IN/><DeviceNet_OUT/>"
                                              "</Serial_to_ProfiBus>");
            m->refreshCheck();
            QVERIFY(m->LabelImage->text().startsWith("CRC-32 "));
            QVERIFY(m->LabelImage->text() != QString::fromStdString(Crc32Text(Crc32(ExampleBank))));
        }
        Run r(false);
        QCOMPARE(r.main()->LabelCheck->text(), QString("1 error"));
        QVERIFY(
            r.main()->LabelImage->toolTip().endsWith("not buildable: no communication parameters"));
        QVERIFY(r.main()->LabelImage->text().startsWith("not buildable"));
    }

    void compareButtonBesideReport() {
        Run r;
        TFTessaroFirmWare* m = r.main();
        QCOMPARE(m->btn_Compare->text(), QString("Compare…"));
        QVERIFY(m->btn_Compare->isVisible());
        QVERIFY(m->rect().contains(m->btn_Compare->geometry()));
        for (QPushButton* b : m->findChildren<QPushButton*>())
            if (b != m->btn_Compare && b->isVisible())
                QVERIFY2(!b->geometry().intersects(m->btn_Compare->geometry()),
                         qPrintable(b->objectName()));
    }

    void comparesWithAnImageFileOrAProject() {
        Run r;
        TFTessaroFirmWare* m = r.main();
        TFCompare* w = m->compareWindow();
        // Cancel asks nothing more.
        m->btn_Compare->click();
        QCOMPARE(r.prompt->texts("choose").size(), 1);
        QVERIFY(!w->isVisible());

        const std::string image = r.exe / "read-back.bin";
        WriteText(image, ExampleBank);
        r.prompt->choiceAnswers = {0};
        r.prompt->fileAnswers = {QString::fromStdString(image)};
        m->btn_Compare->click();
        QCOMPARE(r.prompt->lastButtons, QStringList({"Image file...", "Project...", "Cancel"}));
        QCOMPARE(r.prompt->entries.last().kind, QString("open"));
        QVERIFY(w->isVisible());
        QCOMPARE(w->LabelResult->text(), QString("Identical"));

        // Another project whose write row has other points.
        const std::string other = r.exe / "PROJECTS/p2";
        ForceDirectories(other + "/bin");
        WriteText(other + "/pargen.xml", ExamplePargen);
        std::string sdo = ExampleSdo;
        sdo.replace(sdo.find("NPoint=\"8\""), 10, "NPoint=\"16\"");
        WriteText(other + "/sdo.xml", sdo);
        r.prompt->choiceAnswers = {1};
        r.prompt->fileAnswers = {QString::fromStdString(other)};
        m->btn_Compare->click();
        QCOMPARE(r.prompt->entries.last().kind, QString("browse"));
        QCOMPARE(w->ListDifferences->rowCount(), 1);
        QCOMPARE(w->ListDifferences->item(0, 2)->text(), QString("NPoint"));

        // A double click opens Set Access on that row and cell.
        TFSetVar* editor = r.forms.FSetVar;
        int tab = -1, row = -1, col = -1;
        WhenModal([&](QDialog* d) {
            QVERIFY(d == editor);
            tab = editor->PageControl1->currentIndex();
            row = editor->sgb->currentRow();
            col = editor->sgb->currentCol();
            editor->bitbtn2->click();
        });
        QTableWidget* t = w->ListDifferences;
        QVERIFY(QTest::qWaitForWindowExposed(w));
        const QPoint at = t->visualItemRect(t->item(0, 1)).center();
        QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(t->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(tab, 1);
        QCOMPARE(row, 1);
        QCOMPARE(col, 4); // N°, Slave ID, Type, Address Register, NPoint
        QCOMPARE(w->ListDifferences->rowCount(), 1);
    }
};

QTEST_MAIN(CompareTest)
#include "Compare_guitest.moc"
