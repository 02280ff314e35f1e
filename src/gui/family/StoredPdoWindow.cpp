#include "gui/family/StoredPdoWindow.h"

#include "core/project/Workspace.h"
#include "gui/family/FamilyIO.h"

#include "gui/widgets/Controls.h"
#include "gui/widgets/FieldHints.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {
QLabel* Label(QWidget* parent, const QString& name, const char* text, QWidget* buddy) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    if (buddy) l->setBuddy(buddy);
    return l;
}

QComboBox* ByteChoice(QWidget* parent, const QString& name) {
    auto* c = new QComboBox(parent);
    c->setObjectName(name);
    c->addItems({"none", "B1", "B2", "B3", "B4", "B5", "B6", "B7", "B8"});
    c->setCurrentIndex(0);
    return c;
}

std::string Text(const QLineEdit* e) {
    return e->text().toStdString();
}
} // namespace

TFInfopdo::TFInfopdo(Workspace& ws, SpreadsheetSession& excel, QWidget* parent, Build build)
    : FamilyEditor(ws, &excel, {"FInfopdo", "Define Store PDO", {620, 420}, Fixed},
                   &Workspace::SdopdoPath, parent) {
    buildIfNow(build);
}

void TFInfopdo::buildControls() {
    newPages();
    CanA = new QWidget;
    CanA->setObjectName("CanA");
    CanB = new QWidget;
    CanB->setObjectName("CanB");
    PageControl1->addTab(CanA, "CanA");
    PageControl1->addTab(CanB, "CanB");
    buildTab(0, CanA);
    buildTab(1, CanB);

    LbButton1 = layOut("LbButton1");
}

void TFInfopdo::buildTab(int side, QWidget* page) {
    const bool a = side == 0;
    const char* other = a ? "CANB" : "CANA";
    Tab& t = tab_[side];
    t.pdos = new QListWidget(page);
    t.pdos->setObjectName(a ? "LPdoCanA" : "LPdoCanB");
    t.sdos = new QListWidget(page);
    t.sdos->setObjectName(a ? "LSdoCanA" : "LSdoCanB");
    t.index = new QLineEdit(page);
    t.index->setObjectName(a ? "EindexA" : "EindexB");
    t.subindex = new QLineEdit(page);
    t.subindex->setObjectName(a ? "EsubindexA" : "EsubindexB");
    t.msb = ByteChoice(page, a ? "PoscompMsbA" : "PoscompMsbB");
    t.lsb = ByteChoice(page, a ? "PoscompLsbA" : "PoscompLsbB");
    t.del = NewPlainButton(page, a ? "DELETEa" : "Deleteb", "Delete SDO");
    t.add = NewPlainButton(page, a ? "NewA" : "Newb", "New SDO");
    t.modify = NewPlainButton(page, a ? "ModifyA" : "Modifyb", "Modify SDO");
    t.copy = NewPlainButton(page, a ? "copyA" : "copyB", "Copy SDO");
    t.paste = NewPlainButton(page, a ? "PasteA" : "PasteB", "Paste SDO");

    const QString sfx = a ? "A" : "B";
    auto* grid = new QGridLayout(page);
    grid->addWidget(Label(page, "LabelCorrelated" + sfx, "Correlated", nullptr), 0, 0);
    grid->addWidget(
        Label(page, "LabelPdo" + sfx, a ? "Index PDO in CANA" : "Index PDO in CANB", t.pdos), 1, 0);
    grid->addWidget(t.pdos, 2, 0, 8, 1);
    grid->addWidget(Label(page, "LabelSdo" + sfx, a ? "SDO CANB" : "SDO CANA", t.sdos), 1, 1);
    grid->addWidget(t.sdos, 2, 1, 8, 1);
    const QString idx = QString("Index SDO ") + other, sub = QString("Subindex SDO ") + other;
    grid->addWidget(Label(page, "LabelIndex" + sfx, idx.toUtf8().constData(), t.index), 1, 2);
    grid->addWidget(t.index, 2, 2);
    grid->addWidget(Label(page, "LabelSubindex" + sfx, sub.toUtf8().constData(), t.subindex), 3, 2);
    grid->addWidget(t.subindex, 4, 2);

    auto* high = new QGroupBox(page);
    high->setObjectName("GroupMsb" + sfx);
    auto* hl = new QGridLayout(high);
    hl->addWidget(Label(high, "LabelMsbIn" + sfx, "Traslate in", nullptr), 0, 0);
    hl->addWidget(Label(high, "LabelMsbWhat" + sfx, "High SDO Byte", nullptr), 0, 1);
    hl->addWidget(Label(high, "LabelMsb" + sfx, "Selected PDO Byte", t.msb), 1, 0);
    hl->addWidget(t.msb, 1, 1);
    auto* low = new QGroupBox(page);
    low->setObjectName("GroupLsb" + sfx);
    auto* ll = new QGridLayout(low);
    // The CanA page's own spelling.
    ll->addWidget(Label(low, "LabelLsbIn" + sfx, a ? "Trsalete in" : "Traslate in", nullptr), 0, 0);
    ll->addWidget(Label(low, "LabelLsbWhat" + sfx, "Low SDO Byte", nullptr), 0, 1);
    ll->addWidget(Label(low, "LabelLsb" + sfx, "Selected PDO Byte", t.lsb), 1, 0);
    ll->addWidget(t.lsb, 1, 1);
    grid->addWidget(high, 5, 2);
    grid->addWidget(low, 6, 2);

    auto* cmds = new QVBoxLayout;
    for (QPushButton* b : {t.add, t.modify, t.del, t.copy, t.paste})
        cmds->addWidget(b);
    cmds->addStretch();
    grid->addLayout(cmds, 1, 3, 9, 1);

    if (a) {
        LPdoCanA = t.pdos, LSdoCanA = t.sdos, EindexA = t.index, EsubindexA = t.subindex;
        PoscompMsbA = t.msb, PoscompLsbA = t.lsb, DELETEa = t.del, NewA = t.add;
        ModifyA = t.modify, copyA = t.copy, PasteA = t.paste;
    } else {
        LPdoCanB = t.pdos, LSdoCanB = t.sdos, EindexB = t.index, EsubindexB = t.subindex;
        PoscompMsbB = t.msb, PoscompLsbB = t.lsb, Deleteb = t.del, Newb = t.add;
        Modifyb = t.modify, copyB = t.copy, PasteB = t.paste;
    }

    // Each handler is shared by both tabs and told which control fired.
    auto call = [this](QObject* src, void (TFInfopdo::*handler)(QObject*)) {
        return [this, src, handler] { run([&] { (this->*handler)(src); }); };
    };
    // The lists follow their current line however it moves (keys, mouse,
    // program); a click on the line already current shows it again. The click
    // that ends a press which moved the line has been handled already.
    for (auto [list, handler] : {std::pair{t.pdos, &TFInfopdo::LPdoCanAClick},
                                 std::pair{t.sdos, &TFInfopdo::LSdoCanAClick}}) {
        connect(list, &QListWidget::currentItemChanged, this,
                [this, list, run = call(list, handler)](QListWidgetItem* item) {
                    movedTo_[list] = item;
                    run();
                });
        connect(list, &QListWidget::itemClicked, this,
                [this, list, run = call(list, handler)](QListWidgetItem* item) {
                    if (movedTo_.value(list) == item) {
                        movedTo_.remove(list);
                        return;
                    }
                    run();
                });
    }
    onClick(t.del, &TFInfopdo::DeleteAClick);
    onClick(t.add, &TFInfopdo::NewAClick);
    onClick(t.modify, &TFInfopdo::ModifyAClick);
    onClick(t.copy, &TFInfopdo::CopyAClick);
    onClick(t.paste, &TFInfopdo::PasteAClick);
}

int TFInfopdo::sideOf(QObject* sender) const {
    const Tab& b = tab_[1];
    for (QObject* o :
         std::initializer_list<QObject*>{b.pdos, b.sdos, b.del, b.add, b.modify, b.copy, b.paste})
        if (o == sender) return 1;
    return 0;
}

std::string TFInfopdo::selection(int side) const {
    return PackPoscomp(ShownCode(tab_[side].msb), ShownCode(tab_[side].lsb));
}

void TFInfopdo::setSelection(int side, const std::string& poscomp) {
    auto [high, low] = UnpackPoscomp(poscomp);
    // Positions beyond B8 are shown as they are, marked.
    ShowChoice(tab_[side].msb, high);
    ShowChoice(tab_[side].lsb, low);
}

bool TFInfopdo::selectionRefused(int side) {
    const std::string why =
        CheckByteSelection(ShownCode(tab_[side].msb), ShownCode(tab_[side].lsb));
    if (why.empty()) return false;
    prompt().error(QString::fromStdString(why));
    return true;
}

void TFInfopdo::clearTab(int side) {
    Tab& t = tab_[side];
    t.sdos->clear();
    t.index->clear();
    t.subindex->clear();
    ShowChoice(t.msb, 0);
    ShowChoice(t.lsb, 0);
}

void TFInfopdo::clearControls() {
    for (int side = 0; side < 2; ++side) {
        tab_[side].pdos->clear();
        clearTab(side);
    }
    model_ = StoredPdoModel{};
}

void TFInfopdo::loadControls() {
    const std::string sdoPath = ws().ProjectFolder + "/sdo.xml";
    const std::string rpdodefPath = ws().ProjectFolder + "/rpdodef.xml";
    for (const auto& text : LoadStoredPdo(sdoPath, rpdodefPath, ws().SdopdoPath, model_))
        prompt().message(QString::fromStdString(text));
    for (int side = 0; side < 2; ++side)
        for (const auto& pdo : model_.side[side].pdos)
            tab_[side].pdos->addItem(QString::fromStdString(pdo.cobid));
}

void TFInfopdo::LPdoCanAClick(QObject* sender) {
    const int side = sideOf(sender);
    clearTab(side);
    const int p = tab_[side].pdos->currentRow();
    if (p < 0 || p >= int(model_.side[side].pdos.size())) return;
    const auto& entries = model_.side[side].pdos[size_t(p)].entries;
    for (size_t e = 0; e < entries.size(); ++e)
        tab_[side].sdos->addItem("Sdo" + QString::number(e));
}

void TFInfopdo::LSdoCanAClick(QObject* sender) {
    const int side = sideOf(sender);
    Tab& t = tab_[side];
    const int p = t.pdos->currentRow(), e = t.sdos->currentRow();
    if (p < 0 || e < 0 || p >= int(model_.side[side].pdos.size())) return;
    const auto& entries = model_.side[side].pdos[size_t(p)].entries;
    if (e >= int(entries.size())) return;
    const TClSdo& s = entries[size_t(e)];
    t.index->setText(QString::fromStdString(s.index));
    t.subindex->setText(QString::fromStdString(s.subindex));
    setSelection(side, s.poscomp);
}

void TFInfopdo::NewAClick(QObject* sender) {
    const int side = sideOf(sender);
    Tab& t = tab_[side];
    const int p = t.pdos->currentRow();
    if (p < 0 || p >= int(model_.side[side].pdos.size())) return;
    // Entries on a PDO the file cannot number would not read back.
    if (auto refused = CheckStoredPdoNumber(model_.side[side].pdos[size_t(p)].number);
        !refused.empty()) {
        prompt().error(QString::fromStdString(refused));
        return;
    }
    if (selectionRefused(side)) return;
    const std::string why = CheckSdoEntryKey(
        Text(t.index), Text(t.subindex), model_.side[side].keys, model_.side[side].pdos, -1, -1);
    if (!why.empty()) {
        prompt().error(QString::fromStdString(why));
        return;
    }
    TClSdo entry{Text(t.index), Text(t.subindex), selection(side)};
    t.sdos->addItem("Sdo" + QString::number(t.sdos->count()));
    t.sdos->setCurrentRow(t.sdos->count() - 1);
    model_.side[side].pdos[size_t(p)].entries.push_back(std::move(entry));
}

TFInfopdo::SelectedEntry TFInfopdo::selectedEntry(int side) {
    const Tab& t = tab_[side];
    SelectedEntry s{nullptr, t.pdos->currentRow(), t.sdos->currentRow()};
    if (s.pdo < 0 || s.entry < 0 || s.pdo >= int(model_.side[side].pdos.size())) return s;
    auto& entries = model_.side[side].pdos[size_t(s.pdo)].entries;
    if (s.entry < int(entries.size())) s.entries = &entries;
    return s;
}

void TFInfopdo::ModifyAClick(QObject* sender) {
    const int side = sideOf(sender);
    const Tab& t = tab_[side];
    const SelectedEntry s = selectedEntry(side);
    if (!s.entries || selectionRefused(side)) return;
    const std::string why =
        CheckSdoEntryKey(Text(t.index), Text(t.subindex), model_.side[side].keys,
                         model_.side[side].pdos, s.pdo, s.entry);
    if (!why.empty()) {
        prompt().error(QString::fromStdString(why));
        return;
    }
    (*s.entries)[size_t(s.entry)] = {Text(t.index), Text(t.subindex), selection(side)};
}

void TFInfopdo::DeleteAClick(QObject* sender) {
    const int side = sideOf(sender);
    const SelectedEntry s = selectedEntry(side);
    if (!s.entries) return;
    s.entries->erase(s.entries->begin() + s.entry);
    // No line is current afterwards: the edit fields keep what they show,
    // and no other entry seems to own it.
    QListWidget* sdos = tab_[side].sdos;
    const QSignalBlocker block(sdos);
    delete sdos->takeItem(s.entry);
    sdos->setCurrentRow(-1);
}

void TFInfopdo::CopyAClick(QObject* sender) {
    Tab& t = tab_[sideOf(sender)];
    t.bufIndex = Text(t.index);
    t.bufSubindex = Text(t.subindex);
    t.bufPoscomp = selection(sideOf(sender));
}

void TFInfopdo::PasteAClick(QObject* sender) {
    const int side = sideOf(sender);
    Tab& t = tab_[side];
    t.index->setText(QString::fromStdString(t.bufIndex));
    t.subindex->setText(QString::fromStdString(t.bufSubindex));
    setSelection(side, t.bufPoscomp);
}

void TFInfopdo::save() {
    SaveSdopdo(ws().SdopdoPath, model_);
}

bool TFInfopdo::importData() {
    StoredPdoModel imported = model_;
    ImportHandlers h;
    h.worksheetFound = [&] { ClearStoredEntries(imported); };
    h.record = [&](int32_t n, const std::vector<std::string>& f) {
        ImportStoredRecord(imported, n, f);
    };
    const bool done = importTable(SdopdoTable, h, [&] {
                          for (int side = 0; side < 2; ++side)
                              clearTab(side);
                          model_ = std::move(imported);
                      }).has_value();
    // The entry lists follow the PDO lines still current.
    for (int side = 0; side < 2; ++side)
        if (tab_[side].pdos->currentRow() >= 0) LPdoCanAClick(tab_[side].pdos);
    return done;
}

void TFInfopdo::exportData() {
    exportTable(SdopdoTable, StoredExportLines(model_));
}
