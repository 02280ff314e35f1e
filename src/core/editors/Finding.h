#pragma once
#include "core/project/Text.h"

#include <string>
#include <vector>

// How bad a finding is: an error stops a build, a warning is a layout the
// gateway accepts but that likely corrupts data, info changes nothing.
enum class Severity { Error, Warning, Info };

// "error", "warning", "info".
const char* SeverityName(Severity s);

// One finding of a project check, placed where an editor shows it.
struct Finding {
    Severity severity = Severity::Error;
    std::string file;    // "pargen.xml", "sdo.xml", "diagnosis.xml"
    std::string table;   // "read"/"write" for sdo.xml, "ids" for diagnosis.xml, else empty
    int row = 0;         // grid row from 1; 0 when the finding concerns no row
    std::string column;  // grid header or field label; empty when none
    std::string message; // the editor's own text

    bool operator==(const Finding&) const = default;
};

// FILE:TABLE:ROW:COLUMN: severity: message (empty fields stay empty), each
// field through LineText, so a finding is always one line.
std::string FindingLine(const Finding& f);
// A JSON array of the findings, one object each.
std::string FindingsJson(const std::vector<Finding>& findings);

struct FindingCount {
    int errors = 0, warnings = 0, infos = 0;
};
FindingCount CountFindings(const std::vector<Finding>& findings);
// "3 errors, 1 warning" (infos left out); "No errors" when there are none.
std::string FindingSummary(const FindingCount& c);
