#include "core/editors/Finding.h"

#include "core/project/Lookup.h"

const char* SeverityName(Severity s) {
    static constexpr std::pair<Severity, const char*> names[] = {
        {Severity::Error, "error"}, {Severity::Warning, "warning"}, {Severity::Info, "info"}};
    return Lookup(names, s, "error");
}

std::string FindingLine(const Finding& f) {
    return LineText(f.file) + ":" + LineText(f.table) + ":" +
           (f.row > 0 ? std::to_string(f.row) : std::string()) + ":" + LineText(f.column) + ": " +
           SeverityName(f.severity) + ": " + LineText(f.message);
}

std::string FindingsJson(const std::vector<Finding>& findings) {
    std::string out = "[";
    for (size_t i = 0; i < findings.size(); ++i) {
        const Finding& f = findings[i];
        out += i ? ",\n  " : "\n  ";
        out += "{\"severity\": " + JsonString(SeverityName(f.severity)) +
               ", \"file\": " + JsonString(f.file) + ", \"table\": " + JsonString(f.table) +
               ", \"row\": " + std::to_string(f.row) + ", \"column\": " + JsonString(f.column) +
               ", \"message\": " + JsonString(f.message) + "}";
    }
    return out + (findings.empty() ? "]\n" : "\n]\n");
}

FindingCount CountFindings(const std::vector<Finding>& findings) {
    FindingCount c;
    for (const auto& f : findings) {
        if (f.severity == Severity::Error) ++c.errors;
        if (f.severity == Severity::Warning) ++c.warnings;
        if (f.severity == Severity::Info) ++c.infos;
    }
    return c;
}

std::string FindingSummary(const FindingCount& c) {
    auto n = [](int k, const char* one, const char* many) {
        return std::to_string(k) + " " + (k == 1 ? one : many);
    };
    if (c.errors == 0 && c.warnings == 0) return "No errors";
    std::string s = n(c.errors, "error", "errors");
    if (c.warnings) s += ", " + n(c.warnings, "warning", "warnings");
    return s;
}
