#include "app/Comon.h"
#include "app/Forms.h"
#include "app/UTessaroFirmWare.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(ApplicationTitle);

    Workspace ws(QCoreApplication::applicationDirPath().toStdString());
    Forms forms;
    forms.create(ws);
    forms.FTessaroFirmWare->show();
    int rc = app.exec();
    forms.destroy();
    return rc;
}
