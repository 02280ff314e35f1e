#include "gui/editors/ByteMapWindow.h"
#include "gui/widgets/PlainText.h"

#include "gui/widgets/Controls.h"

#include <QHelpEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QToolTip>
#include <QVBoxLayout>

ByteStrip::ByteStrip(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
}

void ByteStrip::setCells(std::vector<Cell> cells) {
    cells_ = std::move(cells);
    updateGeometry();
    update();
}

QRect ByteStrip::cellRect(int i) const {
    return {(i % PerLine) * CellSize, (i / PerLine) * CellSize, CellSize, CellSize};
}

int ByteStrip::cellAt(QPoint p) const {
    if (p.x() < 0 || p.y() < 0 || p.x() >= PerLine * CellSize) return -1;
    int i = (p.y() / CellSize) * PerLine + p.x() / CellSize;
    return i < cellCount() ? i : -1;
}

QSize ByteStrip::sizeHint() const {
    int lines = std::max(1, (cellCount() + PerLine - 1) / PerLine);
    return {PerLine * CellSize + 1, lines * CellSize + 1};
}

void ByteStrip::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QFont f = font();
    f.setPixelSize(8);
    p.setFont(f);
    for (int i = 0; i < cellCount(); ++i) {
        QRect r = cellRect(i);
        p.fillRect(r, cell(i).color);
        p.setPen(palette().color(QPalette::Mid));
        p.drawRect(r);
        p.setPen(Qt::black);
        p.drawText(r, Qt::AlignCenter, QString::number(i));
    }
}

bool ByteStrip::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip) {
        auto* h = static_cast<QHelpEvent*>(e);
        int i = cellAt(h->pos());
        if (i >= 0)
            QToolTip::showText(h->globalPos(), PlainTip(cell(i).tip), this, cellRect(i));
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(e);
}

void ByteStrip::mouseDoubleClickEvent(QMouseEvent* e) {
    int i = cellAt(e->position().toPoint());
    if (i >= 0 && cell(i).row > 0) emit rowActivated(cell(i).row);
}

const QColor TFByteMap::Unused(200, 200, 200);
const QColor TFByteMap::Clash(220, 30, 30);

QColor TFByteMap::RowColor(int row) {
    // Hues a golden-ratio step apart, so neighbouring rows differ clearly; kept
    // clear of the red of a clash.
    double step = row * 0.6180339887;
    int hue = 40 + static_cast<int>((step - static_cast<int>(step)) * 280);
    return QColor::fromHsv(hue, 120, row % 2 ? 240 : 215);
}

TFByteMap::TFByteMap(std::function<Source()> source, QWidget* parent)
    : QDialog(parent), source_(std::move(source)) {
    setObjectName("FByteMap");
    setWindowTitle("Byte map");
    setAccessibleName("Byte map");

    auto* content = new QWidget;
    auto* l = new QVBoxLayout(content);
    auto add = [&](QLabel*& label, ByteStrip*& strip, const char* labelName, const char* stripName,
                   const char* accessible) {
        label = Named(new QLabel(content), labelName);
        strip = Named(new ByteStrip(content), stripName);
        strip->setAccessibleName(accessible);
        label->setBuddy(strip);
        l->addWidget(label);
        l->addWidget(strip);
    };
    add(LabelIn, StripIn, "LabelIn", "StripIn", "DeviceNet IN bytes");
    add(LabelOut, StripOut, "LabelOut", "StripOut", "DeviceNet OUT bytes");
    LabelNote =
        Named(new QLabel(QString(PackingNote) + " Each row has its colour; red: bytes used by more "
                                                "than one row or past the end; grey: unused.",
                         content),
              "LabelNote");
    LabelNote->setWordWrap(true);
    l->addWidget(LabelNote);
    l->addStretch();

    auto* scroll = new QScrollArea(this);
    scroll->setWidget(content);
    scroll->setWidgetResizable(true);
    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(0, 0, 0, 0);
    main->addWidget(scroll);
    resize(ByteStrip::PerLine * ByteStrip::CellSize + 60, 640);

    for (AccessTable t : {AccessTable::Read, AccessTable::Write})
        connect(strip(t), &ByteStrip::rowActivated, this,
                [this, t](int row) { emit rowActivated(t, row); });
}

void TFByteMap::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    refresh();
}

void TFByteMap::refresh() {
    current_ = source_();
    ByteMaps maps = ComputeByteMaps(current_.map, current_.bounds);
    fill(maps.read);
    fill(maps.write);
}

void TFByteMap::fill(const ByteMap& m) {
    std::vector<ByteStrip::Cell> cells(m.users.size());
    for (size_t b = 0; b < cells.size(); ++b) {
        const auto& users = m.users[b];
        ByteStrip::Cell& c = cells[b];
        QStringList names;
        for (int row : users)
            names << QString("Row %1: %2")
                         .arg(row)
                         .arg(FileText(RowDescription(*m.find(row)->cells)));
        if (users.empty()) {
            c.color = Unused;
            names << "Unused";
        } else {
            // A clash goes to the later row, where the warning is.
            c.row = users.back();
            c.color = users.size() > 1 || m.pastEnd(b) ? Clash : RowColor(users.front());
        }
        if (m.pastEnd(b)) names << QString("Past the end of %1").arg(AreaName(m.table));
        c.tip = QString("Byte %1\n").arg(b) + names.join("\n");
    }
    ByteStrip* s = strip(m.table);
    s->setCells(std::move(cells));
    s->setAccessibleDescription(QString::fromStdString(ByteMapText(m)));
    QLabel* label = m.table == AccessTable::Read ? LabelIn : LabelOut;
    label->setText(QString("%1 = %2 (%3 table)")
                       .arg(AreaName(m.table))
                       .arg(m.areaBytes)
                       .arg(AccessTableName(m.table)));
}
