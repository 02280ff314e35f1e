#pragma once
#include <QStringList>
#include <optional>
#include <string>

class Prompt;

// The workspace folder of this run: --workspace DIR (or --workspace=DIR), else
// the TESSARO_WORKSPACE variable, else the executable's folder or the per-user
// one. The folder is created (and a per-user MASTER seeded); when it cannot be
// used the reason goes to the prompt and nothing is created.
std::optional<std::string> StartupWorkspaceRoot(const QStringList& args,
                                                const std::string& exeFolder, Prompt& prompt);
