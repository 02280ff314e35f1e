#include "tools/Uhelp.h"

TFHelp::TFHelp(Workspace& ws, QWidget* parent) : FormBase(ws, parent) {
    setObjectName("FHelp");
    setWindowTitle("Help");
}
