#include "CliRun.h"
#include "TempDir.h"
#include "WorkedExample.h"
#include "core/project/FileSystem.h"

#include <gtest/gtest.h>

namespace {
// A workspace with one project, Plant1, and a folder to run from.
struct Scene {
    TempDir ws, cwd;
    Scene() {
        ForceDirectories(ws / "PROJECTS/Plant1/bin");
        WriteText(ws / "PROJECTS/Plant1/pargen.xml", ExamplePargen);
        WriteText(ws / "PROJECTS/Plant1/sdo.xml", ExampleSdo);
    }
    // Runs tessaro-cli from the empty folder, so a bare name can only mean
    // the workspace's project.
    CliResult RunProgramIn(const std::vector<std::string>& args,
                           const std::vector<std::string>& env) {
        std::vector<std::string> all = {
            "-c", "cd " + ShellQuote(cwd.path()) + " && exec \"$0\" \"$@\"", CLI_PATH};
        all.insert(all.end(), args.begin(), args.end());
        return RunProgram("sh", all, env);
    }
};

TEST(WorkspaceOption, BareProjectNameIsLookedUpInTheWorkspace) {
    Scene s;
    const std::string bank = s.ws / "PROJECTS/Plant1/bin/bank.bin";
    struct Case {
        const char* name;
        std::vector<std::string> args, env;
    } cases[] = {
        {"OptionBefore", {"--workspace", s.ws.path(), "build", "Plant1"}, {}},
        {"OptionAfter", {"build", "Plant1", "--workspace=" + s.ws.path()}, {}},
        {"Variable", {"build", "Plant1"}, {"TESSARO_WORKSPACE=" + s.ws.path()}},
        {"OptionWinsOverVariable",
         {"build", "Plant1", "--workspace", s.ws.path()},
         {"TESSARO_WORKSPACE=" + s.cwd / "elsewhere"}},
    };
    for (const Case& c : cases) {
        ::unlink(bank.c_str());
        CliResult r = s.RunProgramIn(c.args, c.env);
        EXPECT_EQ(r.rc, 0) << c.name << ": " << r.err;
        EXPECT_EQ(ReadText(bank), ExampleBank) << c.name;
    }
    // A path works as before, whatever the workspace.
    CliResult path =
        s.RunProgramIn({"check", s.ws / "PROJECTS/Plant1", "--workspace", s.cwd.path()}, {});
    EXPECT_EQ(path.rc, 0) << path.err;
    // A name the workspace does not have is reported with its full path.
    CliResult missing = s.RunProgramIn({"check", "Plant2", "--workspace", s.ws.path()}, {});
    EXPECT_EQ(missing.rc, 1);
    EXPECT_NE(missing.err.find(s.ws / "PROJECTS/Plant2"), std::string::npos) << missing.err;
}

TEST(WorkspaceOption, UnusableWorkspaceIsRefusedAndNothingCreated) {
    Scene s;
    WriteText(s.cwd / "afile", "x");
    struct Case {
        std::vector<std::string> args;
        const char* err;
    } cases[] = {
        {{"check", "Plant1", "--workspace", s.cwd / "afile"}, "is not a folder."},
        {{"check", "Plant1", "--workspace", "/proc"}, "is not writable."},
        {{"check", "Plant1", "--workspace", s.cwd / "afile/sub"}, "cannot be created"},
        {{"check", "Plant1", "--workspace"}, "--workspace needs a folder"},
    };
    for (const Case& c : cases) {
        CliResult r = s.RunProgramIn(c.args, {});
        EXPECT_NE(r.rc, 0);
        EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    }
    EXPECT_EQ(ReadText(s.cwd / "afile"), "x");
}
} // namespace
