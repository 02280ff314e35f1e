#include "TempDir.h"
#include "core/project/Workspace.h"
#include "core/project/IniFile.h"
#include "core/project/FileSystem.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

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
