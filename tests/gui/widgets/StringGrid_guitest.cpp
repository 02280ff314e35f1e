#include "gui/widgets/StringGrid.h"

#include "RecordingPrompt.h"
#include "core/project/Workspace.h"
#include "gui/widgets/FormBase.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QUndoStack>
#include <QtTest>

namespace {
// A window holding a grid shaped like the access map: row numbers, a free
// text column, a drop-down, a check box, a free text and a read-only column.
struct Host {
    Workspace ws{"/nonexistent"};
    FormBase form{ws};
    std::shared_ptr<RecordingPrompt> rec = std::make_shared<RecordingPrompt>();
    StringGrid* g = new StringGrid(&form);
    QSignalSpy edited{g, &StringGrid::cellEdited};

    explicit Host(int dataRows = 5) {
        form.setPrompt(rec);
        g->setColCount(6);
        g->setRowCount(dataRows + 1);
        const char* titles[] = {"N°", "Slave ID", "Type", "SWAP", "Mnemonic", "Info"};
        for (int c = 0; c < 6; ++c)
            g->setCell(c, 0, QString::fromUtf8(titles[c]));
        for (int r = 1; r <= dataRows; ++r)
            g->setCell(0, r, QString::number(r));
        g->setColumnKind(2, StringGrid::Kind::Pick,
                         {"Coil Status", "Input Status", "Holding Register"});
        g->setColumnKind(3, StringGrid::Kind::Check);
        g->setColumnReadOnly(5, true);
        g->resize(600, 300);
        form.show();
        g->setFocus();
    }
    // The Slave ID column, top to bottom.
    QStringList ids() const {
        QStringList out;
        for (int r = 1; r < g->rowCount(); ++r)
            out << g->cell(1, r);
        return out;
    }
    void fillIds(const QStringList& ids) {
        GridUpdate load(g);
        for (int r = 0; r < ids.size(); ++r)
            g->setCell(1, r + 1, ids[r]);
    }
    void selectRows(int first, int last) {
        g->selectCell(1, first);
        auto* m = g->model();
        g->selectionModel()->select(
            QItemSelection(m->index(first - 1, 0), m->index(last - 1, m->columnCount() - 1)),
            QItemSelectionModel::ClearAndSelect);
    }
    void key(int k, Qt::KeyboardModifiers mods = Qt::ControlModifier) {
        QTest::keyClick(g, Qt::Key(k), mods);
    }
};
} // namespace

class StringGridTest : public QObject {
    Q_OBJECT
private slots:
    void columnHeaderAsHighAsQtMeasuresIt_data();
    void columnHeaderAsHighAsQtMeasuresIt();
    void fixedRowAndColumnAreHeaders() {
        StringGrid g;
        g.setColCount(3);
        g.setRowCount(4);
        g.setCell(1, 0, "Slave ID");
        g.setCell(0, 2, "2");
        g.setCell(2, 3, "x");
        QCOMPARE(g.model()->rowCount(), 3);
        QCOMPARE(g.model()->columnCount(), 2);
        QCOMPARE(g.model()->headerData(0, Qt::Horizontal).toString(), QString("Slave ID"));
        QCOMPARE(g.model()->headerData(1, Qt::Vertical).toString(), QString("2"));
        QCOMPARE(g.model()->index(2, 1).data().toString(), QString("x"));
        // Out of range reads are empty, writes are ignored.
        QCOMPARE(g.cell(9, 9), QString());
        g.setCell(9, 9, "y");
        // Headers are not editable; data cells are.
        QVERIFY(g.model()->flags(g.model()->index(0, 0)) & Qt::ItemIsEditable);
        g.clearData();
        QCOMPARE(g.cell(2, 3), QString());
        QCOMPARE(g.cell(1, 0), QString("Slave ID"));
        QCOMPARE(g.cell(0, 2), QString("2"));
    }

    void resizeKeepsContent() {
        StringGrid g;
        g.setColCount(3);
        g.setRowCount(3);
        g.setCell(2, 2, "keep");
        g.setRowCount(10);
        g.setColCount(4);
        QCOMPARE(g.cell(2, 2), QString("keep"));
        g.setRowCount(2);
        QCOMPARE(g.rowCount(), 2);
        QCOMPARE(g.cell(2, 2), QString());
    }

    void checkCellsReadYN() {
        StringGrid g;
        g.setColCount(3);
        g.setRowCount(3);
        g.setColumnKind(2, StringGrid::Kind::Check);
        QSignalSpy edited(&g, &StringGrid::cellEdited);
        QModelIndex i = g.model()->index(0, 1);
        QVERIFY(g.model()->flags(i) & Qt::ItemIsUserCheckable);
        QCOMPARE(g.model()->data(i, Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
        g.model()->setData(i, Qt::Checked, Qt::CheckStateRole);
        QCOMPARE(g.cell(2, 1), QString("Y"));
        g.model()->setData(i, Qt::Unchecked, Qt::CheckStateRole);
        QCOMPARE(g.cell(2, 1), QString("N"));
        QCOMPARE(edited.size(), 2);
        QCOMPARE(edited[0][0].toInt(), 2);
        QCOMPARE(edited[0][1].toInt(), 1);
        g.setCell(2, 2, "Y");
        QCOMPARE(g.model()->data(g.model()->index(1, 1), Qt::CheckStateRole).toInt(),
                 int(Qt::Checked));
    }

    void pickCellsOfferOnlyTheirItems() {
        StringGrid g;
        g.setColCount(3);
        g.setRowCount(3);
        const QStringList items{"Coil Status", "Input Status", "Holding Register"};
        g.setColumnKind(1, StringGrid::Kind::Pick, items);
        g.setCell(1, 1, "Input Status");
        g.show();
        QModelIndex i = g.model()->index(0, 0);
        g.setCurrentIndex(i);
        g.edit(i);
        auto* box = g.findChild<QComboBox*>();
        QVERIFY(box);
        QVERIFY(!box->isEditable());
        QCOMPARE(box->count(), 3);
        QCOMPARE(box->currentText(), QString("Input Status"));
        box->setCurrentIndex(2);
        g.itemDelegate()->setModelData(box, g.model(), i);
        QCOMPARE(g.cell(1, 1), QString("Holding Register"));
    }

    void typingEditsTextCells() {
        StringGrid g;
        g.setColCount(3);
        g.setRowCount(3);
        g.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g));
        g.selectCell(2, 2);
        QCOMPARE(g.currentCol(), 2);
        QCOMPARE(g.currentRow(), 2);
        QTest::keyClick(&g, Qt::Key_0);
        auto* editor = g.findChild<QLineEdit*>();
        QVERIFY(editor);
        QTest::keyClicks(editor, "x1F");
        QTest::keyClick(editor, Qt::Key_Return);
        // The delegate commits on Return through a queued call.
        QTRY_COMPARE(g.cell(2, 2), QString("0x1F"));
    }

    void readOnlyColumnsAndGrids() {
        StringGrid g;
        g.setColCount(3);
        g.setRowCount(3);
        g.setColumnReadOnly(1, true);
        QVERIFY(!(g.model()->flags(g.model()->index(0, 0)) & Qt::ItemIsEditable));
        QVERIFY(g.model()->flags(g.model()->index(0, 1)) & Qt::ItemIsEditable);
        g.setEditable(false);
        QVERIFY(!(g.model()->flags(g.model()->index(0, 1)) & Qt::ItemIsEditable));
    }

    void noFixedColumn() {
        StringGrid g;
        g.setFixedCols(0);
        g.setColCount(2);
        g.setRowCount(3);
        g.setCell(0, 1, "first");
        QCOMPARE(g.model()->columnCount(), 2);
        QCOMPARE(g.model()->index(0, 0).data().toString(), QString("first"));
        QVERIFY(g.verticalHeader()->isHidden());
    }

    void largeGridFillsAndShows() {
        StringGrid g;
        g.setColCount(9);
        g.setRowCount(1501);
        for (int r = 1; r < 1501; ++r)
            for (int c = 0; c < 9; ++c)
                g.setCell(c, r, QString::number(r * 10 + c));
        g.resize(800, 500);
        g.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g));
        QCOMPARE(g.cell(8, 1500), QString("15008"));
        QCOMPARE(g.model()->rowCount(), 1500);
    }

    void batchedChangesAreAnnouncedOnce() {
        StringGrid g;
        g.setColCount(4);
        g.setRowCount(101);
        QSignalSpy data(g.model(), &QAbstractItemModel::dataChanged);
        QSignalSpy headers(g.model(), &QAbstractItemModel::headerDataChanged);
        {
            GridUpdate outer(&g);
            {
                GridUpdate inner(&g);
                for (int r = 1; r <= 100; ++r) {
                    g.setCell(0, r, QString::number(r));
                    g.setCell(3, r, "v");
                }
            }
            // Nested: still held, but the cells already read back.
            QCOMPARE(data.count(), 0);
            QCOMPARE(headers.count(), 0);
            QCOMPARE(g.cell(3, 100), QString("v"));
        }
        QCOMPARE(data.count(), 1);
        QCOMPARE(data[0][0].value<QModelIndex>(), g.model()->index(0, 0));
        QCOMPARE(data[0][1].value<QModelIndex>(), g.model()->index(99, 2));
        QCOMPARE(headers.count(), 1);
        QCOMPARE(headers[0][0].value<Qt::Orientation>(), Qt::Vertical);
        QCOMPARE(headers[0][2].toInt(), 99);

        // Nothing changed, nothing announced; a column title alone.
        {
            GridUpdate same(&g);
            g.setCell(3, 5, "v");
        }
        QCOMPARE(data.count(), 1);
        {
            GridUpdate title(&g);
            g.setCell(2, 0, "Title");
        }
        QCOMPARE(data.count(), 1);
        QCOMPARE(headers.count(), 2);
        QCOMPARE(headers[1][0].value<Qt::Orientation>(), Qt::Horizontal);
        // Clearing inside a batch is one notice too; outside, a cell is one.
        {
            GridUpdate clear(&g);
            g.clearData();
            g.setCell(1, 1, "a");
        }
        QCOMPARE(data.count(), 2);
        QCOMPARE(g.cell(3, 100), QString());
        g.setCell(1, 2, "b");
        QCOMPARE(data.count(), 3);
    }

    void fixedRowHeaderWidthIsItsSizeHint() {
        const QString wide(30, 'W');
        StringGrid g;
        g.setColCount(3);
        g.setRowCount(2001);
        for (int r = 1; r < 2001; ++r)
            g.setCell(0, r, wide);
        // Like the view's own row header.
        QVERIFY(g.verticalHeader()->sectionsClickable());
        QVERIFY(g.verticalHeader()->highlightSections());
        g.setColWidth(0, 40);
        QCOMPARE(g.verticalHeader()->sizeHint().width(), 40);
        g.resize(400, 300);
        g.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g));
        QCOMPARE(g.verticalHeader()->width(), 40);

        // Without a fixed width, the titles are measured.
        StringGrid free;
        free.setColCount(3);
        free.setRowCount(3);
        free.setCell(0, 1, wide);
        QVERIFY(free.verticalHeader()->sizeHint().width() > 40);
    }

    void rowsAreInsertedDeletedAndMovedWithinTheRowCount() {
        Host h;
        h.fillIds({"a", "b", "c", "d"});
        h.g->setCell(5, 2, "fixed");
        const struct {
            const char* what;
            int first, last, key;
            Qt::KeyboardModifiers mods;
            QStringList ids;
        } steps[] = {
            {"insert above row 2",
             2,
             2,
             Qt::Key_Insert,
             Qt::ControlModifier,
             {"a", "", "b", "c", "d"}},
            {"insert with a full last row",
             1,
             1,
             Qt::Key_Insert,
             Qt::ControlModifier,
             {"a", "", "b", "c", "d"}},
            {"delete the last row",
             5,
             5,
             Qt::Key_Delete,
             Qt::ControlModifier,
             {"a", "", "b", "c", ""}},
            {"insert at the last row, which is empty",
             5,
             5,
             Qt::Key_Insert,
             Qt::ControlModifier,
             {"a", "", "b", "c", ""}},
            {"delete rows 1 and 2",
             1,
             2,
             Qt::Key_Delete,
             Qt::ControlModifier,
             {"b", "c", "", "", ""}},
            {"move row 1 down", 1, 1, Qt::Key_Down, Qt::ControlModifier, {"c", "b", "", "", ""}},
            {"move the first row up",
             1,
             1,
             Qt::Key_Up,
             Qt::ControlModifier,
             {"c", "b", "", "", ""}},
            {"move rows 2-3 up", 2, 3, Qt::Key_Up, Qt::ControlModifier, {"b", "", "c", "", ""}},
            {"move the last row down",
             5,
             5,
             Qt::Key_Down,
             Qt::ControlModifier,
             {"b", "", "c", "", ""}},
            {"clear rows 1-3", 1, 3, Qt::Key_Delete, Qt::NoModifier, {"", "", "", "", ""}},
        };
        for (const auto& s : steps) {
            h.selectRows(s.first, s.last);
            h.key(s.key, s.mods);
            QVERIFY2(h.ids() == s.ids, s.what);
            // The row numbers stay where they are.
            for (int r = 1; r <= 5; ++r)
                QCOMPARE(h.g->cell(0, r), QString::number(r));
        }
        QCOMPARE(h.rec->texts("error"),
                 QStringList{"No row can be inserted: the last row is not empty."});
        // The read-only column moved with its rows but was not cleared.
        QCOMPARE(h.g->cell(5, 1), QString("fixed"));
        QVERIFY(h.edited.size() > 0);
        // An unchecked box alone leaves a row empty; a checked one does not.
        h.g->setCell(3, 5, "N");
        QVERIFY(h.g->rowIsEmpty(5));
        h.g->setCell(3, 5, "Y");
        QVERIFY(!h.g->rowIsEmpty(5));
    }

    void pasteChecksEveryCellOrChangesNothing() {
        const struct {
            const char* text;
            int col, row;
            QString refusal;
            QStringList row2; // columns 1..5 of row 2 afterwards
        } cases[] = {
            {"7\tcoil status\ttrue\n8\tHOLDING REGISTER\t0\n",
             1,
             1,
             {},
             {"8", "Holding Register", "N", "", ""}},
            // 3 rows x 4 columns with one value the drop-down does not offer.
            {"1\tCoil Status\tY\tx\n2\tHolding\tN\ty\n3\tInput Status\t1\tz\n",
             1,
             1,
             "Paste refused: row 2, column \"Type\": \"Holding\" is not one of the column's "
             "choices.",
             {"old", "Input Status", "Y", "", ""}},
            {"1\t\tmaybe\n",
             1,
             2,
             "Paste refused: row 2, column \"SWAP\": \"maybe\" is not Y, N, 1, 0, true or false.",
             {"old", "Input Status", "Y", "", ""}},
            {"m\tinfo\n",
             4,
             2,
             "Paste refused: row 2, column \"Info\": the column cannot be edited.",
             {"old", "Input Status", "Y", "", ""}},
            {"a\nb\nc\n",
             1,
             4,
             "Paste refused: the 3 rows pasted at row 4 run past the last row (5).",
             {"old", "Input Status", "Y", "", ""}},
            {"a\tb\n",
             5,
             2,
             "Paste refused: the 2 columns pasted at column \"Info\" run past the last "
             "column (\"Info\").",
             {"old", "Input Status", "Y", "", ""}},
            // Spreadsheet quoting, and a text cell taking a tab and a line end.
            {"\"tab\there\"\n\"two\nlines \"\"q\"\"\"\n",
             4,
             1,
             {},
             {"old", "Input Status", "Y", "two\nlines \"q\"", ""}},
        };
        for (const auto& c : cases) {
            Host h;
            h.g->setCell(1, 2, "old");
            h.g->setCell(2, 2, "Input Status");
            h.g->setCell(3, 2, "Y");
            h.g->selectCell(c.col, c.row);
            QGuiApplication::clipboard()->setText(c.text);
            h.key(Qt::Key_V);
            QStringList row2;
            for (int col = 1; col <= 5; ++col)
                row2 << h.g->cell(col, 2);
            QCOMPARE(row2, c.row2);
            QCOMPARE(h.rec->texts("error"),
                     c.refusal.isEmpty() ? QStringList() : QStringList{c.refusal});
            QCOMPARE(h.edited.isEmpty(), !c.refusal.isEmpty());
            QCOMPARE(h.g->undoStack()->count(), c.refusal.isEmpty() ? 1 : 0);
        }
    }

    void copyGivesWhatPasteTakes() {
        Host h;
        h.fillIds({"1", "2 \"b\""});
        h.g->setCell(2, 1, "Coil Status");
        h.g->setCell(4, 2, "a\tb");
        h.g->selectCell(1, 1);
        h.g->selectionModel()->select(
            QItemSelection(h.g->model()->index(0, 0), h.g->model()->index(1, 1)),
            QItemSelectionModel::ClearAndSelect);
        h.key(Qt::Key_C);
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 QString("1\tCoil Status\n\"2 \"\"b\"\"\"\t\n"));
        h.g->selectCell(4, 2);
        h.g->selectionModel()->select(
            QItemSelection(h.g->model()->index(1, 3), h.g->model()->index(1, 3)),
            QItemSelectionModel::ClearAndSelect);
        h.key(Qt::Key_C);
        h.g->selectCell(4, 4);
        h.key(Qt::Key_V);
        QCOMPARE(h.g->cell(4, 4), QString("a\tb"));
        // A grid that only shows its cells copies but takes no paste.
        h.g->setEditable(false);
        h.g->selectCell(1, 1);
        h.key(Qt::Key_C);
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("1\n"));
        h.g->selectCell(1, 3);
        h.key(Qt::Key_V);
        QCOMPARE(h.g->cell(1, 3), QString());
    }

    void undoAndRedoAcrossEditsPastesAndDeletes() {
        Host h;
        h.fillIds({"a", "b", "c"});
        QCOMPARE(h.g->undoStack()->count(), 0);
        // An in-place edit.
        h.g->model()->setData(h.g->model()->index(0, 0), "A", Qt::EditRole);
        QCOMPARE(h.edited.size(), 1);
        h.g->selectCell(1, 2);
        // A refused paste is no undo step.
        QVERIFY(!h.g->pasteText("x\ty\tz\n"));
        QGuiApplication::clipboard()->setText("p\tInput Status\n");
        h.g->selectCell(1, 2);
        h.key(Qt::Key_V);
        h.selectRows(1, 1);
        h.key(Qt::Key_Delete);
        QCOMPARE(h.ids(), (QStringList{"p", "c", "", "", ""}));
        QCOMPARE(h.g->cell(2, 1), QString("Input Status"));

        h.edited.clear();
        h.key(Qt::Key_Z);
        QCOMPARE(h.ids(), (QStringList{"A", "p", "c", "", ""}));
        QVERIFY(!h.edited.isEmpty());
        h.key(Qt::Key_Z);
        QCOMPARE(h.ids(), (QStringList{"A", "b", "c", "", ""}));
        QCOMPARE(h.g->cell(2, 2), QString());
        h.key(Qt::Key_Z);
        QCOMPARE(h.ids(), (QStringList{"a", "b", "c", "", ""}));
        h.key(Qt::Key_Z); // nothing more to undo
        QCOMPARE(h.ids(), (QStringList{"a", "b", "c", "", ""}));
        h.key(Qt::Key_Y);
        h.key(Qt::Key_Y);
        QCOMPARE(h.ids(), (QStringList{"A", "p", "c", "", ""}));
        h.key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(h.ids(), (QStringList{"p", "c", "", "", ""}));
        QVERIFY(h.g->undoAction->text() == "Undo" && h.g->redoAction->text() == "Redo");

        // Closing the window ends the history; hiding the grid alone (a tab page) does not.
        h.g->hide();
        h.g->show();
        QCOMPARE(h.g->undoStack()->count(), 3);
        h.form.hide();
        h.form.show();
        QCOMPARE(h.g->undoStack()->count(), 0);
        h.g->selectCell(1, 1);
        h.g->model()->setData(h.g->model()->index(0, 0), "e", Qt::EditRole);
        QCOMPARE(h.g->undoStack()->count(), 1);
        // Filling the grid from a file is no undo step and forgets the earlier ones.
        h.fillIds({"loaded"});
        QCOMPARE(h.g->undoStack()->count(), 0);
        h.key(Qt::Key_Z);
        QCOMPARE(h.g->cell(1, 1), QString("loaded"));
    }
};

// The column header measures one title for its height; it must be the height
// Qt's own header gives the same titles, in any font, and a title of two
// lines is measured as Qt does.
void StringGridTest::columnHeaderAsHighAsQtMeasuresIt_data() {
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<int>("pointSize");
    QTest::newRow("one title") << QStringList{"", "Slave ID"} << 0;
    QTest::newRow("first empty") << QStringList{"", "", "Type"} << 0;
    QTest::newRow("large font") << QStringList{"", "A", "B"} << 30;
    QTest::newRow("two lines") << QStringList{"", "N", "two\nlines"} << 0;
    QTest::newRow("no title") << QStringList{"", ""} << 0;
}

void StringGridTest::columnHeaderAsHighAsQtMeasuresIt() {
    QFETCH(QStringList, titles);
    QFETCH(int, pointSize);
    StringGrid grid;
    grid.setColCount(int(titles.size()));
    grid.setRowCount(3);
    QHeaderView* ours = grid.horizontalHeader();
    for (int c = 0; c < titles.size(); ++c)
        grid.setCell(c, 0, titles[c]);
    QVERIFY(ours->sizeHint().height() > 0); // measured, in the font before any change
    QHeaderView plain(Qt::Horizontal);
    plain.setModel(grid.gridModel());
    if (pointSize) {
        QFont f = ours->font();
        f.setPointSize(pointSize);
        ours->setFont(f);
        plain.setFont(f);
    }
    QCOMPARE(ours->sizeHint().height(), plain.sizeHint().height());
}

QTEST_MAIN(StringGridTest)
#include "StringGrid_guitest.moc"
