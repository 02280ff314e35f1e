#include "core/project/Workspace.h"
#include "app/Forms.h"
#include "app/MainWindow.h"
#include "core/device/ConfigImage.h"
#include "gui/device/UpdateWindow.h"
#include "core/project/FileSystem.h"

#include "FakeComm.h"
#include "RecordingPrompt.h"
#include "TempDir.h"
#include "WorkedExample.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QtTest>
#include <csignal>
#include <sys/stat.h>
#include <thread>

namespace {
const QByteArray Example46 = QByteArray::fromStdString(ExampleBank);

bool Reaped(pid_t pid) {
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}
} // namespace

class UpdateDeviceTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDir> exe;
    std::unique_ptr<Workspace> ws;
    Forms forms;
    std::shared_ptr<RecordingPrompt> rec;
    std::string project;

    TFBootSer* dlg() { return forms.FBootSer; }
    QByteArray bankFile() { return QByteArray::fromStdString(ReadFileBytes(BankPath(project))); }
    void fakeUpdater(const std::string& body) {
        std::string path = *exe / "Ser_52830_Update.exe";
        WriteText(path, "#!/bin/sh\n" + body);
        ::chmod(path.c_str(), 0755);
    }
    // Presses Update Device; `inDialog` runs while the update dialog is shown.
    // Returns whether the dialog was shown.
    bool updateDevice(std::function<void()> inDialog) {
        bool shown = false;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (!dlg()->isVisible() || shown) return;
            shown = true;
            inDialog();
            dlg()->reject();
        });
        watch.start(5);
        // Never hang the suite on a dialog left open.
        QTimer::singleShot(60000, dlg(), [this] { dlg()->reject(); });
        forms.FTessaroFirmWare->CreateBin->click();
        return shown;
    }
    void connectAndNext(const std::string& port) {
        dlg()->CB_Port->addItem(QString::fromStdString(port));
        dlg()->CB_Port->setCurrentIndex(dlg()->CB_Port->count() - 1);
        dlg()->btn_Connect->click();
        dlg()->btn_Next->click();
        QVERIFY(dlg()->Panel1->isVisible());
    }

private slots:
    void init() {
        exe = std::make_unique<TempDir>();
        ws = std::make_unique<Workspace>(exe->path());
        forms.create(*ws);
        rec = std::make_shared<RecordingPrompt>();
        forms.FTessaroFirmWare->setPrompt(rec);
        dlg()->setPrompt(rec);
        dlg()->Comm1.reset(new DtrObeyingComm);

        project = ws->ProjectsFolder + "/Plant 1";
        QVERIFY(ForceDirectories(project + "/bin"));
        ws->ProjectName = "/Plant 1";
        ws->ProjectFolder = project;
        ws->UpdateProjectPaths();
        WriteText(ws->PargenPath, ExamplePargen);
        WriteText(ws->SdoPath, ExampleSdo);
    }
    void cleanup() {
        forms.destroy();
        ws.reset();
        exe.reset();
    }

    void updateDeviceWritesTheImageAndRunsTheUpdater() {
        std::string args = *exe / "args.txt";
        std::string seen = *exe / "seen.bin";
        // Records its arguments and the image it finds in the folder it was given.
        fakeUpdater("for a in \"$@\"; do echo \"[$a]\"; done > '" + args +
                    "'\ncp \"$7bank.bin\" '" + seen + "'\n");
        PtyPort pty;
        bool shown = updateDevice([&] {
            connectAndNext(pty.name);
            dlg()->CB_ReadFirmware->setChecked(false);
            dlg()->btn_Execute->click();
            // The dialog stays on the options page.
            QVERIFY(dlg()->Panel1->isVisible());
        });
        QVERIFY(shown);
        QCOMPARE(rec->shown(), QStringList());
        QCOMPARE(dlg()->LastRun.outcome, RunResult::Ended);
        QCOMPARE(bankFile(), Example46);
        QCOMPARE(QByteArray::fromStdString(ReadFileBytes(seen)), Example46);
        const std::string expected = "[" + pty.name + "]\n[FW]\n[NO]\n[PW]\n[PR]\n[" +
                                     ws->MasterFolder + "/sim52830.sim]\n[" + project + "/bin/]\n";
        QCOMPARE(QString::fromStdString(ReadText(args)), QString::fromStdString(expected));
    }

    void aBuildErrorIsReportedAndNothingElseHappens() {
        WriteText(ws->SdoPath, "<Serial_to_ProfiBus><DeviceNet_IN><row Slave_ID=\"1\"/>"
                               "</DeviceNet_IN><DeviceNet_OUT/></Serial_to_ProfiBus>");
        bool shown = updateDevice([] {});
        QVERIFY(!shown);
        QCOMPARE(rec->texts("error"),
                 QStringList{"Error in sdo.xml: row 1 of DeviceNet_IN has no attribute 'Type'"});
        QVERIFY(!FileExists(BankPath(project)));
    }

    void anImageThatCannotBeWrittenIsReportedAndTheDialogStaysClosed() {
        QVERIFY(::rmdir((project + "/bin").c_str()) == 0);
        bool shown = updateDevice([] {});
        QVERIFY(!shown);
        QCOMPARE(rec->texts("error").size(), 1);
        QVERIFY(rec->texts("error")[0].startsWith("Cannot create file"));
        QVERIFY(!FileExists(BankPath(project)));
    }

    void aSlowUpdaterIsGivenUpAtTheTimeLimit() {
        std::string pidFile = *exe / "pid";
        fakeUpdater("echo $$ > '" + pidFile + "'\nexec sleep 30\n");
        dlg()->UpdaterTimeLimit = std::chrono::milliseconds(600);
        PtyPort pty;
        qint64 took = 0;
        int ticks = 0;
        bool busyCursor = false, stillShown = true, poked = false;
        bool shown = updateDevice([&] {
            connectAndNext(pty.name);
            // While waiting: timers and painting go on, the cursor is busy,
            // and neither a key that would close the dialog nor a click on a
            // check box reaches the window.
            QTimer tick;
            QObject::connect(&tick, &QTimer::timeout, [&] {
                ++ticks;
                if (QApplication::overrideCursor() &&
                    QApplication::overrideCursor()->shape() == Qt::WaitCursor)
                    busyCursor = true;
                if (dlg()->waitingForUpdater() && !poked) {
                    poked = true;
                    QTest::keyClick(dlg(), Qt::Key_Escape);
                    QTest::mouseClick(dlg()->CB_Project, Qt::LeftButton, {},
                                      QPoint(8, dlg()->CB_Project->height() / 2));
                }
            });
            tick.start(50);
            QElapsedTimer t;
            t.start();
            dlg()->btn_Execute->click();
            took = t.elapsed();
            stillShown = dlg()->isVisible();
        });
        QVERIFY(shown);
        QCOMPARE(dlg()->LastRun.outcome, RunResult::TimedOut);
        QVERIFY2(took >= 600 && took < 5000, QByteArray::number(took));
        QVERIFY(ticks >= 3);
        QVERIFY(busyCursor);
        QVERIFY(poked);
        QVERIFY(stillShown);
        QVERIFY(dlg()->CB_Project->isChecked());
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(rec->shown(), QStringList());

        pid_t pid = pid_t(std::stol(ReadText(pidFile)));
        QCOMPARE(pid, dlg()->LastRun.pid);
        QVERIFY2(::kill(pid, 0) == 0, "the updater was stopped");
        ::kill(pid, SIGTERM);
        QTRY_VERIFY_WITH_TIMEOUT(Reaped(pid), 5000);
    }
};

QTEST_MAIN(UpdateDeviceTest)
#include "UpdateDevice_guitest.moc"
