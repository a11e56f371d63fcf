#include "Code/Globals.h"

TFrmMainForm *FrmMainForm = nullptr;
TfrmConverting *frmConverting = nullptr;
TfrmOption *frmOption = nullptr;
TFrmInitFileForm *FrmInitFileForm = nullptr;

TCustomProc *CustomProc = nullptr;
TCommonLib *CommonLib = nullptr;
TAppFunc *AppFunc = nullptr;
TSysFunc *SysFunc = nullptr;
TStrFunc *StrFunc = nullptr;
TFileFunc *FileFunc = nullptr;

TRecSoftInfo RecSoftInfo;
