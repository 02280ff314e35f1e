#include "family/USdo.h"

TFsdo::TFsdo(Workspace& ws, QWidget* parent) : FormBase(ws, parent) {
    setObjectName("Fsdo");
    setWindowTitle("Set SDO Access");
}
