#include "app/MainWindow.h"

#include "app/Forms.h"
#include "core/device/ConfigImage.h"
#include "core/device/GsdWriter.h"
#include "core/device/ImageDiff.h"
#include "core/editors/ProjectCheck.h"
#include "core/model/Check.h"
#include "core/model/Project.h"
#include "core/project/FileSystem.h"
#include "core/project/Workspace.h"
#include "gui/device/UpdateWindow.h"
#include "gui/editors/AccessMapWindow.h"
#include "gui/editors/CommunicationWindow.h"
#include "gui/editors/DiagnosisWindow.h"
#include "gui/family/EmcyWindow.h"
#include "gui/family/EmcyWordWindow.h"
#include "gui/family/PdoAccessWindow.h"
#include "gui/family/PdoWindow.h"
#include "gui/family/StoredPdoWindow.h"
#include "gui/project/NewProjectWindow.h"
#include "gui/tools/AboutWindow.h"
#include "gui/tools/CompareWindow.h"
#include "gui/tools/ReportWindow.h"

#include "gui/widgets/Controls.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <algorithm>

namespace {
QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption, QRect geo,
                        bool visible) {
    auto* b = Named(new QPushButton(caption, parent), name, geo);
    b->setVisible(visible);
    return b;
}

QLabel* MakeStepLabel(QWidget* parent, const char* name, const char* caption, QRect geo) {
    auto* l = Named(new QLabel(caption, parent), name, geo);
    // Palette and font rather than a style sheet: a style sheet costs a
    // millisecond of start-up for these labels.
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, QColor(128, 128, 128));
    l->setPalette(p);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}
} // namespace

TFTessaroFirmWare::TFTessaroFirmWare(Workspace& ws, Forms* forms, QWidget* parent)
    : FormBase(ws, parent, {"FTessaroFirmWare", MainCaption, {565, 224}, Fixed, MainFrame}),
      forms_(forms) {
    openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };

    OpenExcel.filter = "File EXCEL (*.xls)|*.xls";
    SaveGDS.filter = "Generic Station Description (*.gsd)|*.gsd";
    SaveGDS.defaultExt = "*.gsd";

    const int x1 = 96, x2 = 276, w = 170, h = 30;
    New = MakeButton(this, "New", "New project", {x1, 32, w, h}, true);
    open = MakeButton(this, "open", "Open project", {x2, 32, w, h}, true);
    LbButton1 = MakeButton(this, "LbButton1", "X", {533, 6, 26, 24}, true);
    CreateBin = MakeButton(this, "CreateBin", "Update Device", {x1, 152, w, h}, true);
    CreateSx = MakeButton(this, "CreateSx", "Generate Firmware", {x2, 152, w, h}, false);
    about = MakeButton(this, "about", "About", {455, 6, 72, 24}, true);
    about->setIcon(style()->standardIcon(QStyle::SP_MessageBoxInformation));
    // Left of About, in the strip the step buttons leave free.
    btnReport = MakeButton(this, "btnReport", "Report", {377, 6, 72, 24}, true);
    btn_Compare = MakeButton(this, "btn_Compare", "Compare…", {287, 6, 84, 24}, true);
    btn_Compare->setToolTip("Compare the project with an image file or another project");
    btn_Prm_Gen = MakeButton(this, "btn_Prm_Gen", "Set Communication", {x1, 72, w, h}, true);
    btn_Emcy_Wd = MakeButton(this, "btn_Emcy_Wd", "Define EMCY Word", {x2, 72, w, h}, false);
    btn_Sdo = MakeButton(this, "btn_Sdo", "Set Access ", {x1, 112, w, h}, true);
    btn_Pdo = MakeButton(this, "btn_Pdo", "Set Traslate PDO", {x2, 112, w, h}, false);
    btn_Emcy = MakeButton(this, "btn_Emcy", "Set Traslate EMCY", {x2, 72, w, h}, false);
    btn_Info_Pdo = MakeButton(this, "btn_Info_Pdo", "Define store PDO", {x2, 112, w, h}, false);
    Btn_SetPDO = MakeButton(this, "Btn_SetPDO", "Set PDO Access ", {x2, 112, w, h}, false);
    Label2 = MakeStepLabel(this, "Label2", "Step 1", {24, 32, 64, h});
    Label3 = MakeStepLabel(this, "Label3", "Step 2", {24, 72, 64, h});
    Label4 = MakeStepLabel(this, "Label4", "Step 3", {24, 112, 64, h});
    Label5 = MakeStepLabel(this, "Label5", "Step 4", {24, 152, 64, h});
    Label1 = MakeStepLabel(this, "Label1", MakerHomeText, {340, 198, 215, 20});
    Label1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label1->setCursor(Qt::PointingHandCursor);
    Label1->setToolTip(MakerHomeUrl);
    Label1->installEventFilter(this);
    // The free strip left of the maker's link, below Step 4.
    LabelCheck = Named(new QLabel(this), "LabelCheck", {24, 198, 310, 20});
    LabelCheck->setAccessibleName("Project check");
    LabelCheck->setCursor(Qt::PointingHandCursor);
    LabelCheck->installEventFilter(this);
    // Placed after the check state's text at each refresh.
    LabelImage = Named(new QLabel(this), "LabelImage", {200, 198, 150, 20});
    LabelImage->setAccessibleName("Image fingerprint");
    LabelImage->setTextFormat(Qt::PlainText);
    LabelImage->setCursor(Qt::PointingHandCursor);
    LabelImage->installEventFilter(this);
    btn_Gds = MakeButton(this, "btn_Gds", "GSD File", {x2, 152, w, h}, false);
    btn_Error_Diag = MakeButton(this, "btn_Error_Diag", "Error/Diagnosis", {x2, 72, w, h}, false);

    connect(New, &QPushButton::clicked, this, [this] { run([this] { NewaClick(); }); });
    connect(open, &QPushButton::clicked, this, [this] { run([this] { OpenaClick(); }); });
    connect(LbButton1, &QPushButton::clicked, this, [this] { LbButton1Click(); });
    connect(CreateBin, &QPushButton::clicked, this, [this] { run([this] { CreateBinaClick(); }); });
    connect(CreateSx, &QPushButton::clicked, this, [this] { run([this] { CreateBinaClick(); }); });
    connect(about, &QPushButton::clicked, this, [this] { run([this] { AboutClick(); }); });
    connect(btnReport, &QPushButton::clicked, this, [this] { run([this] { ReportClick(); }); });
    connect(btn_Compare, &QPushButton::clicked, this, [this] { run([this] { CompareClick(); }); });
    for (QPushButton* b : {btn_Sdo, btn_Pdo, btn_Info_Pdo, btn_Emcy, btn_Emcy_Wd, btn_Gds,
                           Btn_SetPDO, btn_Error_Diag, btn_Prm_Gen}) {
        connect(b, &QPushButton::clicked, this,
                [this, b] { run([this, b] { btn_str_lng1aClick(b); }); });
    }

    FormCreate();
}

void TFTessaroFirmWare::setCaptionFor(const std::string& name) {
    setWindowTitle(QString(MainCaption) + QString::fromStdString(name));
}

void TFTessaroFirmWare::FormCreate() {
    bool found = ws().Settle();
    if (found) setCaptionFor(ws().ProjectName);
    OpenExcel.initialDir = QString::fromStdString(ws().ProjectFolder);
    ws().reloadProject();
    refreshCheck();
}

void TFTessaroFirmWare::FormClose() {
    // A read-only or vanished executable folder must not keep the program open.
    ws().RememberProject();
}

void TFTessaroFirmWare::closeEvent(QCloseEvent* e) {
    if (!closing_) {
        closing_ = true;
        FormClose();
    }
    e->accept();
    FormBase::closeEvent(e);
}

void TFTessaroFirmWare::keyPressEvent(QKeyEvent* e) {
    // Escape must not close the main window.
    if (e->key() == Qt::Key_Escape) return;
    FormBase::keyPressEvent(e);
}

bool TFTessaroFirmWare::eventFilter(QObject* o, QEvent* e) {
    if (o == Label1 && e->type() == QEvent::MouseButtonRelease) {
        Label1Click();
        return true;
    }
    if ((o == LabelCheck || o == LabelImage) && e->type() == QEvent::MouseButtonRelease) {
        run([this] { LabelCheckClick(); });
        return true;
    }
    return FormBase::eventFilter(o, e);
}

int TFTessaroFirmWare::showModal(QDialog* dialog) {
    return dialog->exec();
}

void TFTessaroFirmWare::NewaClick() {
    TFsaveproj* dlg = forms()->Fsaveproj;
    dlg->EditTextMode = 0;
    dlg->NewProjectBase = ws().ProjectsFolder;
    if (showModal(dlg) == QDialog::Accepted) {
        setCaptionFor(ws().ProjectName);
        OpenExcel.initialDir = QString::fromStdString(ws().ProjectFolder);
    } else {
        setWindowTitle(MainCaption);
    }
    ws().reloadProject();
    refreshCheck();
}

void TFTessaroFirmWare::OpenaClick() {
    ws().ForgetVanishedProject();
    std::optional<QString> picked = prompt().browseFolder(
        "Select directory of project", QString::fromStdString(ws().ProjectsFolder),
        QString::fromStdString(ws().ProjectFolder));
    std::optional<std::string> folder;
    if (picked) folder = picked->toStdString();
    ws().ApplyOpenedFolder(folder);
    setCaptionFor(ws().ProjectName);
    OpenExcel.initialDir = QString::fromStdString(ws().ProjectFolder);
    ws().reloadProject();
    refreshCheck();
}

void TFTessaroFirmWare::btn_str_lng1aClick(QObject* sender) {
    if (ws().ProjectFolder.empty()) {
        prompt().message("Project not valid");
        return;
    }
    if (sender == btn_Gds) GsdFileClick();
    const Forms& f = *forms();
    const std::pair<QObject*, QDialog*> editors[] = {{btn_Sdo, f.FSetVar},
                                                     {btn_Pdo, f.Fpdo},
                                                     {btn_Info_Pdo, f.FInfopdo},
                                                     {btn_Emcy, f.Femcy},
                                                     {btn_Emcy_Wd, f.FWemcy},
                                                     {Btn_SetPDO, f.FSetPdo},
                                                     {btn_Error_Diag, f.FSetDiagnosis},
                                                     {btn_Prm_Gen, f.Fpargen}};
    for (const auto& [button, editor] : editors)
        if (sender == button) showModal(editor);
    // An editor may have committed into the model.
    refreshCheck();
}

void TFTessaroFirmWare::GsdFileClick() {
    SaveGDS.initialDir = QString::fromStdString(ws().ProjectFolder);
    std::optional<QString> target =
        prompt().saveFile("Save GSD file", SaveGDS.initialDir, SaveGDS.filter, SaveGDS.defaultExt);
    if (!target) return;
    SaveGDS.fileName = *target;
    WriteGsd(target->toStdString(), ws().project());
}

namespace {
QString Lines(const std::vector<Finding>& findings, Severity least) {
    // A long list would not fit a message box; the rest is counted.
    constexpr int Shown = 20;
    QStringList lines;
    int more = 0;
    for (const Finding& f : findings) {
        if (static_cast<int>(f.severity) > static_cast<int>(least)) continue;
        if (lines.size() < Shown)
            lines << QString::fromStdString(FindingLine(f));
        else
            ++more;
    }
    if (more) lines << QString("... and %1 more").arg(more);
    return lines.join("\n");
}
} // namespace

bool TFTessaroFirmWare::projectOpen() const {
    return !ws().ProjectName.empty() && DirectoryExists(ws().ProjectFolder);
}

void TFTessaroFirmWare::refreshCheck() {
    findings_.clear();
    if (projectOpen()) findings_ = CheckProject(ws().project());
    LabelCheck->setText(projectOpen()
                            ? QString::fromStdString(FindingSummary(CountFindings(findings_)))
                            : QString());
    LabelCheck->setToolTip(projectOpen() ? "Click for the list of findings" : QString());
    // The fingerprint follows the check state's text, up to the maker's link.
    const ProjectPrint print =
        projectOpen() ? ProjectFingerprint(ws().project(), findings_) : ProjectPrint{};
    const int x =
        LabelCheck->x() + LabelCheck->fontMetrics().horizontalAdvance(LabelCheck->text()) + 16;
    const int end =
        Label1->geometry().right() - Label1->fontMetrics().horizontalAdvance(Label1->text()) - 12;
    LabelImage->setGeometry(x, LabelCheck->y(), std::max(end - x, 40), LabelCheck->height());
    const QString text = QString::fromStdString(print.text);
    LabelImage->setText(
        LabelImage->fontMetrics().elidedText(text, Qt::ElideRight, LabelImage->width()));
    LabelImage->setToolTip(text.isEmpty() ? QString()
                                          : "The image the project would build now: " + text);
}

void TFTessaroFirmWare::LabelCheckClick() {
    if (!projectOpen()) return;
    refreshCheck();
    prompt().message(findings_.empty() ? QString("No findings") : Lines(findings_, Severity::Info));
}

void TFTessaroFirmWare::CreateBinaClick() {
    if (projectOpen()) {
        refreshCheck();
        if (HasErrors(findings_) &&
            !prompt().confirmRisky(
                "Update Device", "The project has errors:\n\n" + Lines(findings_, Severity::Error) +
                                     "\n\nBuild the configuration image anyway?"))
            return;
    }
    WriteImage(ws().ProjectFolder, BuildImage(ws().project()));
    showModal(forms()->FBootSer);
}

void TFTessaroFirmWare::ReportClick() {
    if (!projectOpen()) {
        prompt().message("Project not valid");
        return;
    }
    if (!report) report = new TFReport(ws(), this);
    showModal(report);
}

TFCompare* TFTessaroFirmWare::compareWindow() {
    if (compare_) return compare_;
    compare_ = new TFCompare(ws(), this);
    compare_->setWindowFlag(Qt::Window);
    // A double click on a row difference opens Set Access there.
    compare_->openAccessRow = [this](AccessTable t, int row, const std::string& column) {
        if (compare_->sideA() != ws().ProjectFolder) {
            prompt().message("The compared project is no longer the open one.");
            return;
        }
        TFSetVar* editor = forms()->FSetVar;
        // After the showing has loaded the grids.
        QTimer::singleShot(0, editor, [=] { editor->selectFinding(t, row, column); });
        showModal(editor);
        refreshCheck();
    };
    return compare_;
}

void TFTessaroFirmWare::CompareClick() {
    if (!projectOpen()) {
        prompt().message("Project not valid");
        return;
    }
    const int pick = prompt().choose(
        "Compare",
        "Compare the project with an image file (such as the one the updater read back) or "
        "with another project?",
        {"Image file...", "Project...", "Cancel"}, 0, 2);
    std::optional<QString> other;
    if (pick == 0)
        other = prompt().openFile("Select configuration image",
                                  QString::fromStdString(ws().ProjectFolder + PathSep + "bin"),
                                  "Configuration image (*.bin)|*.bin");
    else if (pick == 1)
        other = prompt().browseFolder("Select directory of project",
                                      QString::fromStdString(ws().ProjectsFolder), QString());
    if (!other) return;
    TFCompare* w = compareWindow();
    if (!w->compare(ws().ProjectFolder, other->toStdString())) return;
    w->show();
    w->raise();
    w->activateWindow();
}

void TFTessaroFirmWare::AboutClick() {
    showModal(forms()->FAbout);
}

void TFTessaroFirmWare::LbButton1Click() {
    close();
}

void TFTessaroFirmWare::Label1Click() {
    openUrl(QUrl(MakerHomeUrl));
}
