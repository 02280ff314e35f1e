#pragma once
#include "cli/Cli.h"
#include "core/editors/Finding.h"

namespace cli {
extern const char* kCheckHelp;
// tessaro-cli check PROJECT [--json] [--strict]
int Check(const Args& args);

// Prints the findings one a line (or as JSON) followed, in text form, by a summary.
void PrintFindings(std::ostream& os, const std::vector<Finding>& findings, bool json);
} // namespace cli
