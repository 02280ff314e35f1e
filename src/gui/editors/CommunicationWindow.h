#pragma once
#include "core/editors/CommParams.h"
#include "gui/widgets/EditorWindow.h"

// SET COMMUNICATION: the communication parameters of pargen.xml.
class TFpargen : public EditorWindow {
    Q_OBJECT
public:
    explicit TFpargen(Workspace& ws, QWidget* parent = nullptr, Build build = Build::Now);

    QGroupBox* GroupBox1 = nullptr; // " Serial "
    QGroupBox* GroupBox2 = nullptr; // the physical line
    QRadioButton* RB_Ser_232 = nullptr;
    QRadioButton* RB_Ser_485 = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* CB_Ser_Baud = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* CB_Ser_Par = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* E_Ser_TO = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* E_Ser_CD = nullptr;
    QGroupBox* GroupBox3 = nullptr; // " Protocol "
    QRadioButton* RB_Ser_MRTU = nullptr;
    QRadioButton* RB_Ser_MASC = nullptr;
    QRadioButton* RB_Ser_JBUS = nullptr;
    QRadioButton* RB_Ser_BIN = nullptr;
    QRadioButton* RB_Ser_ASC = nullptr;
    QGroupBox* GroupBox4 = nullptr; // " Write "
    QRadioButton* RB_W_Change = nullptr;
    QRadioButton* RB_W_Cyclic = nullptr;

    QGroupBox* GroupBox5 = nullptr; // " DeviceNet "
    QLabel* Label5 = nullptr;
    QLineEdit* E_Pro_ID = nullptr;
    QLabel* Label6 = nullptr;
    QComboBox* CB_Pro_Baud = nullptr;
    QLabel* Label7 = nullptr;
    QLineEdit* E_PRo_IN = nullptr;
    QLabel* Label8 = nullptr;
    QLineEdit* E_PRo_Out = nullptr;
    QGroupBox* GroupBox6 = nullptr; // " Error/Diagnosis Modbus "
    QCheckBox* CB_En_Err = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* Label10 = nullptr;
    QLineEdit* E_Num_Con_Err = nullptr;
    QLabel* Label11 = nullptr;
    QLineEdit* E_Val_Canc_Data = nullptr;

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
