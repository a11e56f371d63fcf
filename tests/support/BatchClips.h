#pragma once
// The clips batch tests convert and the folder their outputs go to.
#include "MediaFixtures.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

class BatchClips {
public:
    QTemporaryDir sources;
    QTemporaryDir outputFolder;
    QString shortClip; // 2 s, .avi
    QString longClip;  // long enough to still be encoding when a test stops it

    // Makes both clips; false when ffmpeg could not.
    bool make()
    {
        fixtures::ClipSpec shortSpec;
        shortSpec.seconds = 2;
        shortClip = fixtures::makeClip(sources.path(), "short clip.avi", shortSpec);
        fixtures::ClipSpec longSpec;
        longSpec.seconds = 60;
        longSpec.size = QSize(640, 480);
        longClip = fixtures::makeClip(sources.path(), "long.mp4", longSpec);
        return !shortClip.isEmpty() && !longClip.isEmpty();
    }

    QString outputs() const { return outputFolder.path() + '/'; }
    QStringList outputFiles() const { return QDir(outputFolder.path()).entryList(QDir::Files, QDir::Name); }
    void cleanOutputs() const
    {
        for (const QString &name : outputFiles())
            QFile::remove(outputs() + name);
    }
};
