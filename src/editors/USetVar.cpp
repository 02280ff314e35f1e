#include "editors/USetVar.h"

TFSetVar::TFSetVar(Workspace& ws, QWidget* parent) : FormBase(ws, parent) {
    setObjectName("FSetVar");
    setWindowTitle("Set Access");
}
