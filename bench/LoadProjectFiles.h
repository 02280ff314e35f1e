#pragma once
// The anchor of the project benches: the three files read as the editors read them.
#include "core/editors/AccessMap.h"
#include "core/editors/CommParams.h"
#include "core/editors/DiagnosisIds.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <string>
#include <vector>

inline void LoadProjectFiles(const std::filesystem::path& dir) {
    CommParams p;
    LoadCommParams((dir / "pargen.xml").string(), p);
    AccessMap map;
    LoadAccessMap((dir / "sdo.xml").string(), map);
    std::vector<std::string> ids;
    LoadDiagnosisIds((dir / "diagnosis.xml").string(), ids);
    benchmark::DoNotOptimize(map);
}
