#pragma once
#include "core/device/BusScan.h"
#include "gui/widgets/FormBase.h"
#include "gui/widgets/PlainText.h"
#include "gui/widgets/Prompt.h"

#include <QComboBox>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class QListWidget;
class QSpinBox;

// Makes a bus tool with `options` and opens it on the port `port` names; a
// port that cannot be opened is said, no tool is kept and false is returned.
template <class Tool, class Options>
bool OpenOnPort(std::unique_ptr<Tool>& tool, const Options& options, const QComboBox* port,
                Prompt& prompt) {
    tool = std::make_unique<Tool>(options);
    try {
        tool->Open(port->currentText().trimmed().toStdString());
        return true;
    } catch (const EProbePort& e) {
        tool.reset();
        prompt.error(FileText(e.what()) + ".");
        return false;
    }
}

// Scan from "Test on bus": which slave IDs answer at which baud rate and
// parity. The scan runs on a worker thread; what it finds comes back as
// queued signals, so the window never waits on the line.
class TFBusScan : public FormBase {
    Q_OBJECT
public:
    // `port` and `protocol` as the probe window has them.
    TFBusScan(Workspace& ws, QWidget* parent, const QString& port, int protocol);
    ~TFBusScan() override;

    QLabel *Label_Port{}, *Label_Ids{}, *Label_Timeout{}, *Label_Protocol{}, *Label_Found{};
    QLabel* Label_Summary = nullptr;
    QComboBox* CB_Port = nullptr;
    QLineEdit* E_Ids = nullptr;
    QSpinBox* SE_Timeout = nullptr;
    QGroupBox *GB_Bauds{}, *GB_Parities{};
    std::vector<QCheckBox*> CB_Bauds;    // one a rate of the communication list
    std::vector<QCheckBox*> CB_Parities; // none, even, odd
    QCheckBox* CB_All = nullptr;
    QPushButton *btn_Start{}, *btn_Stop{}, *btn_Use{}, *btn_Close{};
    QProgressBar* PB_Scan = nullptr;
    QListWidget* LB_Found = nullptr;

    void btn_StartClick();
    void btn_StopClick();
    // Writes the selected slave's (else the first one's) baud rate and parity
    // into the communication parameters after a question naming both.
    void btn_UseClick();

    bool running() const { return busy_; }
    const std::vector<ScanFound>& found() const { return found_; }

signals:
    void progressed(const QString& text, int step, int steps);
    void slaveFound();
    void scanEnded(const QString& summary, const QString& error);
    // After "Use these settings" wrote the file.
    void lineApplied();

protected:
    void buildControls() override;
    void closeEvent(QCloseEvent* e) override;
    void reject() override;

private:
    void onFound();
    void onEnded(const QString& summary, const QString& error);
    void setBusy(bool busy);
    void stopAndJoin();

    QString port_;
    int protocol_ = 0;
    std::unique_ptr<BusScan> scan_;
    std::thread worker_;
    std::mutex foundMutex_;
    std::vector<ScanFound> pending_; // found by the worker, not yet listed
    std::vector<ScanFound> found_;
    bool busy_ = false;
};
