#include "app/Forms.h"

#include "app/MainWindow.h"
#include "gui/device/FirmwareWindow.h"
#include "gui/device/UpdateWindow.h"
#include "gui/editors/AccessMapWindow.h"
#include "gui/editors/CommunicationWindow.h"
#include "gui/editors/DiagnosisWindow.h"
#include "gui/family/EmcyWindow.h"
#include "gui/family/EmcyWordWindow.h"
#include "gui/family/PdoAccessWindow.h"
#include "gui/family/PdoWindow.h"
#include "gui/family/SdoWindow.h"
#include "gui/family/StoredPdoWindow.h"
#include "gui/project/NewProjectWindow.h"
#include "gui/tools/AboutWindow.h"
#include "gui/tools/HelpWindow.h"
#include "gui/tools/SelectStringWindow.h"
#include "gui/tools/XmlToolWindow.h"

namespace {
// Each window is handed what it needs from the others; all build on first showing.
template <class T, class... Services> T* Make(Workspace& ws, QWidget* owner, Services&... s) {
    return new T(ws, s..., owner, FormBase::Build::OnFirstShow);
}
} // namespace

void Forms::create(Workspace& ws) {
    FTessaroFirmWare = new TFTessaroFirmWare(ws, this);
    TFTessaroFirmWare* owner = FTessaroFirmWare;
    SpreadsheetSession& excel = *FTessaroFirmWare;
    Fsaveproj = Make<TFsaveproj>(ws, owner);
    FHelp = Make<TFHelp>(ws, owner);
    FAbout = Make<TFAbout>(ws, owner);
    FSELstringhe = Make<TFSELstringhe>(ws, owner);
    FModifyFileSx = Make<TFModifyFileSx>(ws, owner);
    Fpargen = Make<TFpargen>(ws, owner);
    Fsdo = Make<TFsdo>(ws, owner, excel);
    Fpdo = Make<TFpdo>(ws, owner, excel);
    Femcy = Make<TFemcy>(ws, owner, excel);
    FWemcy = Make<TFWemcy>(ws, owner, excel);
    FXML = Make<TFXML>(ws, owner, *Fsaveproj);
    FInfopdo = Make<TFInfopdo>(ws, owner, excel);
    FSetVar = Make<TFSetVar>(ws, owner);
    FSetPdo = Make<TFSetPdo>(ws, owner);
    FBootSer = Make<TFBootSer>(ws, owner);
    FSetDiagnosis = Make<TFSetDiagnosis>(ws, owner);
}

void Forms::destroy() {
    // The dialogs are children of the main window and go with it.
    delete FTessaroFirmWare;
    *this = Forms{};
}
