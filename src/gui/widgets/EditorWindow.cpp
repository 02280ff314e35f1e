#include "gui/widgets/EditorWindow.h"
#include "gui/widgets/PlainText.h"

#include "core/project/Workspace.h"
#include "gui/widgets/Controls.h"
#include "gui/widgets/FindingsList.h"
#include "gui/widgets/StringGrid.h"

#include <algorithm>

#include <QAbstractButton>
#include <QBoxLayout>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTreeWidget>

EditorWindow::EditorWindow(Workspace& ws, QWidget* parent) : FormBase(ws, parent) {}

EditorWindow::EditorWindow(Workspace& ws, QWidget* parent, const Look& look,
                           std::string Workspace::*file)
    : FormBase(ws, parent, look), file_(file) {}

std::string EditorWindow::savedFile() const {
    return file_ ? ws().*file_ : std::string();
}

EditorWindow::Failure EditorWindow::FailAt(const std::string& message, QWidget* control) {
    return {FileText(message), control, nullptr, 0, 0};
}

EditorWindow::Failure EditorWindow::FailAt(const std::string& message, StringGrid* grid, int col,
                                           int row) {
    return {FileText(message), nullptr, grid, col, row};
}

void EditorWindow::setButtons(QPushButton* ok, QPushButton* cancel, QPushButton* import,
                              QPushButton* exportButton) {
    ok_ = ok;
    connect(ok, &QPushButton::clicked, this, [this] { okClick(); });
    connect(cancel, &QPushButton::clicked, this, &EditorWindow::reject);
    if (import)
        connect(import, &QPushButton::clicked, this, [this] { run([this] { importData(); }); });
    if (exportButton)
        connect(exportButton, &QPushButton::clicked, this,
                [this] { run([this] { exportData(); }); });
}

std::optional<std::string> EditorWindow::csvToImport() {
    const auto path = prompt().openFile("Import CSV", QString::fromStdString(ws().ProjectFolder),
                                        "CSV files (*.csv)|*.csv");
    return path ? std::optional(path->toStdString()) : std::nullopt;
}

std::optional<std::string> EditorWindow::csvToExport() {
    const auto path = prompt().saveFile("Export CSV", QString::fromStdString(ws().ProjectFolder),
                                        "CSV files (*.csv)|*.csv", "csv");
    return path ? std::optional(path->toStdString()) : std::nullopt;
}

void EditorWindow::addTable(const Table& table) {
    tables_.push_back(table);
}

void EditorWindow::addCheck(QBoxLayout* buttons, int at, QBoxLayout* main, int listAt) {
    BtnCheck = NewPlainButton(this, "BtnCheck", "Check");
    BtnCheck->setFixedSize(81, 27);
    buttons->insertWidget(at, BtnCheck);
    newFindings();
    main->insertWidget(listAt, LabelFindings);
    main->insertWidget(listAt + 1, ListFindings);
    connect(ListFindings, &FindingsList::lineActivated, this, [this](int i) {
        if (i >= 0 && static_cast<size_t>(i) < listed_.size())
            FocusFailure(listed_[static_cast<size_t>(i)]);
    });
}

void EditorWindow::newFindings() {
    LabelFindings = Named(new QLabel("Findings", this), "LabelFindings");
    ListFindings = Named(new FindingsList(this), "ListFindings");
    LabelFindings->setBuddy(ListFindings);
    ListFindings->setFixedHeight(110);
    LabelFindings->hide();
    ListFindings->hide();
    connect(BtnCheck, &QPushButton::clicked, this, [this] { run([this] { BtnCheckClick(); }); });
}

std::optional<EditorWindow::Failure> EditorWindow::firstFailure() {
    auto all = allFailures();
    if (all.empty()) return std::nullopt;
    return all.front();
}

void EditorWindow::BtnCheckClick() {
    listed_ = allFailures();
    QStringList lines;
    for (const Failure& f : listed_)
        lines << f.message;
    FindingCount count;
    count.errors = static_cast<int>(listed_.size());
    LabelFindings->setText(
        QString("Findings: %1").arg(QString::fromStdString(FindingSummary(count))));
    ListFindings->setLines(lines);
    LabelFindings->show();
    ListFindings->show();
}

void EditorWindow::controlsBuilt() {
    // Return may press OK and nothing else (FormBase disarmed the others).
    for (QPushButton* b : findChildren<QPushButton*>())
        b->setDefault(b == ok_);
    clearControls();
    loaded_ = savedState();
}

namespace {
// In-place editors of a grid come and go; the grid's cells hold their values.
bool InsideGrid(const QWidget* w) {
    for (const QWidget* p = w->parentWidget(); p; p = p->parentWidget())
        if (qobject_cast<const StringGrid*>(p)) return true;
    return false;
}

void AddTreeNode(const QTreeWidgetItem* node, std::vector<QString>& into) {
    for (int c = 0; c < node->columnCount(); ++c) {
        into.push_back(node->text(c));
        into.push_back(QString::number(node->checkState(c)));
    }
    into.push_back(QString::number(node->childCount()));
    for (int i = 0; i < node->childCount(); ++i)
        AddTreeNode(node->child(i), into);
}
} // namespace

void EditorWindow::addControlState(std::vector<QString>& into) const {
    // A page brought forward is raised, which reorders its parent's
    // children: the same widgets are taken in an order of their own.
    QList<QWidget*> widgets = findChildren<QWidget*>();
    std::sort(widgets.begin(), widgets.end());
    for (const QWidget* w : widgets) {
        // Windows opened from this one (byte map, bus probe) hold no data of its own.
        if (w->window() != this || qobject_cast<const FindingsList*>(w) || InsideGrid(w)) continue;
        if (auto* g = qobject_cast<const StringGrid*>(w)) {
            const auto& cells = g->gridModel()->cellTexts();
            into.push_back(QString::number(g->colCount()));
            into.insert(into.end(), cells.begin(), cells.end());
        } else if (auto* e = qobject_cast<const QLineEdit*>(w)) {
            into.push_back(e->text());
        } else if (auto* c = qobject_cast<const QComboBox*>(w)) {
            into.push_back(QString::number(c->currentIndex()) + ':' + c->currentText());
        } else if (auto* b = qobject_cast<const QAbstractButton*>(w)) {
            if (b->isCheckable()) into.push_back(b->isChecked() ? "1" : "0");
        } else if (auto* l = qobject_cast<const QListWidget*>(w)) {
            into.push_back(QString::number(l->count()));
            for (int i = 0; i < l->count(); ++i) {
                into.push_back(l->item(i)->text());
                into.push_back(QString::number(l->item(i)->checkState()));
            }
        } else if (auto* t = qobject_cast<const QTreeWidget*>(w)) {
            AddTreeNode(t->invisibleRootItem(), into);
        }
    }
}

std::vector<QString> EditorWindow::savedState() const {
    std::vector<QString> state;
    if (isBuilt()) addSavedState(state);
    return state;
}

void EditorWindow::placeWindow() {
    if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
}

void EditorWindow::showEvent(QShowEvent* e) {
    FormBase::showEvent(e);
    if (e->spontaneous()) return; // back from minimised: keep what is being edited
    placeWindow();
    reload();
}

void EditorWindow::reload() {
    // Nothing of an earlier showing or another project may stay.
    clearControls();
    // Findings of an earlier showing point at rows that may be gone.
    if (LabelFindings) LabelFindings->hide();
    if (ListFindings) {
        listed_.clear();
        ListFindings->setLines({});
        ListFindings->hide();
    }
    loadFailed_ = !run([this] { loadControls(); });
    loaded_ = savedState();
}

void EditorWindow::reject() {
    if (hasChanges() && !prompt().confirmRisky(windowTitle(), QStringLiteral("Discard changes?")))
        return;
    FormBase::reject();
}

bool EditorWindow::okClick() {
    bool saved = false;
    run([this, &saved] {
        if (!closeTableGaps()) return;
        if (auto failure = firstFailure()) {
            showFailure(*failure);
            return;
        }
        if (loadFailed_) {
            const QString name = QFileInfo(QString::fromStdString(savedFile())).fileName();
            const QString text = name + QStringLiteral(" could not be read in full. Replace it "
                                                       "with what this window shows? What was "
                                                       "not read will be lost.");
            if (!prompt().confirmRisky(windowTitle(), text)) return;
        }
        save();
        saved = true;
    });
    if (!saved) return false;
    loaded_ = savedState();
    loadFailed_ = false;
    done(Accepted);
    return true;
}

RowRule EditorWindow::ruleOf(const Table& t) const {
    RowRule rule;
    for (size_t i = 0; i < t.cols.size(); ++i) {
        if (t.cols[i] == t.endCol) rule.endColumn = i;
        for (int s : t.swapCols)
            if (t.cols[i] == s) rule.swapColumns.push_back(i);
    }
    return rule;
}

std::vector<TextRow> EditorWindow::rowsOf(const Table& t) const {
    std::vector<TextRow> rows;
    rows.reserve(static_cast<size_t>(std::max(t.grid->rowCount() - 1, 0)));
    for (int r = 1; r < t.grid->rowCount(); ++r) {
        TextRow row;
        row.reserve(t.cols.size());
        for (int c : t.cols)
            row.push_back(t.grid->cellText(c, r));
        rows.push_back(std::move(row));
    }
    return rows;
}

void EditorWindow::putRows(const Table& t, const std::vector<TextRow>& rows) {
    GridUpdate hold(t.grid);
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t i = 0; i < t.cols.size(); ++i)
            t.grid->setCellText(t.cols[i], static_cast<int>(r) + 1, rows[r][i]);
}

bool EditorWindow::closeTableGaps() {
    for (const Table& t : tables_) {
        const RowRule rule = ruleOf(t);
        std::vector<TextRow> rows = rowsOf(t);
        std::vector<size_t> stranded = StrandedRows(rows, rule);
        if (stranded.empty()) continue;
        const int end = static_cast<int>(TableEnd(rows, rule)) + 1;
        const QString key = t.grid->cell(t.endCol, 0);
        FocusCell(t.grid, t.endCol, end);
        const QString text =
            QStringLiteral(
                "Row %1 has no %2, so the table ends there: %3 row(s) with data from "
                "there on would not be saved.\nMove them up to close the gap, keep editing, "
                "or save as is without them?")
                .arg(end)
                .arg(key)
                .arg(stranded.size());
        const int answer =
            prompt().choose(windowTitle(), text,
                            {QStringLiteral("Move up"), QStringLiteral("Keep editing"),
                             QStringLiteral("Save as is")},
                            MoveUp, KeepEditing);
        if (answer == SaveAsIs) continue;
        if (answer != MoveUp) return false;
        rows = CloseGaps(rows, rule);
        putRows(t, rows);
        if (!StrandedRows(rows, rule).empty()) {
            // The row ending the table holds data itself: only the user can mend it.
            const int stillEnd = static_cast<int>(TableEnd(rows, rule)) + 1;
            FocusCell(t.grid, t.endCol, stillEnd);
            prompt().message(QStringLiteral("Row %1 has no %2, so the table ends there.")
                                 .arg(stillEnd)
                                 .arg(key));
            return false;
        }
    }
    return true;
}

void EditorWindow::showFailure(const Failure& f) {
    prompt().error(f.message);
    FocusFailure(f);
}

void EditorWindow::FocusFailure(const Failure& f) {
    if (f.grid)
        FocusCell(f.grid, f.col, f.row);
    else if (f.control)
        Reveal(f.control);
}

void EditorWindow::Reveal(QWidget* w) {
    // Every tab page on the way up comes forward.
    for (QWidget *child = w, *p = w->parentWidget(); p; child = p, p = p->parentWidget())
        if (auto* stack = qobject_cast<QStackedWidget*>(p))
            if (auto* tabs = qobject_cast<QTabWidget*>(stack->parentWidget()))
                tabs->setCurrentWidget(child);
    w->setFocus(Qt::OtherFocusReason);
}

void EditorWindow::FocusCell(StringGrid* grid, int col, int row) {
    Reveal(grid);
    grid->selectCell(col, row);
}
