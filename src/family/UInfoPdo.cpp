#include "family/UInfoPdo.h"

TFInfopdo::TFInfopdo(Workspace& ws, QWidget* parent) : FormBase(ws, parent) {
    setObjectName("FInfopdo");
    setWindowTitle("Define Store PDO");
}
