#include "editors/Upargen.h"

TFpargen::TFpargen(Workspace& ws, QWidget* parent) : FormBase(ws, parent) {
    setObjectName("Fpargen");
    setWindowTitle("SET COMMUNICATION");
}
