#pragma once
#include "core/device/BusProbe.h"
#include "gui/widgets/FormBase.h"

#include <optional>
#include <thread>
#include <vector>

// Test on bus: polls the access map's rows on a serial adapter and shows per
// row what the slave answered. The probe runs on a worker thread; its results
// come back as queued signals.
class TFBusProbe : public FormBase {
    Q_OBJECT
public:
    explicit TFBusProbe(Workspace& ws, QWidget* parent = nullptr, Build build = Build::Now);
    ~TFBusProbe() override;

    QLabel *Label_Port{}, *Label_DataBits{}, *Label_StopBits{};
    QComboBox *CB_Port{}, *CB_DataBits{}, *CB_StopBits{};
    QRadioButton *RB_Once{}, *RB_Repeat{};
    QPushButton *btn_Start{}, *btn_Stop{};
    QLabel* Label_Line = nullptr; // protocol, baud, parity, time-out of the project
    QLabel *Label_Results{}, *Label_Summary{}, *Label_Values{};
    StringGrid* sg_Results = nullptr;
    QLineEdit* E_WriteValues = nullptr;
    QPushButton *btn_Write{}, *btn_Export{}, *btn_Close{};
    // How the values column shows registers: the probe's own text, or one form.
    QLabel* Label_ShowAs = nullptr;
    QComboBox* cbShowAs = nullptr;
    QPushButton* btn_Scan = nullptr;

    // The rows to probe: the project's files, or the access-map window's grids.
    void loadProject();
    void setAccessMap(const AccessMap& map);

    // Loads the project's rows unless the access-map window handed some in.
    void FormShow() override;
    void btn_StartClick();
    void btn_StopClick();
    // Writes the values of E_WriteValues to the selected write-table row after
    // a question naming slave, address and values.
    void btn_WriteClick();
    void btn_ExportClick();
    // Opens the scan over the chosen port.
    void btn_ScanClick();
    // The chosen form; none is the probe's own "0xFFFE 65534 -2".
    std::optional<ValueForm> showAs() const;
    // The project's line settings again (after the scan changed them).
    void reloadLine();

    bool running() const { return worker_.joinable() && busy_; }
    const std::vector<ProbeRow>& rows() const { return plan_.Rows; }
    const std::vector<std::optional<ProbeResult>>& results() const { return results_; }
    QString summaryText() const;

    // Opens the window over the access-map window's current rows.
    static TFBusProbe* openFor(Workspace& ws, QWidget* parent, const AccessMap& map);

signals:
    void rowDone(int index, const ProbeResult& result);
    void runEnded(const QString& error);

protected:
    void buildControls() override;
    void closeEvent(QCloseEvent* e) override;
    void reject() override;

private:
    void fillGrid();
    void showValues(size_t index);
    void showResult(int index, const ProbeResult& r);
    void onRunEnded(const QString& error);
    void setBusy(bool busy);
    void joinWorker();
    // Opens the probe on the chosen port; false (after saying why) when it cannot.
    bool openProbe();

    ProbePlan plan_;
    std::vector<std::optional<ProbeResult>> results_;
    std::vector<std::vector<uint16_t>> lastValues_; // last answer of each row
    std::unique_ptr<BusProbe> probe_;
    std::thread worker_;
    bool busy_ = false;
    bool planLoaded_ = false;
};
