#include "GuiTestUtil.h"
#include "RecordingPrompt.h"
#include "TempDir.h"
#include "WorkbookSession.h"
#include "XlsWriter.h"
#include "core/project/FileSystem.h"
#include "core/project/Workspace.h"
#include "gui/family/EmcyWordWindow.h"
#include "gui/widgets/FieldHints.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>
#include <memory>

namespace {
const QString kNo = "n\u00b0";

struct Env {
    TempDir exe;
    Workspace ws{exe.path()};
    WorkbookSession excel;
    std::shared_ptr<RecordingPrompt> prompt = std::make_shared<RecordingPrompt>();
    std::unique_ptr<TFWemcy> dlg;
    Env() {
        ws.Settle();
        dlg = std::make_unique<TFWemcy>(ws, excel);
        dlg->setPrompt(prompt);
    }
    void open() {
        dlg->hide();
        prompt->clear();
        dlg->show();
    }
    void add(int side, const QString& dev, const QString& index, const QString& sub) {
        (side ? dlg->EdevidB : dlg->EdevidA)->setText(dev);
        (side ? dlg->Eindex_addrmB : dlg->Eindex_addrmA)->setText(index);
        (side ? dlg->EsubindexB : dlg->EsubindexA)->setText(sub);
        (side ? dlg->newB : dlg->newA)->click();
    }
    // Selects a node as a click would; bit -1 is the word node.
    void select(int side, int word, int bit = -1) {
        QTreeWidgetItem* n =
            dlg->nodeAt(side, bit < 0 ? word * NodesPerWord : NodePosition(word, bit));
        QVERIFY(n);
        dlg->tree(side)->setCurrentItem(n);
    }
    QStringList words(int side) const {
        QStringList out;
        for (int i = 0; i < dlg->tree(side)->topLevelItemCount(); ++i)
            out << dlg->tree(side)->topLevelItem(i)->text(0);
        return out;
    }
    QString file() const { return QString::fromStdString(ReadText(ws.EmcywordPath)); }
};
} // namespace

class EmcyWordGuiTest : public QObject {
    Q_OBJECT
private slots:
    void controlsIconsAndEmptyStart() {
        Env e;
        TFWemcy* d = e.dlg.get();
        QCOMPARE(d->windowTitle(), QString("Define EMCY Word"));
        QCOMPARE(d->GBword_emcy_bitmapA->title(), "Word " + kNo + "  Emcy Define");
        QCOMPARE(d->GbebmB->title(), "Mask BIT " + kNo + "  Define");
        QVERIFY(d->findChild<QLineEdit*>("EposcompB2") == d->EposcompB2);
        QVERIFY(d->findChild<QTreeWidget*>("TWCanB") == d->TWCanB);
        int buddies = 0;
        for (QLabel* l : d->findChildren<QLabel*>())
            if (qobject_cast<QLineEdit*>(l->buddy())) ++buddies;
        QCOMPARE(buddies, 14);

        QCOMPARE(TFWemcy::LargeImages().size(), QSize(96, 16));
        QCOMPARE(d->Large.size(), 6);
        for (int i = 0; i < 6; ++i) {
            const QImage img = d->Large[i].toImage().convertToFormat(QImage::Format_ARGB32);
            QCOMPARE(img.size(), QSize(16, 16));
            QCOMPARE(img.pixelColor(0, 0).alpha(), 0);   // olive is transparent
            QCOMPARE(img.pixelColor(8, 8).alpha(), 255); // the drawing is not
            for (int j = 0; j < i; ++j)
                QVERIFY(img != d->Large[j].toImage().convertToFormat(QImage::Format_ARGB32));
        }

        d->show();
        QCOMPARE(e.prompt->shown(), QStringList{"File XML not found"});
        QCOMPARE(d->TWCanA->topLevelItemCount(), 0);
        d->bitbtn1->click();
        QVERIFY(!d->isVisible());
        QCOMPARE(e.file(), QString("<emcyword/>"));
    }

    void newBitModifyAndSave() {
        Env e;
        e.dlg->show();
        e.prompt->clear();
        e.add(1, "5", "0x2000", "1");
        QCOMPARE(e.words(1), QStringList{"W0"});
        QTreeWidgetItem* w0 = e.dlg->TWCanB->topLevelItem(0);
        QCOMPARE(w0->childCount(), 16);
        QCOMPARE(w0->child(15)->text(0), QString("Bit15"));
        QCOMPARE(w0->data(0, TFWemcy::NodeKindRole).toInt(), 0);
        QCOMPARE(w0->child(3)->data(0, TFWemcy::NodeKindRole).toInt(), 1);
        QVERIFY(!w0->icon(0).isNull());
        QVERIFY(e.dlg->TWCanB->selectedItems().isEmpty()); // New selects nothing

        // A bit of a new word has empty texts: its positions cannot be shown.
        e.dlg->EposcompB->setText("keep");
        e.select(1, 0, 3);
        QCOMPARE(e.prompt->texts("error"), QStringList{"'' is not a valid integer value"});
        QCOMPARE(e.dlg->EdevidB->text(), QString("5"));
        QCOMPARE(e.dlg->EposcompB->text(), QString("keep"));
        QCOMPARE(e.dlg->GbebmA->title(), "Mask BIT " + kNo + "3 Define");
        QCOMPARE(e.dlg->GBword_emcy_bitmapA->title(), "Word " + kNo + "0 Emcy Define ");

        e.dlg->Eb0B->setText("255");
        e.dlg->Eb1B->setText("0");
        e.dlg->EposcompB->setText("1");
        e.dlg->EposcompB2->setText("17");
        e.dlg->modifyB->click();
        QCOMPARE(e.dlg->Lists.WordListB[0].Bits[3].poscomp, std::string("33"));

        // A position that is no integer: masks stored, poscomp kept.
        e.prompt->clear();
        e.dlg->Eb0B->setText("7");
        e.dlg->EposcompB2->setText("x");
        e.dlg->modifyB->click();
        QCOMPARE(e.prompt->texts("error"), QStringList{"'x' is not a valid integer value"});
        QCOMPARE(e.dlg->Lists.WordListB[0].Bits[3].b0, std::string("7"));
        QCOMPARE(e.dlg->Lists.WordListB[0].Bits[3].poscomp, std::string("33"));
        e.dlg->Eb0B->setText("255");
        e.dlg->EposcompB2->setText("1");
        e.dlg->EposcompB->setText("2");
        e.dlg->modifyB->click();

        e.dlg->bitbtn1->click();
        QVERIFY(!e.dlg->isVisible());
        const QString text = e.file();
        QVERIFY(text.startsWith(
            "<emcyword><row index_addrm=\"0x2000\" subindex=\"1\" extdata=\"1\" devid=\"5\""));
        QVERIFY(text.contains("bit3_b0=\"255\" bit3_b1=\"0\" bit3_poscomp=\"33\""));

        e.open();
        QVERIFY(e.prompt->shown().isEmpty());
        QCOMPARE(e.words(1), QStringList{"W0"});
        QVERIFY(e.dlg->TWCanB->selectedItems().isEmpty());
        QCOMPARE(e.dlg->EdevidB->text(), QString());
        e.select(1, 0, 3);
        QCOMPARE(e.dlg->EposcompB->text(), QString("2"));
        QCOMPARE(e.dlg->EposcompB2->text(), QString("1"));
        QCOMPARE(e.dlg->Eb0B->text(), QString("255"));
        e.select(1, 0);
        QCOMPARE(e.dlg->Eb0B->text(), QString()); // a word node empties the bit edits
        QCOMPARE(e.dlg->EposcompB->text(), QString());
        QCOMPARE(e.dlg->GbebmB->title(), "Mask BIT " + kNo + "0 Define"); // word 0's position
    }

    // The positions tell what the packed value keeps of them and mark the rest.
    void positionsTellTheirRange() {
        Env e;
        e.dlg->show();
        QVERIFY(e.dlg->EposcompA->toolTip().startsWith("0 to 4095"));
        QVERIFY(e.dlg->EposcompB2->toolTip().startsWith("0 to 15"));
        const std::tuple<QLineEdit*, QString, QString, bool> typed[] = {
            {e.dlg->EposcompB2, "15", "15", false},
            {e.dlg->EposcompB2, "17", "17", true},
            {e.dlg->EposcompA, "4096", "4096", true},
            {e.dlg->EposcompA, "2b", "2", false}};
        for (const auto& [edit, keys, shown, marked] : typed) {
            edit->clear();
            QTest::keyClicks(edit, keys);
            QCOMPARE(edit->text(), shown);
            QCOMPARE(EntryMarked(edit), marked);
        }
    }

    void labelsDeleteAndCaptions() {
        Env e;
        e.dlg->show();
        e.add(0, "1", "1", "1");
        e.add(0, "2", "1", "1");
        e.add(0, "3", "1", "1");
        QCOMPARE(e.words(0), (QStringList{"W0", "W1", "W2"}));
        e.select(0, 1, 4);
        e.dlg->deleteA->click(); // a bit node: nothing happens
        QCOMPARE(e.words(0).size(), 3);
        e.select(0, 1);
        e.dlg->deleteA->click();
        QCOMPARE(e.words(0), (QStringList{"W0", "W2"}));
        QCOMPARE(e.dlg->Lists.WordListA.size(), size_t(2));
        QCOMPARE(e.dlg->Lists.WordListA[1].devid, std::string("3"));
        // The display follows the node selected next: the word that took W1's place.
        QCOMPARE(e.dlg->SelectedNodeIndex(e.dlg->TWCanA), 17);
        QCOMPARE(e.dlg->EdevidA->text(), QString("3"));
        QCOMPARE(e.dlg->GBword_emcy_bitmapA->title(), "Word " + kNo + "1 Emcy Define ");
        e.add(0, "4", "1", "1");
        QCOMPARE(e.words(0), (QStringList{"W0", "W2", "W3"}));
        e.select(0, 2);
        QCOMPARE(e.dlg->GBword_emcy_bitmapB->title(), "Word " + kNo + "2 Emcy Define ");
        QCOMPARE(e.dlg->EdevidA->text(), QString("4"));
        // A word node's bit group carries its tree position, on both tabs.
        QCOMPARE(e.dlg->GbebmA->title(), "Mask BIT " + kNo + "34 Define");
        QCOMPARE(e.dlg->GbebmB->title(), "Mask BIT " + kNo + "34 Define");
        // Keyboard moves through the tree show each node, bit captions by bit.
        e.dlg->TWCanA->setFocus();
        e.dlg->TWCanA->expandAll();
        QTest::keyClick(e.dlg->TWCanA, Qt::Key_Down);
        QCOMPARE(e.dlg->GbebmA->title(), "Mask BIT " + kNo + "0 Define");
        QCOMPARE(e.dlg->EdevidA->text(), QString("4"));
        QTest::keyClick(e.dlg->TWCanA, Qt::Key_Home);
        QCOMPARE(e.dlg->GBword_emcy_bitmapA->title(), "Word " + kNo + "0 Emcy Define ");
        QCOMPARE(e.dlg->EdevidA->text(), QString("1"));
    }

    void wordChecks() {
        Env e;
        e.dlg->show();
        e.add(0, "5", "0x2000", "1");
        e.prompt->clear();
        e.add(0, "5", "0x2000", "");
        e.add(0, "5", "0x2000", "1");
        QCOMPARE(e.prompt->texts("error"), (QStringList{"Index Not Valid", "Index Not Valid"}));
        QCOMPARE(e.words(0).size(), 1);
        e.add(1, "5", "0x2000", "1");
        e.add(0, "5", "8192", "1"); // another text, another word
        QCOMPARE(e.prompt->texts("error").size(), 2);
        QCOMPARE(e.words(1).size(), 1);
        QCOMPARE(e.words(0).size(), 2);

        e.select(0, 0);
        e.dlg->modifyA->click(); // unchanged texts: its own entry is no duplicate
        QCOMPARE(e.prompt->texts("error").size(), 2);
        e.dlg->Eindex_addrmA->setText("8192");
        e.dlg->modifyA->click();
        QCOMPARE(e.prompt->texts("error").size(), 3);
        QCOMPARE(e.dlg->Lists.WordListA[0].index_addrm, std::string("0x2000"));
        e.dlg->Eindex_addrmA->setText("0x3000");
        e.dlg->modifyA->click();
        QCOMPARE(e.dlg->Lists.WordListA[0].index_addrm, std::string("0x3000"));
        QCOMPARE(e.words(0).first(), QString("W0")); // the node text stays
    }

    void saveOrderAndDroppedRows() {
        Env e;
        std::string rows;
        auto row = [](const char* ext, const char* dev, const char* index, const char* sub) {
            std::string r = "<row";
            const auto& n = WordFieldNames();
            for (size_t i = 0; i < n.size(); ++i) {
                const char* v = i == 0 ? index : i == 1 ? sub : i == 2 ? ext : i == 3 ? dev : "";
                r += " " + n[i] + "=\"" + v + "\"";
            }
            return r + "/>";
        };
        WriteText(e.ws.EmcywordPath, "<emcyword>" + row("0", "2", "1", "1") +
                                         row("0", "1", "3", "0") + row("2", "9", "9", "9") +
                                         row("0", "1", "5", "0") + row("0", "1", "3", "0x0") +
                                         "</emcyword>");
        e.open();
        QVERIFY(e.prompt->shown().isEmpty());
        QCOMPARE(e.words(0), (QStringList{"W0", "W1", "W2", "W3"}));
        QCOMPARE(e.words(1), QStringList());
        e.dlg->bitbtn1->click();
        const QString text = e.file();
        QCOMPARE(text.count("<row "), 4);
        QVERIFY(!text.contains("devid=\"9\""));
        const int a = text.indexOf("subindex=\"0x0\""),
                  b = text.indexOf("index_addrm=\"3\" subindex=\"0\"");
        const int c = text.indexOf("index_addrm=\"5\""), d = text.indexOf("devid=\"2\"");
        QVERIFY(a >= 0 && a < b && b < c && c < d);

        WriteText(e.ws.EmcywordPath, "<emcyword>" + row("1", "1", "1", "1") +
                                         row("one", "2", "1", "1") + "</emcyword>");
        e.open();
        QCOMPARE(e.prompt->shown(), QStringList{"Error in reading file XML"});
        QCOMPARE(e.words(1), QStringList{"W0"});
    }

    void importAndExport() {
        Env e;
        e.dlg->show();
        e.add(0, "99", "1", "1"); // cleared by the import
        auto record = [](const xls::Cell& marker, const xls::Cell& dev, const xls::Cell& index,
                         const xls::Cell& sub) {
            xls::Row r{index, sub, marker, dev};
            for (int b = 0; b < WordBits; ++b) {
                if (b != 2) {
                    r.resize(r.size() + 3);
                    continue;
                }
                r.emplace_back(255.0);
                r.emplace_back(std::string("0x0F"));
                r.emplace_back(33.0);
            }
            return r;
        };
        xls::Row titles;
        for (const std::string& n : WordFieldNames())
            titles.push_back(n);
        const std::string book = e.exe / "words.xls";
        xls::WriteWorkbook(
            book, {{"EMCYWORD",
                    {titles, record(0.0, 3.0, "0x2000", 1.0), record(1.0, 4.0, "0x2001", 2.0),
                     record(7.0, 5.0, "x", "y"), record(0.0, 6.0, "0x2002", 3.0),
                     record("a", 8.0, "1", "1"), record(1.0, 9.0, "1", "1")}}});
        // The marker "a" fails the import: the trees stay, the user is told.
        const QStringList before = e.words(0);
        e.prompt->clear();
        e.prompt->fileAnswers.push_back(QString::fromStdString(book));
        e.dlg->bitbtn4->click();
        QCOMPARE(e.prompt->shown().size(), 1);
        QVERIFY2(e.prompt->shown()[0].contains("Record 5: 'a' is not a valid integer value"),
                 qPrintable(e.prompt->shown()[0]));
        QCOMPARE(e.words(0), before);
        QCOMPARE(e.dlg->Lists.WordListA.size(), size_t(1));

        xls::WriteWorkbook(
            book, {{"EMCYWORD",
                    {titles, record(0.0, 3.0, "0x2000", 1.0), record(1.0, 4.0, "0x2001", 2.0),
                     record(7.0, 5.0, "x", "y"), record(0.0, 6.0, "0x2002", 3.0)}}});
        e.prompt->clear();
        e.prompt->fileAnswers.push_back(QString::fromStdString(book));
        e.dlg->bitbtn4->click();
        QVERIFY(e.prompt->shown().isEmpty());
        QCOMPARE(e.words(0), (QStringList{"W0", "W1"}));
        QCOMPARE(e.words(1), QStringList{"W0"});
        QVERIFY(e.dlg->TWCanA->selectedItems().isEmpty());
        const TClWEmcy& w = e.dlg->Lists.WordListA[1];
        QCOMPARE(w.devid, std::string("6"));
        QCOMPARE(w.Bits[2].b1, std::string("0x0F"));
        QCOMPARE(w.Bits[3].b0, std::string());
        e.select(0, 1, 2);
        QCOMPARE(e.dlg->EposcompA->text(), QString("2"));
        QCOMPARE(e.dlg->EposcompA2->text(), QString("1"));

        e.dlg->button1->click();
        QVERIFY(e.prompt->shown().isEmpty());
        const QString csv = QString::fromStdString(ReadText(e.ws.ProjectFolder + "/emcyword.csv"));
        const QStringList lines = csv.split("\r\n");
        QCOMPARE(lines.size(), 4); // three words and the end after the last CR LF
        QCOMPARE(lines[3], QString());
        QVERIFY(lines[0].startsWith("0x2000,1,0,3,,,,,,,255,0x0F,33,,"));
        QVERIFY(lines[2].startsWith("0x2001,2,1,4,"));
        for (int i = 0; i < 3; ++i)
            QCOMPARE(lines[i].count(','), 52);
    }
};

QTEST_MAIN(EmcyWordGuiTest)
#include "EmcyWordWindow_guitest.moc"
