#include "tools/UAbout.h"

TFAbout::TFAbout(Workspace& ws, QWidget* parent) : FormBase(ws, parent) {
    setObjectName("FAbout");
    setWindowTitle("About...");
}
