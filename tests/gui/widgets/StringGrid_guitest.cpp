#include "gui/widgets/StringGrid.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QtTest>

class StringGridTest : public QObject {
    Q_OBJECT
private slots:
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
};

QTEST_MAIN(StringGridTest)
#include "StringGrid_guitest.moc"
