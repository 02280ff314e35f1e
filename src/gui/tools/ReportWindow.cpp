#include "gui/tools/ReportWindow.h"

#include "core/model/Project.h"

#include "core/project/FileSystem.h"
#include "core/project/Workspace.h"
#include "core/report/CommissioningReport.h"
#include "gui/widgets/Controls.h"
#include "gui/widgets/PlainText.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDate>
#include <QHBoxLayout>
#include <QLibrary>
#include <QLocale>
#include <QPageSize>
#include <QPdfWriter>
#include <QPushButton>
#include <QTextBrowser>
#include <QTextDocument>
#include <QVBoxLayout>

#include <cstdlib>
#include <stdexcept>

namespace {
// The printing module beside the program (else in $TESSARO_BIN_DIR), as the
// workbook reader is found.
constexpr const char* PrintModuleName = "tessaro-print.so";
constexpr const char* PrintFunction = "TessaroPrintDocument";

using PrintDocument = void (*)(QTextDocument*, const QPageSize*, QWidget*);

PrintDocument LoadPrinting() {
    QString path = QCoreApplication::applicationDirPath() + "/" + PrintModuleName;
    if (!FileExists(path.toStdString()))
        if (const char* dir = std::getenv("TESSARO_BIN_DIR"); dir && *dir)
            path = QString::fromLocal8Bit(dir) + "/" + PrintModuleName;
    QLibrary module(path);
    auto print = reinterpret_cast<PrintDocument>(module.resolve(PrintFunction));
    if (!print) throw std::runtime_error("Cannot print: " + module.errorString().toStdString());
    return print;
}

QPageSize LocalPaper() {
    return QLocale().measurementSystem() == QLocale::ImperialUSSystem ? QPageSize(QPageSize::Letter)
                                                                      : QPageSize(QPageSize::A4);
}
} // namespace

TFReport::TFReport(Workspace& ws, QWidget* parent, Build build)
    : FormBase(ws, parent, {"FReport", "Commissioning report", {820, 640}}) {
    buildIfNow(build);
}

void TFReport::buildControls() {
    ReportView = Named(new QTextBrowser(this), "ReportView");
    ReportView->setOpenLinks(false);
    btnSavePdf = NewPlainButton(this, "btnSavePdf", "Save as PDF");
    btnSaveHtml = NewPlainButton(this, "btnSaveHtml", "Save HTML");
    btnPrint = NewPlainButton(this, "btnPrint", "Print");
    btnClose = NewPlainButton(this, "btnClose", "Close");
    auto* row = new QHBoxLayout;
    for (QPushButton* b : {btnSavePdf, btnSaveHtml, btnPrint})
        row->addWidget(b);
    row->addStretch();
    row->addWidget(btnClose);
    auto* main = new QVBoxLayout(this);
    main->addWidget(ReportView);
    main->addLayout(row);
    connect(btnSavePdf, &QPushButton::clicked, this, [this] { run([this] { SavePdfClick(); }); });
    connect(btnSaveHtml, &QPushButton::clicked, this, [this] { run([this] { SaveHtmlClick(); }); });
    connect(btnPrint, &QPushButton::clicked, this, [this] { run([this] { PrintClick(); }); });
    connect(btnClose, &QPushButton::clicked, this, [this] { done(Accepted); });
}

std::string TFReport::projectName() const {
    std::string name = ws().ProjectName;
    while (!name.empty() && name.front() == PathSep)
        name.erase(name.begin());
    return name;
}

void TFReport::FormShow() {
    run([this] {
        date_ = QDate::currentDate().toString(Qt::ISODate).toStdString();
        // Qt's rich text draws no SVG: the byte map comes as coloured table cells.
        ReportView->setHtml(QString::fromStdString(
            CommissioningReportHtml(ws().project(), projectName(), date_, ByteMapDrawing::Table)));
    });
}

void TFReport::savePdf(const std::string& path) {
    // Drawn in memory, then written as every other file is (atomically, links
    // followed, special files refused): QPdfWriter would truncate in place.
    QBuffer bytes;
    bytes.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&bytes);
        pdf.setPageSize(LocalPaper());
        pdf.setPageMargins(QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter);
        pdf.setTitle("Commissioning report " + QString::fromStdString(projectName()));
        ReportView->document()->print(&pdf);
    }
    WriteFileAtomic(path, std::string_view(bytes.data().constData(), size_t(bytes.data().size())));
}

void TFReport::SavePdfClick() {
    auto path = prompt().saveFile("Save as PDF", QString::fromStdString(ws().ProjectFolder),
                                  "PDF files (*.pdf)|*.pdf", "pdf");
    if (path) savePdf(path->toStdString());
}

void TFReport::SaveHtmlClick() {
    auto path = prompt().saveFile("Save HTML", QString::fromStdString(ws().ProjectFolder),
                                  "HTML files (*.html)|*.html", "html");
    if (path)
        WriteFileAtomic(path->toStdString(),
                        CommissioningReportHtml(ws().project(), projectName(), date_));
}

void TFReport::PrintClick() {
    // Loaded once and kept: QLibrary leaves a module loaded when it goes.
    static PrintDocument print = nullptr;
    try {
        if (!print) print = LoadPrinting();
    } catch (const std::exception& e) {
        // A module missing or broken is said; the window goes on.
        prompt().error(FileText(e.what()));
        return;
    }
    const QPageSize paper = LocalPaper();
    print(ReportView->document(), &paper, this);
}
