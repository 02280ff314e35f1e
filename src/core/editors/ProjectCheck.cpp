#include "core/editors/ProjectCheck.h"

#include "core/editors/AccessMap.h"
#include "core/editors/CommParams.h"
#include "core/editors/DiagnosisIds.h"
#include "core/project/FileSystem.h"

#include <exception>

std::vector<ProjectFinding> CheckProject(const std::string& folder) {
    std::vector<ProjectFinding> out;
    auto add = [&](const char* file, const std::vector<std::string>& messages) {
        for (const auto& m : messages)
            out.push_back({file, m});
    };
    const std::string pargen = folder + PathSep + "pargen.xml";
    try {
        CommParams p;
        LoadCommParams(pargen, p);
        add("pargen.xml", CommParamsFailures(p));
    } catch (const std::exception& e) {
        out.push_back({"pargen.xml", e.what()});
    }
    try {
        // An unreadable pargen.xml is reported above; its bounds fall back.
        AccessBounds bounds;
        try {
            bounds = ReadAccessBounds(pargen);
        } catch (const std::exception&) {
        }
        AccessMap map;
        LoadAccessMap(folder + PathSep + "sdo.xml", map);
        add("sdo.xml", AccessMapFailures(map, bounds));
    } catch (const std::exception& e) {
        out.push_back({"sdo.xml", e.what()});
    }
    try {
        std::vector<std::string> ids;
        LoadDiagnosisIds(folder + PathSep + "diagnosis.xml", ids);
        add("diagnosis.xml", DiagnosisFailures(ids));
    } catch (const std::exception& e) {
        out.push_back({"diagnosis.xml", e.what()});
    }
    return out;
}
