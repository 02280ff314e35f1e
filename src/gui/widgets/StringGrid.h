#pragma once
#include "gui/widgets/PlainText.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <QTableView>

#include <functional>
#include <string>
#include <vector>

class QAbstractButton;
class QAction;
class QUndoStack;
class GridCommand;

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
    // Every cell, row by row (fixed row and column included).
    const std::vector<QString>& cellTexts() const { return cells_; }
    void setCell(int col, int row, const QString& text);
    void clearData();

    // Between these, cell changes are collected and announced once at the
    // last endUpdate: one signal per header and one for the data area, not
    // one per cell. Calls nest.
    // A batch from the program (not from a user edit) replaces the content:
    // it ends in contentReplaced, as do clearData and a resize.
    void beginUpdate() { ++updating_; }
    void endUpdate();

    // Routes the edits of the in-place editors to `hook` instead of the cells
    // (the grid makes undo steps of them).
    void setEditHook(std::function<void(int col, int row, const QString& text)> hook) {
        editHook_ = std::move(hook);
    }

    void setKind(int col, Kind kind, const QStringList& items = {});
    Kind kind(int col) const;
    QStringList items(int col) const;
    void setReadOnly(int col, bool ro);
    bool isReadOnly(int col) const;
    void setEditable(bool e) { editable_ = e; }
    bool isEditable() const { return editable_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;

signals:
    void cellEdited(int col, int row);
    // The cells were filled or emptied by the program, not edited.
    void contentReplaced();

private:
    friend class StringGrid;
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
    // Set while the grid applies a user's change.
    bool userChange_ = false;
    std::function<void(int, int, const QString&)> editHook_;
    bool changedColTitles_ = false, changedRowTitles_ = false, changedData_ = false;
    std::vector<QString> cells_;
    std::vector<Column> columns_;
};

// The one grid widget of the program: a header row, an optional fixed first
// column, in-place editing with per column a free text editor, a drop-down
// limited to its items, or a Y/N check box. An editable grid also inserts,
// deletes and moves rows within its fixed row count, clears, copies and
// pastes blocks as tab-separated text, and undoes all of these (keys and
// context menu). Every such change emits cellEdited for the changed cells.
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
        setCell(col, row, FileText(text));
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

    // The user's row and clipboard operations, each one undo step. Those that
    // change nothing return false; a refused one also reports why.
    bool insertRow();         // above the current row
    bool deleteRows();        // the selected rows; empty rows come in at the end
    bool moveRows(int delta); // the selected rows, -1 up or +1 down
    bool clearCells();        // the selected cells of editable columns
    void copy() const;        // the selected block to the clipboard
    bool paste();             // the clipboard's block at the current cell
    bool pasteText(const QString& text);
    // The selected block (the current cell when nothing is selected) as
    // tab-separated text.
    QString selectedText() const;

    // No cell of the row holds text (a check box left unchecked counts as empty).
    bool rowIsEmpty(int row) const;

    QUndoStack* undoStack() const { return undo_; }
    // Forgets the undo steps; windows call it when they load a file into the
    // grid (the grid also does so itself when its window closes, and on
    // clearData, a resize or a batch update made by the program).
    void resetUndo();

    // Where refusals go; by default the prompt of the window holding the grid.
    void setReporter(std::function<void(const QString&)> reporter) {
        reporter_ = std::move(reporter);
    }

    // The context menu's actions (shortcuts shown for reference).
    QAction* insertRowAction = nullptr;
    QAction* deleteRowsAction = nullptr;
    QAction* moveUpAction = nullptr;
    QAction* moveDownAction = nullptr;
    QAction* clearAction = nullptr;
    QAction* copyAction = nullptr;
    QAction* pasteAction = nullptr;
    QAction* undoAction = nullptr;
    QAction* redoAction = nullptr;

signals:
    void cellEdited(int col, int row);
    void cellSelected(int col, int row);

protected:
    // Paints the fixed column's header text (cell 0,0) in the corner.
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    // Closing the window ends its undo history (a tab page hidden does not).
    void hideEvent(QHideEvent* e) override;

private:
    friend class GridCommand;
    // A rectangle of the data area in grid numbering: x/y the first column
    // and row, width/height the counts.
    using Block = QRect;
    Block dataBlock(int firstRow, int lastRow) const;
    Block selectedBlock() const;
    std::vector<int> selectedRows() const;
    std::vector<QString> cellsOf(const Block& b) const;
    // Writes a block as one change; emits cellEdited for each changed cell.
    void putCells(const Block& b, const std::vector<QString>& cells);
    void selectBlock(const Block& b);
    // One undo step; false when it would change nothing.
    bool push(const Block& b, std::vector<QString> after, const Block& selBefore,
              const Block& selAfter, const QString& text, bool keepSelection = false);
    void onEditorCommit(int col, int row, const QString& text);
    void report(const QString& text);
    QString rowName(int row) const;
    QString colName(int col) const;
    // The text a pasted value is stored as in the column, or why it is refused.
    bool acceptValue(int col, const QString& value, QString& stored, QString& why) const;
    // The action of a key press, if it is one of the grid's own keys.
    QAction* actionFor(const QKeyEvent* e) const;
    void updateActions();

    GridModel* model_;
    QAbstractButton* corner_ = nullptr;
    QUndoStack* undo_ = nullptr;
    std::function<void(const QString&)> reporter_;
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
