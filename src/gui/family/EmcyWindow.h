#pragma once
#include "core/family/EmcyTable.h"
#include "gui/family/PairEditors.h"

#include <array>

class QListWidget;

// "Set Traslate EMCY": emcydef.xml, the EMCY messages passed from CAN A to
// CAN B and from CAN B to CAN A.
class TFemcy : public ListPairEditor<EmcyLists> {
    Q_OBJECT
public:
    // `excel` is the workbook session Import reads through.
    TFemcy(Workspace& ws, SpreadsheetSession& excel, QWidget* parent = nullptr,
           Build build = Build::Now);

    // Each control of the tabs "From CAN A" and "From CAN B".
    QListWidget *LBCanA{}, *LBCanB{};
    QLineEdit *Eid_devA{}, *Emask_eq_ecA{}, *Emask_eq_erA{}, *Emask_eq_m1A{}, *Emask_eq_m2A{},
        *Emask_eq_m3A{}, *Eenmask_eq_ecA{}, *Eenmask_eq_erA{}, *Eenmask_eq_m1A{}, *Eenmask_eq_m2A{},
        *Eenmask_eq_m3A{};
    QLineEdit *Eid_devB{}, *Emask_eq_ecB{}, *Emask_eq_erB{}, *Emask_eq_m1B{}, *Emask_eq_m2B{},
        *Emask_eq_m3B{}, *Eenmask_eq_ecB{}, *Eenmask_eq_erB{}, *Eenmask_eq_m1B{}, *Eenmask_eq_m2B{},
        *Eenmask_eq_m3B{};
    QCheckBox *enablea{}, *enableb{};
    QGroupBox *GroupBoxA{}, *GroupBoxB{};
    QRadioButton *r1a{}, *r2a{}, *r3a{}, *r4a{}, *r5a{}, *r6a{}, *r7a{}, *r8a{}, *r9a{};
    QRadioButton *r1b{}, *r2b{}, *r3b{}, *r4b{}, *r5b{}, *r6b{}, *r7b{}, *r8b{}, *r9b{};
    QPushButton *DeleteA{}, *NewA{}, *ModifyA{}, *DeleteB{}, *NewB{}, *ModifyB{};
    QPushButton* LbButton1 = nullptr; // OK

    // Lists (EmcyListA and EmcyListB) is the base's; row i of LBCanA / LBCanB
    // shows entry i's ID.

    void LBCanAClick(QObject* sender);
    void NewAClick(QObject* sender);
    void ModifyAClick(QObject* sender);
    void DeleteAClick(QObject* sender);
    bool IdRejected(const std::string& newId, const std::string& oldId, int side, bool isNew);

    // The edits of a tab in the order of the entry's texts (EmcyFieldNames).
    QLineEdit* fieldEdit(int side, int field) const { return edits_[side][field]; }
    // The option of a tab for a translation target 0..8.
    QRadioButton* targetOption(int side, int target) const { return options_[side][target]; }

protected:
    void buildControls() override;
    void clearControls() override;
    void showLists(bool whole) override;

private:
    QWidget* buildTab(int side);
    int sideOf(QObject* sender) const;
    QListWidget* listBox(int side) const { return side ? LBCanB : LBCanA; }
    int selectedRow(int side) const;
    void showEntry(int side, int row);
    TClEmcy entryFromTab(int side) const;
    // Shows why New and Modify refuse the tab's target choice; true if they must.
    bool targetRefused(int side);
    void appendEntry(int side, TClEmcy entry);

    std::array<std::array<QLineEdit*, EmcyTextCount>, 2> edits_{};
    std::array<std::array<QRadioButton*, EmcyMaxTarget + 1>, 2> options_{};
    // Tells of a stored target that is none of the options (hidden otherwise).
    std::array<QLabel*, 2> storedTarget_{};
};
