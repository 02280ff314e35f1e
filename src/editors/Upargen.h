#pragma once
#include "editors/CommParams.h"
#include "widgets/FormBase.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// SET COMMUNICATION: the communication parameters of pargen.xml.
class TFpargen : public FormBase {
    Q_OBJECT
public:
    explicit TFpargen(Workspace& ws, QWidget* parent = nullptr);

    QGroupBox* GroupBox1; // " Serial "
    QGroupBox* GroupBox2; // the physical line
    QRadioButton* RB_Ser_232;
    QRadioButton* RB_Ser_485;
    QLabel* Label1;
    QComboBox* CB_Ser_Baud;
    QLabel* Label2;
    QComboBox* CB_Ser_Par;
    QLabel* Label3;
    QLineEdit* E_Ser_TO;
    QLabel* Label4;
    QLineEdit* E_Ser_CD;
    QGroupBox* GroupBox3; // " Protocol "
    QRadioButton* RB_Ser_MRTU;
    QRadioButton* RB_Ser_MASC;
    QRadioButton* RB_Ser_JBUS;
    QRadioButton* RB_Ser_BIN;
    QRadioButton* RB_Ser_ASC;
    QGroupBox* GroupBox4; // " Write "
    QRadioButton* RB_W_Change;
    QRadioButton* RB_W_Cyclic;

    QGroupBox* GroupBox5; // " DeviceNet "
    QLabel* Label5;
    QLineEdit* E_Pro_ID;
    QLabel* Label6;
    QComboBox* CB_Pro_Baud;
    QLabel* Label7;
    QLineEdit* E_PRo_IN;
    QLabel* Label8;
    QLineEdit* E_PRo_Out;
    QGroupBox* GroupBox6; // " Error/Diagnosis Modbus "
    QCheckBox* CB_En_Err;
    QLabel* Label9;
    QLabel* Label10;
    QLineEdit* E_Num_Con_Err;
    QLabel* Label11;
    QLineEdit* E_Val_Canc_Data;

    QPushButton* bitbtn1;
    QPushButton* bitbtn2;

    // Loads the controls from PargenPath, or the defaults when it is missing.
    void FormShow();
    // Checks and writes the file; false when a check failed (the dialog stays).
    bool BitBtn1Click();

    CommParams fromControls() const;
    void toControls(const CommParams& p);

protected:
    void showEvent(QShowEvent* e) override;
};
