#pragma once

// Small media files generated at test time with ffmpeg's lavfi sources.

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSize>
#include <QStringList>
#include <QTest>

namespace fixtures {

struct ClipSpec {
    double seconds = 3.0;
    bool video = true;
    bool audio = true;
    QSize size{320, 240};
    int fps = 25;
    int sampleRate = 44100;
};

// Every source extension Movarel accepts.
inline QStringList acceptedExtensions()
{
    return {".3gp", ".3g2", ".mp4", ".m4v", ".mpeg", ".mpg", ".avi", ".asf",
            ".mov", ".wmv", ".vob", ".flv", ".swf",  ".rm",  ".rmvb"};
}

// Codec and container options that give a file of that extension.
inline QStringList codecOptionsFor(const QString &extension)
{
    const QString ext = extension.toLower();
    if (ext == ".3gp" || ext == ".3g2")
        return {"-c:v", "mpeg4", "-c:a", "aac", "-ac", "1", "-ar", "22050"};
    if (ext == ".mp4" || ext == ".m4v" || ext == ".mov")
        return {"-c:v", "mpeg4", "-c:a", "aac", "-f", ext == ".mov" ? "mov" : "mp4"};
    if (ext == ".mpeg")
        return {"-c:v", "mpeg1video", "-c:a", "mp2", "-f", "mpeg"};
    if (ext == ".mpg")
        return {"-c:v", "mpeg2video", "-c:a", "mp2", "-f", "mpeg"};
    if (ext == ".vob")
        return {"-c:v", "mpeg2video", "-c:a", "mp2", "-f", "vob"};
    if (ext == ".avi")
        return {"-c:v", "mpeg4", "-c:a", "libmp3lame", "-f", "avi"};
    if (ext == ".asf" || ext == ".wmv")
        return {"-c:v", "wmv2", "-c:a", "wmav2", "-f", "asf"};
    if (ext == ".flv")
        return {"-c:v", "flv", "-c:a", "libmp3lame", "-ar", "44100", "-f", "flv"};
    if (ext == ".swf")
        return {"-c:v", "flv", "-c:a", "libmp3lame", "-ar", "44100", "-f", "swf"};
    if (ext == ".rm")
        return {"-c:v", "rv10", "-c:a", "ac3", "-f", "rm"};
    if (ext == ".rmvb")
        return {"-c:v", "rv20", "-c:a", "ac3", "-f", "rm"};
    if (ext == ".wav")
        return {"-c:a", "pcm_s16le", "-f", "wav"};
    return {};
}

// Runs ffmpeg with the given arguments; true when it succeeded.
inline bool runFfmpeg(const QStringList &arguments, QString *errorText = nullptr)
{
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", QStringList{"-v", "error", "-nostdin", "-y"} + arguments);
    const bool finished = ffmpeg.waitForFinished(120000);
    if (errorText)
        *errorText = QString::fromLocal8Bit(ffmpeg.readAllStandardError());
    return finished && ffmpeg.exitStatus() == QProcess::NormalExit && ffmpeg.exitCode() == 0;
}

// Generates folder/name; the container follows the name's extension. Returns
// the full path, or an empty text (with a warning) when ffmpeg failed.
inline QString makeClip(const QString &folder, const QString &name, const ClipSpec &clipSpec = {})
{
    const QString path = QDir(folder).filePath(name);
    const QString duration = QString::number(clipSpec.seconds, 'f', 3);
    QStringList args;
    if (clipSpec.video)
        args << "-f"
             << "lavfi"
             << "-i"
             << QStringLiteral("testsrc=size=%1x%2:rate=%3:duration=%4")
                    .arg(clipSpec.size.width())
                    .arg(clipSpec.size.height())
                    .arg(clipSpec.fps)
                    .arg(duration);
    if (clipSpec.audio)
        args << "-f"
             << "lavfi"
             << "-i"
             << QStringLiteral("sine=frequency=440:sample_rate=%1:duration=%2").arg(clipSpec.sampleRate).arg(duration);
    args << codecOptionsFor("." + QFileInfo(name).suffix());
    if (!clipSpec.video)
        args << "-vn";
    if (!clipSpec.audio)
        args << "-an";
    args << path;
    QString error;
    if (!runFfmpeg(args, &error)) {
        qWarning("ffmpeg could not make %s: %s", qPrintable(name), qPrintable(error));
        return QString();
    }
    return path;
}

// Facts about a media file read with ffprobe, for checking outputs.
struct ProbeFacts {
    QString formatName;
    double duration = 0.0;
    QString videoCodec;
    QString audioCodec;
    int sampleRate = 0;
    int channels = 0;
    QSize size;
};

inline ProbeFacts probe(const QString &path)
{
    QProcess ffprobe;
    ffprobe.start("ffprobe", {"-v", "error", "-show_format", "-show_streams", "-of", "json", path});
    ffprobe.waitForFinished(60000);
    const QJsonObject root = QJsonDocument::fromJson(ffprobe.readAllStandardOutput()).object();
    ProbeFacts facts;
    const QJsonObject format = root.value("format").toObject();
    facts.formatName = format.value("format_name").toString();
    facts.duration = format.value("duration").toString().toDouble();
    for (const QJsonValue &value : root.value("streams").toArray()) {
        const QJsonObject stream = value.toObject();
        const QString type = stream.value("codec_type").toString();
        if (type == "video" && facts.videoCodec.isEmpty()) {
            facts.videoCodec = stream.value("codec_name").toString();
            facts.size = QSize(stream.value("width").toInt(), stream.value("height").toInt());
        } else if (type == "audio" && facts.audioCodec.isEmpty()) {
            facts.audioCodec = stream.value("codec_name").toString();
            facts.sampleRate = stream.value("sample_rate").toString().toInt();
            facts.channels = stream.value("channels").toInt();
        }
    }
    return facts;
}

} // namespace fixtures
