#include "app/Startup.h"

#include "core/project/Workspace.h"
#include "gui/widgets/Prompt.h"

#include <cstdlib>
#include <iostream>

namespace {
std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}
} // namespace

std::optional<std::string> StartupWorkspaceRoot(const QStringList& args,
                                                const std::string& exeFolder, Prompt& prompt) {
    std::string given = Env(WorkspaceVariable);
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == "--workspace" && i + 1 < args.size())
            given = args[++i].toStdString();
        else if (args[i].startsWith("--workspace="))
            given = args[i].mid(12).toStdString();
    }
    WorkspaceLocation where = ChooseWorkspace(exeFolder, given, Env("XDG_DATA_HOME"), Env("HOME"));
    std::string error = PrepareWorkspace(where, DataFolderOf(exeFolder));
    if (!error.empty()) {
        std::cerr << "tessaro-sm2dns: " << error << "\n";
        prompt.error(QString::fromStdString(error));
        return std::nullopt;
    }
    return where.folder;
}
