#include "Code/ApplicationWindows.h"

#include "Code/Globals.h"
#include "Code/InitFileForm.h"
#include "Code/Unit_Convert.h"
#include "Code/Unit_Converting.h"
#include "Code/Unit_Option.h"

namespace {
template <typename T> void createOnce(T *&object)
{
    if (!object)
        object = new T;
}
} // namespace

void CreateApplicationWindows()
{
    createOnce(FrmMainForm);
    createOnce(frmConverting);
    createOnce(frmOption);
    createOnce(FrmInitFileForm);
}
