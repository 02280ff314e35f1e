#pragma once
#include "core/editors/CommParams.h"
#include "gui/widgets/EditorWindow.h"

// SET COMMUNICATION: the communication parameters of pargen.xml.
class TFpargen : public EditorWindow {
    Q_OBJECT
public:
    explicit TFpargen(Workspace& ws, QWidget* parent = nullptr, Build build = Build::Now);

    // Each group box, then what it holds.
    QGroupBox *GroupBox1{}, *GroupBox2{}; // " Serial ", the physical line
    QRadioButton *RB_Ser_232{}, *RB_Ser_485{};
    QLabel *Label1{}, *Label2{}, *Label3{}, *Label4{};
    QComboBox *CB_Ser_Baud{}, *CB_Ser_Par{};
    QLineEdit *E_Ser_TO{}, *E_Ser_CD{};
    QGroupBox* GroupBox3 = nullptr; // " Protocol "
    QRadioButton *RB_Ser_MRTU{}, *RB_Ser_MASC{}, *RB_Ser_JBUS{}, *RB_Ser_BIN{}, *RB_Ser_ASC{};
    QGroupBox* GroupBox4 = nullptr; // " Write "
    QRadioButton *RB_W_Change{}, *RB_W_Cyclic{};
    QGroupBox* GroupBox5 = nullptr; // " DeviceNet "
    QLabel *Label5{}, *Label6{}, *Label7{}, *Label8{};
    QLineEdit *E_Pro_ID{}, *E_PRo_IN{}, *E_PRo_Out{};
    QComboBox* CB_Pro_Baud = nullptr;
    QGroupBox* GroupBox6 = nullptr; // " Error/Diagnosis Modbus "
    QCheckBox* CB_En_Err = nullptr;
    QLabel *Label9{}, *Label10{}, *Label11{};
    QLineEdit *E_Num_Con_Err{}, *E_Val_Canc_Data{};

    CommParams fromControls() const;
    void toControls(const CommParams& p);

protected:
    void buildControls() override;
    void clearControls() override;
    // From PargenPath, or the defaults when it is missing.
    void loadControls() override;
    std::optional<Failure> firstFailure() override;
    void save() override;
};
