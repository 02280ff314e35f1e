#include "gui/tools/XmlToolWindow.h"

#include "core/project/Workspace.h"
#include "gui/widgets/Controls.h"
#include "gui/widgets/LineEditor.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int KindRole = Qt::UserRole + 1;

// The pictures of the five kinds: a tile with the kind's letter; the
// selected picture is the same tile lit up.
QList<QPixmap> MakeXmlPictures() {
    struct Look {
        QColor colour;
        QString letter;
    };
    const Look looks[] = {{QColor(0x5a, 0x6e, 0x8c), "D"},
                          {QColor(0x2e, 0x7d, 0x32), "E"},
                          {QColor(0xc7, 0x6a, 0x00), "A"},
                          {QColor(0x6a, 0x3d, 0x9a), "P"},
                          {QColor(0x00, 0x79, 0x8c), "X"}};
    QList<QPixmap> out;
    for (const Look& l : looks) {
        for (bool selected : {false, true}) {
            QPixmap pm(16, 16);
            pm.fill(Qt::transparent);
            QPainter p(&pm);
            p.setRenderHint(QPainter::Antialiasing);
            QColor fill = selected ? l.colour.lighter(150) : l.colour;
            p.setPen(QPen(selected ? QColor(Qt::black) : l.colour.darker(140), 1));
            p.setBrush(fill);
            p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
            QFont f = p.font();
            f.setPixelSize(11);
            f.setBold(true);
            p.setFont(f);
            p.setPen(selected ? Qt::black : Qt::white);
            p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, l.letter);
            out << pm;
        }
    }
    return out;
}

} // namespace

TFXML::TFXML(Workspace& ws, LineEditor& itemEditor, QWidget* parent, Build build)
    : FormBase(ws, parent,
               {"FXML", "XML Reader & Writer", {732, 560}, Resizable, MaximizableFrame}),
      itemEditor_(itemEditor) {
    setSizeGripEnabled(true);
    buildIfNow(build);
}

void TFXML::buildControls() {
    IiXml = MakeXmlPictures();

    btnopen = NewControl<QPushButton>(this, "btnopen", "Open ");
    btnFullExpand = NewControl<QPushButton>(this, "btnFullExpand", "Full Expand");
    btnWrite = NewControl<QPushButton>(this, "btnWrite", "Write");
    for (QPushButton* b : {btnopen, btnFullExpand, btnWrite}) {
        b->setAutoDefault(false);
        b->setMinimumWidth(90);
    }

    TvXml = Named(new QTreeWidget(this), "TvXml");
    TvXml->setAccessibleName("XML tree");
    TvXml->setHeaderHidden(true);
    TvXml->setColumnCount(1);
    TvXml->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TvXml->setSelectionMode(QAbstractItemView::SingleSelection);
    TvXml->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    TvXml->header()->setStretchLastSection(false);
    TvXml->installEventFilter(this);
    TvXml->viewport()->installEventFilter(this);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnopen);
    buttons->addWidget(btnFullExpand);
    buttons->addWidget(btnWrite);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addLayout(buttons);
    layout->addWidget(TvXml, 1);

    connect(btnopen, &QPushButton::clicked, this, [this] { btnOpenClick(); });
    connect(btnFullExpand, &QPushButton::clicked, this, [this] { btnFullExpandClick(); });
    connect(btnWrite, &QPushButton::clicked, this, [this] { btnWriteClick(); });
}

void TFXML::FormShow() {
    TvXml->clear();
}

bool TFXML::eventFilter(QObject* watched, QEvent* event) {
    if (watched == TvXml && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_F2) {
        TvXmlKeyDown(Qt::Key_F2);
        return true;
    }
    if (watched == TvXml->viewport() && event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        TvXmlMouseDown(Qt::RightButton);
        return true;
    }
    return FormBase::eventFilter(watched, event);
}

void TFXML::TvXmlKeyDown(int key) {
    if (key == Qt::Key_F2) editSelectedItem();
}

void TFXML::TvXmlMouseDown(Qt::MouseButton button) {
    if (button == Qt::RightButton) editSelectedItem();
}

void TFXML::editSelectedItem() {
    QList<QTreeWidgetItem*> sel = TvXml->selectedItems();
    if (sel.isEmpty()) return;
    QTreeWidgetItem* item = sel.first();
    try {
        if (auto text = itemEditor_.editLine(item->text(0))) item->setText(0, *text);
    } catch (...) {
        // Editing an item is best effort; the tree stays as it was.
    }
}

QTreeWidgetItem* TFXML::makeItem(const XmlItem& item) {
    auto* ti = new QTreeWidgetItem(QStringList(QString::fromStdString(item.text)));
    ti->setData(0, KindRole, static_cast<int>(item.kind));
    QIcon icon(IiXml.value(XmlPicture(item.kind)));
    icon.addPixmap(IiXml.value(XmlSelectedPicture(item.kind)), QIcon::Selected);
    ti->setIcon(0, icon);
    for (const XmlItem& c : item.children)
        ti->addChild(makeItem(c));
    return ti;
}

void TFXML::showItems(const XmlItem& doc) {
    QTreeWidgetItem* top = makeItem(doc);
    TvXml->clear();
    TvXml->addTopLevelItem(top);
}

namespace {
XmlItem FromTree(const QTreeWidgetItem* ti) {
    XmlItem item;
    item.kind = static_cast<XmlNodeKind>(ti->data(0, KindRole).toInt());
    item.text = ti->text(0).toStdString();
    for (int i = 0; i < ti->childCount(); ++i)
        item.children.push_back(FromTree(ti->child(i)));
    return item;
}
} // namespace

XmlItem TFXML::treeItems() const {
    if (TvXml->topLevelItemCount() == 0) return {};
    return FromTree(TvXml->topLevelItem(0));
}

void TFXML::btnOpenClick() {
    btnopen->setEnabled(false);
    std::optional<QString> file = prompt().openFile(
        opdXMLFile.title, QString::fromStdString(ws().ProjectFolder), opdXMLFile.filter);
    if (file) {
        // A reading error is reported and leaves the previous tree.
        run([&] { showItems(ReadXmlFile(file->toStdString())); });
    }
    btnopen->setEnabled(true);
}

void TFXML::btnFullExpandClick() {
    TvXml->expandAll();
}

void TFXML::btnWriteClick() {
    btnWrite->setEnabled(false);
    if (TvXml->topLevelItemCount() > 0) {
        XmlWriteOutcome out = WriteXmlItems(treeItems(), ws().ProjectFolder);
        if (!out.message.empty()) prompt().message(QString::fromStdString(out.message));
    }
    btnWrite->setEnabled(true);
}
