#include "Code/conversion/RowPreparation.h"

#include "Code/core/DataFolders.h"
#include "Code/core/Errors.h"
#include "Code/core/Func.h"

#include <QDir>

#include <algorithm>
#include <utility>

namespace {

// Two programs may look for a free name at once; each try that finds it gone
// looks again. Past this many, something keeps taking every name.
constexpr int claimAttempts = 1000;

// A NUL ends a name where the system reads it; a line break would end the
// script's one line. Neither can reach the encoder whole.
bool reachesTheEncoderWhole(const QString &path)
{
    return std::none_of(path.cbegin(), path.cend(),
                        [](QChar c) { return c == QChar(0) || c == QLatin1Char('\n') || c == QLatin1Char('\r'); });
}

// Other batches may hold the first names; past these, none is tried.
constexpr int scriptNames = 100;

// Writes the script; false when it cannot be written.
bool writeScript(const TRowScript &script, const QString &sourceFile)
{
    const QByteArray line = DirectShowScript(sourceFile);
    return !line.isEmpty() && script.File && script.File->replaceContent(line);
}

// The first free name, created empty; the name as computed, unclaimed, when
// the folder takes no file (the encoder then says why).
void claimOutputName(TConvertParameterStruct &p)
{
    const QString wanted = p.OutputFolder + p.OutputBaseName + p.OutputExtension;
    for (int attempt = 0; attempt < claimAttempts; ++attempt) {
        const QString previous = std::exchange(p.OutputPath, TFileFunc::MakeUniqueFileName(wanted));
        // A name the listing calls free yet is taken (a folder of that name)
        // stays taken: the encoder then says why it cannot write there.
        if (p.OutputPath == previous)
            return;
        bool taken = false;
        p.OutputClaim = platform::createNewFile(p.OutputPath, taken);
        if (!taken)
            return;
    }
    throw EFCreateError(QStringLiteral("No free name for the output file was found in ") + p.OutputFolder);
}

// VideoFile.avs, then VideoFile_1.avs and on for programs that run beside
// this one.
QString scriptFileNumbered(int number)
{
    const QString suffix = number == 0 ? QString() : QStringLiteral("_%1").arg(number);
    return StateFolder() + QStringLiteral("VideoFile") + suffix + QStringLiteral(".avs");
}

} // namespace

QString ScriptFile()
{
    return scriptFileNumbered(0);
}

TRowScript HoldRowScript()
{
    TRowScript script{ScriptFile(), nullptr};
    for (int number = 0; number < scriptNames; ++number) {
        const QString path = scriptFileNumbered(number);
        bool heldElsewhere = false;
        script.File = platform::holdFile(path, heldElsewhere);
        if (script.File) {
            script.Path = path;
            break;
        }
        if (!heldElsewhere)
            break; // the folder takes no file: rows say so when they need it
    }
    return script;
}

void PrepareOutputFolder(const QString &outputFolder, const TLogWriter &log)
{
    if (QDir().mkpath(outputFolder))
        log(QStringLiteral("Output directory ") + outputFolder);
    else
        log(QStringLiteral("Output directory error. ->") + outputFolder);
}

void PrepareRow(TConvertParameterStruct &p, const TRowScript &script, const TLogWriter &log)
{
    if (!reachesTheEncoderWhole(p.OutputFolder)) {
        log(QStringLiteral("Output directory error. ->") + p.OutputFolder);
        throw EFCreateError(QStringLiteral("The output folder's name holds a character no file name can hold."));
    }
    if (!reachesTheEncoderWhole(p.SourceFile))
        throw EFOpenError(QStringLiteral("The file's name holds a character that cannot be handed to the encoder."));
    PrepareOutputFolder(p.OutputFolder, log);
    // Rewritten for every row; only rmcoda reads it.
    p.ScriptWritten = writeScript(script, p.SourceFile);
    if (!p.ScriptWritten)
        log(QStringLiteral("Script error. ->") + script.Path);
    if (IsRealMediaSource(p.SourceFile))
        p.InputFile = script.Path;
    claimOutputName(p);
}

void RemoveRowOutput(const TConvertParameterStruct &p, const std::optional<platform::FileIdentity> &delivered)
{
    for (const std::optional<platform::FileIdentity> &ours : {p.OutputClaim, delivered}) {
        if (ours && platform::removeIfSameFile(p.OutputPath, *ours))
            return;
    }
}
