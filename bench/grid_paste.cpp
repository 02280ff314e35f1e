// Pasting a whole access map (455 rows x 7 columns) from a spreadsheet into a
// shown grid of the Set Access shape: every cell checked against its column,
// one undo step, the view repainted. The anchor fills the same cells as a file
// load does, straight into the model in one batch.
#include "gui/widgets/StringGrid.h"

#include <QApplication>
#include <QUndoStack>
#include <benchmark/benchmark.h>

namespace {
constexpr int Rows = 455;
const char* const Types[] = {"Coil Status", "Input Status", "Holding Register", "Input Register"};

struct Fixture {
    StringGrid grid;
    QString text;
    Fixture() {
        grid.setColCount(8);
        grid.setRowCount(Rows + 1);
        grid.setColumnKind(2, StringGrid::Kind::Pick, {Types[0], Types[1], Types[2], Types[3]});
        grid.setColumnKind(5, StringGrid::Kind::Check);
        for (int r = 1; r <= Rows; ++r)
            grid.setCell(0, r, QString::number(r));
        grid.resize(800, 500);
        grid.show();
        QApplication::processEvents();
        // Spreadsheet text: lower-case types, 1/0 for the check box.
        for (int r = 0; r < Rows; ++r)
            text += QString("%1\t%2\t%3\t%4\t%5\t%6\tVar_%7\n")
                        .arg(r % 247 + 1)
                        .arg(QString(Types[r % 4]).toLower())
                        .arg(r * 2)
                        .arg(r % 8 + 1)
                        .arg(r % 2)
                        .arg(r * 4)
                        .arg(r);
    }
    void reset(benchmark::State& state) {
        state.PauseTiming();
        grid.clearData();
        grid.selectCell(1, 1);
        QApplication::processEvents();
        state.ResumeTiming();
    }
};

// Made once and left to the end of the process: widgets may not outlive the
// application object, which a static would.
Fixture& Shared() {
    static Fixture* f = new Fixture;
    return *f;
}

void BM_PasteAccessMap(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) {
        f.reset(state);
        if (!f.grid.pasteText(f.text)) state.SkipWithError("paste refused");
        QApplication::processEvents();
    }
}
BENCHMARK(BM_PasteAccessMap)->Unit(benchmark::kMillisecond);

void BM_FillCellsDirectly(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) {
        f.reset(state);
        {
            GridUpdate hold(&f.grid);
            GridModel& m = *f.grid.gridModel();
            for (int r = 1; r <= Rows; ++r) {
                m.setCell(1, r, QString::number((r - 1) % 247 + 1));
                m.setCell(2, r, Types[(r - 1) % 4]);
                m.setCell(3, r, QString::number((r - 1) * 2));
                m.setCell(4, r, QString::number((r - 1) % 8 + 1));
                m.setCell(5, r, (r - 1) % 2 ? "Y" : "N");
                m.setCell(6, r, QString::number((r - 1) * 4));
                m.setCell(7, r, QString("Var_%1").arg(r - 1));
            }
        }
        QApplication::processEvents();
    }
}
BENCHMARK(BM_FillCellsDirectly)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
