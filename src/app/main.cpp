#include "app/Comon.h"
#include "app/Forms.h"
#include "app/UTessaroFirmWare.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(ApplicationTitle);

    Workspace ws(QCoreApplication::applicationDirPath().toStdString());
    Forms forms;
    forms.create(ws);
    forms.FTessaroFirmWare->show();
#ifdef TESSARO_QUIT_AFTER_SHOW
    // Start-up probe build: ends as soon as the main window is shown.
    QTimer::singleShot(0, &app, &QCoreApplication::quit);
#endif
    int rc = app.exec();
    forms.destroy();
    return rc;
}
