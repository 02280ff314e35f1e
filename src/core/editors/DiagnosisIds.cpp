#include "core/editors/DiagnosisIds.h"

#include "core/project/FileSystem.h"
#include "core/project/ParseInteger.h"
#include "core/project/XmlDoc.h"

std::string DiagnosisLabel(int n) {
    return std::to_string(n) + " / Byte:" + std::to_string((n - 1) / 8) +
           ", Bit:" + std::to_string((n - 1) % 8);
}

void LoadDiagnosisIds(const std::string& path, std::vector<std::string>& ids) {
    ids.clear();
    if (!FileExists(path)) return;
    XmlDocument doc;
    doc.load(path);
    XmlNode root = doc.root();
    // Entries by position; the element names are not looked at.
    for (auto c = root.raw().first_child(); c && ids.size() < DiagnosisEntries;
         c = c.next_sibling())
        ids.push_back(XmlNode(c).text());
}

size_t DiagnosisRunLength(const std::vector<std::string>& ids) {
    size_t n = 0;
    while (n < ids.size() && !ids[n].empty())
        ++n;
    return n;
}

std::vector<Finding> DiagnosisFindings(const std::vector<std::string>& ids) {
    std::vector<Finding> out;
    size_t run = DiagnosisRunLength(ids);
    for (size_t i = 0; i < run; ++i) {
        int v = ParseInteger(ids[i], -1);
        if (v < 1 || v > 255)
            out.push_back({Severity::Error, "diagnosis.xml", "ids", static_cast<int>(i) + 1,
                           "Modbus Slave ID",
                           "Error row " + std::to_string(i + 1) +
                               "!! Modbus ID must be between 1 and 255. "});
    }
    return out;
}

std::vector<std::string> DiagnosisFailures(const std::vector<std::string>& ids) {
    return Messages(DiagnosisFindings(ids));
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
    BuildDoc(ids).save(path);
}
