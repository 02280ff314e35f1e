#include "GuiTestUtil.h"
#include "RecordingPrompt.h"
#include "TempDir.h"
#include "WorkbookSession.h"
#include "XlsWriter.h"
#include "core/project/FileSystem.h"
#include "core/project/Workspace.h"
#include "gui/family/EmcyWindow.h"
#include "gui/widgets/FieldHints.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QtTest>
#include <memory>

namespace {
struct Env {
    TempDir exe;
    Workspace ws{exe.path()};
    WorkbookSession excel;
    std::shared_ptr<RecordingPrompt> prompt = std::make_shared<RecordingPrompt>();
    std::unique_ptr<TFemcy> dlg;
    Env() {
        ws.Settle();
        dlg = std::make_unique<TFemcy>(ws, excel);
        dlg->setPrompt(prompt);
    }
    void open() {
        dlg->hide();
        prompt->clear();
        dlg->show();
    }
    // Fills the tab's edits (empty texts stay empty) and presses New.
    void add(int side, const QString& id, int target = 0, bool enabled = false,
             const QString& mask = "") {
        dlg->fieldEdit(side, 0)->setText(id);
        for (int f = 1; f < EmcyTextCount; ++f)
            dlg->fieldEdit(side, f)->setText(mask);
        dlg->targetOption(side, target)->setChecked(true);
        (side ? dlg->enableb : dlg->enablea)->setChecked(enabled);
        (side ? dlg->NewB : dlg->NewA)->click();
    }
    QStringList rows(int side) const {
        QStringList out;
        QListWidget* lb = side ? dlg->LBCanB : dlg->LBCanA;
        for (int i = 0; i < lb->count(); ++i)
            out << lb->item(i)->text();
        return out;
    }
    QString file() const { return QString::fromStdString(ReadText(ws.EmcydefPath)); }
    // A workbook with an "EmcyDef" sheet holding a title row and `records`.
    std::string book(const std::vector<xls::Row>& records) {
        std::vector<xls::Row> rows = {{}};
        for (const std::string& n : EmcyFieldNames)
            rows[0].push_back(n);
        rows.insert(rows.end(), records.begin(), records.end());
        const std::string path = exe / "emcy.xls";
        xls::WriteWorkbook(path, {{"Sheet1", {{"x"}}}, {"EmcyDef", rows}});
        return path;
    }
    void import(const std::string& path) {
        prompt->fileAnswers.push_back(QString::fromStdString(path));
        dlg->bitbtn4->click();
    }
};

xls::Row Record(xls::Cell id, xls::Cell bypass, xls::Cell mask = 1.0) {
    xls::Row r{id};
    for (int f = 1; f < EmcyTextCount; ++f)
        r.push_back(mask);
    r.push_back(bypass);
    return r;
}
} // namespace

class EmcyGuiTest : public QObject {
    Q_OBJECT
private slots:
    void controlsAndCaptions() {
        Env e;
        TFemcy* d = e.dlg.get();
        QCOMPARE(d->windowTitle(), QString("Set Traslate EMCY"));
        QCOMPARE(d->r9a->text(), QString("Error Reg"));
        QCOMPARE(d->r2b->text(), QString("Error code byte  HIGH"));
        QCOMPARE(d->r1a->text(), QString("No traslate ID CANA"));
        QCOMPARE(d->r1b->text(), QString("No traslate ID CANB"));
        QCOMPARE(d->enableb->text(), QString("Enabled_Traslate to CANA"));
        QCOMPARE(d->NewA->text(), QString("New EMCY"));
        QVERIFY(d->findChild<QLineEdit*>("Eenmask_eq_m3B") == d->Eenmask_eq_m3B);
        QVERIFY(d->findChild<QRadioButton*>("r9b") == d->r9b);
        QVERIFY(d->findChild<QListWidget*>("LBCanB") == d->LBCanB);
        d->show();
        // Options stand top to bottom in the order of their values.
        for (int side = 0; side < 2; ++side) {
            d->PageControl1->setCurrentIndex(side);
            QApplication::processEvents();
            for (int v = 1; v <= EmcyMaxTarget; ++v)
                QVERIFY(d->targetOption(side, v)->y() > d->targetOption(side, v - 1)->y());
        }
        // Every edit has its label as buddy.
        int buddies = 0;
        for (QLabel* l : d->findChildren<QLabel*>())
            if (qobject_cast<QLineEdit*>(l->buddy())) ++buddies;
        QCOMPARE(buddies, 22);
        QCOMPARE(e.prompt->shown(), QStringList{"File XML not found"});
    }

    void newOkAndReopen() {
        Env e;
        e.dlg->show();
        e.add(0, "10", 1, false, "255");
        e.add(0, "2");
        e.add(0, "0x3", 8, true);
        e.add(1, "7", 3, true, "0xFF");
        QCOMPARE(e.rows(0), (QStringList{"10", "2", "0x3"}));
        QCOMPARE(e.dlg->LBCanA->currentRow(), 2); // the new row is selected
        QCOMPARE(e.prompt->shown(), QStringList{"File XML not found"});
        e.dlg->LbButton1->click();
        QVERIFY(!e.dlg->isVisible());
        QCOMPARE(e.dlg->result(), int(QDialog::Accepted));
        const QString text = e.file();
        QVERIFY(text.startsWith("<emcydef><row id_dev=\"2\" mask_eq_ec=\"0\""));
        QVERIFY(text.indexOf("id_dev=\"2\"") < text.indexOf("id_dev=\"0x3\""));
        QVERIFY(text.indexOf("id_dev=\"0x3\"") < text.indexOf("id_dev=\"10\""));
        QVERIFY(text.contains("enmask_eq_m3=\"0xFF\" bypass_set=\"39\"/></emcydef>"));
        QVERIFY(text.contains("enmask_eq_m3=\"0\" bypass_set=\"17\"/>"));

        e.open();
        QVERIFY(e.prompt->shown().isEmpty());
        QCOMPARE(e.rows(0), (QStringList{"2", "0x3", "10"}));
        QCOMPARE(e.rows(1), QStringList{"7"});
        QCOMPARE(e.dlg->LBCanB->currentRow(), 0);
        QVERIFY(e.dlg->enableb->isChecked());
        QVERIFY(e.dlg->r9b->isChecked());
        QCOMPARE(e.dlg->Emask_eq_ecB->text(), QString("0xFF"));
        QCOMPARE(e.dlg->Eid_devA->text(), QString("2"));
        QVERIFY(e.dlg->r1a->isChecked());

        e.dlg->LBCanA->setCurrentRow(2); // as a click on "10"
        QVERIFY(e.dlg->r2a->isChecked());
        QCOMPARE(e.dlg->Emask_eq_m2A->text(), QString("255"));
        QVERIFY(!e.dlg->enablea->isChecked());
    }

    // Deleting a loaded entry, without typing anything, is a change to ask about.
    void deleteAloneAsksBeforeDiscarding() {
        Env e;
        e.dlg->show();
        e.add(0, "1");
        e.dlg->LbButton1->click();
        e.open();
        e.dlg->LBCanA->setCurrentRow(0);
        QVERIFY(!e.dlg->hasChanges());
        e.dlg->DeleteA->click();
        QTest::keyClick(e.dlg.get(), Qt::Key_Escape);
        QCOMPARE(e.prompt->texts("risky"), QStringList{"Discard changes?"});
        QVERIFY(e.dlg->isVisible());
        QCOMPARE(e.file().count("<row "), 1);
    }

    void duplicateIdsPerTab() {
        Env e;
        e.dlg->show();
        e.prompt->clear();
        e.add(0, "5");
        e.add(0, "5");
        e.add(0, "");
        e.add(0, "05");
        e.add(1, "5");
        QCOMPARE(e.prompt->texts("error"), (QStringList{"Index Not Valid", "Index Not Valid"}));
        QCOMPARE(e.rows(0), (QStringList{"5", "05"}));
        QCOMPARE(e.rows(1), QStringList{"5"});
        e.dlg->LbButton1->click();
        // Equal values: the later row is written first.
        QVERIFY(e.file().indexOf("id_dev=\"05\"") < e.file().indexOf("id_dev=\"5\""));
    }

    void modifyAndDelete() {
        Env e;
        e.dlg->show();
        e.add(0, "1");
        e.add(0, "2", 4);
        e.prompt->clear();
        // Own ID unchanged: accepted, fields overwritten.
        e.dlg->Emask_eq_erA->setText("77");
        e.dlg->r5a->setChecked(true);
        e.dlg->ModifyA->click();
        QVERIFY(e.prompt->shown().isEmpty());
        QCOMPARE(e.dlg->Lists.EmcyListA[1].mask_eq_er, std::string("77"));
        QCOMPARE(e.dlg->Lists.EmcyListA[1].TranslateTarget, 5);
        // The ID of another row: refused, entry unchanged.
        e.dlg->Eid_devA->setText("1");
        e.dlg->Emask_eq_erA->setText("88");
        e.dlg->ModifyA->click();
        QCOMPARE(e.prompt->texts("error"), QStringList{"Index Not Valid"});
        QCOMPARE(e.dlg->Lists.EmcyListA[1].mask_eq_er, std::string("77"));
        // A new ID and an emptied edit: stored as "0".
        e.dlg->Eid_devA->setText("9");
        e.dlg->Emask_eq_erA->clear();
        e.dlg->ModifyA->click();
        QCOMPARE(e.rows(0), (QStringList{"1", "9"}));
        QCOMPARE(e.dlg->Lists.EmcyListA[1].mask_eq_er, std::string("0"));
        QCOMPARE(e.dlg->LBCanA->currentRow(), 1);

        e.dlg->DeleteA->click();
        QCOMPARE(e.rows(0), QStringList{"1"});
        QCOMPARE(e.dlg->Lists.EmcyListA.size(), size_t(1));
        QVERIFY(e.dlg->LBCanA->selectedItems().isEmpty());
        QCOMPARE(e.dlg->Eid_devA->text(), QString("9")); // edits keep the removed entry
        e.dlg->Eid_devA->setText("3");
        e.dlg->ModifyA->click(); // nothing selected: nothing happens
        e.dlg->DeleteA->click();
        QCOMPARE(e.rows(0), QStringList{"1"});
        QCOMPARE(e.dlg->Lists.EmcyListA[0].id_dev, std::string("1"));
        e.dlg->LbButton1->click();
        QCOMPARE(e.file().count("<row "), 1);
    }

    void readRules() {
        Env e;
        const QString attrs = " mask_eq_ec=\"\" mask_eq_er=\"1\" mask_eq_m1=\"1\" mask_eq_m2=\"1\" "
                              "mask_eq_m3=\"1\" enmask_eq_ec=\"1\" enmask_eq_er=\"1\" "
                              "enmask_eq_m1=\"1\" enmask_eq_m2=\"1\" enmask_eq_m3=\"1\"";
        auto row = [&](const char* id, const char* bypass) {
            return "<row id_dev=\"" + QString(id) + "\"" + attrs + " bypass_set=\"" + bypass +
                   "\"/>";
        };
        WriteText(e.ws.EmcydefPath,
                  ("<emcydef>" + row("4", "64") + row("6", "24") + "</emcydef>").toStdString());
        e.open();
        QVERIFY(e.prompt->shown().isEmpty());
        QCOMPARE(e.rows(0), (QStringList{"4", "6"}));
        QCOMPARE(e.dlg->Emask_eq_ecA->text(), QString("0"));
        QVERIFY(e.dlg->r1a->isChecked());
        e.dlg->r6a->setChecked(true);
        // Target 12 is none of the options: none is checked and the value is
        // told; Modify waits for a choice rather than storing another option.
        e.dlg->LBCanA->setCurrentRow(1);
        for (int v = 0; v <= EmcyMaxTarget; ++v)
            QVERIFY(!e.dlg->targetOption(0, v)->isChecked());
        auto* stored = e.dlg->findChild<QLabel*>("LStoredTargetA");
        QVERIFY(stored && stored->isVisibleTo(e.dlg.get()));
        QCOMPARE(stored->text(), QString("Stored target 12 is none of these options"));
        e.dlg->ModifyA->click();
        QCOMPARE(e.prompt->texts("error"), QStringList{"Traslate in: choose one of the options"});
        e.dlg->Eid_devA->setText("7");
        e.dlg->NewA->click();
        QCOMPARE(e.prompt->texts("error").size(), 2);
        QCOMPARE(e.rows(0), (QStringList{"4", "6"}));
        QCOMPARE(e.dlg->Lists.EmcyListA[1].TranslateTarget, 12);
        e.dlg->LBCanA->setCurrentRow(0);
        QVERIFY(e.dlg->r1a->isChecked());
        QVERIFY(!stored->isVisibleTo(e.dlg.get()));
        e.dlg->LbButton1->click();
        QVERIFY(e.file().contains("id_dev=\"6\" mask_eq_ec=\"0\""));
        e.open();
        e.dlg->LBCanA->setCurrentRow(1);
        e.dlg->r3a->setChecked(true);
        e.dlg->ModifyA->click();
        QCOMPARE(e.dlg->Lists.EmcyListA[1].TranslateTarget, 2);
        QVERIFY(e.prompt->shown().isEmpty());
        QVERIFY(e.file().contains("bypass_set=\"24\""));

        WriteText(e.ws.EmcydefPath,
                  ("<emcydef>" + row("4", "0") + row("5", "zz") + row("6", "0") + "</emcydef>")
                      .toStdString());
        e.open();
        QCOMPARE(e.prompt->shown(), QStringList{"Error in reading file XML"});
        QCOMPARE(e.rows(0), QStringList{"4"});
        QVERIFY(e.dlg->LBCanA->selectedItems().isEmpty());
        QCOMPARE(e.dlg->Eid_devA->text(), QString());
    }

    void nonIntegerIdStopsOk() {
        Env e;
        e.dlg->show();
        e.add(1, "abc");
        e.prompt->clear();
        e.dlg->LbButton1->click();
        QCOMPARE(e.prompt->texts("error"), QStringList{"'abc' is not a valid integer value"});
        QVERIFY(e.dlg->isVisible());
        QVERIFY(!FileExists(e.ws.EmcydefPath));
    }

    void cancelDiscardsAndEmptyOkWritesRoot() {
        Env e;
        // A new entry is an unsaved change: Cancel asks, and No keeps the window.
        WhenModal([&](QDialog*) {
            e.add(0, "1");
            e.dlg->bitbtn2->click();
            QVERIFY(e.dlg->isVisible());
            QCOMPARE(e.prompt->texts("risky"), QStringList{"Discard changes?"});
            e.prompt->confirmAnswers.push_back(true);
            e.dlg->bitbtn2->click();
        });
        QCOMPARE(e.dlg->exec(), int(QDialog::Rejected));
        QVERIFY(!FileExists(e.ws.EmcydefPath));
        WhenModal([&](QDialog*) {
            QCOMPARE(e.rows(0), QStringList());
            e.dlg->LbButton1->click();
        });
        QCOMPARE(e.dlg->exec(), int(QDialog::Accepted));
        QCOMPARE(e.file(), QString("<emcydef/>"));
    }

    void importThenExportAndSave() {
        Env e;
        e.dlg->show();
        e.add(0, "99"); // cleared by the import
        xls::Row withText = Record("0x10", 0.0, "0x1A");
        withText[1] = 26.0;
        const std::string path = e.book({Record(7.0, 33.0, xls::Blank{}), Record(xls::Blank{}, 0.0),
                                         withText, Record(xls::Blank{}, 64.0)});
        e.prompt->clear();
        e.import(path);
        QVERIFY(e.prompt->shown().isEmpty());
        QCOMPARE(e.rows(0), (QStringList{"", "0x10", ""}));
        QCOMPARE(e.rows(1), QStringList{"7"});
        const TClEmcy& b = e.dlg->Lists.EmcyListB[0];
        QVERIFY(b.TranslateEnabled);
        QCOMPARE(b.TranslateTarget, 0);
        QCOMPARE(b.mask_eq_ec, std::string()); // empty cells stay empty
        QCOMPARE(e.dlg->Lists.EmcyListA[1].mask_eq_ec, std::string("26"));
        QCOMPARE(e.dlg->Lists.EmcyListA[1].mask_eq_er, std::string("0x1A"));
        // First rows selected and shown.
        QCOMPARE(e.dlg->LBCanB->currentRow(), 0);
        QVERIFY(e.dlg->enableb->isChecked());
        QCOMPARE(e.dlg->Emask_eq_ecB->text(), QString());
        QCOMPARE(e.dlg->LBCanA->currentRow(), 0);

        // An empty ID against a list holding empty rows: the message once per reason.
        e.dlg->Eid_devA->clear();
        e.dlg->NewA->click();
        QCOMPARE(e.prompt->texts("error"), (QStringList{"Index Not Valid", "Index Not Valid"}));

        e.dlg->button1->click();
        QVERIFY(e.prompt->shown().size() == 2);
        const std::string csv = ReadText(e.ws.ProjectFolder + "/emcydef.csv");
        QCOMPARE(QString::fromStdString(csv),
                 QString(",1,1,1,1,1,1,1,1,1,1,0,\r\n"
                         "0x10,26,0x1A,0x1A,0x1A,0x1A,0x1A,0x1A,0x1A,0x1A,0x1A,0,\r\n"
                         ",1,1,1,1,1,1,1,1,1,1,0,\r\n"
                         "7,,,,,,,,,,,33,\r\n"));
        // The empty IDs are no integers: OK reports it and writes nothing.
        e.prompt->clear();
        e.dlg->LbButton1->click();
        QCOMPARE(e.prompt->texts("error"), QStringList{"'' is not a valid integer value"});
        QVERIFY(!FileExists(e.ws.EmcydefPath));
    }

    void failedImportKeepsTheListsAndSaysWhy() {
        Env e;
        e.dlg->show();
        e.import(e.book({Record(1.0, 0.0), Record(2.0, 32.0)}));
        QCOMPARE(e.rows(0), QStringList{"1"});
        QCOMPARE(e.rows(1), QStringList{"2"});
        // A bad side value in the third record: the lists stay as they were.
        const std::string path =
            e.book({Record(5.0, 0.0), Record(6.0, 32.0), Record(3.0, 1.5), Record(4.0, 0.0)});
        e.prompt->clear();
        e.import(path);
        QCOMPARE(e.prompt->shown().size(), 1);
        QVERIFY2(e.prompt->shown()[0].contains("Record 3: '1.5' is not a valid integer value"),
                 qPrintable(e.prompt->shown()[0]));
        QCOMPARE(e.rows(0), QStringList{"1"});
        QCOMPARE(e.rows(1), QStringList{"2"});
        // Cancel in the file chooser: nothing changes.
        e.dlg->bitbtn4->click();
        QCOMPARE(e.rows(0), QStringList{"1"});
        QCOMPARE(e.prompt->texts("open").last(),
                 QString::fromStdString(path) + "|File EXCEL (*.xls)|*.xls");
        // A workbook without the sheet changes nothing either, and says so.
        const std::string other = e.exe / "other.xls";
        xls::WriteWorkbook(other, {{"Sheet1", {{"x"}, {1.0}}}});
        e.prompt->clear();
        e.import(other);
        QCOMPARE(e.prompt->shown().size(), 1);
        QVERIFY(e.prompt->shown()[0].contains("no worksheet named \"emcydef\""));
        QCOMPARE(e.rows(0), QStringList{"1"});
        QCOMPARE(e.rows(1), QStringList{"2"});
    }

    // The ranges beside the boxes limit and mark what is typed; empty stays
    // unmarked because it is stored as "0".
    void fieldsTellTheirRange() {
        Env e;
        e.open();
        QVERIFY(e.dlg->Eid_devA->toolTip().startsWith("1 to 127"));
        QVERIFY(e.dlg->Emask_eq_erB->toolTip().startsWith("0 to 255"));
        const std::tuple<QLineEdit*, QString, QString, bool> typed[] = {
            {e.dlg->Eid_devA, "12a", "12", false},
            {e.dlg->Eid_devA, "128", "128", true},
            {e.dlg->Eid_devA, "0x7F", "0x7F", false},
            {e.dlg->Eid_devA, "", "", false},
            {e.dlg->Emask_eq_ecB, "0xFFFF", "0xFFFF", false},
            {e.dlg->Emask_eq_ecB, "65536", "65536", true}};
        for (const auto& [edit, keys, shown, marked] : typed) {
            edit->clear();
            QTest::keyClicks(edit, keys);
            QCOMPARE(edit->text(), shown);
            QCOMPARE(EntryMarked(edit), marked);
        }
    }
};

QTEST_MAIN(EmcyGuiTest)
#include "EmcyWindow_guitest.moc"
