#include "core/editors/DiagnosisIds.h"

#include "core/model/Project.h"
#include "core/project/Errors.h"
#include "core/project/FileSystem.h"
#include "core/project/ParseInteger.h"
#include "core/project/XmlDoc.h"

#include <algorithm>

std::string DiagnosisLabel(int n) {
    return std::to_string(n) + " / Byte:" + std::to_string((n - 1) / 8) +
           ", Bit:" + std::to_string((n - 1) % 8);
}

void LoadDiagnosisIds(const std::string& path, std::vector<std::string>& ids) {
    ids.clear();
    const Project p = Project::loadFile(Project::File::Diagnosis, path);
    const DiagnosisPart& part = p.diagnosis();
    part.report.requireReadable();
    const size_t n = std::min(part.ids.size(), size_t(DiagnosisEntries));
    ids.assign(part.ids.begin(), part.ids.begin() + long(n));
}

size_t DiagnosisRunLength(const std::vector<std::string>& ids) {
    size_t n = 0;
    while (n < ids.size() && !ids[n].empty())
        ++n;
    return n;
}

std::vector<DiagnosisFailure> LocatedDiagnosisFailures(const std::vector<std::string>& ids) {
    std::vector<DiagnosisFailure> out;
    size_t run = DiagnosisRunLength(ids);
    for (size_t i = 0; i < run; ++i) {
        int v = ParseInteger(ids[i], -1);
        if (v < 1 || v > 255)
            out.push_back({i, "Error row " + std::to_string(i + 1) +
                                  "!! Modbus ID must be between 1 and 255. "});
    }
    return out;
}

std::vector<Finding> DiagnosisFindings(const std::vector<std::string>& ids) {
    std::vector<Finding> out;
    for (auto& f : LocatedDiagnosisFailures(ids))
        out.push_back({Severity::Error, "diagnosis.xml", "ids", static_cast<int>(f.entry) + 1,
                       "Modbus Slave ID", std::move(f.message)});
    return out;
}

std::vector<std::string> DiagnosisFailures(const std::vector<std::string>& ids) {
    std::vector<std::string> out;
    for (auto& f : LocatedDiagnosisFailures(ids))
        out.push_back(std::move(f.message));
    return out;
}

std::optional<std::string> CheckDiagnosisIds(const std::vector<std::string>& ids) {
    auto all = DiagnosisFailures(ids);
    if (all.empty()) return std::nullopt;
    return all.front();
}

namespace {
XmlDocument BuildDoc(const std::vector<std::string>& ids) {
    XmlDocument doc;
    XmlNode root = doc.createRoot("Modbus_IDs");
    size_t run = DiagnosisRunLength(ids);
    for (size_t i = 0; i < run; ++i)
        root.append("ID").setText(ids[i]);
    return doc;
}
} // namespace

std::string DiagnosisXml(const std::vector<std::string>& ids) {
    return BuildDoc(ids).toString();
}

void SaveDiagnosisIds(const std::vector<std::string>& ids, const std::string& path) {
    Project::loadFile(Project::File::Diagnosis, path).saveDiagnosis(ids);
}
