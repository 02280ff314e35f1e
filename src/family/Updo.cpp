#include "family/Updo.h"

TFpdo::TFpdo(Workspace& ws, QWidget* parent) : FormBase(ws, parent) {
    setObjectName("Fpdo");
    setWindowTitle("Define Traslate PDO");
}
