#pragma once
#include "core/editors/ByteMap.h"

#include <QColor>
#include <QDialog>
#include <QString>
#include <functional>
#include <vector>

class QLabel;

// One direction's DeviceNet bytes as a strip of numbered cells, wrapped into
// lines of a fixed width.
class ByteStrip : public QWidget {
    Q_OBJECT
public:
    struct Cell {
        QColor color;
        QString tip;
        int row = 0; // grid row a double click goes to; 0 for none
    };
    static constexpr int PerLine = 32;
    static constexpr int CellSize = 20;

    explicit ByteStrip(QWidget* parent = nullptr);
    void setCells(std::vector<Cell> cells);
    int cellCount() const { return static_cast<int>(cells_.size()); }
    const Cell& cell(int i) const { return cells_[static_cast<size_t>(i)]; }
    QRect cellRect(int i) const;
    int cellAt(QPoint p) const; // -1 outside every cell

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    void rowActivated(int row);

protected:
    void paintEvent(QPaintEvent* e) override;
    bool event(QEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    std::vector<Cell> cells_;
};

// Byte map: which access-map rows use which DeviceNet bytes, per direction.
// It reads the rows from `source` at every refresh, so it shows the grids as
// edited, saved or not.
class TFByteMap : public QDialog {
    Q_OBJECT
public:
    struct Source {
        AccessMap map;
        AccessBounds bounds;
    };
    explicit TFByteMap(std::function<Source()> source, QWidget* parent = nullptr);

    QLabel* LabelIn = nullptr;
    ByteStrip* StripIn = nullptr; // read table, N Byte IN
    QLabel* LabelOut = nullptr;
    ByteStrip* StripOut = nullptr; // write table, N Byte OUT
    QLabel* LabelNote = nullptr;

    static const QColor Unused;
    static const QColor Clash; // shared bytes and bytes past the end
    static QColor RowColor(int row);

    ByteStrip* strip(AccessTable t) const { return t == AccessTable::Read ? StripIn : StripOut; }

public slots:
    void refresh();

signals:
    void rowActivated(AccessTable table, int row);

protected:
    void showEvent(QShowEvent* e) override;

private:
    void fill(const ByteMap& m);
    std::function<Source()> source_;
    Source current_; // the byte maps point into its rows
};
