#pragma once
#include "core/device/FirmwareComposer.h"
#include "gui/widgets/FormBase.h"

#include <array>

class QFrame;

// "Generate Firmware": merges the project's banks into the factory firmware
// and starts the flash programmer on the result.
class TFModifyFileSx : public FormBase {
    Q_OBJECT
public:
    explicit TFModifyFileSx(Workspace& ws, QWidget* parent = nullptr, Build build = Build::Now);

    QPushButton* LbButton1 = nullptr; // "X"
    QLabel *LabelPort{}, *Label1{};
    QComboBox* cbport = nullptr;
    QPushButton* UpdateFirmware = nullptr; // "Execute update firmware"
    QProgressBar* ProgressBar1 = nullptr;
    // Hidden in this product.
    QPushButton *OpenFirmware{}, *Options{}, *DirBin{}, *ModifySx{}, *UpdateFirmware2{};
    QFrame* PanelBank = nullptr;
    std::array<QCheckBox*, BankCount> CB_Bank;
    QLineEdit* NewFileSx = nullptr;

    FirmwareComposer composer;
    // Which banks showing the dialog offers; the product's variant unless a
    // test sets another.
    int variant;

    void FormShow() override;
    void UpdateFirmwareClick();
    void ModifySxClick();
    void UpdateFirmware2Click();
    void OpenFirmwareClick();
    void OptionsClick();
    void DirBinClick();
    void LbButton1Click();

    // The composition and the start of the flash programmer.
    void ComposeFirmware();
    void UpdateDevice();

    // True while bank i's box is coloured red (its range was absent).
    bool bankMarked(int bank) const;

protected:
    void buildControls() override;

private:
    void setBankMarked(int bank, bool marked);
    void firmwareChosen(const std::string& folder, const std::string& name);
};
