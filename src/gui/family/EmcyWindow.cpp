#include "gui/family/EmcyWindow.h"

#include "core/project/Workspace.h"
#include "gui/family/FamilyIO.h"

#include "gui/widgets/Controls.h"
#include "gui/widgets/FieldHints.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {
const QString kIndexNotValid = "Index Not Valid";

// Edits of a tab as they stand on screen: field, control name, label, range.
struct EditRow {
    int field;
    const char* name;
    const char* label;
    const char* range;
    int32_t low, high;
};
const EditRow kEditRows[] = {
    {0, "Eid_dev", "ID_EMCY", "(1..127)", 1, 127},
    {1, "Emask_eq_ec", "Mask_error_code", "(0..65535)", 0, 65535},
    {6, "Eenmask_eq_ec", "Enabled_mask_error_code", "(0..65535)", 0, 65535},
    {2, "Emask_eq_er", "MAsk_error_Reg", "(0..255)", 0, 255},
    {7, "Eenmask_eq_er", "Enabled_mask_error_Reg", "(0..255)", 0, 255},
    {3, "Emask_eq_m1", "Mask_Manu1", "(0..65535)", 0, 65535},
    {8, "Eenmask_eq_m1", "Enabled_Mask_Manu1", "(0..65535)", 0, 65535},
    {4, "Emask_eq_m2", "Mask_Manu2", "(0..65535)", 0, 65535},
    {9, "Eenmask_eq_m2", "Enabled_Mask_Manu2", "(0..65535)", 0, 65535},
    {5, "Emask_eq_m3", "Mask_Manu3", "(0..255)", 0, 255},
    {10, "Eenmask_eq_m3", "Enabled_Mask_Manu3", "(0..255)", 0, 255},
};

// Options by target value; value 3 is the ninth button.
const char* const kOptionNames[EmcyMaxTarget + 1] = {"r1", "r2", "r3", "r9", "r4",
                                                     "r5", "r6", "r7", "r8"};
const char* const kOptionCaptions[EmcyMaxTarget + 1] = {
    nullptr,           "Error code byte  HIGH", "Error code byte LOW",
    "Error Reg",       "Manu1 byte HIGH",       "Manu1 byte LOW",
    "Manu2 byte HIGH", "Manu2 byte LOW",        "Manu3"};

QString Named(const char* base, int side, bool lowerSuffix = false) {
    const char* suffix = lowerSuffix ? (side ? "b" : "a") : (side ? "B" : "A");
    return QString(base) + suffix;
}

const TFemcy::Table Emcydef{EmcydefTable, LoadEmcyFile, SaveEmcyFile, ImportEmcyRecord,
                            EmcyCsvLines};
} // namespace

TFemcy::TFemcy(Workspace& ws, SpreadsheetSession& excel, QWidget* parent, Build build)
    : ListPairEditor(ws, excel, {"Femcy", "Set Traslate EMCY"}, &Workspace::EmcydefPath, parent,
                     Emcydef) {
    buildIfNow(build);
}

void TFemcy::buildControls() {
    newPages();
    PageControl1->addTab(buildTab(0), "From CAN A");
    PageControl1->addTab(buildTab(1), "From CAN B");

    LbButton1 = layOut("LbButton1");
}

QWidget* TFemcy::buildTab(int side) {
    auto* page = new QWidget;
    page->setObjectName(Named("TabSheet", side));

    QListWidget* lb = new QListWidget(page);
    lb->setObjectName(Named("LBCan", side));
    lb->setSelectionMode(QAbstractItemView::SingleSelection);
    lb->setFixedWidth(90);
    (side ? LBCanB : LBCanA) = lb;
    connect(lb, &QListWidget::currentRowChanged, this,
            [this, lb] { run([this, lb] { LBCanAClick(lb); }); });
    // A click on the row already selected shows its entry again.
    connect(lb, &QListWidget::itemClicked, this,
            [this, lb] { run([this, lb] { LBCanAClick(lb); }); });

    QLineEdit** members[2][EmcyTextCount] = {
        {&Eid_devA, &Emask_eq_ecA, &Emask_eq_erA, &Emask_eq_m1A, &Emask_eq_m2A, &Emask_eq_m3A,
         &Eenmask_eq_ecA, &Eenmask_eq_erA, &Eenmask_eq_m1A, &Eenmask_eq_m2A, &Eenmask_eq_m3A},
        {&Eid_devB, &Emask_eq_ecB, &Emask_eq_erB, &Emask_eq_m1B, &Emask_eq_m2B, &Emask_eq_m3B,
         &Eenmask_eq_ecB, &Eenmask_eq_erB, &Eenmask_eq_m1B, &Eenmask_eq_m2B, &Eenmask_eq_m3B}};
    auto* fields = new QGridLayout;
    int row = 0;
    for (const EditRow& r : kEditRows) {
        auto* label = new QLabel(r.label, page);
        auto* edit = new QLineEdit(page);
        edit->setObjectName(Named(r.name, side));
        edit->setFixedWidth(90);
        label->setBuddy(edit);
        // The range beside the box is also its input limit, tooltip and marking.
        SetNumericRange(edit, r.low, r.high, {}, {}, true); // empty is stored as "0"
        fields->addWidget(label, row, 0);
        fields->addWidget(edit, row, 1);
        fields->addWidget(new QLabel(r.range, page), row, 2);
        *members[side][r.field] = edit;
        edits_[side][r.field] = edit;
        ++row;
    }
    QCheckBox* enable =
        new QCheckBox(side ? "Enabled_Traslate to CANA" : "Enabled_Traslate to CANB", page);
    enable->setObjectName(Named("enable", side, true));
    (side ? enableb : enablea) = enable;
    fields->addWidget(enable, row, 0, 1, 3);
    fields->setRowStretch(row + 1, 1);

    QGroupBox* group = new QGroupBox("Allias use", page);
    group->setObjectName(Named("GroupBox", side));
    (side ? GroupBoxB : GroupBoxA) = group;
    auto* g = new QVBoxLayout(group);
    g->addWidget(new QLabel(side ? "ID CANB EMCY " : "ID CANA EMCY ", group));
    g->addWidget(new QLabel("Traslate in", group));
    g->addWidget(new QLabel(side ? "CANA EMCY at:" : "CANB EMCY at:", group));
    QRadioButton** optionMembers[2][EmcyMaxTarget + 1] = {
        {&r1a, &r2a, &r3a, &r9a, &r4a, &r5a, &r6a, &r7a, &r8a},
        {&r1b, &r2b, &r3b, &r9b, &r4b, &r5b, &r6b, &r7b, &r8b}};
    auto* exclusive = new QButtonGroup(group);
    for (int v = 0; v <= EmcyMaxTarget; ++v) {
        const QString caption =
            v ? kOptionCaptions[v] : (side ? "No traslate ID CANB" : "No traslate ID CANA");
        auto* rb = new QRadioButton(caption, group);
        rb->setObjectName(Named(kOptionNames[v], side, true));
        exclusive->addButton(rb, v);
        g->addWidget(rb);
        *optionMembers[side][v] = rb;
        options_[side][v] = rb;
    }
    options_[side][0]->setChecked(true);
    auto* stored = new QLabel(group);
    stored->setObjectName(Named("LStoredTarget", side));
    stored->setWordWrap(true);
    stored->setTextFormat(Qt::PlainText);
    QPalette red = stored->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    stored->setPalette(red);
    stored->hide();
    g->addWidget(stored);
    storedTarget_[side] = stored;
    g->addStretch();

    QPushButton* del = (side ? DeleteB : DeleteA) =
        newCommand(page, Named("Delete", side), "Delete EMCY", &TFemcy::DeleteAClick);
    QPushButton* add = (side ? NewB : NewA) =
        newCommand(page, Named("New", side), "New EMCY", &TFemcy::NewAClick);
    QPushButton* mod = (side ? ModifyB : ModifyA) =
        newCommand(page, Named("Modify", side), "Modify EMCY", &TFemcy::ModifyAClick);

    auto* top = new QHBoxLayout;
    top->addWidget(lb);
    top->addLayout(fields);
    top->addWidget(group);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(top);
    layout->addLayout(EntryButtonRow(del, add, mod));
    return page;
}

int TFemcy::sideOf(QObject* sender) const {
    return (sender == LBCanB || sender == NewB || sender == ModifyB || sender == DeleteB) ? 1 : 0;
}

int TFemcy::selectedRow(int side) const {
    QListWidget* lb = listBox(side);
    const int row = lb->currentRow();
    return row >= 0 && lb->item(row)->isSelected() ? row : -1;
}

void TFemcy::clearControls() {
    for (int side = 0; side < 2; ++side) {
        const QSignalBlocker block(listBox(side));
        listBox(side)->clear();
        for (QLineEdit* e : edits_[side])
            e->clear();
        (side ? enableb : enablea)->setChecked(false);
        options_[side][0]->setChecked(true);
        storedTarget_[side]->hide();
    }
    Lists = EmcyLists{};
}

void TFemcy::showLists(bool whole) {
    for (int side = 0; side < 2; ++side) {
        const QSignalBlocker block(listBox(side));
        for (const TClEmcy& e : Lists.side(side))
            listBox(side)->addItem(QString::fromStdString(e.id_dev));
    }
    // A file read in part shows no entry until one is chosen.
    if (!whole) return;
    for (int side = 0; side < 2; ++side) {
        if (listBox(side)->count() == 0) continue;
        {
            const QSignalBlocker block(listBox(side));
            listBox(side)->setCurrentRow(0);
        }
        showEntry(side, 0);
    }
}

void TFemcy::LBCanAClick(QObject* sender) {
    const int side = sideOf(sender);
    const int row = selectedRow(side);
    if (row >= 0) showEntry(side, row);
}

void TFemcy::showEntry(int side, int row) {
    const TClEmcy& e = Lists.side(side).at(static_cast<size_t>(row));
    for (int f = 0; f < EmcyTextCount; ++f)
        edits_[side][f]->setText(QString::fromStdString(e.text(f)));
    (side ? enableb : enablea)->setChecked(e.TranslateEnabled);
    if (e.TranslateTarget >= 0 && e.TranslateTarget <= EmcyMaxTarget) {
        options_[side][e.TranslateTarget]->setChecked(true);
        storedTarget_[side]->hide();
        return;
    }
    // A stored target beyond the options: none is checked, the value is told,
    // and New or Modify wait for a choice instead of taking another option.
    QButtonGroup* group = options_[side][0]->group();
    group->setExclusive(false);
    for (QRadioButton* rb : options_[side])
        rb->setChecked(false);
    group->setExclusive(true);
    storedTarget_[side]->setText(
        QString("Stored target %1 is none of these options").arg(e.TranslateTarget));
    storedTarget_[side]->show();
}

bool TFemcy::targetRefused(int side) {
    int checked = -1;
    for (int v = 0; v <= EmcyMaxTarget; ++v)
        if (options_[side][v]->isChecked()) checked = v;
    const std::string why = CheckEmcyTarget(checked);
    if (why.empty()) return false;
    prompt().error(QString::fromStdString(why));
    return true;
}

bool TFemcy::IdRejected(const std::string& newId, const std::string& oldId, int side, bool isNew) {
    std::vector<std::string> rows;
    for (int i = 0; i < listBox(side)->count(); ++i)
        rows.push_back(listBox(side)->item(i)->text().toStdString());
    const int shown = EmcyIdRejections(newId, oldId, rows, isNew);
    for (int i = 0; i < shown; ++i)
        prompt().error(kIndexNotValid);
    return shown > 0;
}

TClEmcy TFemcy::entryFromTab(int side) const {
    TClEmcy e;
    for (int f = 0; f < EmcyTextCount; ++f) {
        const QString t = edits_[side][f]->text();
        e.text(f) = t.isEmpty() ? "0" : t.toStdString();
    }
    e.TranslateEnabled = (side ? enableb : enablea)->isChecked();
    for (int v = 0; v <= EmcyMaxTarget; ++v)
        if (options_[side][v]->isChecked()) e.TranslateTarget = v;
    return e;
}

void TFemcy::appendEntry(int side, TClEmcy entry) {
    QListWidget* lb = listBox(side);
    const QSignalBlocker block(lb);
    lb->addItem(QString::fromStdString(entry.id_dev));
    Lists.side(side).push_back(std::move(entry));
}

void TFemcy::NewAClick(QObject* sender) {
    const int side = sideOf(sender);
    const std::string id = edits_[side][0]->text().toStdString();
    if (IdRejected(id, "", side, true) || targetRefused(side)) return;
    QListWidget* lb = listBox(side);
    appendEntry(side, entryFromTab(side));
    const QSignalBlocker block(lb);
    lb->setCurrentRow(lb->count() - 1);
}

void TFemcy::ModifyAClick(QObject* sender) {
    const int side = sideOf(sender);
    const int row = selectedRow(side);
    if (row < 0) return;
    QListWidget* lb = listBox(side);
    const std::string id = edits_[side][0]->text().toStdString();
    if (IdRejected(id, lb->item(row)->text().toStdString(), side, false) || targetRefused(side))
        return;
    Lists.side(side)[static_cast<size_t>(row)] = entryFromTab(side);
    lb->item(row)->setText(QString::fromStdString(id));
}

void TFemcy::DeleteAClick(QObject* sender) {
    const int side = sideOf(sender);
    const int row = selectedRow(side);
    if (row < 0) return;
    auto& list = Lists.side(side);
    list.erase(list.begin() + row);
    QListWidget* lb = listBox(side);
    const QSignalBlocker block(lb);
    delete lb->takeItem(row);
    lb->clearSelection();
    lb->setCurrentRow(-1);
}
