#pragma once

#include <QString>

class TFrmMainForm;
class TfrmConverting;
class TfrmOption;
class TFrmInitFileForm;
class TCustomProc;
class TCommonLib;
class TAppFunc;
class TSysFunc;
class TStrFunc;
class TFileFunc;

// The program's windows: created once at start, alive until the process ends.
extern TFrmMainForm *FrmMainForm;
extern TfrmConverting *frmConverting;
extern TfrmOption *frmOption;
extern TFrmInitFileForm *FrmInitFileForm;

// The global service objects, created by RunStartupSequence.
extern TCustomProc *CustomProc;
extern TCommonLib *CommonLib;
extern TAppFunc *AppFunc;
extern TSysFunc *SysFunc;
extern TStrFunc *StrFunc;
extern TFileFunc *FileFunc;

// Product information shown in the caption and used by the system commands.
struct TRecSoftInfo {
    QString ProductName;
    QString VersionText;
    QString HomePage;
    QString SupportEmail;
    QString ProgramFolder;
};
extern TRecSoftInfo RecSoftInfo;
