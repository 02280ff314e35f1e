#pragma once
#include "core/device/Process.h"
#include "gui/widgets/FormBase.h"

#include <QtGlobal>
#include <chrono>
#include <memory>
#include <string>

class QPlainTextEdit;
class TCustomComm;

// Update Device: checks that the chosen port can be opened, then runs the
// external serial updater on the project's bin folder.
class TFBootSer : public FormBase {
    Q_OBJECT
public:
    explicit TFBootSer(Workspace& ws, QWidget* parent = nullptr, Build build = Build::Now);
    ~TFBootSer() override;

    // Instructions page; bitbtn2 (Cancel) is the base's.
    QLabel *Label1{}, *Label2{}, *Label3{}, *Label4{}, *Label5{}, *Label6{};
    QComboBox* CB_Port = nullptr;
    QPushButton *btn_Connect{}, *btn_Next{};

    // Options page, laid over the whole dialog.
    QWidget* Panel1 = nullptr;
    QLabel* Label7 = nullptr;
    QCheckBox *CB_Firmware{}, *CB_ReadFirmware{}, *CB_Project{}, *CB_ReadProject{};
    QPushButton* btn_Execute = nullptr;

    // Run page, laid over the whole dialog from the start of a run until OK
    // after it: elapsed time, the updater's output, then what was done.
    QWidget* PanelRun = nullptr;
    QLabel *LabelRun{}, *LabelElapsed{};
    QProgressBar* ProgressRun = nullptr;
    QPlainTextEdit* MemoRun = nullptr;
    QPushButton* btn_RunCancel = nullptr;

    std::unique_ptr<TCustomComm> Comm1;
    // True only after the last Connect succeeded.
    bool PortChecked = false;
    // How long the updater is waited for; tests shorten it.
    std::chrono::milliseconds UpdaterTimeLimit{150000};
    // Outcome of the last updater run.
    RunResult LastRun;
    // Where the port list finds devices and what it says of them; tests use
    // fake trees.
    std::string DevFolder = "/dev";
    std::string SysfsRoot = "/sys";

    void FormShow() override;
    void btn_ConnectClick();
    void btn_NextClick();
    void btn_ExecuteClick();
    // Starts the program and returns when it has ended, was cancelled or
    // the time limit passed. Meanwhile the window shows the elapsed time and
    // the program's output and offers Cancel; every other control of every
    // window takes no input.
    RunResult RunAndWait(const std::string& program, const std::string& parameters, bool hidden);
    // The chosen entry's port as it is passed on ("COM1", or a device path).
    QString chosenPort() const;

    bool waitingForUpdater() const { return waiting_; }

protected:
    void buildControls() override;
    void hideEvent(QHideEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void refreshPorts();
    void closePort();
    void showElapsed(qint64 ms);
    bool waiting_ = false;
};
