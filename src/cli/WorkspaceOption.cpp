// The workspace option shared by every tessaro-cli command.
#include "cli/Cli.h"
#include "core/project/FileSystem.h"
#include "core/project/Workspace.h"

#include <cstdlib>
#include <unistd.h>

namespace cli {
namespace {
// The workspace given by option or variable; empty for the default one.
std::string g_workspace;

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

int TakeWorkspaceOption(Args& args) {
    std::string given = Env(WorkspaceVariable);
    bool named = false;
    for (size_t i = 0; i < args.size();) {
        const bool split = args[i] == "--workspace";
        if (!split && args[i].rfind("--workspace=", 0) != 0) {
            ++i;
            continue;
        }
        if (named) {
            std::cerr << "tessaro-cli: --workspace may be given only once\n";
            return kUsage;
        }
        if (split && i + 1 >= args.size()) {
            std::cerr << "tessaro-cli: --workspace needs a folder\n";
            return kUsage;
        }
        given = split ? args[i + 1] : args[i].substr(12);
        if (given.empty()) {
            std::cerr << "tessaro-cli: --workspace needs a non-empty value\n";
            return kUsage;
        }
        named = true;
        args.erase(args.begin() + long(i), args.begin() + long(i) + (split ? 2 : 1));
    }
    if (given.empty()) return -1;
    WorkspaceLocation where = ChooseWorkspace(OwnFolder(), given, "", "");
    if (!where.error.empty()) {
        std::cerr << "tessaro-cli: " << where.error << "\n";
        return kFailed;
    }
    g_workspace = where.folder;
    return -1;
}

std::string LookUpProject(const std::string& operand, bool mayBeFile) {
    const std::string& a = operand;
    if (a.empty() || a == "-" || a.find(PathSep) != std::string::npos || a == "." || a == "..")
        return a;
    std::string root = g_workspace;
    if (root.empty()) {
        if (DirectoryExists(a) || FileExists(a)) return a;
        root = ChooseWorkspace(OwnFolder(), "", Env("XDG_DATA_HOME"), Env("HOME")).folder;
    }
    const std::string project = root + PathSep + "PROJECTS" + PathSep + a;
    if (DirectoryExists(project)) return project;
    // A given workspace means its project, so a missing one is reported with
    // the full path; dump also takes a file of the current folder.
    if (g_workspace.empty() || (mayBeFile && FileExists(a))) return a;
    return project;
}
} // namespace cli
