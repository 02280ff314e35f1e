#include "device/UBootSer.h"

TFBootSer::TFBootSer(Workspace& ws, QWidget* parent) : FormBase(ws, parent) {
    setObjectName("FBootSer");
    setWindowTitle("Update Firmware from Serial (RS232)");
}
