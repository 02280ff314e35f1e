#include "core/project/FileSystem.h"
#include "core/project/Workspace.h"
#include "gui/device/FirmwareWindow.h"

#include "FirmwareSrec.h"
#include "RecordingPrompt.h"
#include "TempDir.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

using namespace srectest;

namespace {
// The flash programmer's separator: the single byte B6, not its UTF-8 form.
const QByteArray Pilcrow("\xB6");
} // namespace

class FirmwareDialogTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDir> exe;
    std::unique_ptr<Workspace> ws;
    TFModifyFileSx* dlg = nullptr;
    std::shared_ptr<RecordingPrompt> prompt;
    QList<QPair<QString, QByteArray>> started;

    std::string project() const { return ws->ProjectFolder; }
    std::string master(const std::string& name) const { return ws->MasterFolder + "/" + name; }

    // Factory firmware with bank 1's range and without bank 2's.
    static std::string Firmware() {
        return Header() + "\r\n" + S2Block(0x387000, 0x38D000) + S2Block(0x390000, 0x390400) +
               S9() + "\r\n";
    }

private slots:
    void init() {
        exe = std::make_unique<TempDir>();
        ws = std::make_unique<Workspace>(exe->path());
        ws->Settle();
        ws->ProjectFolder = ws->ProjectsFolder + "/Plant1";
        QVERIFY(ForceDirectories(project() + "/bin"));
        for (int b = 0; b < BankCount; ++b)
            WriteText(project() + "/bin/bank" + std::to_string(b + 1) + ".bin", BankImage(b));
        WriteText(master(DefaultFirmware), Firmware());
        WriteText(ws->ExeFolder + "/DadarOrovu.exe", "");
        dlg = new TFModifyFileSx(*ws);
        prompt = std::make_shared<RecordingPrompt>();
        dlg->setPrompt(prompt);
        started.clear();
        dlg->composer.startProgram = [this](const std::string& p, const std::string& a) {
            started.append({QString::fromStdString(p), QByteArray::fromStdString(a)});
        };
    }
    void cleanup() {
        delete dlg;
        dlg = nullptr;
    }

    void showOffersBanksOneAndTwoAndTheFactoryFirmware() {
        dlg->show();
        QVERIFY(prompt->shown().isEmpty());
        QCOMPARE(dlg->windowTitle(), QString("Generate Firmware"));
        QCOMPARE(dlg->cbport->count(), 8);
        // Each entry shows its device beside the port.
        QCOMPARE(dlg->cbport->itemText(7), QString("COM8 (/dev/ttyS7)"));
        QCOMPARE(dlg->cbport->currentText(), QString("COM1 (/dev/ttyS0)"));
        QVERIFY(dlg->UpdateFirmware->isVisible() && dlg->UpdateFirmware->isEnabled());
        QVERIFY(dlg->ProgressBar1->isVisible());
        QVERIFY(dlg->LbButton1->isVisible());
        for (QWidget* w : std::initializer_list<QWidget*>{
                 dlg->OpenFirmware, dlg->Options, dlg->PanelBank, dlg->DirBin, dlg->ModifySx,
                 dlg->UpdateFirmware2, dlg->NewFileSx})
            QVERIFY2(w->isHidden(), qPrintable(w->objectName()));
        for (int i = 0; i < BankCount; ++i) {
            QCOMPARE(dlg->CB_Bank[i]->isHidden(), i >= 2);
            if (i < 2) QVERIFY(dlg->CB_Bank[i]->isChecked());
        }
        QCOMPARE(dlg->Options->text(), QString("Options >>"));
        QCOMPARE(dlg->NewFileSx->text(), QString("New_sx52817.sx"));
        QCOMPARE(dlg->composer.BinFolder, project() + "/bin/");
        QCOMPARE(dlg->composer.OutFolder, project() + "/");
        QCOMPARE(dlg->findChild<QComboBox*>("cbport"), dlg->cbport);
    }

    void missingFirmwareOrMasterFolderAsksForReinstall() {
        ::unlink(master(DefaultFirmware).c_str());
        dlg->show();
        QCOMPARE(prompt->texts("error"),
                 QStringList{"Error! Firmware File not Found! Please reinstall the software."});
        QVERIFY(!dlg->UpdateFirmware->isEnabled());
        dlg->hide();
        prompt->clear();
        QVERIFY(::rmdir(ws->MasterFolder.c_str()) == 0);
        dlg->show();
        QCOMPARE(
            prompt->texts("error"),
            QStringList{"Error! Firmware Directory not Found! Please reinstall the software."});
    }

    void executeComposesMarksAbsentBankAndStartsTheProgrammer() {
        dlg->show();
        dlg->cbport->setCurrentIndex(2);
        dlg->UpdateFirmware->click();
        QVERIFY2(prompt->shown().isEmpty(), qPrintable(prompt->shown().join("; ")));
        const std::string merged = ReadText(project() + "/New_sx52817.sx");
        QVERIFY(merged.find(BankRecords(0x388000, BankImage(0))) != std::string::npos);
        QVERIFY(merged.find(S2(0x390000)) != std::string::npos);
        QVERIFY(!dlg->bankMarked(0));
        QVERIFY(dlg->bankMarked(1));
        QVERIFY(dlg->CB_Bank[1]->styleSheet().contains("red"));
        QVERIFY(dlg->ModifySx->isEnabled());
        QCOMPARE(dlg->ProgressBar1->value(), dlg->ProgressBar1->maximum());
        QVERIFY(dlg->ProgressBar1->maximum() > 512);
        QCOMPARE(started.size(), 1);
        QCOMPARE(started[0].first, QString::fromStdString(ws->ExeFolder + "/DadarOrovu.exe"));
        QCOMPARE(started[0].second,
                 "\"" + QByteArray::fromStdString(project()) + "/New_sx52817.sx\"" + Pilcrow + "2");
        QVERIFY(QDir(QString::fromStdString(project())).entryList({"*B?*.sx"}).isEmpty());

        // Showing again clears the red mark.
        dlg->hide();
        dlg->show();
        QVERIFY(!dlg->bankMarked(1));
    }

    void failedCompositionStillRunsTheUpdate() {
        WriteText(master(DefaultFirmware), S2Block(0x388000, 0x388100));
        dlg->show();
        dlg->UpdateFirmware->click();
        QCOMPARE(prompt->texts("message"), QStringList{"File *.Sx Not Found,Abort Procedure"});
        QVERIFY(started.isEmpty());
        // An earlier output is handed to the programmer all the same.
        WriteText(project() + "/New_sx52817.sx", "S9030000FC\r\n");
        dlg->UpdateFirmware->click();
        QCOMPARE(started.size(), 1);
    }

    void missingProgrammerIsReported() {
        ::unlink((ws->ExeFolder + "/DadarOrovu.exe").c_str());
        dlg->show();
        dlg->UpdateFirmware->click();
        QCOMPARE(prompt->texts("message"),
                 QStringList{"DadarOrovu.exe Not Found, Procedure Aborted"});
        QVERIFY(started.isEmpty());
    }

    void otherVariantsKeepAllFiveBanks() {
        std::string fw = Header() + "\r\n";
        for (const BankRange& r : BankRanges)
            fw += S2(r.first) + "\r\n";
        WriteText(master(DefaultFirmware), fw + S9() + "\r\n");
        dlg->variant = 1;
        dlg->show();
        for (int i = 0; i < BankCount; ++i)
            QVERIFY(!dlg->CB_Bank[i]->isHidden());
        dlg->ModifySx->click();
        const std::string merged = ReadText(project() + "/New_sx52817.sx");
        for (int b = 0; b < BankCount; ++b)
            QVERIFY(merged.find(BankRecords(BankRanges[b].first, BankImage(b))) !=
                    std::string::npos);
        QVERIFY2(started.isEmpty(), "Execute Modify File Sx composes only");
    }

    void unwritableOutputStopsTheCommandThroughTheErrorReport() {
        dlg->show();
        dlg->composer.OutFolder = project() + "/gone/";
        dlg->UpdateFirmware->click();
        QCOMPARE(prompt->texts("error").size(), 1);
        QVERIFY(prompt->texts("error")[0].startsWith("Cannot create file"));
        QVERIFY(started.isEmpty());
        QVERIFY(!dlg->ModifySx->isEnabled());
    }

    void hiddenControls() {
        dlg->show();
        // Open Firmware: a file of another folder becomes the firmware.
        const std::string other = exe->path() + "/other";
        QVERIFY(CreateDir(other));
        WriteText(other + "/alt.Sx", Firmware());
        prompt->fileAnswers.push_back(QString::fromStdString(other + "/alt.Sx"));
        dlg->OpenFirmware->click();
        QCOMPARE(prompt->entries.last().text,
                 QString::fromStdString(ws->MasterFolder) + "|File Sx (*.Sx)|*.Sx");
        QCOMPARE(dlg->NewFileSx->text(), QString("New_alt.Sx"));
        dlg->NewFileSx->setText("Custom.sx");
        QCOMPARE(dlg->composer.NewName, std::string("Custom.sx"));
        dlg->ModifySx->click();
        QVERIFY(FileExists(project() + "/Custom.sx"));
        // Directory File Bin.
        prompt->fileAnswers.push_back(QString::fromStdString(project() + "/bin"));
        dlg->DirBin->click();
        QCOMPARE(prompt->entries.last().title, QString("Select Directory Bin"));
        QCOMPARE(dlg->composer.BinFolder, project() + "/bin/");
        // Options >> shows the banks and the folder button.
        dlg->Options->click();
        QCOMPARE(dlg->Options->text(), QString("<< Options"));
        QVERIFY(!dlg->PanelBank->isHidden() && !dlg->DirBin->isHidden());
        dlg->Options->click();
        QCOMPARE(dlg->Options->text(), QString("Options >>"));
        QVERIFY(dlg->PanelBank->isHidden());
        // X closes.
        dlg->LbButton1->click();
        QVERIFY(!dlg->isVisible());
    }
};

QTEST_MAIN(FirmwareDialogTest)
#include "FirmwareWindow_guitest.moc"
