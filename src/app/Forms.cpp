#include "app/Forms.h"

#include "app/UTessaroFirmWare.h"
#include "app/Unewp.h"
#include "device/ModifyFileSx.h"
#include "device/UBootSer.h"
#include "editors/USetDiagnosis.h"
#include "editors/USetVar.h"
#include "editors/Upargen.h"
#include "family/UInfoPdo.h"
#include "family/USdo.h"
#include "family/USetPdo.h"
#include "family/UWemcy.h"
#include "family/Uemcy.h"
#include "family/Updo.h"
#include "tools/SELstringhe.h"
#include "tools/UAbout.h"
#include "tools/UXML.h"
#include "tools/Uhelp.h"

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
