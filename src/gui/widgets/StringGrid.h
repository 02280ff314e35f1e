#pragma once
#include <QAbstractTableModel>
#include <QStringList>
#include <QTableView>

class QAbstractButton;
#include <string>
#include <vector>

// Text cells addressed like the grids of the dialogs: (column, row) with row 0
// the fixed header row and, when there is a fixed column, column 0 the fixed
// first column. The fixed row and column are shown as the view's headers.
class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum class Kind { Text, Pick, Check };

    explicit GridModel(QObject* parent = nullptr);

    void resize(int cols, int rows);
    int cols() const { return cols_; }
    int rows() const { return rows_; }
    void setFixedCols(int n);
    int fixedCols() const { return fixedCols_; }

    const QString& cell(int col, int row) const;
    void setCell(int col, int row, const QString& text);
    void clearData();

    // Between these, cell changes are collected and announced once at the
    // last endUpdate: one signal per header and one for the data area, not
    // one per cell. Calls nest.
    void beginUpdate() { ++updating_; }
    void endUpdate();

    void setKind(int col, Kind kind, const QStringList& items = {});
    Kind kind(int col) const;
    QStringList items(int col) const;
    void setReadOnly(int col, bool ro);
    void setEditable(bool e) { editable_ = e; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;

signals:
    void cellEdited(int col, int row);

private:
    struct Column {
        Kind kind = Kind::Text;
        QStringList items;
        bool readOnly = false;
    };
    int idx(int col, int row) const { return row * cols_ + col; }
    QString& at(int col, int row) { return cells_[static_cast<size_t>(idx(col, row))]; }

    int cols_ = 0;
    int rows_ = 0;
    int fixedCols_ = 1;
    bool editable_ = true;
    int updating_ = 0;
    bool changedColTitles_ = false, changedRowTitles_ = false, changedData_ = false;
    std::vector<QString> cells_;
    std::vector<Column> columns_;
};

// The one grid widget of the program: a header row, an optional fixed first
// column, in-place editing with per column a free text editor, a drop-down
// limited to its items, or a Y/N check box.
class StringGrid : public QTableView {
    Q_OBJECT
public:
    using Kind = GridModel::Kind;
    explicit StringGrid(QWidget* parent = nullptr);

    // Counts include the fixed row and the fixed column.
    void setColCount(int n);
    void setRowCount(int n);
    int colCount() const { return model_->cols(); }
    int rowCount() const { return model_->rows(); }
    void setFixedCols(int n);

    QString cell(int col, int row) const { return model_->cell(col, row); }
    void setCell(int col, int row, const QString& text);
    std::string cellText(int col, int row) const { return cell(col, row).toStdString(); }
    void setCellText(int col, int row, const std::string& text) {
        setCell(col, row, QString::fromStdString(text));
    }
    // Empties every cell that is not fixed.
    void clearData() { model_->clearData(); }
    // Many cells at once: see GridModel::beginUpdate; GridUpdate pairs them.
    void beginUpdate() { model_->beginUpdate(); }
    void endUpdate() { model_->endUpdate(); }

    void setColWidth(int col, int width);
    int colWidth(int col) const;
    void setColumnKind(int col, Kind kind, const QStringList& items = {});
    void setColumnReadOnly(int col, bool ro) { model_->setReadOnly(col, ro); }
    void setEditable(bool e);

    // Current cell in grid numbering (fixed row and column counted).
    int currentCol() const;
    int currentRow() const;
    void selectCell(int col, int row);

    GridModel* gridModel() const { return model_; }

signals:
    void cellEdited(int col, int row);
    void cellSelected(int col, int row);

protected:
    // Paints the fixed column's header text (cell 0,0) in the corner.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    GridModel* model_;
    QAbstractButton* corner_ = nullptr;
};

// Holds a grid's change notices for as long as it lives.
class GridUpdate {
public:
    explicit GridUpdate(StringGrid* grid) : grid_(grid) { grid_->beginUpdate(); }
    ~GridUpdate() { grid_->endUpdate(); }
    GridUpdate(const GridUpdate&) = delete;
    GridUpdate& operator=(const GridUpdate&) = delete;

private:
    StringGrid* grid_;
};
