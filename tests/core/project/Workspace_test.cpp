#include "TempDir.h"
#include "core/project/FileSystem.h"
#include "core/project/IniFile.h"
#include "core/project/Workspace.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
TEST(IniFile, ReadsWritesAndKeepsOtherEntries) {
    TempDir dir;
    const std::string ini = dir / "t.ini";
    EXPECT_EQ(IniReadString(ini, "lastproj", "projectname", "def"), "def");

    WriteText(ini, "[other]\r\nx=1\r\n\r\n[LastProj]\r\nfoo=bar\r\nProjectName=\\Old\r\n");
    EXPECT_EQ(IniReadString(ini, "lastproj", "projectname", ""), "\\Old");
    EXPECT_EQ(IniReadString(ini, "lastproj", "missing", "d"), "d");
    EXPECT_EQ(IniReadString(ini, "nosection", "projectname", "d"), "d");

    ASSERT_TRUE(IniWriteString(ini, "lastproj", "projectname", "/Plant1 ; x=y"));
    EXPECT_EQ(IniReadString(ini, "lastproj", "projectname", ""), "/Plant1 ; x=y");
    EXPECT_EQ(IniReadString(ini, "other", "x", ""), "1");
    EXPECT_EQ(IniReadString(ini, "lastproj", "foo", ""), "bar");

    ASSERT_TRUE(IniWriteString(ini, "lastproj", "projectname", ""));
    EXPECT_EQ(IniReadString(ini, "lastproj", "projectname", "d"), "");

    ASSERT_TRUE(IniWriteString(ini, "new", "k", "v"));
    EXPECT_EQ(IniReadString(ini, "new", "k", ""), "v");
    EXPECT_EQ(IniReadString(ini, "other", "x", ""), "1");
}

TEST(IniFile, WriteIntoMissingFolderReportsFailure) {
    TempDir dir;
    EXPECT_FALSE(IniWriteString(dir / "gone/t.ini", "lastproj", "projectname", "x"));
}

struct StartCase {
    const char* iniValue; // nullptr: no INI file
    const char* existing; // project folder to create below PROJECTS, or nullptr
    bool found;
    const char* name;   // ProjectName after start-up
    const char* folder; // ProjectFolder relative to ExeFolder
};

class StartUp : public ::testing::TestWithParam<StartCase> {};

TEST_P(StartUp, SettlesWorkspace) {
    const StartCase& c = GetParam();
    TempDir exe;
    if (c.existing) {
        ASSERT_TRUE(ForceDirectories(exe / (std::string("PROJECTS/") + c.existing)));
    }
    if (c.iniValue)
        WriteText(exe / "Tessaro_Sm2DNs.ini",
                  std::string("[lastproj]\r\nprojectname=") + c.iniValue + "\r\n");
    Workspace ws(exe.path());
    EXPECT_EQ(ws.Settle(), c.found);
    EXPECT_TRUE(DirectoryExists(exe / "MASTER"));
    EXPECT_TRUE(DirectoryExists(exe / "PROJECTS"));
    EXPECT_EQ(ws.MasterFolder, exe / "MASTER");
    EXPECT_EQ(ws.ProjectsFolder, exe / "PROJECTS");
    EXPECT_EQ(ws.ProjectName, c.name);
    EXPECT_EQ(ws.ProjectFolder, exe / c.folder);
    EXPECT_EQ(ws.PargenPath, ws.ProjectFolder + "/pargen.xml");
    EXPECT_EQ(ws.DiagnosisPath, ws.ProjectFolder + "/diagnosis.xml");
}

INSTANTIATE_TEST_SUITE_P(
    All, StartUp,
    ::testing::Values(StartCase{nullptr, nullptr, false, "", "PROJECTS"},
                      StartCase{"Plant1", "Plant1", true, "/Plant1", "PROJECTS/Plant1"},
                      StartCase{"/Plant1", "Plant1", true, "/Plant1", "PROJECTS/Plant1"},
                      StartCase{"/Gone", nullptr, false, "/Gone", "PROJECTS"},
                      StartCase{"/a/b", "a/b", true, "/a/b", "PROJECTS/a/b"},
                      // names that would leave PROJECTS count as missing projects
                      StartCase{"/..", nullptr, false, "/..", "PROJECTS"},
                      StartCase{"../MASTER", nullptr, false, "/../MASTER", "PROJECTS"},
                      StartCase{"/Plant1/../../MASTER", "Plant1", false, "/Plant1/../../MASTER",
                                "PROJECTS"}));

TEST(Workspace, OpenTakesNameByPosition) {
    TempDir exe;
    Workspace ws(exe.path());
    ws.Settle();
    ASSERT_TRUE(CreateDir(ws.ProjectsFolder + "/Plant1"));

    ws.ApplyOpenedFolder(ws.ProjectsFolder + "/Plant1");
    EXPECT_EQ(ws.ProjectName, "/Plant1");
    EXPECT_EQ(ws.SdoPath, ws.ProjectsFolder + "/Plant1/sdo.xml");

    ws.ApplyOpenedFolder(ws.ProjectsFolder);
    EXPECT_EQ(ws.ProjectName, "");
    EXPECT_EQ(ws.ProjectFolder, ws.ProjectsFolder);

    // Vanished project then cancel: folder and name become empty.
    ws.ApplyOpenedFolder(ws.ProjectsFolder + "/Gone");
    ws.ForgetVanishedProject();
    ws.ApplyOpenedFolder(std::nullopt);
    EXPECT_EQ(ws.ProjectFolder, "");
    EXPECT_EQ(ws.ProjectName, "");
    EXPECT_EQ(ws.PargenPath, "/pargen.xml");
}

struct NewCase {
    const char* text;
    std::vector<std::string> messages;
    bool created;
};

class NewProject : public ::testing::TestWithParam<NewCase> {};

TEST_P(NewProject, ChecksAndCreates) {
    const NewCase& c = GetParam();
    TempDir exe;
    Workspace ws(exe.path());
    ws.Settle();
    ASSERT_TRUE(CreateDir(ws.ProjectsFolder + "/Existing"));
    const std::string before = ws.ProjectFolder;

    NewProjectOutcome out = CreateNewProject(ws, ws.ProjectsFolder, c.text);
    EXPECT_EQ(out.messages, c.messages);
    EXPECT_EQ(out.closeAllowed, c.created);
    if (c.created) {
        EXPECT_EQ(ws.ProjectName, c.text);
        EXPECT_EQ(ws.ProjectFolder, ws.ProjectsFolder + "/" + c.text);
        EXPECT_TRUE(DirectoryExists(ws.ProjectFolder + "/bin"));
        EXPECT_EQ(ws.PargenPath, ws.ProjectFolder + "/pargen.xml");
    } else {
        EXPECT_EQ(ws.ProjectFolder, before);
        EXPECT_FALSE(DirectoryExists(exe / "x"));
        EXPECT_FALSE(DirectoryExists(exe / "PROJECTS/a"));
    }
}

const std::vector<std::string> kInvalid{"Name project not valid"};
INSTANTIATE_TEST_SUITE_P(
    All, NewProject,
    ::testing::Values(
        NewCase{"Plant1", {}, true}, NewCase{"My plant 2", {}, true}, NewCase{"", kInvalid, false},
        NewCase{"Existing", {"Name project not valid because directory already exists"}, false},
        NewCase{"..", kInvalid, false}, NewCase{".", kInvalid, false},
        NewCase{"../x", kInvalid, false}, NewCase{"a/b", kInvalid, false},
        NewCase{"a\\b", kInvalid, false}, NewCase{"a\nb", kInvalid, false},
        NewCase{"tab\there", kInvalid, false}));

TEST(NewProjectBase, EmptyBaseAndEmptyNameGiveBothMessages) {
    Workspace ws("/nonexistent");
    NewProjectOutcome out = CreateNewProject(ws, "", "");
    EXPECT_FALSE(out.closeAllowed);
    EXPECT_EQ(out.messages, (std::vector<std::string>{"directory destination not valid",
                                                      "Name project not valid"}));
}
} // namespace

// The workspace folder: given, beside the executable, or per user.
TEST(WorkspaceLocation, Choice) {
    TempDir tmp;
    WriteText(tmp / "file", "x");
    CreateDir(tmp / "exe");
    ForceDirectories(tmp / "usr/bin");
    ForceDirectories(tmp / "usr/share/tessaro-sm2dns");
    struct Case {
        std::string exe, given, xdg, folder, error;
        bool perUser;
    } cases[] = {
        {tmp / "exe", tmp.path(), "", tmp.path(), "", false},
        {tmp / "exe", tmp / "new/deeper", "", tmp / "new/deeper", "", false},
        {tmp / "exe", tmp / "file", "", "", "Workspace \"" + tmp / "file" + "\" is not a folder.",
         false},
        {tmp / "exe", tmp / "file/ws", "", "",
         "Workspace \"" + tmp / "file/ws" + "\" cannot be created: \"" + tmp / "file" +
             "\" is not a folder.",
         false},
        // /proc takes no new file, even from root.
        {tmp / "exe", "/proc", "", "", "Workspace folder \"/proc\" is not writable.", false},
        {tmp / "exe", "/proc/ws/a", "", "",
         "Workspace \"/proc/ws/a\" cannot be created: \"/proc\" is not writable.", false},
        {tmp / "exe", "", "", tmp / "exe", "", false},
        {"/proc", "", "/data", "/data/tessaro-sm2dns", "", true},
        {tmp / "usr/bin", "", "/data", "/data/tessaro-sm2dns", "", true}, // installed
        {"/proc", "", "", "/home/u/.local/share/tessaro-sm2dns", "", true},
        {"/proc", "", "relative", "/home/u/.local/share/tessaro-sm2dns", "", true},
    };
    for (const Case& c : cases) {
        WorkspaceLocation w = ChooseWorkspace(c.exe, c.given, c.xdg, "/home/u");
        EXPECT_EQ(w.folder, c.folder) << c.given;
        EXPECT_EQ(w.error, c.error) << c.given;
        EXPECT_EQ(w.perUser, c.perUser) << c.given;
    }
    EXPECT_FALSE(DirectoryExists(tmp / "new")); // choosing creates nothing
    EXPECT_FALSE(FileExists(tmp / "exe/Tessaro_Sm2DNs.ini"));
}

// A given folder that cannot be resolved is refused when chosen, not when
// created (the window and the CLI alike).
TEST(WorkspaceLocation, UnresolvableLinksAreRefused) {
    TempDir tmp;
    ASSERT_EQ(::symlink((tmp / "loop").c_str(), (tmp / "loop").c_str()), 0);
    ASSERT_EQ(::symlink((tmp / "gone").c_str(), (tmp / "dangling").c_str()), 0);
    ASSERT_TRUE(CreateDir(tmp / "real"));
    ASSERT_EQ(::symlink((tmp / "real").c_str(), (tmp / "good").c_str()), 0);
    const struct {
        std::string given, error;
    } cases[] = {
        {tmp / "loop",
         "Workspace \"" + tmp / "loop" + "\" cannot be used: Too many levels of symbolic links."},
        {tmp / "loop/ws", "Workspace \"" + tmp / "loop/ws" +
                              "\" cannot be used: Too many levels of symbolic links."},
        {tmp / "dangling", "Workspace \"" + tmp / "dangling" +
                               "\" cannot be used: it is a symbolic link to nothing."},
        {tmp / "good", ""},
        {tmp / "good/new", ""},
    };
    for (const auto& c : cases) {
        const WorkspaceLocation w = ChooseWorkspace(tmp / "exe", c.given, "", "/home/u");
        EXPECT_EQ(w.error, c.error) << c.given;
        EXPECT_EQ(w.folder.empty(), !c.error.empty()) << c.given;
    }
    EXPECT_FALSE(DirectoryExists(tmp / "gone"));
}

TEST(WorkspaceLocation, PrepareCreatesAndSeedsMasterOnce) {
    TempDir tmp;
    ForceDirectories(tmp / "share/MASTER");
    WriteText(tmp / "share/MASTER/README.txt", "seed");

    WorkspaceLocation given{tmp / "a/b", "", false};
    EXPECT_EQ(PrepareWorkspace(given, tmp / "share"), "");
    EXPECT_TRUE(DirectoryExists(tmp / "a/b"));
    EXPECT_FALSE(DirectoryExists(tmp / "a/b/MASTER")); // only a per-user workspace is seeded

    WorkspaceLocation user{tmp / "user/tessaro-sm2dns", "", true};
    EXPECT_EQ(PrepareWorkspace(user, tmp / "share"), "");
    EXPECT_EQ(ReadText(tmp / "user/tessaro-sm2dns/MASTER/README.txt"), "seed");
    WriteText(tmp / "user/tessaro-sm2dns/MASTER/README.txt", "mine");
    EXPECT_EQ(PrepareWorkspace(user, tmp / "share"), "");
    EXPECT_EQ(ReadText(tmp / "user/tessaro-sm2dns/MASTER/README.txt"), "mine");

    WorkspaceLocation bad{"", "Workspace \"x\" is not a folder.", false};
    EXPECT_EQ(PrepareWorkspace(bad, tmp / "share"), bad.error);
}

TEST(WorkspaceLocation, SettleUsesTheRootNotTheExecutableFolder) {
    TempDir exe, root;
    WriteText(root / "Tessaro_Sm2DNs.ini", "[lastproj]\r\nprojectname=P1\r\n");
    ForceDirectories(root / "PROJECTS/P1");
    Workspace ws(exe.path(), root.path());
    EXPECT_TRUE(ws.Settle());
    EXPECT_EQ(ws.ProjectFolder, root / "PROJECTS/P1");
    EXPECT_EQ(ws.PargenPath, root / "PROJECTS/P1/pargen.xml");
    EXPECT_TRUE(DirectoryExists(root / "MASTER"));
    EXPECT_FALSE(DirectoryExists(exe / "MASTER"));
    EXPECT_FALSE(DirectoryExists(exe / "PROJECTS"));
    EXPECT_TRUE(ws.RememberProject());
    EXPECT_FALSE(FileExists(exe / "Tessaro_Sm2DNs.ini"));
}

TEST(WorkspaceLocation, DataFolderOfBuildAndInstallTrees) {
    TempDir tmp;
    ForceDirectories(tmp / "build/bin");
    WriteText(tmp / "build/bin/help2.dat", "");
    ForceDirectories(tmp / "usr/bin");
    ForceDirectories(tmp / "usr/share/tessaro-sm2dns");
    EXPECT_EQ(DataFolderOf(tmp / "build/bin"), tmp / "build/bin");
    EXPECT_EQ(DataFolderOf(tmp / "usr/bin"), tmp / "usr/share/tessaro-sm2dns");
    EXPECT_EQ(DataFolderOf(tmp / "other"), tmp / "other");
}
