#include "tools/UXML.h"

TFXML::TFXML(Workspace& ws, QWidget* parent) : FormBase(ws, parent) {
    setObjectName("FXML");
    setWindowTitle("XML Reader & Writer");
}
