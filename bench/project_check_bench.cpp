// The project check against loading the same files, on a full project.
#include "core/editors/AccessMap.h"
#include "core/editors/CommParams.h"
#include "core/editors/DiagnosisIds.h"
#include "core/editors/ProjectCheck.h"
#include "core/project/FileSystem.h"

#include "LoadProjectFiles.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <pugixml.hpp>
#include <unistd.h>

namespace {
// pargen.xml, sdo.xml with 455 + 455 rows and diagnosis.xml with 64 IDs.
// `stacked` starts row i at byte i with 4 registers (8 bytes), so each row
// shares bytes with the 7 before it.
struct FullProject {
    std::filesystem::path dir;
    explicit FullProject(bool stacked) {
        dir = std::filesystem::temp_directory_path() /
              ("tessaro-bench-check-" + std::to_string(::getpid()) + (stacked ? "-s" : ""));
        std::filesystem::create_directories(dir);
        CommParams p;
        SaveCommParams(p, (dir / "pargen.xml").string());
        AccessMap map;
        for (int i = 0; i < AccessMapRows; ++i) {
            std::string n = std::to_string(i);
            std::string slave = std::to_string(i % 250 + 1);
            if (stacked) {
                map.In.push_back({slave, "Holding Register", n, "4", "N", n, "sensor " + n});
                map.Out.push_back({slave, "Holding Register", n, "4", "N", n, "valve " + n});
            } else {
                // One byte a row: the areas are used in full, no byte twice.
                map.In.push_back({slave, "Input Status", n, "8", "N", n, "sensor " + n});
                map.Out.push_back({slave, "Coil Status", n, "8", "N", n, "valve " + n});
            }
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

} // namespace

// The anchor: a plain pugixml parse of the same three files.
static void BM_ParseFilesOnly(benchmark::State& state) {
    FullProject f(false);
    for (auto _ : state)
        for (const char* name : {"pargen.xml", "sdo.xml", "diagnosis.xml"}) {
            pugi::xml_document doc;
            benchmark::DoNotOptimize(doc.load_file(f.file(name).c_str()));
        }
}
BENCHMARK(BM_ParseFilesOnly)->Unit(benchmark::kMillisecond);

// Reading the three files as the editors do.
static void BM_LoadProject(benchmark::State& state) {
    FullProject f(false);
    for (auto _ : state)
        LoadProjectFiles(f.dir);
}
BENCHMARK(BM_LoadProject)->Unit(benchmark::kMillisecond);

static void BM_CheckProject(benchmark::State& state) {
    FullProject f(false);
    for (auto _ : state) {
        auto findings = CheckProjectFolder(f.dir.string());
        if (HasErrors(findings)) state.SkipWithError(findings.front().message.c_str());
    }
}
BENCHMARK(BM_CheckProject)->Unit(benchmark::kMillisecond);

static void BM_LoadStackedProject(benchmark::State& state) {
    FullProject f(true);
    for (auto _ : state)
        LoadProjectFiles(f.dir);
}
BENCHMARK(BM_LoadStackedProject)->Unit(benchmark::kMillisecond);

// Every row a warning naming the rows before it.
static void BM_CheckStackedProject(benchmark::State& state) {
    FullProject f(true);
    for (auto _ : state)
        benchmark::DoNotOptimize(CheckProjectFolder(f.dir.string()));
}
BENCHMARK(BM_CheckStackedProject)->Unit(benchmark::kMillisecond);
