#include "gui/family/EmcyWordWindow.h"
#include "gui/widgets/PlainText.h"

#include "core/project/ParseInteger.h"
#include "core/project/Workspace.h"
#include "gui/family/FamilyIO.h"

#include "gui/widgets/Controls.h"
#include "gui/widgets/FieldHints.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
const QColor kTransparent(128, 128, 0);

QString Q(const std::string& s) {
    return FileText(s);
}

QLineEdit* AddEdit(QFormLayout* form, QWidget* parent, const QString& name, const QString& label) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setFixedWidth(100);
    auto* l = new QLabel(label, parent);
    l->setBuddy(edit);
    form->addRow(l, edit);
    return edit;
}

// One 16 x 16 image: a word is a framed "W" card, a bit a small lamp; the
// selected variants are filled brighter.
void DrawWord(QPainter& p, int x, const QColor& fill, const QColor& ink) {
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(fill);
    p.drawRect(x + 1, 2, 13, 12);
    p.setPen(QPen(ink, 1.5));
    const QPointF w[] = {
        {x + 3.5, 5.0}, {x + 5.5, 11.5}, {x + 8.0, 7.0}, {x + 10.5, 11.5}, {x + 12.5, 5.0}};
    p.drawPolyline(w, 5);
}

void DrawBit(QPainter& p, int x, const QColor& fill) {
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(fill);
    p.drawEllipse(QRectF(x + 3.5, 3.5, 9, 9));
    p.setPen(QPen(Qt::white, 1));
    p.drawPoint(x + 6, 6);
}

const TFWemcy::Table Emcyword{EmcywordTable, LoadWordFile, SaveWordFile, ImportWordRecord,
                              WordCsvLines};
} // namespace

QPixmap TFWemcy::LargeImages() {
    QImage strip(96, 16, QImage::Format_RGB32);
    strip.fill(kTransparent);
    QPainter p(&strip);
    DrawWord(p, 0, QColor(200, 200, 200), QColor(0, 0, 128));  // 0 word
    DrawWord(p, 16, QColor(255, 255, 160), QColor(0, 0, 255)); // 1 word, selected
    DrawBit(p, 32, QColor(0, 100, 0));                         // 2 bit
    DrawBit(p, 48, QColor(0, 230, 0));                         // 3 bit, selected
    DrawWord(p, 64, QColor(200, 200, 200), QColor(128, 0, 0)); // 4 word, spare
    DrawBit(p, 80, QColor(200, 0, 0));                         // 5 bit, spare
    p.end();
    return QPixmap::fromImage(strip);
}

TFWemcy::TFWemcy(Workspace& ws, SpreadsheetSession& excel, QWidget* parent, Build build)
    : ListPairEditor(ws, excel, {"FWemcy", "Define EMCY Word", {560, 420}},
                     &Workspace::EmcywordPath, parent, Emcyword) {
    buildIfNow(build);
}

void TFWemcy::buildControls() {
    newPages();
    PageControl1->addTab(buildTab(0), "CanA");
    PageControl1->addTab(buildTab(1), "CanB");

    bitbtn1 = layOut("bitbtn1");
    FormCreate();
}

void TFWemcy::FormCreate() {
    const QPixmap strip = LargeImages();
    Large.clear();
    for (int i = 0; i < 6; ++i) {
        QPixmap image = strip.copy(i * 16, 0, 16, 16);
        image.setMask(image.createMaskFromColor(kTransparent, Qt::MaskInColor));
        Large << image;
    }
    wordIcon_ = QIcon();
    wordIcon_.addPixmap(Large[0], QIcon::Normal);
    wordIcon_.addPixmap(Large[1], QIcon::Selected);
    bitIcon_ = QIcon();
    bitIcon_.addPixmap(Large[2], QIcon::Normal);
    bitIcon_.addPixmap(Large[3], QIcon::Selected);
}

QWidget* TFWemcy::buildTab(int side) {
    const QString s = side ? "B" : "A";
    auto* page = new QWidget;
    page->setObjectName("TabSheet" + s);

    auto* tw = new QTreeWidget(page);
    tw->setObjectName("TWCan" + s);
    tw->setHeaderHidden(true);
    tw->setColumnCount(1);
    tw->setSelectionMode(QAbstractItemView::SingleSelection);
    tw->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tw->setFixedWidth(150);
    (side ? TWCanB : TWCanA) = tw;
    connect(tw, &QTreeWidget::currentItemChanged, this,
            [this, tw](QTreeWidgetItem* node) { run([&] { TWCanAChange(tw, node); }); });

    auto* word = new QGroupBox(QString::fromUtf8("Word n\u00b0  Emcy Define"), page);
    word->setObjectName("GBword_emcy_bitmap" + s);
    auto* wf = new QFormLayout(word);
    QLineEdit* index =
        AddEdit(wf, word, "Eindex_addrm" + s, side ? "Index SDO BUS A" : "Index SDO BUS B");
    QLineEdit* sub =
        AddEdit(wf, word, "Esubindex" + s, side ? "Subindex SDO BUS A" : "Subindex SDO BUS B");
    QLineEdit* dev = AddEdit(wf, word, "Edevid" + s, side ? "ID EMCY BUS B" : "ID EMCY BUS A");

    auto* bits = new QGroupBox(Q(BitGroupCaption(-1)), page);
    bits->setObjectName("Gbebm" + s);
    auto* bf = new QFormLayout(bits);
    QLineEdit* b0 = AddEdit(bf, bits, "Eb0" + s, "Mask Byte 1");
    QLineEdit* b1 = AddEdit(bf, bits, "Eb1" + s, side ? "Mask Byte 2" : "Mask byte 2");
    QLineEdit* p1 = AddEdit(bf, bits, "Eposcomp" + s, "Emcy byte 1");
    QLineEdit* p2 = AddEdit(bf, bits, "Eposcomp" + s + "2", "Emcy Byte 2");
    // What the packed value keeps of each position (first div 16, second mod 16).
    SetNumericRange(p1, 0, 4095, {}, {}, true);
    SetNumericRange(p2, 0, 15, {}, {}, true);

    if (side) {
        GBword_emcy_bitmapB = word, Eindex_addrmB = index, EsubindexB = sub, EdevidB = dev;
        GbebmB = bits, Eb0B = b0, Eb1B = b1, EposcompB = p1, EposcompB2 = p2;
    } else {
        GBword_emcy_bitmapA = word, Eindex_addrmA = index, EsubindexA = sub, EdevidA = dev;
        GbebmA = bits, Eb0A = b0, Eb1A = b1, EposcompA = p1, EposcompA2 = p2;
    }

    QPushButton* del = (side ? deleteB : deleteA) =
        newCommand(page, "delete" + s, "Delete", &TFWemcy::deleteBClick);
    QPushButton* add = (side ? newB : newA) =
        newCommand(page, "new" + s, "New", &TFWemcy::newBClick);
    QPushButton* mod = (side ? modifyB : modifyA) =
        newCommand(page, "modify" + s, "Modify", &TFWemcy::modifyBClick);

    auto* right = new QVBoxLayout;
    right->addWidget(word);
    right->addWidget(bits);
    right->addStretch();
    right->addLayout(EntryButtonRow(del, add, mod));
    auto* layout = new QHBoxLayout(page);
    layout->addWidget(tw);
    layout->addLayout(right);
    return page;
}

int TFWemcy::sideOf(QObject* sender) const {
    return (sender == TWCanB || sender == newB || sender == modifyB || sender == deleteB) ? 1 : 0;
}

TFWemcy::TabControls TFWemcy::tab(int side) const {
    if (side)
        return {Eindex_addrmB, EsubindexB,          EdevidB, Eb0B, Eb1B, EposcompB,
                EposcompB2,    GBword_emcy_bitmapB, GbebmB};
    return {Eindex_addrmA, EsubindexA,          EdevidA, Eb0A, Eb1A, EposcompA,
            EposcompA2,    GBword_emcy_bitmapA, GbebmA};
}

void TFWemcy::clearControls() {
    for (int side = 0; side < 2; ++side) {
        {
            const QSignalBlocker block(tree(side));
            tree(side)->clear();
        }
        tree(side)->clearSelection();
        const TabControls t = tab(side);
        for (QLineEdit* e : {t.index, t.subindex, t.devid, t.b0, t.b1, t.pos1, t.pos2})
            e->clear();
    }
    Lists = WordLists{};
}

void TFWemcy::showLists(bool) {
    // Words read or imported are labelled 0, 1, 2 ... per tree, in list order.
    for (int side = 0; side < 2; ++side)
        for (size_t i = 0; i < Lists.side(side).size(); ++i)
            AddWordNode(tree(side), static_cast<int>(i), std::to_string(i));
}

void TFWemcy::AddWordNode(QTreeWidget* tw, int listPosition, const std::string& label) {
    // The node is appended, so its place in the tree is the list position:
    // nothing else is kept that a later Delete would leave stale.
    Q_ASSERT(listPosition == tw->topLevelItemCount());
    Q_UNUSED(listPosition);
    const QSignalBlocker block(tw);
    auto* word = new QTreeWidgetItem(tw, QStringList{"W" + Q(label)});
    word->setData(0, NodeKindRole, 0);
    word->setIcon(0, wordIcon_);
    for (int b = 0; b < WordBits; ++b) {
        auto* bit = new QTreeWidgetItem(word, QStringList{"Bit" + QString::number(b)});
        bit->setData(0, NodeKindRole, 1);
        bit->setIcon(0, bitIcon_);
    }
}

std::string TFWemcy::NextWordLabel(QTreeWidget* tw) const {
    std::vector<std::string> texts;
    for (int i = 0; i < tw->topLevelItemCount(); ++i)
        if (tw->topLevelItem(i)->data(0, NodeKindRole).toInt() == 0)
            texts.push_back(tw->topLevelItem(i)->text(0).toStdString());
    return ::NextWordLabel(texts);
}

bool TFWemcy::WordAccepted(const std::string& index_addrm, const std::string& subindex,
                           const std::string& devid, int ownPosition, int mode) {
    const std::vector<TClWEmcy>& list = Lists.side(mode % 2);
    const int own = mode >= 2 ? ownPosition : -1;
    if (WordTextsAccepted(list, index_addrm, subindex, devid, own)) return true;
    prompt().error("Index Not Valid");
    return false;
}

namespace {
int PositionOf(QTreeWidget* tw, QTreeWidgetItem* node) {
    if (QTreeWidgetItem* parent = node->parent())
        return NodePosition(tw->indexOfTopLevelItem(parent), parent->indexOfChild(node));
    return tw->indexOfTopLevelItem(node) * NodesPerWord;
}
} // namespace

int TFWemcy::SelectedNodeIndex(QTreeWidget* tw) const {
    QTreeWidgetItem* node = tw->currentItem();
    if (!node || !node->isSelected()) return -1;
    return PositionOf(tw, node);
}

QTreeWidgetItem* TFWemcy::nodeAt(int side, int position) const {
    const WordNodePos at = NodeAtPosition(position);
    QTreeWidgetItem* word = tree(side)->topLevelItem(at.word);
    if (!word || at.bit < 0) return word;
    return word->child(at.bit);
}

void TFWemcy::TWCanAChange(QObject* sender, QTreeWidgetItem* node) {
    if (!node) return;
    auto* tw = sender == TWCanB ? TWCanB : TWCanA;
    ShowNode(PositionOf(tw, node), sideOf(sender));
}

void TFWemcy::ShowNode(int position, int side) {
    const WordNodePos at = NodeAtPosition(position);
    for (int s = 0; s < 2; ++s) {
        tab(s).wordGroup->setTitle(Q(WordGroupCaption(at.word)));
        tab(s).bitGroup->setTitle(Q(BitGroupCaptionAt(position)));
    }
    const TClWEmcy& w = Lists.side(side).at(static_cast<size_t>(at.word));
    const TabControls t = tab(side);
    t.index->setText(Q(w.index_addrm));
    t.subindex->setText(Q(w.subindex));
    t.devid->setText(Q(w.devid));
    if (at.bit < 0) {
        for (QLineEdit* e : {t.b0, t.b1, t.pos1, t.pos2})
            e->clear();
        return;
    }
    const ClEbm& bit = w.Bits[static_cast<size_t>(at.bit)];
    t.b0->setText(Q(bit.b0));
    t.b1->setText(Q(bit.b1));
    const auto [first, second] = UnpackWordPoscomp(ParseInteger(bit.poscomp));
    t.pos1->setText(QString::number(first));
    t.pos2->setText(QString::number(second));
}

void TFWemcy::StoreSelection(int position, int side) {
    const WordNodePos at = NodeAtPosition(position);
    const TabControls t = tab(side);
    TClWEmcy& w = Lists.side(side).at(static_cast<size_t>(at.word));
    if (at.bit < 0) {
        const std::string index = t.index->text().toStdString();
        const std::string sub = t.subindex->text().toStdString();
        const std::string dev = t.devid->text().toStdString();
        if (!WordAccepted(index, sub, dev, at.word, 2 + side)) return;
        w.index_addrm = index;
        w.subindex = sub;
        w.devid = dev;
        return;
    }
    ClEbm& bit = w.Bits[static_cast<size_t>(at.bit)];
    bit.b0 = t.b0->text().toStdString();
    bit.b1 = t.b1->text().toStdString();
    const int32_t first = ParseInteger(t.pos1->text().toStdString());
    const int32_t second = ParseInteger(t.pos2->text().toStdString());
    bit.poscomp = PackWordPoscomp(first, second);
}

void TFWemcy::newBClick(QObject* sender) {
    const int side = sideOf(sender);
    const TabControls t = tab(side);
    TClWEmcy w;
    w.index_addrm = t.index->text().toStdString();
    w.subindex = t.subindex->text().toStdString();
    w.devid = t.devid->text().toStdString();
    if (!WordAccepted(w.index_addrm, w.subindex, w.devid, -1, side)) return;
    auto& list = Lists.side(side);
    AddWordNode(tree(side), static_cast<int>(list.size()), NextWordLabel(tree(side)));
    list.push_back(std::move(w));
}

void TFWemcy::modifyBClick(QObject* sender) {
    const int side = sideOf(sender);
    const int p = SelectedNodeIndex(tree(side));
    if (p < 0) return;
    StoreSelection(p, side);
}

void TFWemcy::deleteBClick(QObject* sender) {
    const int side = sideOf(sender);
    QTreeWidget* tw = tree(side);
    const int p = SelectedNodeIndex(tw);
    if (p < 0 || tw->currentItem()->data(0, NodeKindRole).toInt() != 0) return;
    const int w = NodeAtPosition(p).word;
    auto& list = Lists.side(side);
    list.erase(list.begin() + w);
    {
        // The list and the tree must agree before anything is shown again.
        const QSignalBlocker block(tw);
        delete tw->takeTopLevelItem(w);
    }
    if (QTreeWidgetItem* next = tw->currentItem()) {
        next->setSelected(true);
        TWCanAChange(tw, next);
    }
}
