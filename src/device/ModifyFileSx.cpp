#include "device/ModifyFileSx.h"

TFModifyFileSx::TFModifyFileSx(Workspace& ws, QWidget* parent) : FormBase(ws, parent) {
    setObjectName("FModifyFileSx");
    setWindowTitle("Generate Firmware");
}
