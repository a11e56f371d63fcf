#pragma once

#include <QString>

class TFrmMainForm;
class TfrmConverting;
class TfrmOption;
class TFrmInitFileForm;
class TCustomProc;
class TCommonLib;
class TAppFunc;

// The program's windows: created once at start, hidden and shown, alive until
// the process ends. Each window reaches the others through these.
extern TFrmMainForm *FrmMainForm;
extern TfrmConverting *frmConverting;
extern TfrmOption *frmOption;
extern TFrmInitFileForm *FrmInitFileForm;

// The long-lived services the windows call, created by RunStartupSequence:
// the program's logic that outlives one event (settings, selection, profiles,
// the player, starting a batch), the shared helpers (notices, folders, Config files)
// and the log. Nothing that belongs to one conversion lives here: a batch and
// its jobs carry their own state and tell the windows through signals.
extern TCustomProc *CustomProc;
extern TCommonLib *CommonLib;
extern TAppFunc *AppFunc;

// Product information shown in the caption and used by the system commands.
struct TRecSoftInfo {
    QString ProductName;
    QString VersionText;
    QString HomePage;
    QString SupportEmail;
    QString ProgramFolder;
};
extern TRecSoftInfo RecSoftInfo;
