#pragma once
#include "core/family/StoredPdo.h"
#include "gui/family/FamilyEditor.h"

#include <QHash>
#include <string>

class QListWidget;
class QListWidgetItem;

// "Define Store PDO": for every PDO of the translation table, the SDO objects
// that receive its bytes. Reads sdo.xml, rpdodef.xml and sdopdo.xml on every
// showing and writes sdopdo.xml on OK.
class TFInfopdo : public FamilyEditor {
    Q_OBJECT
public:
    // `excel` is the workbook session Import reads through.
    TFInfopdo(Workspace& ws, SpreadsheetSession& excel, QWidget* parent = nullptr,
              Build build = Build::Now);

    // Each control of the two tabs, CAN A then CAN B.
    QWidget *CanA{}, *CanB{};
    QListWidget *LPdoCanA{}, *LPdoCanB{}, *LSdoCanA{}, *LSdoCanB{};
    QLineEdit *EindexA{}, *EindexB{}, *EsubindexA{}, *EsubindexB{};
    QComboBox *PoscompMsbA{}, *PoscompMsbB{}, *PoscompLsbA{}, *PoscompLsbB{};
    QPushButton *DELETEa{}, *Deleteb{}, *NewA{}, *Newb{}, *ModifyA{}, *Modifyb{};
    QPushButton *copyA{}, *copyB{}, *PasteA{}, *PasteB{};
    QPushButton* LbButton1 = nullptr; // OK

    // Shared by both tabs; the sender tells the tab.
    void LPdoCanAClick(QObject* sender);
    void LSdoCanAClick(QObject* sender);
    void DeleteAClick(QObject* sender);
    void NewAClick(QObject* sender);
    void ModifyAClick(QObject* sender);
    void CopyAClick(QObject* sender);
    void PasteAClick(QObject* sender);

    const StoredPdoModel& model() const { return model_; }

protected:
    void buildControls() override;
    void clearControls() override;
    void loadControls() override;
    void save() override;
    bool importData() override;
    void exportData() override;
    // The stored entries, not the fields of the one shown.
    void addSavedState(std::vector<QString>& into) const override {
        AddLinesState(StoredExportLines(model_), into);
    }

private:
    struct Tab {
        QListWidget* pdos;
        QListWidget* sdos;
        QLineEdit* index;
        QLineEdit* subindex;
        QComboBox* msb;
        QComboBox* lsb;
        QPushButton *del, *add, *modify, *copy, *paste;
        // Copy buffer: index, subindex, byte selection; kept between showings.
        std::string bufIndex, bufSubindex, bufPoscomp;
    };
    Tab tab_[2];
    StoredPdoModel model_;

    // The selected PDO's entry list and the selected entry; no list when
    // nothing valid is selected.
    struct SelectedEntry {
        std::vector<TClSdo>* entries;
        int pdo, entry;
    };
    SelectedEntry selectedEntry(int side);

    int sideOf(QObject* sender) const;
    void clearTab(int side);
    std::string selection(int side) const;
    void setSelection(int side, const std::string& poscomp);
    // Shows the reason and returns true when a byte selection is none of the choices.
    bool selectionRefused(int side);
    // Line each list moved to last; the click ending that move is not run again.
    QHash<QListWidget*, QListWidgetItem*> movedTo_;
    void buildTab(int side, QWidget* page);
};
