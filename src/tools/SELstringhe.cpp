#include "tools/SELstringhe.h"

TFSELstringhe::TFSELstringhe(Workspace& ws, QWidget* parent) : FormBase(ws, parent) {
    setObjectName("FSELstringhe");
    setWindowTitle("Select String");
}
