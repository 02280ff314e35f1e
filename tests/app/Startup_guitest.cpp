#include "app/Startup.h"

#include "RecordingPrompt.h"
#include "TempDir.h"
#include "app/Forms.h"
#include "app/MainWindow.h"
#include "core/project/FileSystem.h"
#include "core/project/Workspace.h"

#include <QtTest>
#include <cstdlib>

// The program's start-up: where MASTER, PROJECTS and the INI file go.
class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void init() { ::unsetenv("TESSARO_WORKSPACE"); }
    void optionVariableAndDefault();
    void unusableWorkspaceRefusedNothingCreated();
    void programRunsInTheGivenWorkspace();
};

void StartupTest::optionVariableAndDefault() {
    TempDir exe, a, b;
    RecordingPrompt prompt;
    const QString app = "tessaro-sm2dns";
    QCOMPARE(*StartupWorkspaceRoot({app}, exe.path(), prompt), exe.path());
    QCOMPARE(*StartupWorkspaceRoot({app, "--workspace", QString::fromStdString(a.path())},
                                   exe.path(), prompt),
             a.path());
    QCOMPARE(*StartupWorkspaceRoot({app, QString::fromStdString("--workspace=" + a / "new/ws")},
                                   exe.path(), prompt),
             a / "new/ws");
    QVERIFY(DirectoryExists(a / "new/ws")); // a missing folder is created
    ::setenv("TESSARO_WORKSPACE", b.path().c_str(), 1);
    QCOMPARE(*StartupWorkspaceRoot({app}, exe.path(), prompt), b.path());
    QCOMPARE(*StartupWorkspaceRoot({app, "--workspace", QString::fromStdString(a.path())},
                                   exe.path(), prompt),
             a.path());
    QVERIFY(prompt.entries.isEmpty());
}

void StartupTest::unusableWorkspaceRefusedNothingCreated() {
    TempDir exe, tmp;
    WriteText(tmp / "file", "x");
    const struct {
        std::string given, message;
    } cases[] = {
        {tmp / "file", "Workspace \"" + tmp / "file" + "\" is not a folder."},
        {tmp / "file/ws", "Workspace \"" + tmp / "file/ws" + "\" cannot be created: \"" +
                              tmp / "file" + "\" is not a folder."},
        {"/proc/ws", "Workspace \"/proc/ws\" cannot be created: \"/proc\" is not writable."},
    };
    for (const auto& c : cases) {
        RecordingPrompt prompt;
        auto root = StartupWorkspaceRoot(
            {"tessaro-sm2dns", "--workspace", QString::fromStdString(c.given)}, exe.path(), prompt);
        QVERIFY(!root);
        QCOMPARE(prompt.texts("error"), QStringList{QString::fromStdString(c.message)});
    }
    QCOMPARE(ReadText(tmp / "file"), std::string("x"));
    QVERIFY(!DirectoryExists(exe / "MASTER"));
    QVERIFY(!DirectoryExists(exe / "PROJECTS"));
    QVERIFY(!FileExists(exe / "Tessaro_Sm2DNs.ini"));
}

void StartupTest::programRunsInTheGivenWorkspace() {
    TempDir exe, root;
    ForceDirectories(root / "PROJECTS/Plant1/bin");
    WriteText(root / "Tessaro_Sm2DNs.ini", "[lastproj]\r\nprojectname=Plant1\r\n");
    RecordingPrompt prompt;
    auto folder = StartupWorkspaceRoot(
        {"tessaro-sm2dns", "--workspace", QString::fromStdString(root.path())}, exe.path(), prompt);
    QVERIFY(folder);
    Workspace ws(exe.path(), *folder);
    Forms forms;
    forms.create(ws);
    QVERIFY(forms.FTessaroFirmWare->windowTitle().endsWith("Plant1"));
    QCOMPARE(ws.ProjectFolder, root / "PROJECTS/Plant1");
    QVERIFY(DirectoryExists(root / "MASTER"));
    QVERIFY(!DirectoryExists(exe / "PROJECTS"));
    forms.destroy();
}

QTEST_MAIN(StartupTest)
#include "Startup_guitest.moc"
