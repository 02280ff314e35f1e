#pragma once
#include "core/tools/XmlTool.h"
#include "gui/widgets/FormBase.h"

#include <QList>
#include <QPixmap>

class QTreeWidget;
class QTreeWidgetItem;
class LineEditor;

// The XML Reader & Writer: shows any XML file as a tree, lets single item
// texts be edited and writes the tree as a file into the project folder.
class TFXML : public FormBase {
    Q_OBJECT
public:
    // `itemEditor` asks for an item's new text (the program's New-project dialog).
    TFXML(Workspace& ws, LineEditor& itemEditor, QWidget* parent = nullptr,
          Build build = Build::Now);

    QTreeWidget* TvXml = nullptr;
    QPushButton *btnopen{}, *btnFullExpand{}, *btnWrite{};
    // The open-file dialog's settings; the chooser itself is the prompt's.
    struct {
        QString title = "Open XML File";
        QString filter = "XML Files (*.xml)|*.xml";
        QString defaultExt = "*.xml";
    } opdXMLFile;
    // Ten pictures: 2 x kind code, and 2 x kind code + 1 when selected.
    QList<QPixmap> IiXml;

    void FormShow() override;
    void btnOpenClick();
    void btnFullExpandClick();
    void btnWriteClick();
    // F2 or the right mouse button in the tree: edit the selected item's text.
    void TvXmlKeyDown(int key);
    void TvXmlMouseDown(Qt::MouseButton button);
    void editSelectedItem();

    // The tree as items, and back.
    XmlItem treeItems() const;
    void showItems(const XmlItem& doc);

protected:
    void buildControls() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTreeWidgetItem* makeItem(const XmlItem& item);

    LineEditor& itemEditor_;
};
