#include "Code/ApplicationWindows.h"

#include "Code/Globals.h"
#include "Code/InitFileForm.h"
#include "Code/Unit_Convert.h"
#include "Code/Unit_Converting.h"
#include "Code/Unit_Option.h"
#include "Code/conversion/ConversionBatch.h"
#include "Code/core/Func.h"

namespace {
template <typename T, typename... Arguments> void createOnce(T *&object, Arguments... arguments)
{
    if (!object)
        object = new T(arguments...);
}

// The batch the windows convert with; like them it lives until the process ends.
TConversionBatch *applicationBatch()
{
    static auto *batch = new TConversionBatch([](const QString &line) { TAppFunc().WriteLog(line); });
    return batch;
}
} // namespace

void CreateApplicationWindows()
{
    createOnce(FrmMainForm, applicationBatch());
    createOnce(frmConverting, applicationBatch());
    createOnce(frmOption);
    createOnce(FrmInitFileForm);
}
