#include "app/Forms.h"
#include "app/MainWindow.h"
#include "core/device/ConfigImage.h"
#include "core/project/FileSystem.h"
#include "core/project/Workspace.h"
#include "gui/device/UpdateWindow.h"

#include "FakeComm.h"
#include "RecordingPrompt.h"
#include "TempDir.h"
#include "WorkedExample.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>
#include <csignal>
#include <sys/stat.h>
#include <thread>

namespace {
const QByteArray Example46 = QByteArray::fromStdString(ExampleBank);

bool Reaped(pid_t pid) {
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

// Presses a button as a screen reader does.
void PressAccessibly(QWidget* button) {
    if (QAccessibleInterface* a = QAccessible::queryAccessibleInterface(button))
        if (QAccessibleActionInterface* act = a->actionInterface())
            act->doAction(QAccessibleActionInterface::pressAction());
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
        // The check finds it first; the question's default (No) builds nothing.
        QCOMPARE(rec->texts("risky").size(), 1);
        QVERIFY2(rec->texts("risky")[0].contains("sdo.xml:read:1:Type: error: Error row 1!!"),
                 qPrintable(rec->texts("risky")[0]));
        QVERIFY(!FileExists(BankPath(project)));
        // Building anyway reports the image writer's own error.
        rec->confirmAnswers = {true};
        QVERIFY(!updateDevice([] {}));
        QCOMPARE(rec->texts("error"),
                 QStringList{"Error in sdo.xml: row 1 of DeviceNet_IN has no attribute 'Type'"});
        QVERIFY(!FileExists(BankPath(project)));
    }

    void anImageThatCannotBeWrittenIsReportedAndTheDialogStaysClosed() {
        // A missing bin folder is made; a file in its place cannot be.
        QVERIFY(::rmdir((project + "/bin").c_str()) == 0);
        WriteText(project + "/bin", "not a folder");
        bool shown = updateDevice([] {});
        QVERIFY(!shown);
        QCOMPARE(rec->texts("error").size(), 1);
        QVERIFY2(rec->texts("error")[0].startsWith("Cannot create folder"),
                 qPrintable(rec->texts("error")[0]));
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
            // While waiting: timers and painting go on, the cursor is busy
            // (Cancel stays usable), and neither a key that would close the dialog nor a click on a
            // check box reaches the window.
            QTimer tick;
            QObject::connect(&tick, &QTimer::timeout, [&] {
                ++ticks;
                if (QApplication::overrideCursor() &&
                    QApplication::overrideCursor()->shape() == Qt::BusyCursor)
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

    void theRunShowsItsProgressLocksTheWindowsAndIsLogged() {
        const std::string runs = *exe / "runs";
        fakeUpdater("echo run >> '" + runs + "'\necho 'Erasing flash'\nsleep 0.8\n" +
                    "echo 'Verify failed' >&2\nexit 3\n");
        PtyPort pty;
        QStringList elapsed;
        bool locked = false, outputDuringRun = false, poked = false;
        auto* main = forms.FTessaroFirmWare;
        main->show();
        bool shown = updateDevice([&] {
            connectAndNext(pty.name);
            QTimer tick;
            QObject::connect(&tick, &QTimer::timeout, [&] {
                if (!dlg()->waitingForUpdater()) return;
                elapsed << dlg()->LabelElapsed->text();
                outputDuringRun =
                    outputDuringRun || dlg()->MemoRun->toPlainText().contains("Erasing flash");
                if (poked) return;
                poked = true;
                locked = !main->CreateBin->isEnabled() && !dlg()->btn_Execute->isEnabled() &&
                         !dlg()->CB_Project->isEnabled() && !dlg()->btn_Connect->isEnabled() &&
                         dlg()->btn_RunCancel->isEnabled() && dlg()->PanelRun->isVisible();
                // No path starts a second run or writes a new bank.bin meanwhile.
                WriteText(BankPath(project), "kept");
                main->CreateBin->click();
                PressAccessibly(main->CreateBin);
                dlg()->btn_Execute->click();
                PressAccessibly(dlg()->btn_Execute);
                QTest::keyClick(main, Qt::Key_Escape);
            });
            tick.start(100);
            dlg()->btn_Execute->click();
        });
        QVERIFY(shown);
        QVERIFY(poked);
        QVERIFY(locked);
        QVERIFY(outputDuringRun);
        QCOMPARE(QString::fromStdString(ReadText(runs)), QString("run\n"));
        QCOMPARE(bankFile(), QByteArray("kept"));
        QVERIFY(main->isVisible());
        QVERIFY2(elapsed.first().startsWith("Elapsed 0:00 of 2:30"), qPrintable(elapsed.first()));
        // Everything takes input again.
        for (QWidget* w : std::initializer_list<QWidget*>{main->CreateBin, dlg()->btn_Execute,
                                                          dlg()->CB_Project, dlg()->btn_Connect})
            QVERIFY(w->isEnabled());

        QCOMPARE(dlg()->LastRun.outcome, RunResult::Ended);
        QCOMPARE(dlg()->LastRun.exitCode, 3);
        const QString bank = QString::fromStdString(BankPath(project));
        const QString port = QString::fromStdString(pty.name);
        const QString sent = "Sent: " + bank + ", 46 bytes, CRC-32 1D648DDC";
        const QStringList memo = dlg()->MemoRun->toPlainText().split('\n');
        QCOMPARE(memo.mid(0, 3), (QStringList{"Erasing flash", "Verify failed", "----"}));
        QCOMPARE(memo.value(3), sent);
        QCOMPARE(memo.value(4), "Port: " + port);
        QVERIFY2(QRegularExpression("^Time: [01]\\.\\d s$").match(memo.value(5)).hasMatch(),
                 qPrintable(memo.value(5)));
        QCOMPARE(memo.value(6), QString("End: the updater ended with exit code 3"));
        QCOMPARE(dlg()->LabelRun->text(), QString("Update: the updater ended with exit code 3"));

        const QString log = QString::fromStdString(ReadText(project + "/bin/update.log"));
        const QRegularExpression line(
            "^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d; port " + QRegularExpression::escape(port) +
            "; steps FW FR PW PR; sent " + QRegularExpression::escape(sent.mid(6)) +
            "; [01]\\.\\d s; the updater ended with exit code 3\n$");
        QVERIFY2(line.match(log).hasMatch(), qPrintable(log));
        // OK goes back to the options.
        dlg()->btn_RunCancel->click();
        QVERIFY(!dlg()->PanelRun->isVisible());
    }

    void cancelAsksFirstThenStopsTheUpdater() {
        const std::string pidFile = *exe / "pid";
        // Not exec: what the updater started must end with it.
        fakeUpdater("echo $$ > '" + pidFile + "'\nsleep 30\n");
        WriteText(project + "/bin/update.log", "an earlier run\n");
        rec->confirmAnswers = {false, true};
        PtyPort pty;
        qint64 took = 0;
        bool shown = updateDevice([&] {
            connectAndNext(pty.name);
            QTimer tick;
            int clicks = 0;
            QObject::connect(&tick, &QTimer::timeout, [&] {
                if (dlg()->waitingForUpdater() && clicks < 2 && FileExists(pidFile)) {
                    ++clicks;
                    dlg()->btn_RunCancel->click();
                }
            });
            tick.start(200);
            QElapsedTimer t;
            t.start();
            dlg()->btn_Execute->click();
            took = t.elapsed();
        });
        QVERIFY(shown);
        QCOMPARE(rec->texts("confirm").size(), 2);
        QVERIFY(rec->texts("confirm")[0].contains("without a working configuration"));
        QCOMPARE(dlg()->LastRun.outcome, RunResult::Cancelled);
        QVERIFY2(took < 10000, QByteArray::number(took));
        pid_t pid = pid_t(std::stol(ReadText(pidFile)));
        QVERIFY(Reaped(pid));
        const QStringList log =
            QString::fromStdString(ReadText(project + "/bin/update.log")).split('\n');
        QCOMPARE(log.size(), 3);
        QCOMPARE(log[0], QString("an earlier run"));
        QVERIFY2(log[1].endsWith("; the updater was stopped (cancelled)"), qPrintable(log[1]));
    }
};

QTEST_MAIN(UpdateDeviceTest)
#include "UpdateDevice_guitest.moc"
