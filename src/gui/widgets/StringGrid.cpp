#include "gui/widgets/StringGrid.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QEvent>
#include <QHeaderView>
#include <QStyleOptionHeader>
#include <QStylePainter>
#include <QStyledItemDelegate>

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
}

void GridModel::setFixedCols(int n) {
    beginResetModel();
    fixedCols_ = std::clamp(n, 0, 1);
    endResetModel();
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
}

void GridModel::endUpdate() {
    if (updating_ == 0 || --updating_ > 0) return;
    const int rows = rowCount(), cols = columnCount();
    if (changedColTitles_ && cols > 0) emit headerDataChanged(Qt::Horizontal, 0, cols - 1);
    if (changedRowTitles_ && rows > 0) emit headerDataChanged(Qt::Vertical, 0, rows - 1);
    if (changedData_ && rows > 0 && cols > 0)
        emit dataChanged(index(0, 0), index(rows - 1, cols - 1));
    changedColTitles_ = changedRowTitles_ = changedData_ = false;
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
    if (role == Qt::CheckStateRole) {
        setCell(col, row, value.toInt() == Qt::Checked ? "Y" : "N");
    } else if (role == Qt::EditRole) {
        setCell(col, row, value.toString());
    } else {
        return false;
    }
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
    setModel(model_);
    setItemDelegate(new PickDelegate(model_, this));
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    setSelectionMode(QAbstractItemView::SingleSelection);
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
