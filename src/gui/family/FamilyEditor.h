#pragma once
#include "core/family/ImportExport.h"
#include "gui/widgets/EditorWindow.h"

#include <QPushButton>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QHBoxLayout;
class SpreadsheetSession;

// Base of the family editors: the editor life cycle, plus the button row
// below their pages, the load notices of their files, Import through the
// workbook session the editor was handed and Export to <ProjectFolder>/<name>.csv.
class FamilyEditor : public EditorWindow {
    Q_OBJECT
public:
    // Without a session the editor has no Import and Export. `file` is the
    // workspace's path of the file OK writes.
    FamilyEditor(Workspace& ws, SpreadsheetSession* excel, const Look& look,
                 std::string Workspace::*file, QWidget* parent);

    // The pages and the buttons every family editor names alike; the OK
    // button's name is each editor's own.
    QTabWidget* PageControl1 = nullptr;
    QPushButton* bitbtn4 = nullptr; // Import
    QPushButton* button1 = nullptr; // Export

protected:
    // Creates PageControl1.
    void newPages();
    // Import and Export on the left, OK (named `okName`, answered) and
    // Cancel on the right, below the pages.
    QPushButton* layOut(const char* okName);
    // The row of buttons layOut made.
    QHBoxLayout* buttonRow = nullptr;

    // "File XML not found" is told and the editor opens empty; a file read
    // only in part fails the load ("Error in reading file XML").
    void loadEnded(bool missing, bool readError);

    // Shows the workbook chooser (the last workbook preselected); a cancel
    // changes nothing. The handlers build the import aside; `commit` shows it,
    // and runs only when the whole worksheet was read and taken. Any failure
    // leaves the editor as it was and throws TessaroError with the file and
    // the reason.
    std::optional<ImportOutcome> importTable(const FamilyTable& table,
                                             const ImportHandlers& handlers,
                                             const std::function<void()>& commit);
    void exportTable(const FamilyTable& table, const std::vector<std::vector<std::string>>& lines);
    // Import into a new model: `record` adds each record to it, and `commit`
    // takes it once the whole worksheet was read. True when it was taken.
    template <class Model>
    bool importModel(const FamilyTable& table,
                     void (*record)(Model& into, int32_t kind, const std::vector<std::string>&),
                     const std::function<void(Model&)>& commit) {
        Model m;
        ImportHandlers h;
        h.record = [&](int32_t kind, const std::vector<std::string>& f) { record(m, kind, f); };
        return importTable(table, h, [&] { commit(m); }).has_value();
    }

    // A command shared by both tabs: a click runs `handler` with the button
    // as sender, which tells the handler its tab.
    template <class Editor> void onClick(QPushButton* button, void (Editor::*handler)(QObject*)) {
        connect(button, &QPushButton::clicked, this, [this, button, handler] {
            run([&] { (static_cast<Editor*>(this)->*handler)(button); });
        });
    }
    // A model's lines (as Export writes them) as the texts of addSavedState.
    static void AddLinesState(const std::vector<std::vector<std::string>>& lines,
                              std::vector<QString>& into);
    // A tab's row of entry buttons: Delete at the left, New and Modify at the right.
    static QHBoxLayout* EntryButtonRow(QPushButton* del, QPushButton* add, QPushButton* modify);
    // A new button of a tab's page that runs such a command.
    template <class Editor>
    QPushButton* newCommand(QWidget* page, const QString& name, const QString& text,
                            void (Editor::*handler)(QObject*)) {
        auto* button = new QPushButton(text, page);
        button->setObjectName(name);
        onClick(button, handler);
        return button;
    }

    // Pages laid out by hand follow the window's size: `relayout` runs when
    // the window or one of `watched` is resized.
    void followResize(std::initializer_list<QWidget*> watched, std::function<void()> relayout);
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    SpreadsheetSession* excel_;
    std::vector<QWidget*> resizeWatched_;
    std::function<void()> relayout_;
};
