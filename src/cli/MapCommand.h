#pragma once
#include "cli/Cli.h"

namespace cli {
extern const char* kMapHelp;
// tessaro-cli map PROJECT [--json]
int Map(const Args& args);
} // namespace cli
