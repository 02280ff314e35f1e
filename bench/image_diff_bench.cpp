// tessaro-cli diff's work on two full projects (455 + 455 rows each, a few
// rows apart) against loading both projects' files.
#include "core/device/ImageDiff.h"
#include "core/editors/AccessMap.h"
#include "core/editors/CommParams.h"
#include "core/editors/DiagnosisIds.h"
#include "core/project/FileSystem.h"

#include "LoadProjectFiles.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <unistd.h>

namespace {
// pargen.xml, sdo.xml with 455 + 455 rows (one byte a row) and diagnosis.xml;
// `changed` gives three rows other values.
struct FullProject {
    std::filesystem::path dir;
    explicit FullProject(bool changed) {
        dir = std::filesystem::temp_directory_path() /
              ("tessaro-bench-diff-" + std::to_string(::getpid()) + (changed ? "-b" : "-a"));
        std::filesystem::create_directories(dir);
        SaveCommParams(CommParams{}, (dir / "pargen.xml").string());
        AccessMap map;
        for (int i = 0; i < AccessMapRows; ++i) {
            std::string n = std::to_string(i);
            std::string slave = std::to_string(i % 250 + 1);
            map.In.push_back({slave, "Input Status", n, "8", "N", n, "sensor " + n});
            map.Out.push_back({slave, "Coil Status", n, "8", "N", n, "valve " + n});
        }
        if (changed) {
            map.In[10].AddressMod = "9999";
            map.In[200].Mnemonic = "renamed";
            map.Out[454].NPoint = "7";
        }
        SaveAccessMap(map, (dir / "sdo.xml").string());
        std::vector<std::string> ids;
        for (int i = 1; i <= DiagnosisEntries; ++i)
            ids.push_back(std::to_string(i));
        SaveDiagnosisIds(ids, (dir / "diagnosis.xml").string());
    }
    ~FullProject() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    std::string file(const char* name) const { return (dir / name).string(); }
};

const FullProject& A() {
    static FullProject p(false);
    return p;
}
const FullProject& B() {
    static FullProject p(true);
    return p;
}

} // namespace

// The anchor: reading both projects' files as the editors do.
static void BM_LoadBothProjects(benchmark::State& state) {
    for (auto _ : state) {
        LoadProjectFiles(A().dir);
        LoadProjectFiles(B().dir);
    }
}
BENCHMARK(BM_LoadBothProjects)->Unit(benchmark::kMillisecond);

// Check, build and decode each side, compare, and print the lines.
static void BM_DiffProjects(benchmark::State& state) {
    size_t n = 0;
    for (auto _ : state) {
        const ImageComparison c = CompareSides(LoadDiffSide(A().dir.string(), false),
                                               LoadDiffSide(B().dir.string(), false));
        benchmark::DoNotOptimize(ComparisonText(c));
        n = c.differences.size();
    }
    if (n != 3) state.SkipWithError("expected 3 differences");
}
BENCHMARK(BM_DiffProjects)->Unit(benchmark::kMillisecond);
