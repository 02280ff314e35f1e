#include "core/project/Workspace.h"
#include "app/Forms.h"
#include "app/MainWindow.h"

#include <QApplication>
#ifdef TESSARO_QUIT_AFTER_SHOW
#include "app/ShownProbe.h"
#endif

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(ApplicationTitle);

    Workspace ws(QCoreApplication::applicationDirPath().toStdString());
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
