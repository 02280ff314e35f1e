#include "core/editors/ProjectCheck.h"

#include "core/editors/AccessMap.h"
#include "core/editors/ByteMap.h"
#include "core/editors/CommParams.h"
#include "core/editors/DiagnosisIds.h"
#include "core/project/FileSystem.h"
#include "core/project/XmlDoc.h"

#include <exception>

namespace {
void Append(std::vector<Finding>& out, std::vector<Finding> more) {
    out.insert(out.end(), std::make_move_iterator(more.begin()),
               std::make_move_iterator(more.end()));
}

Finding FileError(const char* file, const std::string& message) {
    return {Severity::Error, file, "", 0, "", message};
}
} // namespace

std::vector<Finding> CheckAccessMapLayout(const AccessMap& map, const AccessBounds& bounds) {
    std::vector<Finding> out = AccessMapFindings(map, bounds);
    ByteMaps maps = ComputeByteMaps(map, bounds);
    Append(out, ByteMapFindings(maps.read));
    Append(out, ByteMapFindings(maps.write));
    return out;
}

std::vector<Finding> CheckProjectFolder(const std::string& folder) {
    std::vector<Finding> out;
    const std::string pargen = folder + PathSep + "pargen.xml";
    AccessBounds bounds;
    if (!FileExists(pargen)) {
        out.push_back(FileError("pargen.xml", "no communication parameters"));
    } else {
        XmlDocument doc;
        try {
            doc.load(pargen);
            try {
                CommParams p;
                LoadCommParams(doc, p);
                Append(out, CommParamsFindings(p));
            } catch (const std::exception& e) {
                out.push_back(FileError("pargen.xml", e.what()));
            }
            // The byte counts have fallbacks of their own, so they count even
            // when another element stopped the reading above.
            bounds = ReadAccessBounds(doc);
        } catch (const std::exception& e) {
            out.push_back(FileError("pargen.xml", e.what()));
        }
    }

    try {
        AccessMap map;
        LoadAccessMap(folder + PathSep + "sdo.xml", map);
        Append(out, CheckAccessMapLayout(map, bounds));
    } catch (const std::exception& e) {
        out.push_back(FileError("sdo.xml", e.what()));
    }

    try {
        std::vector<std::string> ids;
        LoadDiagnosisIds(folder + PathSep + "diagnosis.xml", ids);
        Append(out, DiagnosisFindings(ids));
    } catch (const std::exception& e) {
        out.push_back(FileError("diagnosis.xml", e.what()));
    }
    return out;
}

bool HasErrors(const std::vector<Finding>& findings) {
    for (const auto& f : findings)
        if (f.severity == Severity::Error) return true;
    return false;
}
