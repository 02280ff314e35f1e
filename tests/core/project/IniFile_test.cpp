// Remembered project names that try to leave PROJECTS or to break the INI file.
#include "TempDir.h"
#include "core/project/FileSystem.h"
#include "core/project/IniFile.h"
#include "core/project/Workspace.h"

#include <gtest/gtest.h>

TEST(HostileIni, LineBreaksAreNeverWritten) {
    TempDir dir;
    const std::string ini = dir / "t.ini";
    const std::string before = "[lastproj]\r\nprojectname=/Plant1\r\n";
    WriteText(ini, before);
    const char* const values[] = {"/a\nb", "/a\r\n[lastproj]\r\nprojectname=/../MASTER", "/a\r"};
    for (const char* v : values) {
        EXPECT_FALSE(IniWriteString(ini, "lastproj", "projectname", v)) << v;
        EXPECT_EQ(ReadText(ini), before) << v;
    }
    EXPECT_FALSE(IniWriteString(ini, "last\nproj", "projectname", "x"));
    EXPECT_FALSE(IniWriteString(ini, "lastproj", "project\nname", "x"));
    EXPECT_EQ(ReadText(ini), before);
}

// A project folder whose name holds a line break: remembering it fails and
// the next start does not end up in a folder the name smuggled in.
TEST(HostileIni, FolderNameWithLineBreakIsNotRemembered) {
    TempDir exe;
    Workspace ws(exe.path());
    ws.Settle();
    ASSERT_TRUE(CreateDir(ws.ProjectsFolder + "/Other"));
    // No "/" can be part of a folder name, so the smuggled entry names a sibling.
    const std::string evil = "x\r\n[lastproj]\r\nprojectname=Other\r\n";
    ASSERT_TRUE(CreateDir(ws.ProjectsFolder + "/" + evil));
    ws.ApplyOpenedFolder(ws.ProjectsFolder + "/" + evil);
    EXPECT_FALSE(ws.RememberProject());
    EXPECT_FALSE(FileExists(ws.IniPath()));

    Workspace next(exe.path());
    EXPECT_FALSE(next.Settle());
    EXPECT_EQ(next.ProjectFolder, next.ProjectsFolder);
    // A remembered name with a line break written by hand reads as far as the break.
    WriteText(ws.IniPath(), "[lastproj]\r\nprojectname=/" + evil + "\r\n");
    Workspace third(exe.path());
    EXPECT_FALSE(third.Settle());
    EXPECT_EQ(third.ProjectName, "/x");
}

struct IniValueCase {
    std::string value;
    const char* why;
};

class HostileIniValue : public ::testing::TestWithParam<IniValueCase> {};

// Each value names a folder that exists, but outside PROJECTS: start-up
// treats it as no project and stays in PROJECTS.
TEST_P(HostileIniValue, StaysInProjects) {
    TempDir exe;
    Workspace ws(exe.path());
    ws.Settle();
    const std::string value = GetParam().value == "<exe>" ? exe.path() : GetParam().value;
    WriteText(ws.IniPath(), "[lastproj]\r\nprojectname=" + value + "\r\n");
    Workspace next(exe.path());
    EXPECT_FALSE(next.Settle()) << GetParam().why;
    EXPECT_EQ(next.ProjectFolder, next.ProjectsFolder) << GetParam().why;
    EXPECT_EQ(next.PargenPath, next.ProjectsFolder + "/pargen.xml");
}

INSTANTIATE_TEST_SUITE_P(Values, HostileIniValue,
                         ::testing::Values(IniValueCase{"..", "parent"},
                                           IniValueCase{"/../MASTER", "sibling"},
                                           IniValueCase{"/./../../", "dots"},
                                           IniValueCase{"<exe>", "absolute path"},
                                           IniValueCase{"/tmp", "absolute system folder"},
                                           IniValueCase{"\\..\\MASTER", "backslashes"},
                                           IniValueCase{"/a\x01..", "control character"}));
