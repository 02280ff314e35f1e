#include "app/Forms.h"

#include "app/MainWindow.h"
#include "gui/project/NewProjectWindow.h"
#include "gui/device/FirmwareWindow.h"
#include "gui/device/UpdateWindow.h"
#include "gui/editors/DiagnosisWindow.h"
#include "gui/editors/AccessMapWindow.h"
#include "gui/editors/CommunicationWindow.h"
#include "gui/family/StoredPdoWindow.h"
#include "gui/family/SdoWindow.h"
#include "gui/family/PdoAccessWindow.h"
#include "gui/family/EmcyWordWindow.h"
#include "gui/family/EmcyWindow.h"
#include "gui/family/PdoWindow.h"
#include "gui/tools/SelectStringWindow.h"
#include "gui/tools/AboutWindow.h"
#include "gui/tools/XmlToolWindow.h"
#include "gui/tools/HelpWindow.h"

namespace {
template <class T> T* Make(Forms* forms, Workspace& ws, QWidget* owner) {
    T* f = new T(ws, owner, FormBase::Build::OnFirstShow);
    f->setForms(forms);
    return f;
}
} // namespace

void Forms::create(Workspace& ws) {
    FTessaroFirmWare = new TFTessaroFirmWare(ws, this);
    QWidget* owner = FTessaroFirmWare;
    Fsaveproj = Make<TFsaveproj>(this, ws, owner);
    FHelp = Make<TFHelp>(this, ws, owner);
    FAbout = Make<TFAbout>(this, ws, owner);
    FSELstringhe = Make<TFSELstringhe>(this, ws, owner);
    FModifyFileSx = Make<TFModifyFileSx>(this, ws, owner);
    Fpargen = Make<TFpargen>(this, ws, owner);
    Fsdo = Make<TFsdo>(this, ws, owner);
    Fpdo = Make<TFpdo>(this, ws, owner);
    Femcy = Make<TFemcy>(this, ws, owner);
    FWemcy = Make<TFWemcy>(this, ws, owner);
    FXML = Make<TFXML>(this, ws, owner);
    FInfopdo = Make<TFInfopdo>(this, ws, owner);
    FSetVar = Make<TFSetVar>(this, ws, owner);
    FSetPdo = Make<TFSetPdo>(this, ws, owner);
    FBootSer = Make<TFBootSer>(this, ws, owner);
    FSetDiagnosis = Make<TFSetDiagnosis>(this, ws, owner);
}

void Forms::destroy() {
    // The dialogs are children of the main window and go with it.
    delete FTessaroFirmWare;
    *this = Forms{};
}
