#pragma once
// A program folder for batches run without windows: the built encoders copied
// into a temporary folder, a fake platform, and the log kept in memory.
#include "Code/conversion/ConversionBatch.h"
#include "Code/core/EncoderCommand.h"
#include "Code/core/ProgramFolder.h"
#include "Code/core/Unit_ConfigInfo.h"
#include "FakePlatform.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

// The options of an output type with a built-in quality, every other option at
// its catalogue default: what the windows hand a batch after choosing them.
inline TEncoderOptions presetOptions(int outputType, int quality = 2)
{
    TEncoderOptions options;
    options.OutputType = outputType;
    for (const TEncoderOptionSpec &option : EncoderOptionTable()) {
        const QStringList catalogue = option.Catalogue();
        options[option.Option] = catalogue.isEmpty() ? -1 : catalogue.last().toInt();
    }
    if (const std::optional<TProfileFields> fields = ReadPresetFields(GetPresetList(outputType).value(quality)))
        ApplyProfileFields(*fields, options);
    return options;
}

inline TConversionRow checkedRow(const QString &file, const QString &start = QStringLiteral("00:00:00"),
                                 const QString &end = QStringLiteral("00:00:02"), bool checked = true)
{
    return {.Checked = checked, .FileName = file, .StartTime = start, .EndTime = end};
}

class BatchFixture {
public:
    QTemporaryDir folder;
    QTemporaryDir userFolders; // stands for the user's ~/.local/state
    FakePlatform *platform = nullptr;
    QStringList log;
    TConversionBatch batch{[this](const QString &line) { log.append(line); }};

    BatchFixture()
    {
        qputenv("XDG_STATE_HOME", userFolders.filePath(QStringLiteral("state")).toUtf8());
        OverrideProgramFolder(folder.path());
        QDir(folder.path()).mkdir(QStringLiteral("Config")); // as installed: data beside the program
        platform = FakePlatform::install();
        batch.PauseBeforeStartMs = 100;
        batch.PauseAfterStartMs = 300;
    }

    QString path(const QString &relative) const { return folder.filePath(relative); }

    // Puts a program at the encoder's place: a built one, or a shell script.
    bool placeEncoder(const QString &name, const QString &builtProgram) const
    {
        QFile::remove(path(name));
        return QFile::copy(builtProgram, path(name)) && makeExecutable(name);
    }
    bool placeScript(const QString &name, const QByteArray &script) const
    {
        QFile::remove(path(name));
        QFile file(path(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(script) != script.size())
            return false;
        file.close();
        return makeExecutable(name);
    }

    // Runs a batch to its end and gives its outcome.
    TBatchOutcome convert(const QList<TConversionRow> &rows, const TConversionRequest &request)
    {
        QSignalSpy finished(&batch, &TConversionBatch::Finished);
        if (!batch.Start(rows, request))
            return {};
        if (finished.isEmpty() && !finished.wait(120000))
            return {};
        return finished.first().first().value<TBatchOutcome>();
    }

private:
    bool makeExecutable(const QString &name) const
    {
        return QFile::setPermissions(path(name), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
};
