#pragma once
#include "RecordingPrompt.h"
#include "TempDir.h"
#include "core/project/Workspace.h"
#include "core/project/FileSystem.h"

#include <QDialog>
#include <QTimer>
#include <memory>

// A workspace on a temporary executable folder with one open project.
struct EditorFixture {
    TempDir exe;
    Workspace ws{exe.path()};
    std::shared_ptr<RecordingPrompt> rec = std::make_shared<RecordingPrompt>();

    EditorFixture() {
        ws.Settle();
        ws.ProjectName = "p1";
        ws.ProjectFolder = ws.ProjectsFolder + PathSep + "p1";
        ForceDirectories(ws.ProjectFolder + PathSep + "bin");
        ws.UpdateProjectPaths();
    }
};

// Runs the dialog modally; `act` runs once the loop is up and must close it.
inline int ExecWith(QDialog& dlg, std::function<void()> act) {
    QTimer::singleShot(0, &dlg, [&dlg, act] {
        act();
        if (dlg.isVisible()) dlg.done(QDialog::Rejected); // never hang on a dialog left open
    });
    return dlg.exec();
}
