#include "Code/conversion/ConversionRequest.h"

#include "Code/core/Func.h"
#include "Code/core/ProgramFolder.h"
#include "Code/core/TrimSpan.h"
#include "Code/core/Unit_ConfigInfo.h"

namespace {

TEncoderOptions optionsWithProfile(const TConversionRequest &request)
{
    TEncoderOptions options = request.Options;
    if (const std::optional<TProfileFields> fields = ReadProfileFields(request.CustomProfileValue))
        ApplyProfileFields(*fields, options);
    return options;
}

} // namespace

QString OutputFolderOf(const QString &outputFolderText)
{
    QString folder = ResolveInProgramFolder(outputFolderText);
    if (!folder.endsWith(PathSeparator()))
        folder += PathSeparator();
    return folder;
}

TConvertParameterStruct BuildEncoderCommand(const QList<TConversionRow> &rows, const TConversionRequest &request,
                                            const QString &sourceFile)
{
    TConvertParameterStruct p;
    p.SourceFile = sourceFile;
    p.Trim = TrimSpanOf(rows, sourceFile, true);
    p.Options = optionsWithProfile(request);
    p.OutputFolder = OutputFolderOf(request.OutputFolderText);
    p.OutputBaseName = TFileFunc::GetFileBaseName(sourceFile);
    p.OutputExtension = OutputExtensionOf(p.Options.OutputType);
    // A RealMedia source reaches rmcoda through the batch's script, which
    // the row's preparation names.
    p.InputFile = sourceFile;
    p.EncoderPath = ProgramFolder() + (IsRealMediaSource(sourceFile) ? RmcodaName() : VidcodaName());
    return p;
}
