#pragma once

// The clips the preview is measured on: what a camera or the web gives, with
// sound. The picture carries moving noise so that the bitrate, and so the
// decoding work, is that of real footage rather than of a flat test card.

#include <QDir>
#include <QFileInfo>
#include <QList>
#include <QProcess>
#include <QSize>
#include <QString>
#include <QStringList>

namespace bench {

// ffmpeg without a time limit: a 1080p clip takes minutes on a busy machine.
inline bool runFfmpegUntilDone(const QStringList &arguments, QString &errorText)
{
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), QStringList{"-v", "error", "-nostdin", "-y"} + arguments);
    const bool finished = ffmpeg.waitForFinished(-1);
    errorText = QString::fromLocal8Bit(ffmpeg.readAllStandardError());
    return finished && ffmpeg.exitStatus() == QProcess::NormalExit && ffmpeg.exitCode() == 0;
}

struct PreviewClip {
    QString label;
    QString fileName;
    QSize size;
    int fps = 25;
    QStringList codecOptions;
    QString path; // filled by makePreviewClips
};

inline QList<PreviewClip> previewClipSet()
{
    return {
        {QStringLiteral("640x480 MPEG-4 25 fps"),
         QStringLiteral("480p-mpeg4.avi"),
         {640, 480},
         25,
         {"-c:v", "mpeg4", "-b:v", "2M", "-c:a", "libmp3lame", "-b:a", "128k"},
         {}},
        {QStringLiteral("1280x720 H.264 30 fps"),
         QStringLiteral("720p-h264.mp4"),
         {1280, 720},
         30,
         {"-c:v", "libx264", "-preset", "veryfast", "-b:v", "5M", "-c:a", "aac", "-b:a", "128k"},
         {}},
        {QStringLiteral("1920x1080 H.264 30 fps"),
         QStringLiteral("1080p-h264.mp4"),
         {1920, 1080},
         30,
         {"-c:v", "libx264", "-preset", "veryfast", "-b:v", "10M", "-c:a", "aac", "-b:a", "128k"},
         {}},
    };
}

// Generates each clip into the folder unless a previous run left it there.
// False when ffmpeg failed.
inline bool makePreviewClips(QList<PreviewClip> &clips, const QString &folder, double seconds)
{
    QDir().mkpath(folder);
    for (PreviewClip &clip : clips) {
        clip.path = QDir(folder).filePath(clip.fileName);
        if (QFileInfo(clip.path).size() > 0)
            continue;
        const QString duration = QString::number(seconds, 'f', 1);
        const QString video = QStringLiteral("testsrc2=size=%1x%2:rate=%3:duration=%4,noise=alls=16:allf=t")
                                  .arg(clip.size.width())
                                  .arg(clip.size.height())
                                  .arg(clip.fps)
                                  .arg(duration);
        const QString audio = QStringLiteral("sine=frequency=440:sample_rate=44100:duration=%1").arg(duration);
        QString error;
        const QString partial = clip.path + QStringLiteral(".part.") + QFileInfo(clip.path).suffix();
        if (!runFfmpegUntilDone(QStringList{"-f", "lavfi", "-i", video, "-f", "lavfi", "-i", audio, "-ac", "2"} +
                                    clip.codecOptions + QStringList{partial},
                                error) ||
            !QFile::rename(partial, clip.path)) {
            qWarning("ffmpeg could not make %s: %s", qPrintable(clip.fileName), qPrintable(error));
            return false;
        }
    }
    return true;
}

} // namespace bench
