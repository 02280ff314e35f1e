#include "gui/device/FirmwareWindow.h"

#include "core/device/DeviceUpdate.h"

#include "core/project/FileSystem.h"
#include "core/project/Workspace.h"
#include "gui/widgets/Controls.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

namespace {
constexpr int ClientWidth = 430;
constexpr int ClientHeight = 124;
constexpr int OptionsHeight = 300;
} // namespace

TFModifyFileSx::TFModifyFileSx(Workspace& ws, QWidget* parent, Build build)
    : FormBase(ws, parent,
               {"FModifyFileSx", "Generate Firmware", {ClientWidth, ClientHeight}, Fixed}),
      variant(ProductVariant) {
    buildIfNow(build);
}

void TFModifyFileSx::buildControls() {
    LbButton1 = Named(new QPushButton("X", this), "LbButton1", {398, 6, 26, 24});
    LabelPort = Named(new QLabel("COM port:", this), "LabelPort", {20, 40, 70, 26});
    cbport = Named(new QComboBox(this), "cbport", {92, 40, 104, 26});
    // Each entry shows its device; the flash programmer gets the position.
    for (int i = 1; i <= 8; ++i)
        cbport->addItem(QString::fromStdString(SerialPortLabel("COM" + std::to_string(i))));
    cbport->view()->setMinimumWidth(cbport->view()->sizeHintForColumn(0) + 8);
    LabelPort->setBuddy(cbport);
    UpdateFirmware = Named(new QPushButton("Execute update firmware", this), "UpdateFirmware",
                           {200, 38, 210, 30});
    ProgressBar1 = Named(new QProgressBar(this), "ProgressBar1", {20, 86, 390, 20});
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setValue(0);

    OpenFirmware =
        Named(new QPushButton("Open Firmware", this), "OpenFirmware", {20, 124, 120, 26});
    Options = Named(new QPushButton("Options>>", this), "Options", {150, 124, 120, 26});
    ModifySx =
        Named(new QPushButton("Execute Modify File Sx", this), "ModifySx", {280, 124, 130, 26});
    Label1 = Named(new QLabel("Name new Firmware:", this), "Label1", {20, 160, 130, 24});
    NewFileSx = Named(new QLineEdit(this), "NewFileSx", {150, 160, 260, 24});
    Label1->setBuddy(NewFileSx);
    UpdateFirmware2 = Named(new QPushButton("Execute update firmware", this), "UpdateFirmware2",
                            {200, 192, 210, 26});
    PanelBank = Named(new QFrame(this), "PanelBank", {20, 226, 390, 32});
    PanelBank->setFrameShape(QFrame::StyledPanel);
    for (int i = 0; i < BankCount; ++i) {
        auto* cb = new QCheckBox(QString("Bank %1").arg(i + 1), PanelBank);
        cb->setObjectName(QString("CB_Bank%1").arg(i + 1));
        cb->setGeometry(8 + i * 76, 4, 70, 24);
        cb->setChecked(true);
        CB_Bank[size_t(i)] = cb;
    }
    DirBin = Named(new QPushButton("Directory File Bin", this), "DirBin", {20, 264, 150, 26});

    for (QWidget* w :
         std::initializer_list<QWidget*>{OpenFirmware, Options, ModifySx, Label1, NewFileSx,
                                         UpdateFirmware2, PanelBank, DirBin})
        w->hide();

    composer.onMessage = [this](const std::string& m) {
        prompt().message(QString::fromStdString(m));
    };
    composer.onProgress = [this](int position, int maximum) {
        if (ProgressBar1->maximum() != maximum) ProgressBar1->setMaximum(maximum);
        ProgressBar1->setValue(position);
    };
    composer.onStageDone = [this](int bank, int result) {
        if (result == 0) setBankMarked(bank, true);
    };

    connect(LbButton1, &QPushButton::clicked, this, [this] { LbButton1Click(); });
    connect(UpdateFirmware, &QPushButton::clicked, this,
            [this] { run([this] { UpdateFirmwareClick(); }); });
    connect(ModifySx, &QPushButton::clicked, this, [this] { run([this] { ModifySxClick(); }); });
    connect(UpdateFirmware2, &QPushButton::clicked, this,
            [this] { run([this] { UpdateFirmware2Click(); }); });
    connect(OpenFirmware, &QPushButton::clicked, this,
            [this] { run([this] { OpenFirmwareClick(); }); });
    connect(Options, &QPushButton::clicked, this, [this] { OptionsClick(); });
    connect(DirBin, &QPushButton::clicked, this, [this] { run([this] { DirBinClick(); }); });
    connect(NewFileSx, &QLineEdit::textChanged, this,
            [this](const QString& text) { composer.NewName = text.toStdString(); });
}

void TFModifyFileSx::FormShow() {
    Options->setText("Options >>");
    PanelBank->hide();
    DirBin->hide();
    setFixedClientSize(ClientWidth, ClientHeight);
    if (QScreen* s = screen()) {
        const QRect area = s->geometry();
        move(area.x() + (area.width() - width()) / 2,
             area.y() + std::max(0, area.height() / 2 - height()));
    }

    if (variant == 2 || variant == 3) {
        for (int i = 0; i < BankCount; ++i) {
            CB_Bank[size_t(i)]->setVisible(i < 2);
            if (i < 2) CB_Bank[size_t(i)]->setChecked(true);
        }
        for (int i = 0; i < BankCount; ++i)
            setBankMarked(i, false);
    }

    cbport->setCurrentIndex(0);
    ProgressBar1->setValue(0);
    UpdateFirmware->setEnabled(false);

    const Workspace& w = ws();
    const std::string bin = w.ProjectFolder + PathSep + "bin" + PathSep;
    if (DirectoryExists(bin)) composer.BinFolder = bin;

    if (!w.MasterFolder.empty() && DirectoryExists(w.MasterFolder)) {
        if (FileExists(w.MasterFolder + PathSep + DefaultFirmware)) {
            firmwareChosen(w.MasterFolder, DefaultFirmware);
        } else {
            prompt().error("Error! Firmware File not Found! Please reinstall the software.");
        }
    } else {
        prompt().error("Error! Firmware Directory not Found! Please reinstall the software.");
    }
}

void TFModifyFileSx::firmwareChosen(const std::string& folder, const std::string& name) {
    composer.SelectFirmware(folder, name, ws().ProjectFolder);
    NewFileSx->setText(QString::fromStdString(composer.NewName));
    UpdateFirmware->setEnabled(true);
}

bool TFModifyFileSx::bankMarked(int bank) const {
    return CB_Bank[size_t(bank)]->property("marked").toBool();
}

void TFModifyFileSx::setBankMarked(int bank, bool marked) {
    QCheckBox* cb = CB_Bank[size_t(bank)];
    cb->setProperty("marked", marked);
    cb->setStyleSheet(marked ? "QCheckBox { background-color: red; }" : QString());
}

void TFModifyFileSx::ComposeFirmware() {
    for (int i = 0; i < BankCount; ++i)
        setBankMarked(i, false);
    ModifySx->setEnabled(false);
    std::array<bool, BankCount> selected{};
    // A box counts when it is not hidden itself; its panel is hidden.
    for (int i = 0; i < BankCount; ++i)
        selected[size_t(i)] = !CB_Bank[size_t(i)]->isHidden() && CB_Bank[size_t(i)]->isChecked();
    composer.Compose(selected);
    ModifySx->setEnabled(true);
}

void TFModifyFileSx::UpdateDevice() {
    composer.Update(cbport->currentIndex(), ws().ExeFolder);
}

void TFModifyFileSx::UpdateFirmwareClick() {
    ComposeFirmware();
    UpdateDevice();
}

void TFModifyFileSx::ModifySxClick() {
    ComposeFirmware();
}

void TFModifyFileSx::UpdateFirmware2Click() {
    UpdateDevice();
}

void TFModifyFileSx::OpenFirmwareClick() {
    const Workspace& w = ws();
    const std::string start = DirectoryExists(w.MasterFolder) ? w.MasterFolder : w.ExeFolder;
    std::optional<QString> picked =
        prompt().openFile("Open Firmware", QString::fromStdString(start), "File Sx (*.Sx)|*.Sx");
    if (!picked) return;
    const std::string path = picked->toStdString();
    const size_t sep = path.find_last_of(PathSep);
    if (sep == std::string::npos)
        firmwareChosen(start, path);
    else
        firmwareChosen(sep == 0 ? "/" : path.substr(0, sep), path.substr(sep + 1));
}

void TFModifyFileSx::OptionsClick() {
    const bool show = PanelBank->isHidden();
    PanelBank->setVisible(show);
    DirBin->setVisible(show);
    Options->setText(show ? "<< Options" : "Options >>");
    setFixedClientSize(ClientWidth, show ? OptionsHeight : ClientHeight);
}

void TFModifyFileSx::DirBinClick() {
    const QString project = QString::fromStdString(ws().ProjectFolder);
    std::optional<QString> picked = prompt().browseFolder("Select Directory Bin", project, project);
    if (!picked) return;
    std::string folder = picked->toStdString();
    if (folder.empty() || folder.back() != PathSep) folder += PathSep;
    composer.BinFolder = folder;
}

void TFModifyFileSx::LbButton1Click() {
    close();
}
