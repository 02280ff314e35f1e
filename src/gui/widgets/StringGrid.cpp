#include "gui/widgets/StringGrid.h"

#include "core/tools/TabText.h"
#include "gui/widgets/FormBase.h"

#include <QAbstractButton>
#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QHideEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QStyleOptionHeader>
#include <QStylePainter>
#include <QStyledItemDelegate>
#include <QUndoStack>
#include <algorithm>
#include <climits>

namespace {
const QString kEmpty;

// Drop-down limited to the column's items.
class PickDelegate : public QStyledItemDelegate {
public:
    PickDelegate(GridModel* model, QObject* parent) : QStyledItemDelegate(parent), model_(model) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        int col = index.column() + model_->fixedCols();
        if (model_->kind(col) != GridModel::Kind::Pick)
            return QStyledItemDelegate::createEditor(parent, option, index);
        auto* box = new QComboBox(parent);
        box->setEditable(false);
        box->addItems(model_->items(col));
        return box;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        if (auto* box = qobject_cast<QComboBox*>(editor)) {
            box->setCurrentIndex(box->findText(index.data(Qt::EditRole).toString()));
            return;
        }
        QStyledItemDelegate::setEditorData(editor, index);
    }
    void setModelData(QWidget* editor, QAbstractItemModel* m,
                      const QModelIndex& index) const override {
        if (auto* box = qobject_cast<QComboBox*>(editor)) {
            if (box->currentIndex() >= 0) m->setData(index, box->currentText(), Qt::EditRole);
            return;
        }
        QStyledItemDelegate::setModelData(editor, m, index);
    }

private:
    GridModel* model_;
};

// The row-title header. Its width is mostly set outright (column 0's width),
// yet Qt would measure the text of up to 200 row titles for a size hint that
// the view then clamps to that width; with a fixed width, that is the hint.
class RowHeader : public QHeaderView {
public:
    explicit RowHeader(QWidget* parent) : QHeaderView(Qt::Vertical, parent) {
        // As the view's own row header.
        setSectionsClickable(true);
        setHighlightSections(true);
    }
    QSize sizeHint() const override {
        if (minimumWidth() == maximumWidth()) return {maximumWidth(), defaultSectionSize()};
        return QHeaderView::sizeHint();
    }
};

// The column-title header. For its height Qt measures the text of every title
// at each geometry update of the view; one-line titles in one font are all
// one line high, so one measure serves until the font or style changes.
class ColumnHeader : public QHeaderView {
public:
    explicit ColumnHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}
    QSize sizeHint() const override {
        int titled = -1;
        for (int i = 0; model() && i < count(); ++i) {
            const QString t = model()->headerData(i, orientation()).toString();
            if (t.contains('\n')) return QHeaderView::sizeHint();
            if (titled < 0 && !t.isEmpty()) titled = i;
        }
        if (titled < 0) return QHeaderView::sizeHint();
        if (height_ < 0) height_ = sectionSizeFromContents(titled).height();
        return {length(), height_};
    }

protected:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::FontChange || e->type() == QEvent::StyleChange) height_ = -1;
        return QHeaderView::event(e);
    }

private:
    mutable int height_ = -1;
};
} // namespace

GridModel::GridModel(QObject* parent) : QAbstractTableModel(parent) {}

void GridModel::resize(int cols, int rows) {
    cols = std::max(cols, 1);
    rows = std::max(rows, 1);
    if (cols == cols_ && rows == rows_) return;
    beginResetModel();
    std::vector<QString> next(static_cast<size_t>(cols * rows));
    for (int r = 0; r < std::min(rows, rows_); ++r)
        for (int c = 0; c < std::min(cols, cols_); ++c)
            next[static_cast<size_t>(r * cols + c)] = cells_[static_cast<size_t>(idx(c, r))];
    cells_.swap(next);
    cols_ = cols;
    rows_ = rows;
    columns_.resize(static_cast<size_t>(cols));
    endResetModel();
    emit contentReplaced();
}

void GridModel::setFixedCols(int n) {
    beginResetModel();
    fixedCols_ = std::clamp(n, 0, 1);
    endResetModel();
    emit contentReplaced();
}

const QString& GridModel::cell(int col, int row) const {
    if (col < 0 || row < 0 || col >= cols_ || row >= rows_) return kEmpty;
    return cells_[static_cast<size_t>(idx(col, row))];
}

void GridModel::setCell(int col, int row, const QString& text) {
    if (col < 0 || row < 0 || col >= cols_ || row >= rows_) return;
    QString& c = at(col, row);
    if (c == text) return;
    c = text;
    if (updating_ > 0) {
        if (row == 0)
            changedColTitles_ = changedColTitles_ || col >= fixedCols_;
        else if (col < fixedCols_)
            changedRowTitles_ = true;
        else
            changedData_ = true;
        return;
    }
    if (row == 0) {
        if (col >= fixedCols_)
            emit headerDataChanged(Qt::Horizontal, col - fixedCols_, col - fixedCols_);
    } else if (col < fixedCols_) {
        emit headerDataChanged(Qt::Vertical, row - 1, row - 1);
    } else {
        QModelIndex i = index(row - 1, col - fixedCols_);
        emit dataChanged(i, i);
    }
}

void GridModel::clearData() {
    for (int r = 1; r < rows_; ++r)
        for (int c = fixedCols_; c < cols_; ++c)
            at(c, r).clear();
    if (updating_ > 0)
        changedData_ = true;
    else if (rowCount() > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    emit contentReplaced();
}

void GridModel::endUpdate() {
    if (updating_ == 0 || --updating_ > 0) return;
    const int rows = rowCount(), cols = columnCount();
    if (changedColTitles_ && cols > 0) emit headerDataChanged(Qt::Horizontal, 0, cols - 1);
    if (changedRowTitles_ && rows > 0) emit headerDataChanged(Qt::Vertical, 0, rows - 1);
    const bool replaced = changedData_ && !userChange_;
    if (changedData_ && rows > 0 && cols > 0)
        emit dataChanged(index(0, 0), index(rows - 1, cols - 1));
    changedColTitles_ = changedRowTitles_ = changedData_ = false;
    if (replaced) emit contentReplaced();
}

void GridModel::setKind(int col, Kind kind, const QStringList& items) {
    if (col < 0 || col >= cols_) return;
    columns_[static_cast<size_t>(col)].kind = kind;
    columns_[static_cast<size_t>(col)].items = items;
}

GridModel::Kind GridModel::kind(int col) const {
    return col >= 0 && col < cols_ ? columns_[static_cast<size_t>(col)].kind : Kind::Text;
}

QStringList GridModel::items(int col) const {
    return col >= 0 && col < cols_ ? columns_[static_cast<size_t>(col)].items : QStringList();
}

void GridModel::setReadOnly(int col, bool ro) {
    if (col >= 0 && col < cols_) columns_[static_cast<size_t>(col)].readOnly = ro;
}

bool GridModel::isReadOnly(int col) const {
    return col < fixedCols_ || col >= cols_ || columns_[static_cast<size_t>(col)].readOnly;
}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_ - 1;
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : cols_ - fixedCols_;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    int col = index.column() + fixedCols_, row = index.row() + 1;
    const QString& text = cell(col, row);
    if (kind(col) == Kind::Check) {
        if (role == Qt::CheckStateRole) return text == "Y" ? Qt::Checked : Qt::Unchecked;
        if (role == Qt::EditRole) return text;
        if (role == Qt::AccessibleTextRole) return text;
        return {};
    }
    if (role == Qt::DisplayRole || role == Qt::EditRole) return text;
    return {};
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    int col = index.column() + fixedCols_, row = index.row() + 1;
    QString text;
    if (role == Qt::CheckStateRole)
        text = value.toInt() == Qt::Checked ? "Y" : "N";
    else if (role == Qt::EditRole)
        text = value.toString();
    else
        return false;
    if (editHook_) {
        editHook_(col, row, text);
        return true;
    }
    setCell(col, row, text);
    emit cellEdited(col, row);
    return true;
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
    int col = index.column() + fixedCols_;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (!editable_ || columns_[static_cast<size_t>(col)].readOnly) return f;
    if (kind(col) == Kind::Check) return f | Qt::ItemIsUserCheckable;
    return f | Qt::ItemIsEditable;
}

QVariant GridModel::headerData(int section, Qt::Orientation o, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (o == Qt::Horizontal) return cell(section + fixedCols_, 0);
    return fixedCols_ ? cell(0, section + 1) : QString();
}

StringGrid::StringGrid(QWidget* parent) : QTableView(parent), model_(new GridModel(this)) {
    // Sized before the views see it: a reset costs the headers a full rebuild.
    model_->resize(5, 5);
    setVerticalHeader(new RowHeader(this));
    auto* columns = new ColumnHeader(this);
    columns->setSectionsClickable(true); // as the view's own column header
    setHorizontalHeader(columns);
    setModel(model_);
    setItemDelegate(new PickDelegate(model_, this));
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    // One rectangle at a time: what copy, paste and clear work on.
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setWordWrap(false);
    // Fixed row heights keep large grids instant to show.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(20);
    verticalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(model_, &GridModel::cellEdited, this, &StringGrid::cellEdited);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& cur) {
                if (cur.isValid())
                    emit cellSelected(cur.column() + model_->fixedCols(), cur.row() + 1);
            });
    corner_ = findChild<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly);
    if (corner_) corner_->installEventFilter(this);

    undo_ = new QUndoStack(this);
    model_->setEditHook([this](int c, int r, const QString& t) { onEditorCommit(c, r, t); });
    connect(model_, &GridModel::contentReplaced, this, &StringGrid::resetUndo);
    auto make = [this](const char* name, const QString& text, const QKeySequence& key,
                       auto handler) {
        auto* a = new QAction(text, this);
        a->setObjectName(name);
        a->setShortcut(key);
        // Shown in the menu; the keys themselves are handled by the grid.
        a->setShortcutContext(Qt::WidgetShortcut);
        a->setShortcutVisibleInContextMenu(true);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    insertRowAction =
        make("insertRowAction", "Insert row", QKeySequence("Ctrl+Ins"), [this] { insertRow(); });
    deleteRowsAction =
        make("deleteRowsAction", "Delete rows", QKeySequence("Ctrl+Del"), [this] { deleteRows(); });
    moveUpAction =
        make("moveUpAction", "Move up", QKeySequence("Ctrl+Up"), [this] { moveRows(-1); });
    moveDownAction =
        make("moveDownAction", "Move down", QKeySequence("Ctrl+Down"), [this] { moveRows(1); });
    clearAction = make("clearAction", "Clear", QKeySequence("Del"), [this] { clearCells(); });
    copyAction = make("copyAction", "Copy", QKeySequence("Ctrl+C"), [this] { copy(); });
    pasteAction = make("pasteAction", "Paste", QKeySequence("Ctrl+V"), [this] { paste(); });
    undoAction = make("undoAction", "Undo", QKeySequence("Ctrl+Z"), [this] { undo_->undo(); });
    redoAction = make("redoAction", "Redo", QKeySequence("Ctrl+Y"), [this] { undo_->redo(); });
}

// One user change of a block of cells: the texts before and after.
class GridCommand : public QUndoCommand {
public:
    GridCommand(StringGrid* grid, const QRect& block, std::vector<QString> before,
                std::vector<QString> after, const QRect& selBefore, const QRect& selAfter,
                const QString& text, bool keepSelection)
        : QUndoCommand(text), grid_(grid), block_(block), before_(std::move(before)),
          after_(std::move(after)), selBefore_(selBefore), selAfter_(selAfter),
          keepSelection_(keepSelection) {}
    void redo() override {
        grid_->putCells(block_, after_);
        // An in-place edit is being committed: the view keeps its own current cell.
        if (!keepSelection_ && selAfter_.isValid()) grid_->selectBlock(selAfter_);
        keepSelection_ = false;
    }
    void undo() override {
        grid_->putCells(block_, before_);
        if (selBefore_.isValid()) grid_->selectBlock(selBefore_);
    }

private:
    StringGrid* grid_;
    QRect block_;
    std::vector<QString> before_, after_;
    QRect selBefore_, selAfter_;
    bool keepSelection_;
};

void StringGrid::resetUndo() {
    if (undo_) undo_->clear();
}

StringGrid::Block StringGrid::dataBlock(int firstRow, int lastRow) const {
    const int fixed = model_->fixedCols();
    return Block(fixed, firstRow, model_->cols() - fixed, lastRow - firstRow + 1);
}

StringGrid::Block StringGrid::selectedBlock() const {
    const QModelIndexList sel = selectionModel()->selectedIndexes();
    const int fixed = model_->fixedCols();
    if (sel.isEmpty()) {
        QModelIndex i = currentIndex();
        if (!i.isValid()) return {};
        return Block(i.column() + fixed, i.row() + 1, 1, 1);
    }
    int c0 = INT_MAX, c1 = -1, r0 = INT_MAX, r1 = -1;
    for (const QModelIndex& i : sel) {
        c0 = std::min(c0, i.column());
        c1 = std::max(c1, i.column());
        r0 = std::min(r0, i.row());
        r1 = std::max(r1, i.row());
    }
    return Block(c0 + fixed, r0 + 1, c1 - c0 + 1, r1 - r0 + 1);
}

std::vector<int> StringGrid::selectedRows() const {
    const Block b = selectedBlock();
    std::vector<int> rows;
    if (!b.isValid()) return rows;
    for (int r = b.top(); r <= b.bottom(); ++r)
        rows.push_back(r);
    return rows;
}

std::vector<QString> StringGrid::cellsOf(const Block& b) const {
    std::vector<QString> cells;
    cells.reserve(static_cast<size_t>(b.width() * b.height()));
    for (int r = b.top(); r <= b.bottom(); ++r)
        for (int c = b.left(); c <= b.right(); ++c)
            cells.push_back(model_->cell(c, r));
    return cells;
}

void StringGrid::putCells(const Block& b, const std::vector<QString>& cells) {
    std::vector<std::pair<int, int>> changed;
    model_->userChange_ = true;
    model_->beginUpdate();
    size_t k = 0;
    for (int r = b.top(); r <= b.bottom(); ++r)
        for (int c = b.left(); c <= b.right(); ++c, ++k) {
            if (model_->cell(c, r) == cells[k]) continue;
            model_->setCell(c, r, cells[k]);
            changed.emplace_back(c, r);
        }
    model_->endUpdate();
    model_->userChange_ = false;
    for (auto [c, r] : changed)
        emit model_->cellEdited(c, r);
}

void StringGrid::selectBlock(const Block& b) {
    const int fixed = model_->fixedCols();
    QModelIndex tl = model_->index(b.top() - 1, b.left() - fixed);
    QModelIndex br = model_->index(b.bottom() - 1, b.right() - fixed);
    if (!tl.isValid() || !br.isValid()) return;
    selectionModel()->setCurrentIndex(tl, QItemSelectionModel::NoUpdate);
    selectionModel()->select(QItemSelection(tl, br), QItemSelectionModel::ClearAndSelect);
    scrollTo(tl);
}

bool StringGrid::push(const Block& b, std::vector<QString> after, const Block& selBefore,
                      const Block& selAfter, const QString& text, bool keepSelection) {
    std::vector<QString> before = cellsOf(b);
    if (before == after) return false;
    undo_->push(new GridCommand(this, b, std::move(before), std::move(after), selBefore, selAfter,
                                text, keepSelection));
    return true;
}

void StringGrid::onEditorCommit(int col, int row, const QString& text) {
    if (model_->cell(col, row) == text) return;
    const Block b(col, row, 1, 1);
    push(b, {text}, b, b, "Edit", true);
}

void StringGrid::report(const QString& text) {
    if (reporter_) {
        reporter_(text);
        return;
    }
    for (QWidget* w = parentWidget(); w; w = w->parentWidget())
        if (auto* form = qobject_cast<FormBase*>(w)) {
            form->prompt().error(text);
            return;
        }
    QtPrompt(this).error(text);
}

QString StringGrid::rowName(int row) const {
    const QString& title = model_->fixedCols() > 0 ? model_->cell(0, row) : kEmpty;
    return title.isEmpty() ? QString::number(row) : title;
}

QString StringGrid::colName(int col) const {
    const QString& title = model_->cell(col, 0);
    return title.isEmpty() ? QString::number(col) : title;
}

bool StringGrid::rowIsEmpty(int row) const {
    for (int c = model_->fixedCols(); c < model_->cols(); ++c) {
        const QString& t = model_->cell(c, row);
        if (t.isEmpty() || (model_->kind(c) == Kind::Check && t == "N")) continue;
        return false;
    }
    return true;
}

bool StringGrid::insertRow() {
    const int last = model_->rows() - 1;
    if (!model_->isEditable() || last < 1) return false;
    if (!rowIsEmpty(last)) {
        report("No row can be inserted: the last row is not empty.");
        return false;
    }
    const int at = currentRow();
    const Block b = dataBlock(at, last);
    std::vector<QString> cells = cellsOf(b);
    const size_t w = static_cast<size_t>(b.width());
    // Every row one down; the last (empty) one falls off.
    std::vector<QString> after(w);
    after.insert(after.end(), cells.begin(), cells.end() - static_cast<std::ptrdiff_t>(w));
    return push(b, std::move(after), selectedBlock(), Block(currentCol(), at, 1, 1), "Insert row");
}

bool StringGrid::deleteRows() {
    const int last = model_->rows() - 1;
    const std::vector<int> rows = selectedRows();
    if (!model_->isEditable() || rows.empty()) return false;
    const Block b = dataBlock(rows.front(), last);
    const std::vector<QString> cells = cellsOf(b);
    const size_t w = static_cast<size_t>(b.width());
    std::vector<QString> after;
    after.reserve(cells.size());
    for (int r = b.top(); r <= last; ++r) {
        if (r <= rows.back()) continue; // the selected rows are one span
        const auto from = cells.begin() + static_cast<std::ptrdiff_t>((r - b.top()) * w);
        after.insert(after.end(), from, from + static_cast<std::ptrdiff_t>(w));
    }
    after.resize(cells.size());
    return push(b, std::move(after), selectedBlock(), Block(currentCol(), rows.front(), 1, 1),
                "Delete rows");
}

bool StringGrid::moveRows(int delta) {
    const int last = model_->rows() - 1;
    const std::vector<int> rows = selectedRows();
    if (!model_->isEditable() || rows.empty() || (delta != -1 && delta != 1)) return false;
    const int first = rows.front(), end = rows.back();
    if ((delta < 0 && first <= 1) || (delta > 0 && end >= last)) return false;
    const Block b = delta < 0 ? dataBlock(first - 1, end) : dataBlock(first, end + 1);
    std::vector<QString> cells = cellsOf(b);
    const auto w = static_cast<std::ptrdiff_t>(b.width());
    // The span and the row beside it change places.
    if (delta < 0)
        std::rotate(cells.begin(), cells.begin() + w, cells.end());
    else
        std::rotate(cells.begin(), cells.end() - w, cells.end());
    const Block sel = selectedBlock();
    return push(b, std::move(cells), sel, sel.translated(0, delta),
                delta < 0 ? "Move up" : "Move down");
}

bool StringGrid::clearCells() {
    const Block b = selectedBlock();
    if (!model_->isEditable() || !b.isValid()) return false;
    const bool anySelected = selectionModel()->hasSelection();
    std::vector<QString> after = cellsOf(b);
    size_t k = 0;
    for (int r = b.top(); r <= b.bottom(); ++r)
        for (int c = b.left(); c <= b.right(); ++c, ++k) {
            QModelIndex i = model_->index(r - 1, c - model_->fixedCols());
            if (model_->isReadOnly(c) || (anySelected && !selectionModel()->isSelected(i)))
                continue;
            after[k].clear();
        }
    return push(b, std::move(after), b, b, "Clear");
}

QString StringGrid::selectedText() const {
    const Block b = selectedBlock();
    if (!b.isValid()) return {};
    TabRows rows;
    for (int r = b.top(); r <= b.bottom(); ++r) {
        auto& row = rows.emplace_back();
        for (int c = b.left(); c <= b.right(); ++c)
            row.push_back(model_->cell(c, r).toStdString());
    }
    return QString::fromStdString(FormatTabText(rows));
}

void StringGrid::copy() const {
    if (QClipboard* cb = QGuiApplication::clipboard()) cb->setText(selectedText());
}

bool StringGrid::paste() {
    QClipboard* cb = QGuiApplication::clipboard();
    return cb && pasteText(cb->text());
}

bool StringGrid::acceptValue(int col, const QString& value, QString& stored, QString& why) const {
    if (model_->isReadOnly(col)) {
        why = "the column cannot be edited.";
        return false;
    }
    const QString v = value.trimmed();
    switch (model_->kind(col)) {
    case Kind::Text:
        stored = value;
        return true;
    case Kind::Pick:
        if (v.isEmpty()) {
            stored.clear();
            return true;
        }
        for (const QString& item : model_->items(col))
            if (item.compare(v, Qt::CaseInsensitive) == 0) {
                stored = item;
                return true;
            }
        why = QString("\"%1\" is not one of the column's choices.").arg(value);
        return false;
    case Kind::Check: {
        const QString l = v.toLower();
        if (l.isEmpty()) {
            stored.clear();
            return true;
        }
        if (l == "y" || l == "1" || l == "true") {
            stored = "Y";
            return true;
        }
        if (l == "n" || l == "0" || l == "false") {
            stored = "N";
            return true;
        }
        why = QString("\"%1\" is not Y, N, 1, 0, true or false.").arg(value);
        return false;
    }
    }
    return false;
}

bool StringGrid::pasteText(const QString& text) {
    if (!model_->isEditable() || model_->rows() < 2 || model_->cols() <= model_->fixedCols())
        return false;
    const TabRows rows = ParseTabText(text.toStdString());
    if (rows.empty()) return false;
    int width = 0;
    for (const auto& r : rows)
        width = std::max(width, static_cast<int>(r.size()));
    const int height = static_cast<int>(rows.size());
    Block sel = selectedBlock();
    if (!sel.isValid()) sel = Block(currentCol(), currentRow(), 1, 1);
    const int c0 = sel.left(), r0 = sel.top();
    const int lastRow = model_->rows() - 1, lastCol = model_->cols() - 1;
    if (r0 + height - 1 > lastRow) {
        report(QString("Paste refused: the %1 rows pasted at row %2 run past the last row (%3).")
                   .arg(height)
                   .arg(rowName(r0), rowName(lastRow)));
        return false;
    }
    if (c0 + width - 1 > lastCol) {
        report(QString("Paste refused: the %1 columns pasted at column \"%2\" run past the last "
                       "column (\"%3\").")
                   .arg(width)
                   .arg(colName(c0), colName(lastCol)));
        return false;
    }
    const Block b(c0, r0, width, height);
    std::vector<QString> after(static_cast<size_t>(width * height));
    QString why;
    for (int r = 0; r < height; ++r) {
        const auto& row = rows[static_cast<size_t>(r)];
        for (int c = 0; c < width; ++c) {
            const QString value = c < static_cast<int>(row.size())
                                      ? QString::fromStdString(row[static_cast<size_t>(c)])
                                      : QString();
            QString& stored = after[static_cast<size_t>(r * width + c)];
            if (!acceptValue(c0 + c, value, stored, why)) {
                report(QString("Paste refused: row %1, column \"%2\": %3")
                           .arg(rowName(r0 + r), colName(c0 + c), why));
                return false;
            }
        }
    }
    push(b, std::move(after), sel, b, "Paste");
    return true;
}

void StringGrid::updateActions() {
    const bool e = model_->isEditable() && model_->rows() > 1;
    const std::vector<int> rows = selectedRows();
    const int last = model_->rows() - 1;
    for (QAction* a : {insertRowAction, deleteRowsAction, clearAction, pasteAction})
        a->setEnabled(e);
    moveUpAction->setEnabled(e && !rows.empty() && rows.front() > 1);
    moveDownAction->setEnabled(e && !rows.empty() && rows.back() < last);
    undoAction->setEnabled(e && undo_->canUndo());
    redoAction->setEnabled(e && undo_->canRedo());
}

QAction* StringGrid::actionFor(const QKeyEvent* e) const {
    const auto mods = e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier |
                                        Qt::MetaModifier);
    const std::pair<QKeyCombination, QAction*> keys[] = {
        {Qt::ControlModifier | Qt::Key_Insert, insertRowAction},
        {Qt::ControlModifier | Qt::Key_Delete, deleteRowsAction},
        {Qt::ControlModifier | Qt::Key_Up, moveUpAction},
        {Qt::ControlModifier | Qt::Key_Down, moveDownAction},
        {Qt::ControlModifier | Qt::Key_C, copyAction},
        {Qt::ControlModifier | Qt::Key_V, pasteAction},
        {Qt::ControlModifier | Qt::Key_Z, undoAction},
        {Qt::ControlModifier | Qt::Key_Y, redoAction},
        {Qt::ControlModifier | Qt::ShiftModifier | Qt::Key_Z, redoAction},
        {QKeyCombination(Qt::Key_Delete), clearAction},
    };
    const QKeyCombination pressed(mods, Qt::Key(e->key()));
    QAction* a = nullptr;
    for (const auto& [key, action] : keys)
        if (key == pressed) a = action;
    // A grid that only shows its cells copies them and keeps its other keys.
    if (a && a != copyAction && !model_->isEditable()) return nullptr;
    return a;
}

bool StringGrid::event(QEvent* e) {
    // The grid's keys win over the window's shortcuts while it has the focus.
    if (e->type() == QEvent::ShortcutOverride && state() != EditingState &&
        actionFor(static_cast<QKeyEvent*>(e))) {
        e->accept();
        return true;
    }
    return QTableView::event(e);
}

void StringGrid::keyPressEvent(QKeyEvent* e) {
    if (QAction* a = state() == EditingState ? nullptr : actionFor(e)) {
        updateActions();
        if (a->isEnabled()) a->trigger();
        e->accept();
        return;
    }
    QTableView::keyPressEvent(e);
}

void StringGrid::hideEvent(QHideEvent* e) {
    if (!e->spontaneous() && window()->isHidden()) resetUndo();
    QTableView::hideEvent(e);
}

void StringGrid::contextMenuEvent(QContextMenuEvent* e) {
    updateActions();
    QMenu menu(this);
    if (model_->isEditable()) {
        menu.addActions({insertRowAction, deleteRowsAction, moveUpAction, moveDownAction});
        menu.addSeparator();
        menu.addActions({clearAction, copyAction, pasteAction});
        menu.addSeparator();
        menu.addActions({undoAction, redoAction});
    } else {
        menu.addAction(copyAction);
    }
    menu.exec(e->globalPos());
}

void StringGrid::setCell(int col, int row, const QString& text) {
    model_->setCell(col, row, text);
    if (row == 0 && col < model_->fixedCols() && corner_) corner_->update();
}

bool StringGrid::eventFilter(QObject* watched, QEvent* event) {
    if (watched == corner_ && event->type() == QEvent::Paint && model_->fixedCols() > 0) {
        QStylePainter p(corner_);
        QStyleOptionHeader opt;
        opt.initFrom(corner_);
        opt.rect = corner_->rect();
        opt.position = QStyleOptionHeader::OnlyOneSection;
        opt.orientation = Qt::Horizontal;
        opt.state |= QStyle::State_Raised | QStyle::State_Horizontal;
        opt.text = model_->cell(0, 0);
        opt.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
        p.drawControl(QStyle::CE_Header, opt);
        return true;
    }
    return QTableView::eventFilter(watched, event);
}

void StringGrid::setColCount(int n) {
    model_->resize(n, model_->rows());
}
void StringGrid::setRowCount(int n) {
    model_->resize(model_->cols(), n);
}

void StringGrid::setFixedCols(int n) {
    model_->setFixedCols(n);
    verticalHeader()->setVisible(n > 0);
}

void StringGrid::setColWidth(int col, int width) {
    if (col < model_->fixedCols())
        verticalHeader()->setFixedWidth(width);
    else
        setColumnWidth(col - model_->fixedCols(), width);
}

int StringGrid::colWidth(int col) const {
    if (col < model_->fixedCols()) return verticalHeader()->width();
    return columnWidth(col - model_->fixedCols());
}

void StringGrid::setColumnKind(int col, Kind kind, const QStringList& items) {
    model_->setKind(col, kind, items);
}

void StringGrid::setEditable(bool e) {
    model_->setEditable(e);
    setEditTriggers(e ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked
                      : QAbstractItemView::NoEditTriggers);
}

int StringGrid::currentCol() const {
    QModelIndex i = currentIndex();
    return i.isValid() ? i.column() + model_->fixedCols() : model_->fixedCols();
}

int StringGrid::currentRow() const {
    QModelIndex i = currentIndex();
    return i.isValid() ? i.row() + 1 : 1;
}

void StringGrid::selectCell(int col, int row) {
    QModelIndex i = model_->index(row - 1, col - model_->fixedCols());
    if (i.isValid()) setCurrentIndex(i);
}
