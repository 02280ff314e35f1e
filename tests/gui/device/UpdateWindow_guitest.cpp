#include "gui/device/UpdateWindow.h"

#include "FakeComm.h"
#include "RecordingPrompt.h"
#include "TempDir.h"
#include "core/device/SerialPort.h"
#include "core/project/Workspace.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>
#include <filesystem>
#include <sys/stat.h>

class UBootSerTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDir> exe;
    std::unique_ptr<Workspace> ws;
    std::unique_ptr<TFBootSer> dlg;
    std::shared_ptr<RecordingPrompt> rec;

    // Adds a device path to the port list and selects it.
    void choose(const std::string& device) {
        dlg->CB_Port->addItem(QString::fromStdString(device));
        dlg->CB_Port->setCurrentIndex(dlg->CB_Port->count() - 1);
    }
    DtrObeyingComm* fakeComm() {
        auto* c = new DtrObeyingComm;
        dlg->Comm1.reset(c);
        return c;
    }

private slots:
    void init() {
        exe = std::make_unique<TempDir>();
        ws = std::make_unique<Workspace>(exe->path());
        ws->Settle();
        dlg = std::make_unique<TFBootSer>(*ws);
        rec = std::make_shared<RecordingPrompt>();
        dlg->setPrompt(rec);
        dlg->show();
    }
    void cleanup() {
        dlg.reset();
        ws.reset();
        exe.reset();
    }

    void showsTheInstructionsAndTheOptions() {
        QCOMPARE(dlg->windowTitle(), QString("Update Firmware from Serial (RS232)"));
        const QStringList lines = {"Follow these steps to update the RG52830 from RS232:",
                                   "1 - Turn OFF the Device",
                                   "2 - Insert the Boot Jumper (see the manual)",
                                   "3 - Select the  COM port and press the connect button",
                                   "4 - Turn ON the Device",
                                   "5 - Check the BOOT led. It must blink quickly"};
        QList<QLabel*> labels = {dlg->Label1, dlg->Label2, dlg->Label3,
                                 dlg->Label4, dlg->Label5, dlg->Label6};
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(labels[i]->text(), lines[i]);
            QVERIFY(labels[i]->isVisible());
        }
        QCOMPARE(dlg->Label4->buddy(), dlg->CB_Port);
        QVERIFY(!dlg->CB_Port->isEditable());
        QVERIFY(dlg->CB_Port->count() >= 10);
        // Each entry shows its device beside the port, which is what is passed on.
        for (int i = 0; i < 10; ++i) {
            QCOMPARE(dlg->CB_Port->itemText(i), QString("COM%1 (/dev/ttyS%2)").arg(i + 1).arg(i));
            QCOMPARE(dlg->CB_Port->itemData(i).toString(), QString("COM%1").arg(i + 1));
        }
        for (int i = 10; i < dlg->CB_Port->count(); ++i)
            QVERIFY(dlg->CB_Port->itemText(i).startsWith("/dev/tty"));
        QCOMPARE(dlg->chosenPort(), QString("COM1"));
        QCOMPARE(dlg->btn_Connect->text(), QString("Connect"));
        QCOMPARE(dlg->btn_Next->text(), QString("Next"));
        QCOMPARE(dlg->bitbtn2->text(), QString("Cancel"));

        QVERIFY(!dlg->Panel1->isVisible());
        QCOMPARE(dlg->Label7->text(), QString("Update Device Options"));
        QCOMPARE(dlg->btn_Execute->text(), QString("Execute update firmware"));
        const QList<std::pair<QCheckBox*, QString>> boxes = {
            {dlg->CB_Firmware, "Firmware"},
            {dlg->CB_ReadFirmware, "Read Firmware when finish"},
            {dlg->CB_Project, "Project"},
            {dlg->CB_ReadProject, "Read Project when finish"}};
        for (auto [box, text] : boxes) {
            QCOMPARE(box->text(), text);
            QVERIFY(box->isChecked());
        }
        QCOMPARE(dlg->objectName(), QString("FBootSer"));
        QCOMPARE(dlg->CB_Port->objectName(), QString("CB_Port"));
    }

    void nextBeforeConnectIsRefused() {
        dlg->btn_Next->click();
        QCOMPARE(rec->texts("error"), QStringList{"Select one port."});
        QVERIFY(!dlg->Panel1->isVisible());
        QVERIFY(dlg->Label1->isVisible());
    }

    void connectToAMissingDeviceFails() {
        choose(*exe / "no-such-port");
        dlg->btn_Connect->click();
        QCOMPARE(rec->texts("error"), QStringList{"Error!! Com Port cannot be open."});
        QCOMPARE(rec->entries.last().informative,
                 QString::fromStdString(*exe / "no-such-port" + " does not exist"));
        QVERIFY(!dlg->PortChecked);
        dlg->btn_Next->click();
        QCOMPARE(rec->texts("error").last(), QString("Select one port."));
        QVERIFY(!dlg->Panel1->isVisible());
    }

    void connectFailsWhenDtrCannotBeRaised() {
        // The real port object on a pseudo-terminal: opening works, DTR does not.
        PtyPort pty;
        choose(pty.name);
        dlg->btn_Connect->click();
        QCOMPARE(rec->texts("error"), QStringList{"Error!! Com Port cannot be open."});
        QVERIFY(rec->entries.last().informative.startsWith(
            QString::fromStdString(pty.name + ": the modem control lines cannot be set: ")));
        QVERIFY(!dlg->PortChecked);
    }

    void connectToAPortInUseFails() {
        PtyPort pty;
        TComm other;
        other.SetDeviceName(pty.name);
        other.Open();
        fakeComm();
        choose(pty.name);
        dlg->btn_Connect->click();
        QCOMPARE(rec->texts("error"), QStringList{"Error!! Com Port cannot be open."});
        QCOMPARE(rec->entries.last().informative,
                 QString::fromStdString(pty.name + " is in use by another program"));
        QVERIFY(!dlg->PortChecked);
    }

    void portEntriesNameTheirUsbAdapters() {
        // A fake /dev and a fake sysfs tree as the kernel lays them out: the
        // tty's device link points below the USB device holding maker and model.
        namespace fs = std::filesystem;
        const fs::path dev = *exe / "dev", sys = *exe / "sys";
        fs::create_directories(dev);
        for (const char* n : {"ttyUSB1", "ttyUSB0", "ttyACM0", "ttyS0"})
            WriteText(dev / n, "");
        const struct {
            const char* tty;
            const char* usb; // device folder below sys/devices, then the tty's own path
            const char* below;
            const char* maker;
            const char* product;
        } adapters[] = {
            {"ttyUSB0", "usb1/1-1", "1-1:1.0/ttyUSB0", "FTDI", "FT232R USB UART"},
            {"ttyACM0", "usb1/1-2", "1-2:1.0", "Arduino (www.arduino.cc)", "Arduino Uno"},
        };
        for (const auto& a : adapters) {
            const fs::path usb = sys / "devices" / a.usb;
            fs::create_directories(usb / a.below);
            WriteText(usb / "manufacturer", std::string(a.maker) + "\n");
            WriteText(usb / "product", std::string(a.product) + "\n");
            fs::create_directories(sys / "class/tty" / a.tty);
            fs::create_directory_symlink(usb / a.below, sys / "class/tty" / a.tty / "device");
        }
        dlg->DevFolder = dev;
        dlg->SysfsRoot = sys;
        dlg->hide();
        dlg->show();
        QStringList texts, data;
        for (int i = 10; i < dlg->CB_Port->count(); ++i) {
            texts << dlg->CB_Port->itemText(i);
            data << dlg->CB_Port->itemData(i).toString();
        }
        const QString d = QString::fromStdString(dev.string());
        QCOMPARE(texts, (QStringList{d + "/ttyUSB0 (FTDI FT232R USB UART)", d + "/ttyUSB1",
                                     d + "/ttyACM0 (Arduino (www.arduino.cc) Arduino Uno)"}));
        QCOMPARE(data, (QStringList{d + "/ttyUSB0", d + "/ttyUSB1", d + "/ttyACM0"}));
        QCOMPARE(dlg->CB_Port->itemText(2), QString("COM3 (/dev/ttyS2)"));

        // The device path alone goes to the port.
        DtrObeyingComm* comm = fakeComm();
        dlg->CB_Port->setCurrentIndex(10);
        dlg->btn_Connect->click();
        QCOMPARE(comm->DeviceName(), (dev / "ttyUSB0").string());
        QCOMPARE(rec->texts("error"), QStringList{"Error!! Com Port cannot be open."});
        QCOMPARE(rec->entries.last().informative, d + "/ttyUSB0 is not a serial port");
    }

    void aFailedConnectClearsAnEarlierSuccess() {
        PtyPort pty;
        DtrObeyingComm* comm = fakeComm();
        choose(pty.name);
        dlg->btn_Connect->click();
        QVERIFY(rec->shown().isEmpty());
        QVERIFY(dlg->PortChecked);
        QVERIFY(comm->IsOpen());
        QVERIFY(comm->dtr);
        QCOMPARE(comm->DeviceName(), pty.name);

        choose(*exe / "no-such-port");
        dlg->btn_Connect->click();
        QCOMPARE(rec->texts("error"), QStringList{"Error!! Com Port cannot be open."});
        QVERIFY(!dlg->PortChecked);
        dlg->btn_Next->click();
        QCOMPARE(rec->texts("error").last(), QString("Select one port."));
        QVERIFY(!dlg->Panel1->isVisible());
    }

    void nextShowsTheOptionsAndFreesThePort() {
        PtyPort pty;
        DtrObeyingComm* comm = fakeComm();
        choose(pty.name);
        dlg->btn_Connect->click();
        dlg->btn_Next->click();
        QVERIFY(rec->shown().isEmpty());
        QVERIFY(dlg->Panel1->isVisible());
        QCOMPARE(dlg->Panel1->geometry(), dlg->rect());
        for (QLabel* l :
             {dlg->Label1, dlg->Label2, dlg->Label3, dlg->Label4, dlg->Label5, dlg->Label6})
            QVERIFY(!l->isVisible());
        QVERIFY(!comm->IsOpen());
        // The updater can now take the port.
        TComm updater;
        updater.SetDeviceName(pty.name);
        updater.Open();
        QVERIFY(updater.IsOpen());
    }

    void closingTheDialogClosesThePort() {
        PtyPort pty;
        DtrObeyingComm* comm = fakeComm();
        choose(pty.name);
        dlg->btn_Connect->click();
        QVERIFY(comm->IsOpen());
        dlg->bitbtn2->click();
        QVERIFY(!dlg->isVisible());
        QCOMPARE(dlg->result(), int(QDialog::Rejected));
        QVERIFY(!comm->IsOpen());
    }

    void reopeningShowsTheInstructionsButKeepsTheChoices() {
        PtyPort pty;
        fakeComm();
        dlg->CB_Port->setCurrentIndex(3);
        dlg->CB_Project->setChecked(false);
        dlg->CB_ReadFirmware->setChecked(false);
        choose(pty.name);
        dlg->btn_Connect->click();
        dlg->btn_Next->click();
        QVERIFY(dlg->Panel1->isVisible());
        dlg->CB_Port->setCurrentIndex(3);
        dlg->hide();
        dlg->show();
        QVERIFY(!dlg->Panel1->isVisible());
        QVERIFY(!dlg->PortChecked);
        QVERIFY(dlg->Label3->isVisible());
        QCOMPARE(dlg->CB_Port->currentText(), QString("COM4 (/dev/ttyS3)"));
        QVERIFY(!dlg->CB_Project->isChecked());
        QVERIFY(!dlg->CB_ReadFirmware->isChecked());
        QVERIFY(dlg->CB_Firmware->isChecked());
        dlg->btn_Next->click();
        QCOMPARE(rec->texts("error"), QStringList{"Select one port."});
    }

    void aMissingUpdaterIsReported() {
        dlg->btn_Execute->click();
        QCOMPARE(rec->texts("error"),
                 QStringList{QString::fromStdString(
                     "Error!! The update program " + *exe / "Ser_52830_Update.exe" +
                     " cannot be started: No such file or directory. ")});
        QCOMPARE(dlg->LastRun.outcome, RunResult::StartFailed);
    }

    void anUpdaterThatIsNotExecutableIsReported() {
        WriteText(*exe / "Ser_52830_Update.exe", "#!/bin/sh\n");
        ::chmod((*exe / "Ser_52830_Update.exe").c_str(), 0644);
        dlg->btn_Execute->click();
        QCOMPARE(rec->texts("error").size(), 1);
        QVERIFY(rec->texts("error")[0].endsWith(" cannot be started: Permission denied. "));
    }
};

QTEST_MAIN(UBootSerTest)
#include "UpdateWindow_guitest.moc"
