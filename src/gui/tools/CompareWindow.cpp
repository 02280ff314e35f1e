#include "gui/tools/CompareWindow.h"

#include "core/model/Project.h"
#include "core/project/Workspace.h"

#include "core/device/Crc32.h"
#include "core/device/ImageDiff.h"
#include "core/project/FileSystem.h"
#include "core/project/Workspace.h"
#include "gui/widgets/Controls.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// The wait cursor while sides are read and built.
struct Busy {
    Busy() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~Busy() { QApplication::restoreOverrideCursor(); }
};

const char* const Headers[] = {"Part", "Row", "Field", "A", "B"};
} // namespace

TFCompare::TFCompare(Workspace& ws, QWidget* parent, Build build)
    : FormBase(ws, parent, {"FCompare", "Compare", {760, 420}, Resizable, SizableFrame}),
      result_(std::make_unique<ImageComparison>()) {
    buildIfNow(build);
}

TFCompare::~TFCompare() = default;

void TFCompare::buildControls() {
    LabelA = Named(new QLabel(this), "LabelA");
    LabelB = Named(new QLabel(this), "LabelB");
    for (QLabel* l : {LabelA, LabelB}) {
        l->setTextFormat(Qt::PlainText);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    LabelResult = Named(new QLabel(this), "LabelResult");
    LabelResult->setTextFormat(Qt::PlainText);
    QFont f = LabelResult->font();
    f.setBold(true);
    LabelResult->setFont(f);
    ListDifferences = Named(new QTableWidget(0, 5, this), "ListDifferences");
    ListDifferences->setAccessibleName("Differences");
    QStringList headers;
    for (const char* h : Headers)
        headers << h;
    ListDifferences->setHorizontalHeaderLabels(headers);
    ListDifferences->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListDifferences->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListDifferences->verticalHeader()->hide();
    // Part, Row and Field as wide as they need, the two sides share the rest.
    QHeaderView* h = ListDifferences->horizontalHeader();
    for (int c = 0; c < 3; ++c)
        h->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    h->setSectionResizeMode(3, QHeaderView::Stretch);
    h->setSectionResizeMode(4, QHeaderView::Stretch);
    ListDifferences->setToolTip("Double click a row difference to open Set Access on that row");
    btn_Again = NewPlainButton(this, "btn_Again", "Compare again");
    btn_Export = NewPlainButton(this, "btn_Export", "Export...");
    btn_Close = NewPlainButton(this, "btn_Close", "Close");
    auto* row = new QHBoxLayout;
    row->addWidget(btn_Again);
    row->addWidget(btn_Export);
    row->addStretch();
    row->addWidget(btn_Close);
    auto* main = new QVBoxLayout(this);
    main->addWidget(LabelA);
    main->addWidget(LabelB);
    main->addWidget(LabelResult);
    main->addWidget(ListDifferences);
    main->addLayout(row);
    connect(btn_Again, &QPushButton::clicked, this, [this] { run([this] { compareAgain(); }); });
    connect(btn_Export, &QPushButton::clicked, this, [this] { run([this] { ExportClick(); }); });
    connect(btn_Close, &QPushButton::clicked, this, [this] { close(); });
    connect(ListDifferences, &QTableWidget::cellDoubleClicked, this,
            [this](int r, int) { run([this, r] { DifferenceActivated(r); }); });
}

bool TFCompare::load(const std::string& path, const char* which, DiffSide& side) {
    const QString head = QString("%1 (%2)").arg(which, Q(path));
    // The open project is compared as its model stands.
    auto sideOf = [&](bool force) {
        return path == ws().ProjectFolder ? ProjectDiffSide(ws().project(), force)
                                          : LoadDiffSide(path, force);
    };
    try {
        side = sideOf(false);
        if (!side.stopped) return true;
        QStringList lines;
        for (const Finding& f : side.errors)
            lines << Q(FindingLine(f));
        if (lines.size() > 10) lines = lines.mid(0, 10) << "...";
        if (!prompt().confirm("Compare", head + " has errors:\n\n" + lines.join("\n") +
                                             "\n\nCompare the image it would build anyway?"))
            return false;
        side = sideOf(true);
        return true;
    } catch (const std::exception& e) {
        prompt().error(head + " cannot be read.", Q(e.what()));
        return false;
    }
}

bool TFCompare::compare(const std::string& a, const std::string& b) {
    ensureBuilt();
    a_ = a;
    b_ = b;
    DiffSide sa, sb;
    {
        Busy busy;
        if (!load(a, "A", sa)) return false;
    }
    {
        Busy busy;
        if (!load(b, "B", sb)) return false;
    }
    showResult(sa, sb);
    return true;
}

bool TFCompare::compareAgain() {
    if (a_.empty()) return false;
    return compare(a_, b_);
}

void TFCompare::showResult(const DiffSide& a, const DiffSide& b) {
    *result_ = CompareSides(a, b);
    // Paths in the workspace's projects folder are named from there.
    const std::string projects = ws().ProjectsFolder + PathSep;
    auto label = [&](const char* which, const DiffSide& s, uint32_t crc) {
        const bool inside = s.name.size() > projects.size() && s.name.rfind(projects, 0) == 0;
        return QString("%1: %2 (%3), %4")
            .arg(which, Q(inside ? s.name.substr(projects.size()) : s.name),
                 s.project ? "project" : "image file", Q(Crc32Text(crc)));
    };
    LabelA->setText(label("A", a, result_->crcA));
    LabelB->setText(label("B", b, result_->crcB));
    const bool same = result_->identical();
    LabelResult->setText(same ? QString("Identical")
                              : QString::fromStdString(ComparisonSummary(*result_)));
    QPalette p = LabelResult->palette();
    p.setColor(QPalette::WindowText,
               same ? QColor(0, 128, 0) : palette().color(QPalette::WindowText));
    LabelResult->setPalette(p);

    ListDifferences->setUpdatesEnabled(false);
    ListDifferences->clearContents();
    ListDifferences->setRowCount(int(result_->differences.size()));
    for (int r = 0; r < ListDifferences->rowCount(); ++r) {
        const Difference& d = result_->differences[size_t(r)];
        const QString cells[] = {DiffPartName(d.part), d.row ? QString::number(d.row) : QString(),
                                 Q(DifferenceField(d)), Q(d.a.text), Q(d.b.text)};
        for (int c = 0; c < 5; ++c)
            ListDifferences->setItem(r, c, new QTableWidgetItem(cells[c]));
    }
    ListDifferences->setUpdatesEnabled(true);
}

void TFCompare::DifferenceActivated(int index) {
    if (index < 0 || size_t(index) >= result_->differences.size() || !openAccessRow) return;
    const Difference& d = result_->differences[size_t(index)];
    if (d.part == DiffPart::Parameter) return;
    openAccessRow(d.part == DiffPart::Read ? AccessTable::Read : AccessTable::Write, d.row,
                  d.field.empty() ? std::string("Slave ID") : d.field);
    // The editor may have saved: the list follows the project.
    compareAgain();
}

void TFCompare::ExportClick() {
    auto path = prompt().saveFile("Export differences", Q(ws().ProjectFolder),
                                  "CSV file (*.csv)|*.csv", "csv");
    if (!path) return;
    WriteFileAtomic(path->toStdString(), ComparisonCsv(*result_));
}
