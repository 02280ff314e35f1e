// The workspace option shared by every tessaro-cli command.
#include "cli/Cli.h"
#include "core/project/FileSystem.h"
#include "core/project/Workspace.h"

#include <cstdlib>
#include <unistd.h>

namespace cli {
namespace {
std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

std::string OwnFolder() {
    char buf[4096];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return ".";
    return ExeFolderOf(std::string(buf, static_cast<size_t>(n)));
}
} // namespace

int TakeWorkspaceOption(Args& args, std::string& workspace) {
    std::string given = Env(WorkspaceVariable);
    for (size_t i = 0; i < args.size();) {
        if (args[i] == "--workspace") {
            if (i + 1 >= args.size()) {
                std::cerr << "tessaro-cli: --workspace needs a folder\n";
                return kUsage;
            }
            given = args[i + 1];
            args.erase(args.begin() + long(i), args.begin() + long(i) + 2);
        } else if (args[i].rfind("--workspace=", 0) == 0) {
            given = args[i].substr(12);
            args.erase(args.begin() + long(i));
        } else {
            ++i;
        }
    }
    if (given.empty()) return -1;
    WorkspaceLocation where = ChooseWorkspace(OwnFolder(), given, "", "");
    if (!where.error.empty()) {
        std::cerr << "tessaro-cli: " << where.error << "\n";
        return kFailed;
    }
    workspace = where.folder;
    return -1;
}

void ResolveProjectName(Args& args, const std::string& workspace) {
    for (std::string& a : args) {
        if (a.empty() || a[0] == '-') continue;
        if (a.find(PathSep) != std::string::npos || a == "." || a == "..") return;
        std::string root = workspace;
        if (root.empty()) {
            if (DirectoryExists(a) || FileExists(a)) return;
            root = ChooseWorkspace(OwnFolder(), "", Env("XDG_DATA_HOME"), Env("HOME")).folder;
        }
        const std::string project = root + PathSep + "PROJECTS" + PathSep + a;
        // With a given workspace the name always means its project, so a
        // missing one is reported with the full path.
        if (!workspace.empty() || DirectoryExists(project)) a = project;
        return;
    }
}
} // namespace cli
