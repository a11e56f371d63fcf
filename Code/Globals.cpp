#include "Code/Globals.h"

TFrmMainForm *FrmMainForm = nullptr;
TfrmConverting *frmConverting = nullptr;
TfrmOption *frmOption = nullptr;
TFrmInitFileForm *FrmInitFileForm = nullptr;

TCustomProc *CustomProc = nullptr;
TCommonLib *CommonLib = nullptr;
TAppFunc *AppFunc = nullptr;

TRecSoftInfo RecSoftInfo;
