#include "core/editors/ProjectCheck.h"

#include "core/editors/AccessMap.h"
#include "core/editors/ByteMap.h"
#include "core/model/Check.h"
#include "core/model/Project.h"

std::vector<Finding> CheckAccessMapLayout(const AccessMap& map, const AccessBounds& bounds) {
    std::vector<Finding> out = AccessMapFindings(map, bounds);
    // The layout of what would be stored: the run of each table.
    const AccessMap runs = RunsOf(map);
    ByteMaps maps = ComputeByteMaps(runs, bounds);
    for (const ByteMap* m : {&maps.read, &maps.write})
        for (Finding& f : ByteMapFindings(*m))
            out.push_back(std::move(f));
    return out;
}

std::vector<Finding> CheckProjectFolder(const std::string& folder) {
    return CheckProject(Project::load(folder));
}

bool HasErrors(const std::vector<Finding>& findings) {
    for (const auto& f : findings)
        if (f.severity == Severity::Error) return true;
    return false;
}
