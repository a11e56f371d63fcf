// A source whose disk fails midway is no short source: the encoder fails with
// the read error and the output time it met it at, and leaves no output. A
// file that merely ends early still converts (the program warns about it).
// The failing disk is a library preloaded into ffmpeg alone, through a
// stand-in "ffmpeg" first on PATH.

#include "EncoderHarness.h"

#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace encodertest;

namespace {

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size();
}

// An environment whose ffmpeg fails every read of source from byte `after` on.
QProcessEnvironment failingReadsEnvironment(const QString &folder, const QString &source, qint64 after)
{
    const QString script = QStringLiteral("#!/bin/sh\nLD_PRELOAD='%1' exec '%2' \"$@\"\n")
                               .arg(QStringLiteral(FAILING_READS_PATH), QStandardPaths::findExecutable("ffmpeg"));
    writeProgram(QDir(folder).filePath("ffmpeg"), script.toUtf8());
    QProcessEnvironment environment = withProgramsFrom(folder);
    environment.insert("FAILING_READS_FILE", QFileInfo(source).canonicalFilePath());
    environment.insert("FAILING_READS_AFTER", QString::number(after));
    return environment;
}

int clockSeconds(const QString &text)
{
    const QStringList parts = text.split(':');
    return parts.size() == 3 ? parts[0].toInt() * 3600 + parts[1].toInt() * 60 + parts[2].toInt() : -1;
}

constexpr double clipSeconds = 8.0;

} // namespace

class TestEncoderReadError : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_work;

    QString path(const QString &name) const { return m_work.filePath(name); }

private Q_SLOTS:
    // Sources whose index lies before their media, so that ffmpeg opens them
    // whole or cut and reads on until the data fail or end; each also cut off
    // at half its size.
    void initTestCase()
    {
        QVERIFY(m_work.isValid());
        QVERIFY(QDir(m_work.path()).mkdir("wrapper"));
        const fixtures::ClipSpec clipSpec{.seconds = clipSeconds};
        QVERIFY(!fixtures::makeClip(m_work.path(), "clip.mpg", clipSpec).isEmpty());
        const QString plain = fixtures::makeClip(m_work.path(), "plain.mp4", clipSpec);
        QVERIFY(!plain.isEmpty());
        QVERIFY(fixtures::runFfmpeg({"-i", plain, "-c", "copy", "-movflags", "faststart", path("clip.mp4")}));
        for (const QString name : {"clip.mpg", "clip.mp4"}) {
            const QByteArray bytes = contentOf(path(name));
            QVERIFY(writeFile(path("cut-" + name), bytes.left(bytes.size() / 2)));
        }
    }

    void readFailsMidway_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("extension");
        QTest::newRow("mpg to .mp4") << "clip.mpg"
                                     << ".mp4";
        QTest::newRow("mpg to .mp3") << "clip.mpg"
                                     << ".mp3";
        QTest::newRow("mp4 to .mov") << "clip.mp4"
                                     << ".mov";
    }

    void readFailsMidway()
    {
        QFETCH(QString, source);
        QFETCH(QString, extension);
        QTemporaryDir out;
        const qint64 half = QFileInfo(path(source)).size() / 2;
        const Finished run =
            runEncoder(vidcoda(), builderArguments(outputType(extension), path(source), out.filePath("r" + extension)),
                       failingReadsEnvironment(path("wrapper"), path(source), half));
        QVERIFY(!run.crashed);
        QVERIFY(run.exitCode != 0);
        static const QRegularExpression line(
            "^vidcoda: reading the source failed at (\\d\\d:\\d\\d:\\d\\d): Input/output error\n$");
        const QRegularExpressionMatch match = line.match(QString::fromUtf8(run.errors));
        QVERIFY2(match.hasMatch(), run.errors.constData());
        // Half the bytes hold about half the clip.
        const int seconds = clockSeconds(match.captured(1));
        QVERIFY2(seconds >= 1 && seconds < clipSeconds - 1, qPrintable(match.captured(1)));
        QCOMPARE(filesIn(out.path()), QStringList());
    }

    // The same bytes, the rest absent rather than unreadable: converted and
    // kept, shorter than the whole clip.
    void cutOffSourceStillConverts_data() { readFailsMidway_data(); }

    void cutOffSourceStillConverts()
    {
        QFETCH(QString, source);
        QFETCH(QString, extension);
        QTemporaryDir out;
        const QString output = out.filePath("r" + extension);
        const Finished run =
            runEncoder(vidcoda(), builderArguments(outputType(extension), path("cut-" + source), output));
        QVERIFY2(run.exitCode == 0, run.errors.constData());
        const double seconds = fixtures::probe(output).duration;
        QVERIFY2(seconds >= 1.0 && seconds < clipSeconds - 1.0, qPrintable(QString::number(seconds)));
    }
};

QTEST_GUILESS_MAIN(TestEncoderReadError)
#include "tst_enc_readerror.moc"
