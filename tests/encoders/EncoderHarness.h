#pragma once

// Running the built encoders on generated clips, with the command lines the
// command builder writes.

#include "tests/support/MediaFixtures.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTest>

#include <functional>

namespace encodertest {

inline QString vidcoda()
{
    return QStringLiteral(VIDCODA_PATH);
}

inline QString rmcoda()
{
    return QStringLiteral(RMCODA_PATH);
}

struct Finished {
    int exitCode = -1;
    bool crashed = false;
    QByteArray output; // standard output: the status lines
    QByteArray errors; // standard error
};

// inChild runs in the encoder's process before it starts (limits, signals).
inline Finished runEncoder(const QString &program, const QStringList &arguments,
                           const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(),
                           const QString &workingFolder = QString(), const std::function<void()> &inChild = {})
{
    QProcess process;
    process.setProcessEnvironment(environment);
    if (inChild)
        process.setChildProcessModifier(inChild);
    if (!workingFolder.isEmpty())
        process.setWorkingDirectory(workingFolder);
    process.start(program, arguments);
    Finished finished;
    if (!process.waitForFinished(180000)) {
        process.kill();
        process.waitForFinished();
        qWarning("encoder did not finish");
        return finished;
    }
    finished.exitCode = process.exitCode();
    finished.crashed = process.exitStatus() != QProcess::NormalExit;
    finished.output = process.readAllStandardOutput();
    finished.errors = process.readAllStandardError();
    return finished;
}

// The status lines, each ended by a carriage return.
inline QStringList statusLines(const QByteArray &output)
{
    QStringList lines;
    for (const QByteArray &piece : output.split('\r')) {
        const QString line = QString::fromUtf8(piece).remove('\n');
        if (!line.isEmpty())
            lines << line;
    }
    return lines;
}

// The five output types with the values of "Normal Quality" for each.
struct OutputType {
    QString extension;
    QStringList codecs;
    QStringList format; // "-f mov" or nothing
    int channels;
    int sampleRate;
    bool video;
};

inline QList<OutputType> outputTypes()
{
    const QStringList videoCodecs{"-vcodec", "mpeg4", "-acodec", "aac"};
    return {{".mp4", videoCodecs, {}, 2, 44100, true},
            {".mov", videoCodecs, {"-f", "mov"}, 1, 22050, true},
            {".aac", {"-acodec", "aac", "-vn"}, {}, 2, 44100, false},
            {".m4a", {"-acodec", "aac", "-vn"}, {}, 1, 22050, false},
            {".mp3", {"-acodec", "mp3", "-vn"}, {}, 2, 44100, false}};
}

inline OutputType outputType(const QString &extension)
{
    for (const OutputType &type : outputTypes()) {
        if (type.extension == extension)
            return type;
    }
    return {};
}

// The arguments of the builder's video or audio layout for the type; trim
// is empty or {"-ss", start, "-t", seconds}.
inline QStringList builderArguments(const OutputType &type, const QString &input, const QString &output,
                                    const QStringList &trim = {})
{
    QStringList arguments{"-y", "-i", input};
    arguments << type.codecs;
    const QStringList audio{
        "-ab", "128", "-vol", "200", "-ac", QString::number(type.channels), "-ar", QString::number(type.sampleRate)};
    if (type.video)
        arguments << QStringList{"-b", "128", "-s", "320x240", "-r", "15", "-aspect", "4:3"};
    arguments << audio << type.format << trim << output;
    return arguments;
}

// The one-line script as Movarel writes it: the path in double quotes, or in
// triple quotes when it holds a double quote itself.
inline QString writeScript(const QString &folder, const QString &sourcePath)
{
    const QString quote = sourcePath.contains('"') ? "\"\"\"" : "\"";
    const QString path = QDir(folder).filePath("VideoFile.avs");
    QFile script(path);
    if (!script.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QString();
    script.write(
        ("DirectShowSource(" + quote + sourcePath + quote + ", fps=29.9700898503294, convertfps=true)\n").toUtf8());
    return path;
}

// Decodes the whole file; the text is ffmpeg's complaint, empty for none.
inline QString decodingProblems(const QString &path)
{
    QString problems;
    if (!fixtures::runFfmpeg({"-i", path, "-f", "null", "-"}, &problems) && problems.isEmpty())
        problems = "ffmpeg failed";
    return problems.trimmed();
}

// The brand of an MP4-family file ("isom", "qt", "M4A"), telling them apart.
inline QString majorBrand(const QString &path)
{
    QProcess ffprobe;
    ffprobe.start("ffprobe", {"-v", "error", "-show_entries", "format_tags=major_brand", "-of", "csv=p=0", path});
    ffprobe.waitForFinished(60000);
    return QString::fromUtf8(ffprobe.readAllStandardOutput()).trimmed();
}

// A shell script the owner may run, standing in for a program; false when
// it cannot be written.
inline bool writeProgram(const QString &path, const QByteArray &script)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(script) != script.size())
        return false;
    file.close();
    return file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// The system's environment with folder searched first for programs.
inline QProcessEnvironment withProgramsFrom(const QString &folder)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PATH", folder + ":" + environment.value("PATH"));
    return environment;
}

inline QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

} // namespace encodertest
