#pragma once
#include "core/editors/TableRows.h"
#include "gui/widgets/FormBase.h"

#include <optional>
#include <string>
#include <vector>

class FindingsList;
class QBoxLayout;

// Base of every editor window. It owns the life cycle: build on first
// showing, centre, empty the controls and load them from the project on every
// showing, OK = table gaps, checks (the first failure is shown and its control
// or cell gets the focus), then save and close; Cancel, Esc and the close box
// ask before discarding changes. A load that failed is reported, and OK then
// asks before replacing the file that was not read in full.
//
// An editor says only what is its own: its look and the workspace's path of
// the file it saves, its controls (buildControls, then setButtons and
// addTable), clearControls, loadControls, its checks (allFailures or
// firstFailure) and save.
class EditorWindow : public FormBase {
    Q_OBJECT
public:
    explicit EditorWindow(Workspace& ws, QWidget* parent = nullptr);
    // `file` is the workspace's path of the file save() replaces.
    EditorWindow(Workspace& ws, QWidget* parent, const Look& look,
                 std::string Workspace::*file = nullptr);

    // Where a failed check points: a control, or a grid cell in grid numbering.
    struct Failure {
        QString message;
        QWidget* control = nullptr;
        StringGrid* grid = nullptr;
        int col = 0;
        int row = 0;
    };
    static Failure FailAt(const std::string& message, QWidget* control);
    static Failure FailAt(const std::string& message, StringGrid* grid, int col, int row);

    // The gap question's buttons, in order; "Move up" is the default.
    enum GapAnswer { MoveUp, KeepEditing, SaveAsIs };

    // OK: true when the data was saved and the window closed.
    bool okClick();
    // Cancel, Esc and the close box.
    void reject() override;

    // A control holds another value than the last load put there (whatever
    // input changed it: mouse, keys, accessibility, the program's Import).
    bool hasChanges() const { return savedState() != loaded_; }
    // The last load ended in an error: the file shown was not read in full.
    bool loadFailed() const { return loadFailed_; }
    // Empties the controls and loads them from the project; errors are reported.
    void reload();

    // "Check", when the editor has it: every failure into ListFindings,
    // shown from the first Check on. Nothing is saved.
    QPushButton* BtnCheck = nullptr;
    QLabel* LabelFindings = nullptr;
    FindingsList* ListFindings = nullptr;
    virtual void BtnCheckClick();

    // "Import..." and "Export..." of an editor that exchanges its table as CSV
    // (AddCsvButtons); setButtons makes them run importData and exportData.
    QPushButton* btnImportCsv = nullptr;
    QPushButton* btnExportCsv = nullptr;

protected:
    // Puts every control in the state of a new project.
    virtual void clearControls() = 0;
    // Shows the project's data; on an error shows what was read, then throws.
    virtual void loadControls() = 0;
    // Every failing check, in the order the checks run; what Check lists.
    // None by default: an editor without checks.
    virtual std::vector<Failure> allFailures() { return {}; }
    // The first failing check, what OK stops at; by default the first of
    // allFailures. An editor whose checks can stop early gives its own.
    virtual std::optional<Failure> firstFailure();
    // Writes the controls to the project.
    virtual void save() = 0;
    // The file save() replaces, named in the question after a failed load;
    // by default the one the constructor was given.
    virtual std::string savedFile() const;
    // Optional Import and Export; importData answers whether it changed the window.
    virtual bool importData() { return false; }
    virtual void exportData() {}
    // The CSV file to import or export, chosen in the project folder; none
    // when the user cancels.
    std::optional<std::string> csvToImport();
    std::optional<std::string> csvToExport();
    // Where the window goes on each showing.
    virtual void placeWindow();

    // Called while building: OK (the only button Return may press), Cancel,
    // and the optional Import and Export.
    void setButtons(QPushButton* ok, QPushButton* cancel, QPushButton* import = nullptr,
                    QPushButton* exportButton = nullptr);
    // A table ended by its first row with an empty `endCol` (grid columns;
    // swapCols as RowRule says). Rows 1.. of the grid are the table's rows.
    struct Table {
        StringGrid* grid = nullptr;
        std::vector<int> cols;
        int endCol = 1;
        std::vector<int> swapCols;
    };
    void addTable(const Table& table);
    // Called while building: puts Check into `buttons` at `at` and the hidden
    // findings label and list into `main` at `listAt`.
    void addCheck(QBoxLayout* buttons, int at, QBoxLayout* main, int listAt);
    // Makes the hidden findings label and list, for a window that lays out
    // Check (made already) and the list itself; Check runs BtnCheckClick.
    void newFindings();
    // For loadControls: reads `doc` from savedFile() with `read`, then shows
    // it with `show`; what was read before a failure is shown too.
    template <class Doc, class Show>
    void showRead(void (*read)(const std::string& path, Doc& into), Doc doc, Show show) {
        try {
            read(savedFile(), doc);
        } catch (...) {
            show(doc);
            throw;
        }
        show(doc);
    }
    // What OK would keep, as texts compared with the ones of the last load:
    // by default every control's value (addControlState). An editor whose
    // controls show one entry of a model at a time states the model instead.
    virtual void addSavedState(std::vector<QString>& into) const { addControlState(into); }
    // Edit boxes, drop-downs, checkable buttons, list entries, tree nodes and
    // grid cells, in the order of the window's children.
    void addControlState(std::vector<QString>& into) const;

    void controlsBuilt() override;
    void showEvent(QShowEvent* e) override;

    // Brings the control's tab page forward and gives it the focus.
    static void Reveal(QWidget* w);
    static void FocusCell(StringGrid* grid, int col, int row);

private:
    std::vector<QString> savedState() const;
    std::vector<TextRow> rowsOf(const Table& t) const;
    void putRows(const Table& t, const std::vector<TextRow>& rows);
    RowRule ruleOf(const Table& t) const;
    // False when OK must stop here (the user keeps editing).
    bool closeTableGaps();
    void showFailure(const Failure& f);
    static void FocusFailure(const Failure& f);

    std::string Workspace::*file_ = nullptr;
    QPushButton* ok_ = nullptr;
    std::vector<Table> tables_;
    std::vector<Failure> listed_; // what ListFindings shows, line by line
    std::vector<QString> loaded_; // savedState() after the last load
    bool loadFailed_ = false;
};
