#include "cli/CheckCommand.h"

#include "core/model/Check.h"

namespace cli {
const char* kCheckHelp =
    "Usage: tessaro-cli check PROJECT_FOLDER [--json] [--strict]\n"
    "\n"
    "Checks pargen.xml, sdo.xml and diagnosis.xml as the OK buttons of\n"
    "\"SET COMMUNICATION\", \"Set Access\" and \"Error/Diagnosis\" do, and the\n"
    "DeviceNet byte layout of the access map. Prints every finding as\n"
    "FILE:TABLE:ROW:COLUMN: severity: message, then a summary; --json prints\n"
    "them as a JSON array.\n"
    "Exit status 1 on any error (with --strict also on any warning), else 0.\n";

void PrintFindings(std::ostream& os, const std::vector<Finding>& findings, bool json) {
    if (json) {
        os << FindingsJson(findings);
        return;
    }
    for (const auto& f : findings)
        os << FindingLine(f) << "\n";
    FindingCount c = CountFindings(findings);
    os << c.errors << (c.errors == 1 ? " error, " : " errors, ") << c.warnings
       << (c.warnings == 1 ? " warning, " : " warnings, ") << c.infos
       << (c.infos == 1 ? " info\n" : " infos\n");
}

int Check(const Args& args) {
    std::string folder;
    bool json = false, strict = false;
    if (int rc = ParseArgs(args, kCheckHelp, "check takes one project folder", folder,
                           {{"--json", &json}, {"--strict", &strict}});
        rc >= 0)
        return rc;
    if (!FolderFound(folder)) return kFailed;
    auto findings = CheckProject(Project::load(folder));
    PrintFindings(std::cout, findings, json);
    FindingCount c = CountFindings(findings);
    return c.errors || (strict && c.warnings) ? kFailed : kOk;
}
} // namespace cli
