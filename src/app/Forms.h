#pragma once

class Workspace;
class TFTessaroFirmWare;
class TFsaveproj;
class TFHelp;
class TFAbout;
class TFSELstringhe;
class TFModifyFileSx;
class TFpargen;
class TFsdo;
class TFpdo;
class TFemcy;
class TFWemcy;
class TFXML;
class TFInfopdo;
class TFSetVar;
class TFSetPdo;
class TFBootSer;
class TFSetDiagnosis;

// The program's windows, created once at start in this order and kept.
struct Forms {
    TFTessaroFirmWare* FTessaroFirmWare = nullptr;
    TFsaveproj* Fsaveproj = nullptr;
    TFHelp* FHelp = nullptr;
    TFAbout* FAbout = nullptr;
    TFSELstringhe* FSELstringhe = nullptr;
    TFModifyFileSx* FModifyFileSx = nullptr;
    TFpargen* Fpargen = nullptr;
    TFsdo* Fsdo = nullptr;
    TFpdo* Fpdo = nullptr;
    TFemcy* Femcy = nullptr;
    TFWemcy* FWemcy = nullptr;
    TFXML* FXML = nullptr;
    TFInfopdo* FInfopdo = nullptr;
    TFSetVar* FSetVar = nullptr;
    TFSetPdo* FSetPdo = nullptr;
    TFBootSer* FBootSer = nullptr;
    TFSetDiagnosis* FSetDiagnosis = nullptr;

    // Creates all seventeen windows; the main window settles the workspace first.
    void create(Workspace& ws);
    // Deletes them in reverse order.
    void destroy();
};
