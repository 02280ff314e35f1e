#include "family/USetPdo.h"

TFSetPdo::TFSetPdo(Workspace& ws, QWidget* parent) : FormBase(ws, parent) {
    setObjectName("FSetPdo");
    setWindowTitle("Set PDO Access");
}
