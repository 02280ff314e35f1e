#include "family/Uemcy.h"

TFemcy::TFemcy(Workspace& ws, QWidget* parent) : FormBase(ws, parent) {
    setObjectName("Femcy");
    setWindowTitle("Set Traslate EMCY");
}
