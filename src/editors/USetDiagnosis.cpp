#include "editors/USetDiagnosis.h"

TFSetDiagnosis::TFSetDiagnosis(Workspace& ws, QWidget* parent) : FormBase(ws, parent) {
    setObjectName("FSetDiagnosis");
    setWindowTitle("Error/Diagnosis");
}
