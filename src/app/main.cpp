#include "app/Forms.h"
#include "app/MainWindow.h"
#include "app/Startup.h"
#include "core/project/Workspace.h"
#include "gui/widgets/Prompt.h"

#include <QApplication>
#ifdef TESSARO_QUIT_AFTER_SHOW
#include "app/ShownProbe.h"
#endif

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(ApplicationTitle);

    const std::string exeFolder = QCoreApplication::applicationDirPath().toStdString();
    QtPrompt prompt(nullptr);
    auto root = StartupWorkspaceRoot(QCoreApplication::arguments(), exeFolder, prompt);
    if (!root) return 2;
    Workspace ws(exeFolder, *root);
    Forms forms;
    forms.create(ws);
#ifdef TESSARO_QUIT_AFTER_SHOW
    // Start-up probe build: ends once the main window has painted.
    new ShownProbe(forms.FTessaroFirmWare);
#endif
    forms.FTessaroFirmWare->show();
    int rc = app.exec();
    forms.destroy();
    return rc;
}
