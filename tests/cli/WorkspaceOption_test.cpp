#include "CliRun.h"
#include "TempDir.h"
#include "WorkedExample.h"
#include "core/project/FileSystem.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

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
// Only the PROJECT operand is looked up, wherever it stands; option values
// and other files are paths of the current folder, in every command.
TEST(WorkspaceOption, OnlyTheProjectOperandIsLookedUp) {
    Scene s;
    const std::string ws = s.ws.path(), plant = s.ws / "PROJECTS/Plant1";
    // A local Plant1 that must not be taken for the workspace's.
    ForceDirectories(s.cwd / "Plant1");
    WriteText(s.cwd / "bank.bin", ExampleBank);
    const struct {
        std::vector<std::string> args;
        int rc;
        const char* created; // in the current folder, "" for none
        const char* says;    // in the output, "" for anything
    } cases[] = {
        {{"export", "--table", "read", "Plant1", "-o", "y.csv"}, 0, "y.csv", ""},
        {{"export", "-o", "y2.csv", "--table", "write", "Plant1"}, 0, "y2.csv", ""},
        {{"build", "-o", "out.bin", "Plant1"}, 0, "out.bin", ""},
        {{"build", "Plant1", "-o", "out2.bin"}, 0, "out2.bin", ""},
        {{"report", "-o", "rep.html", "--date", "2026-01-01", "Plant1"}, 0, "rep.html", ""},
        {{"report", "--date", "2026-01-01", "-o", "-", "Plant1"}, 0, "", "Plant1"},
        {{"gsd", "Plant1", "out.gsd"}, 0, "out.gsd", ""},
        {{"check", "--json", "Plant1"}, 0, "", "["},
        {{"map", "Plant1", "--json"}, 0, "", "rows"},
        {{"dump", "Plant1"}, 0, "", "bin/bank.bin"},
        {{"dump", "bank.bin"}, 0, "", "46 bytes"},
        {{"import", "--table", "read", "Plant1", "y.csv"}, 0, "", "Imported"},
        {{"probe", "--port", "nodev", "Plant1"}, 2, "", "Port nodev missing"},
        {{"probe", "--repeat", "2", "--port", "nodev", "Plant1"}, 2, "", "Port nodev missing"},
        {{"probe", "--data-bits", "8", "--stop-bits", "2", "Plant1", "--port", "nodev"},
         2,
         "",
         "Port nodev missing"},
    };
    ASSERT_EQ(s.RunProgramIn({"build", plant}, {}).rc, 0);
    for (const auto& c : cases) {
        std::vector<std::string> args = {"--workspace", ws};
        args.insert(args.end(), c.args.begin(), c.args.end());
        CliResult r = s.RunProgramIn(args, {});
        std::string what;
        for (const std::string& a : c.args)
            what += a + " ";
        EXPECT_EQ(r.rc, c.rc) << what << ": " << r.err;
        if (*c.created) {
            EXPECT_TRUE(FileExists(s.cwd / c.created)) << what;
        }
        EXPECT_NE((r.out + r.err).find(c.says), std::string::npos)
            << what << ": " << r.out << r.err;
        EXPECT_EQ(r.err.find("is not a folder"), std::string::npos) << what << ": " << r.err;
        // Nothing lands beside the workspace's projects.
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(s.ws / "PROJECTS"), {}), 1)
            << what;
    }
    // The report is the workspace project's, not the local folder's.
    CliResult want = s.RunProgramIn({"report", plant, "-o", "-", "--date", "2026-01-01"}, {});
    EXPECT_EQ(ReadText(s.cwd / "rep.html"), want.out);
    EXPECT_EQ(ReadText(s.cwd / "out.bin"), ExampleBank);
}

// A workspace that cannot be resolved is refused at once, before any lookup.
TEST(WorkspaceOption, LinkLoopOrLinkToNothingIsRefused) {
    Scene s;
    ASSERT_EQ(::symlink((s.cwd / "loop").c_str(), (s.cwd / "loop").c_str()), 0);
    ASSERT_EQ(::symlink((s.cwd / "gone").c_str(), (s.cwd / "dangling").c_str()), 0);
    const struct {
        std::string ws;
        const char* says;
    } cases[] = {
        {s.cwd / "loop", "cannot be used: Too many levels of symbolic links."},
        {s.cwd / "loop/sub", "cannot be used: Too many levels of symbolic links."},
        {s.cwd / "dangling", "cannot be used: it is a symbolic link to nothing."},
    };
    for (const auto& c : cases) {
        for (bool variable : {false, true}) {
            CliResult r = variable
                              ? s.RunProgramIn({"check", "Plant1"}, {"TESSARO_WORKSPACE=" + c.ws})
                              : s.RunProgramIn({"check", "Plant1", "--workspace", c.ws}, {});
            EXPECT_EQ(r.rc, 1) << c.ws;
            EXPECT_EQ(r.err, "tessaro-cli: Workspace \"" + c.ws + "\" " + c.says + "\n");
        }
    }
    EXPECT_FALSE(DirectoryExists(s.cwd / "gone"));
}
} // namespace
