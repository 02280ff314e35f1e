#pragma once
#include "device/Process.h"
#include "widgets/FormBase.h"

#include <chrono>
#include <memory>
#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QWidget;
class TCustomComm;

// Update Device: checks that the chosen port can be opened, then runs the
// external serial updater on the project's bin folder.
class TFBootSer : public FormBase {
    Q_OBJECT
public:
    explicit TFBootSer(Workspace& ws, QWidget* parent = nullptr);
    ~TFBootSer() override;

    // Instructions page.
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QComboBox* CB_Port;
    QPushButton* btn_Connect;
    QPushButton* btn_Next;
    QPushButton* bitbtn2;

    // Options page, laid over the whole dialog.
    QWidget* Panel1;
    QLabel* Label7;
    QCheckBox* CB_Firmware;
    QCheckBox* CB_ReadFirmware;
    QCheckBox* CB_Project;
    QCheckBox* CB_ReadProject;
    QPushButton* btn_Execute;

    std::unique_ptr<TCustomComm> Comm1;
    // True only after the last Connect succeeded.
    bool PortChecked = false;
    // How long the updater is waited for; tests shorten it.
    std::chrono::milliseconds UpdaterTimeLimit{150000};
    // Outcome of the last updater run.
    RunResult LastRun;

    void FormShow();
    void btn_ConnectClick();
    void btn_NextClick();
    void btn_ExecuteClick();
    // Starts the program and waits for it, keeping the window painted but
    // taking no input meanwhile.
    RunResult RunAndWait(const std::string& program, const std::string& parameters, bool hidden);

    bool waitingForUpdater() const { return waiting_; }

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void refreshPorts();
    void closePort();
    bool waiting_ = false;
};
