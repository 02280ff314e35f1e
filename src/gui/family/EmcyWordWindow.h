#pragma once
#include "core/family/EmcyWords.h"
#include "gui/family/PairEditors.h"

#include <QIcon>
#include <QList>
#include <QPixmap>

class QTreeWidget;
class QTreeWidgetItem;

// "Define EMCY Word": emcyword.xml, 16-bit status words built from the EMCY
// messages of a node, per CAN side, shown as trees of words and bits.
class TFWemcy : public ListPairEditor<WordLists> {
    Q_OBJECT
public:
    // `excel` is the workbook session Import reads through.
    TFWemcy(Workspace& ws, SpreadsheetSession& excel, QWidget* parent = nullptr,
            Build build = Build::Now);

    // Item data role of the NodeKind tag: 0 word node, 1 bit node.
    static constexpr int NodeKindRole = Qt::UserRole;
    // The 96 x 16 strip of six 16 x 16 images; olive (128,128,0) is transparent.
    static QPixmap LargeImages();

    // Each control of the tabs CanA and CanB.
    QTreeWidget *TWCanA{}, *TWCanB{};
    QGroupBox *GBword_emcy_bitmapA{}, *GBword_emcy_bitmapB{}, *GbebmA{}, *GbebmB{};
    QLineEdit *Eindex_addrmA{}, *EsubindexA{}, *EdevidA{}, *Eb0A{}, *Eb1A{}, *EposcompA{},
        *EposcompA2{};
    QLineEdit *Eindex_addrmB{}, *EsubindexB{}, *EdevidB{}, *Eb0B{}, *Eb1B{}, *EposcompB{},
        *EposcompB2{};
    QPushButton *deleteA{}, *newA{}, *modifyA{}, *deleteB{}, *newB{}, *modifyB{};

    QList<QPixmap> Large; // the six images of the strip
    // Lists (WordListA, WordListB) is the base's.

    void FormCreate();
    void TWCanAChange(QObject* sender, QTreeWidgetItem* node);
    void newBClick(QObject* sender);
    void modifyBClick(QObject* sender);
    void deleteBClick(QObject* sender);
    void AddWordNode(QTreeWidget* tree, int listPosition, const std::string& label);
    std::string NextWordLabel(QTreeWidget* tree) const;
    bool WordAccepted(const std::string& index_addrm, const std::string& subindex,
                      const std::string& devid, int ownPosition, int mode);
    int SelectedNodeIndex(QTreeWidget* tree) const;
    void ShowNode(int position, int side);
    void StoreSelection(int position, int side);

    QTreeWidget* tree(int side) const { return side ? TWCanB : TWCanA; }
    // Tree node at an absolute position, nullptr when there is none.
    QTreeWidgetItem* nodeAt(int side, int position) const;

protected:
    void buildControls() override;
    void clearControls() override;
    // Puts the words of Lists into the empty trees.
    void showLists(bool whole) override;

private:
    struct TabControls {
        QLineEdit *index, *subindex, *devid, *b0, *b1, *pos1, *pos2;
        QGroupBox *wordGroup, *bitGroup;
    };
    QWidget* buildTab(int side);
    int sideOf(QObject* sender) const;
    TabControls tab(int side) const;

    QIcon wordIcon_;
    QIcon bitIcon_;
};
