#include "core/editors/AccessMap.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <unistd.h>

namespace {
// A folder of its own holding a full access map (455 + 455 valid rows).
struct FullMap {
    std::filesystem::path dir;
    std::string path;
    FullMap() {
        dir = std::filesystem::temp_directory_path() /
              ("tessaro-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        path = (dir / "sdo.xml").string();
        AccessMap map;
        for (int i = 0; i < AccessMapRows; ++i) {
            std::string n = std::to_string(i);
            map.In.push_back({std::to_string(i % 250 + 1), "Holding Register", "0x" + n, "8",
                              i % 2 ? "Y" : "N", n, "temperature sensor " + n});
            map.Out.push_back(
                {std::to_string(i % 250 + 1), "Coil Status", n, "16", "", n, "valve " + n});
        }
        SaveAccessMap(map, path);
    }
    ~FullMap() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
};
} // namespace

// What OK of Set Access does after a showing: load, check every row, write the file.
static void BM_AccessMapLoadCheckSave(benchmark::State& state) {
    FullMap f;
    AccessMap map;
    const AccessBounds bounds;
    for (auto _ : state) {
        LoadAccessMap(f.path, map);
        auto failure = CheckAccessMap(map, bounds);
        if (failure) state.SkipWithError(failure->c_str());
        SaveAccessMap(map, f.path);
    }
    state.SetItemsProcessed(state.iterations() * 2 * AccessMapRows);
}
BENCHMARK(BM_AccessMapLoadCheckSave)->Unit(benchmark::kMillisecond);

static void BM_AccessMapCheck(benchmark::State& state) {
    FullMap f;
    AccessMap map;
    LoadAccessMap(f.path, map);
    for (auto _ : state)
        benchmark::DoNotOptimize(CheckAccessMap(map, {}));
}
BENCHMARK(BM_AccessMapCheck)->Unit(benchmark::kMicrosecond);
