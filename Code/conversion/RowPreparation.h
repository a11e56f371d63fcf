#pragma once

#include "Code/conversion/ConversionLog.h"
#include "Code/core/EncoderCommand.h"

#include <QString>

#include <memory>

// The script rmcoda reads, held by one batch alone while it runs: two
// batches side by side never hand each other's source to rmcoda.
struct TRowScript {
    QString Path;
    std::unique_ptr<platform::HeldFile> File; // nothing when it could not be held
};

// The script rmcoda reads, in the log's folder.
QString ScriptFile();

// The first of VideoFile.avs, VideoFile_1.avs, ... in the log's folder that no
// other batch holds.
TRowScript HoldRowScript();

// Creates the output folder with every missing parent and logs how that went;
// the row goes on either way (the encoder then tells what is wrong).
void PrepareOutputFolder(const QString &outputFolder, const TLogWriter &log);

// Makes a built row ready to run, the one step that touches files before the
// encoder starts: creates the output folder, writes the script rmcoda reads
// into the batch's own `script` and claims a free output name, which
// it creates empty so that nobody else takes it meanwhile. Throws
// EMovarelError, touching nothing, when the folder or the source holds a
// character that cannot reach the encoder whole.
void PrepareRow(TConvertParameterStruct &parameters, const TRowScript &script, const TLogWriter &log);

// Removes what the row left at its output name, if that is still the file it
// claimed or, once the encoder delivered, the file found there then
// (`delivered`); a file anyone else put there stays.
void RemoveRowOutput(const TConvertParameterStruct &parameters, const std::optional<platform::FileIdentity> &delivered);
