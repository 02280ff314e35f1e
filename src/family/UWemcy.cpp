#include "family/UWemcy.h"

TFWemcy::TFWemcy(Workspace& ws, QWidget* parent) : FormBase(ws, parent) {
    setObjectName("FWemcy");
    setWindowTitle("Define EMCY Word");
}
