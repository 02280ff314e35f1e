#include "gui/editors/ByteMapWindow.h"

#include "EditorFixture.h"
#include "gui/editors/AccessMapWindow.h"
#include "gui/widgets/FindingsList.h"
#include "gui/widgets/StringGrid.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QToolTip>
#include <QtTest>

namespace {
void Edit(StringGrid* g, int col, int row, const QString& value) {
    QVERIFY(g->model()->setData(g->model()->index(row - 1, col - 1), value, Qt::EditRole));
}

// N Byte IN 8, N Byte OUT 4. Read: rows 1 and 2 share bytes 2-3, row 3 (nine
// coils) runs from byte 7 past the end; write: one coil row at byte 1.
const char* kSdo =
    "<Serial_to_ProfiBus><DeviceNet_IN>"
    "<row Slave_ID=\"1\" Type=\"Holding Register\" Address_Mod=\"100\" NPoint=\"2\" Swap=\"N\" "
    "Address_DeviceNet=\"0\" Mnemonic=\"TEMP\"/>"
    "<row Slave_ID=\"2\" Type=\"Input Register\" Address_Mod=\"7\" NPoint=\"1\" Swap=\"N\" "
    "Address_DeviceNet=\"2\" Mnemonic=\"\"/>"
    "<row Slave_ID=\"3\" Type=\"Coil Status\" Address_Mod=\"10\" NPoint=\"9\" Swap=\"N\" "
    "Address_DeviceNet=\"7\" Mnemonic=\"VALVES\"/>"
    "</DeviceNet_IN><DeviceNet_OUT>"
    "<row Slave_ID=\"4\" Type=\"Coil Status\" Address_Mod=\"1\" NPoint=\"3\" Swap=\"N\" "
    "Address_DeviceNet=\"1\" Mnemonic=\"\"/>"
    "</DeviceNet_OUT></Serial_to_ProfiBus>";

struct Open {
    EditorFixture f;
    std::unique_ptr<TFSetVar> dlg;
    Open() {
        WriteText(f.ws.PargenPath,
                  "<Par_Gen><DN_NB_IN>8</DN_NB_IN><DN_NB_OUT>4</DN_NB_OUT></Par_Gen>");
        WriteText(f.ws.SdoPath, kSdo);
        dlg = std::make_unique<TFSetVar>(f.ws);
        dlg->setPrompt(f.rec);
        dlg->show();
    }
    TFByteMap* map() {
        dlg->BtnByteMap->click();
        return dlg->ByteMap;
    }
};

QList<QColor> Colours(const ByteStrip* s) {
    QList<QColor> out;
    for (int i = 0; i < s->cellCount(); ++i)
        out << s->cell(i).color;
    return out;
}
} // namespace

class ByteMapTest : public QObject {
    Q_OBJECT
private slots:
    void coloursByRowClashAndUnused();
    void doubleClickGoesToTheRow_data();
    void doubleClickGoesToTheRow();
    void followsGridEditsWithoutSaving();
    void checkListsEveryFindingAndSelectsItsCell();
    void hoverShowsTheMnemonicAsPlainText();
};

void ByteMapTest::hoverShowsTheMnemonicAsPlainText() {
    Open o;
    Edit(o.dlg->sga, 7, 1, "<h1>BIG</h1> <img src=\"file:///etc/passwd\">");
    TFByteMap* m = o.map();
    QVERIFY(m && m->isVisible());
    const QPoint at = m->StripIn->cellRect(0).center();
    QHelpEvent hover(QEvent::ToolTip, at, m->StripIn->mapToGlobal(at));
    QApplication::sendEvent(m->StripIn, &hover);
    const QString tip = QToolTip::text();
    // Escaped inside the paragraph that keeps the line breaks, so Qt's rich
    // text shows the characters and loads nothing.
    QCOMPARE(tip, "<p style='white-space:pre-wrap'>Byte 0\nRow 1: slave 1, Holding Register, "
                  "address 100, &lt;h1&gt;BIG&lt;/h1&gt; &lt;img "
                  "src=&quot;file:///etc/passwd&quot;&gt;</p>");
    QToolTip::hideText();
}

void ByteMapTest::coloursByRowClashAndUnused() {
    Open o;
    TFByteMap* m = o.map();
    QVERIFY(m && m->isVisible());
    QCOMPARE(o.dlg->BtnByteMap->text(), QString("Byte map"));
    QCOMPARE(o.dlg->BtnByteMap->parentWidget(), o.dlg->Panel1);
    const QColor r1 = TFByteMap::RowColor(1), r3 = TFByteMap::RowColor(3);
    const QColor red = TFByteMap::Clash, grey = TFByteMap::Unused;
    QVERIFY(r1 != TFByteMap::RowColor(2) && r1 != red && r1 != grey);
    // Bytes 0..7 of the area and byte 8, past its end.
    QCOMPARE(Colours(m->StripIn), (QList<QColor>{r1, r1, red, red, grey, grey, grey, r3, red}));
    QCOMPARE(Colours(m->StripOut), (QList<QColor>{grey, TFByteMap::RowColor(1), grey, grey}));
    QCOMPARE(m->LabelIn->text(), QString("N Byte IN = 8 (read table)"));
    QCOMPARE(m->LabelIn->buddy(), m->StripIn);
    QCOMPARE(m->StripIn->accessibleName(), QString("DeviceNet IN bytes"));
    QVERIFY(m->LabelNote->text().contains("one bit a point, rounded up to whole bytes"));

    QCOMPARE(m->StripIn->cell(2).tip, QString("Byte 2\nRow 1: slave 1, Holding Register, address "
                                              "100, TEMP\nRow 2: slave 2, Input Register, "
                                              "address 7"));
    QCOMPARE(m->StripIn->cell(8).tip, QString("Byte 8\nRow 3: slave 3, Coil Status, address 10, "
                                              "VALVES\nPast the end of N Byte IN"));
    QCOMPARE(m->StripIn->cell(5).tip, QString("Byte 5\nUnused"));
}

void ByteMapTest::doubleClickGoesToTheRow_data() {
    QTest::addColumn<bool>("write");
    QTest::addColumn<int>("cell");
    QTest::addColumn<int>("row"); // 0: nothing selected
    QTest::newRow("own byte") << false << 7 << 3;
    QTest::newRow("shared byte goes to the later row") << false << 3 << 2;
    QTest::newRow("write table") << true << 1 << 1;
    QTest::newRow("unused byte") << false << 5 << 0;
}

void ByteMapTest::doubleClickGoesToTheRow() {
    QFETCH(bool, write);
    QFETCH(int, cell);
    QFETCH(int, row);
    Open o;
    TFByteMap* m = o.map();
    o.dlg->PageControl1->setCurrentIndex(write ? 0 : 1);
    StringGrid* g = write ? o.dlg->sgb : o.dlg->sga;
    g->selectCell(7, 400);
    ByteStrip* s = write ? m->StripOut : m->StripIn;
    QTest::mouseDClick(s, Qt::LeftButton, {}, s->cellRect(cell).center());
    if (row == 0) {
        QCOMPARE(g->currentRow(), 400);
        return;
    }
    QCOMPARE(o.dlg->PageControl1->currentIndex(), write ? 1 : 0);
    QCOMPARE(g->currentRow(), row);
    QCOMPARE(g->currentCol(), 1);
}

void ByteMapTest::followsGridEditsWithoutSaving() {
    Open o;
    TFByteMap* m = o.map();
    Edit(o.dlg->sga, 6, 2, "4"); // row 2 moves off row 1's bytes
    QCOMPARE(m->StripIn->cell(2).color, TFByteMap::RowColor(1));
    QCOMPARE(m->StripIn->cell(4).color, TFByteMap::RowColor(2));
    Edit(o.dlg->sgb, 4, 1, "17"); // 17 coils take three bytes
    QCOMPARE(m->StripOut->cell(3).color, TFByteMap::RowColor(1));
    Edit(o.dlg->sga, 1, 1, ""); // the run ends above row 1
    QCOMPARE(m->StripIn->cell(0).color, TFByteMap::Unused);
    QCOMPARE(ReadText(o.f.ws.SdoPath), std::string(kSdo));
    // Cancel (discarding the edits) closes the map with the editor.
    o.f.rec->confirmAnswers = {true};
    o.dlg->bitbtn2->click();
    QCOMPARE(o.f.rec->texts("risky"), QStringList{"Discard changes?"});
    QVERIFY(!m->isVisible());
}

void ByteMapTest::checkListsEveryFindingAndSelectsItsCell() {
    Open o;
    Edit(o.dlg->sgb, 1, 2, "0"); // write row 2: Slave ID 0 and nothing else
    QVERIFY(!o.dlg->ListFindings->isVisible());
    o.dlg->BtnCheck->click();
    QVERIFY(o.dlg->ListFindings->isVisible());
    QCOMPARE(o.dlg->LabelFindings->buddy(), o.dlg->ListFindings);
    QStringList lines;
    for (int i = 0; i < o.dlg->ListFindings->count(); ++i)
        lines << o.dlg->ListFindings->item(i)->text();
    const QString head = "sdo.xml:write:2:";
    const QString err = "Error row 2!! [Serial Write --> DeviceNet OUT] ";
    QCOMPARE(lines,
             (QStringList{
                 head + "Slave ID: error: " + err + "Slave ID must be between 1 and 250. ",
                 head + "Type: error: " + err + "Type must be Coil Status or Holding Register. ",
                 head + "Address Register: error: " + err +
                     "Address Register must be between 0 and 65535. ",
                 head + "NPoint: error: " + err + "Number point must be between 1 and 127. ",
                 head + "Address DeviceNet: error: " + err +
                     "Address DeviceNet must be between 0 and 4. ",
                 "sdo.xml:read:2:Address DeviceNet: warning: Row 2 shares DeviceNet bytes 2 "
                 "to 3 with row 1 (slave 1, Holding Register, address 100, TEMP).",
                 "sdo.xml:read:3:Address DeviceNet: warning: Row 3 uses DeviceNet bytes 7 "
                 "to 8, past the 8 bytes of N Byte IN.",
                 "sdo.xml:read::: info: 3 of the 8 bytes of N Byte IN are used by no row: "
                 "4-6.",
                 "sdo.xml:write::: info: 3 of the 4 bytes of N Byte OUT are used by no row: "
                 "0, 2-3."}));
    QCOMPARE(o.dlg->LabelFindings->text(), QString("Findings: 5 errors, 2 warnings"));

    FindingsList* list = o.dlg->ListFindings;
    QApplication::processEvents(); // lay the list out
    struct Jump {
        int item, tab, row, col;
    };
    for (Jump j : {Jump{3, 1, 2, 4}, Jump{6, 0, 3, 6}}) {
        QListWidgetItem* it = list->item(j.item);
        list->scrollToItem(it);
        // A widget double click in QTest is the double-click event alone; the
        // view wants the press before it.
        const QPoint at = list->visualItemRect(it).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(o.dlg->PageControl1->currentIndex(), j.tab);
        StringGrid* g = j.tab ? o.dlg->sgb : o.dlg->sga;
        QCOMPARE(g->currentRow(), j.row);
        QCOMPARE(g->currentCol(), j.col);
    }
}

QTEST_MAIN(ByteMapTest)
#include "ByteMapWindow_guitest.moc"
