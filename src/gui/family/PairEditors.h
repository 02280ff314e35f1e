#pragma once
#include "core/family/FamilyTables.h"
#include "core/project/XmlRows.h"
#include "gui/family/FamilyEditor.h"
#include "gui/family/FamilyIO.h"

#include <array>
#include <tuple>
#include <type_traits>

// A table kept as two grids, CAN A to B and CAN B to A, in one file: what
// such an editor reads, writes, imports and exports, stated once.
template <class Tables, size_t Titles> struct GridPairTable {
    const FamilyTable& table;
    const std::array<const char*, Titles>& titles;
    FamilyLoad (*load)(const std::string& path, Tables& into);
    // None: OK writes nothing.
    void (*save)(const std::string& path, const Tables& tables);
    void (*record)(Tables& into, int32_t kind, const std::vector<std::string>& fields);
    std::vector<std::vector<std::string>> (*lines)(const Tables& tables);
    // Whether a missing file is told ("File XML not found").
    bool tellMissing;
};

// Base of the grid-pair editors: clear, load, save, Import and Export of the
// two grids `sga` and `sgb` from their table's statement.
template <class Tables, size_t Titles> class GridPairEditor : public FamilyEditor {
public:
    using Table = GridPairTable<Tables, Titles>;
    GridPairEditor(Workspace& ws, SpreadsheetSession& excel, const Look& look,
                   std::string Workspace::*file, QWidget* parent, const Table& t)
        : FamilyEditor(ws, &excel, look, file, parent), table_(t) {}

    StringGrid *sga{}, *sgb{}; // CAN A to CAN B, CAN B to CAN A

    // Grid content as the model (both tables, every entry row).
    Tables tables() const {
        Tables t;
        constexpr size_t n =
            std::tuple_size_v<typename std::decay_t<decltype(t.rows[0])>::value_type>;
        t.rows[0] = GridRows<n>(sga);
        t.rows[1] = GridRows<n>(sgb);
        return t;
    }

protected:
    void showTables(const Tables& t) {
        ShowRows(sga, t.rows[0], table_.titles);
        ShowRows(sgb, t.rows[1], table_.titles);
    }
    void clearControls() override { showTables(Tables{}); }
    void loadControls() override {
        Tables t;
        const FamilyLoad end = table_.load(savedFile(), t);
        showTables(t);
        loadEnded(table_.tellMissing && end == FamilyLoad::NotFound, end == FamilyLoad::ReadError);
    }
    void save() override {
        if (table_.save) table_.save(savedFile(), tables());
    }
    // The grids show the rows read, or stay as they were when the import fails.
    bool importData() override {
        return importModel<Tables>(table_.table, table_.record,
                                   [this](Tables& t) { showTables(t); });
    }
    void exportData() override { exportTable(table_.table, table_.lines(tables())); }

private:
    const Table table_;
};

// A table kept as two lists of entries, CAN A and CAN B, in one file.
template <class Lists> struct ListPairTable {
    const FamilyTable& table;
    RowsLoad (*load)(const std::string& path, Lists& into);
    void (*save)(const std::string& path, const Lists& lists);
    void (*record)(Lists& into, int32_t kind, const std::vector<std::string>& fields);
    std::vector<std::vector<std::string>> (*lines)(const Lists& lists);
};

// Base of the list-pair editors: load, save, Import and Export of `Lists`
// from their table's statement; the editor shows them.
template <class L> class ListPairEditor : public FamilyEditor {
public:
    using Table = ListPairTable<L>;
    ListPairEditor(Workspace& ws, SpreadsheetSession& excel, const Look& look,
                   std::string Workspace::*file, QWidget* parent, const Table& t)
        : FamilyEditor(ws, &excel, look, file, parent), table_(t) {}

    // Both sides' entries, as the controls show them.
    L Lists;

protected:
    // Shows Lists in the emptied controls; `whole`: nothing was left unread.
    virtual void showLists(bool whole) = 0;

    void loadControls() override {
        const RowsLoad end = table_.load(savedFile(), Lists);
        showLists(end == RowsLoad::Loaded);
        loadEnded(end == RowsLoad::FileMissing, end == RowsLoad::ReadError);
    }
    void save() override { table_.save(savedFile(), Lists); }
    // The lists become the records read, or stay as they were when the import fails.
    bool importData() override {
        return importModel<L>(table_.table, table_.record, [this](L& imported) {
            clearControls();
            Lists = std::move(imported);
            showLists(true);
        });
    }
    void exportData() override { exportTable(table_.table, table_.lines(Lists)); }
    // The entries, not the fields of the one shown: OK saves the entries.
    void addSavedState(std::vector<QString>& into) const override {
        AddLinesState(table_.lines(Lists), into);
    }

private:
    const Table table_;
};
