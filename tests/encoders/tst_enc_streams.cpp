// Sources whose picture ffmpeg's own choice gets wrong: a cover attached to a
// sound (taken for the video, the output fails), a phone's motion photo (its
// larger still track taken over the moving one), and a picture of one frame
// beside a longer sound (dropped by the rate change). Each converts with the
// right picture, or with none where the source has no moving one.

#include "EncoderHarness.h"
#include "tests/support/RealWorldMedia.h"

#include <QTemporaryDir>

using namespace encodertest;

namespace {

// A frame of the output's 15 fps either way, and the codecs' padding.
constexpr double lengthTolerance = 0.15;

// The video layout of the builder without "-s": the output keeps the size of
// the picture taken, which tells which one it was.
QStringList pictureArguments(const OutputType &type, const QString &input, const QString &output,
                             const QStringList &trim)
{
    if (!type.video)
        return builderArguments(type, input, output, trim);
    QStringList arguments{"-y", "-i", input};
    arguments << type.codecs << QStringList{"-b", "600", "-r", "15", "-ab", "128"};
    arguments << QStringList{"-ac", QString::number(type.channels), "-ar", QString::number(type.sampleRate)};
    return arguments << type.format << trim << output;
}

// The frames of the first picture, decoded; with mpdecimate, only those that
// differ from the one before.
int decodedFrames(const QString &path, bool distinctOnly)
{
    QProcess ffmpeg;
    QStringList arguments{"-v", "error", "-nostdin", "-i", path, "-map", "0:v:0"};
    if (distinctOnly)
        arguments << "-vf"
                  << "mpdecimate";
    ffmpeg.start("ffmpeg", arguments << "-f"
                                     << "framecrc"
                                     << "-");
    ffmpeg.waitForFinished(120000);
    int frames = 0;
    for (const QByteArray &line : ffmpeg.readAllStandardOutput().split('\n')) {
        if (!line.isEmpty() && !line.startsWith('#'))
            ++frames;
    }
    return frames;
}

// What ffprobe says of each stream: "video,1,1" for a default attached picture.
QStringList streamDispositions(const QString &path)
{
    QProcess ffprobe;
    ffprobe.start("ffprobe", {"-v", "error", "-show_entries",
                              "stream=codec_type:stream_disposition=default,attached_pic", "-of", "csv=p=0", path});
    ffprobe.waitForFinished(60000);
    return QString::fromUtf8(ffprobe.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

} // namespace

class TestEncoderStreams : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_sources;
    QString m_coverMp4;   // 3 s of sound, a 300x300 cover
    QString m_coverM4a;   //
    QString m_coverWma;   // 3 s of sound, an 8x14 cover in the WM/Picture tag
    QString m_motion;     // 1.8 s: 320x240 at 30 fps, a 640x480 still of 2 frames
    QString m_stillFirst; // the same with the still track listed first
    QString m_oneFrame;   // one 8 ms frame at 0.059 s, 1 s of sound
    QString m_lateFrame;  // one 8 ms frame at 0.8 s, 2 s of sound

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_sources.isValid());
        const QString folder = m_sources.path();
        m_coverMp4 = fixtures::makeSoundWithCover(folder, "cover.mp4", {300, 300}, 3.0);
        m_coverM4a = fixtures::makeSoundWithCover(folder, "cover.m4a", {300, 300}, 3.0);
        m_coverWma = fixtures::makeSoundWithCover(folder, "cover.wma", {8, 14}, 3.0);
        m_motion = fixtures::makeMotionPhoto(folder, "motion.mp4", {320, 240}, {640, 480}, 1.8, false);
        m_stillFirst = fixtures::makeMotionPhoto(folder, "still-first.mp4", {320, 240}, {640, 480}, 1.8, true);
        m_oneFrame = fixtures::makeOneFramePicture(folder, "slowmo.mp4", 0.059, 1.0);
        m_lateFrame = fixtures::makeOneFramePicture(folder, "late.mp4", 0.8, 2.0);
        for (const QString &made :
             {m_coverMp4, m_coverM4a, m_coverWma, m_motion, m_stillFirst, m_oneFrame, m_lateFrame})
            QVERIFY(!made.isEmpty());
        // The fixtures are what they claim: ffmpeg lists the covers as
        // attached pictures, both pictures of a motion photo are default,
        // and the slow-motion picture is a single frame.
        for (const QString &cover : {m_coverMp4, m_coverM4a, m_coverWma})
            QVERIFY2(streamDispositions(cover).contains("video,0,1"), qPrintable(streamDispositions(cover).join('|')));
        QCOMPARE(streamDispositions(m_motion).count("video,1,0"), 2);
        QCOMPARE(decodedFrames(m_oneFrame, false), 1);
    }

    void rightPicture_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QStringList>("trim");
        QTest::addColumn<double>("length");
        QTest::addColumn<QSize>("size");      // empty: the output has no picture
        QTest::addColumn<int>("fewestMoves"); // distinct frames at least
        QTest::addColumn<int>("mostMoves");   // and at most
        const QStringList none;
        const QSize noPicture;

        // A cover is no video: the output holds the sound alone.
        for (const QString &extension : QStringList{".mp4", ".mov", ".m4a", ".mp3"}) {
            for (const QString &cover : {m_coverMp4, m_coverM4a, m_coverWma})
                QTest::addRow("cover in %s to %s", qPrintable(QFileInfo(cover).suffix()), qPrintable(extension))
                    << cover << extension << none << 3.0 << noPicture << 0 << 0;
        }

        // The moving picture, not the larger still one, however they are
        // listed; a single frame stands for the whole of the sound.
        const QSize movingSize{320, 240};
        const QSize frameSize{320, 240};
        for (const QString &extension : QStringList{".mp4", ".mov"}) {
            const QByteArray typeName = extension.toUtf8();
            const char *type = typeName.constData();
            QTest::addRow("motion photo to %s", type) << m_motion << extension << none << 1.8 << movingSize << 20 << 28;
            QTest::addRow("motion photo, still first, to %s", type)
                << m_stillFirst << extension << none << 1.8 << movingSize << 20 << 28;
            QTest::addRow("one frame to %s", type) << m_oneFrame << extension << none << 1.0 << frameSize << 1 << 1;
            QTest::addRow("one late frame to %s", type)
                << m_lateFrame << extension << none << 2.0 << frameSize << 1 << 1;
        }
        QTest::newRow("motion photo, trimmed")
            << m_stillFirst << ".mp4" << QStringList{"-ss", "00:00:00.5", "-t", "1"} << 1.0 << movingSize << 12 << 16;
        QTest::newRow("motion photo to .m4a") << m_motion << ".m4a" << none << 1.8 << noPicture << 0 << 0;
        QTest::newRow("one late frame, trimmed around it")
            << m_lateFrame << ".mp4" << QStringList{"-ss", "00:00:00.5", "-t", "1"} << 1.0 << frameSize << 1 << 1;
        QTest::newRow("one frame, trimmed after it")
            << m_oneFrame << ".mp4" << QStringList{"-ss", "00:00:00.5", "-t", "0.5"} << 0.5 << frameSize << 1 << 1;
        QTest::newRow("one frame to .mp3") << m_oneFrame << ".mp3" << none << 1.0 << noPicture << 0 << 0;
    }

    void rightPicture()
    {
        QFETCH(QString, source);
        QFETCH(QString, extension);
        QFETCH(QStringList, trim);
        QFETCH(double, length);
        QFETCH(QSize, size);
        QFETCH(int, fewestMoves);
        QFETCH(int, mostMoves);
        QTemporaryDir out;
        const QString output = QDir(out.path()).filePath("out" + extension);
        const Finished run = runEncoder(vidcoda(), pictureArguments(outputType(extension), source, output, trim));
        QVERIFY2(run.exitCode == 0 && !run.crashed, run.errors.constData());
        const fixtures::ProbeFacts facts = fixtures::probe(output);
        QVERIFY(!facts.audioCodec.isEmpty());
        const double sound = fixtures::decodedSoundSeconds(output);
        QVERIFY2(qAbs(sound - length) <= lengthTolerance, qPrintable(QString::number(sound)));
        if (!size.isValid()) {
            QVERIFY2(facts.videoCodec.isEmpty(), qPrintable(facts.videoCodec));
            return;
        }
        QCOMPARE(facts.videoCodec, QString("mpeg4"));
        QCOMPARE(facts.size, size);
        // At 15 fps the picture lasts as long as the sound.
        const int frames = decodedFrames(output, false);
        QVERIFY2(qAbs(frames / 15.0 - length) <= lengthTolerance, qPrintable(QString::number(frames)));
        const int distinct = decodedFrames(output, true);
        QVERIFY2(distinct >= fewestMoves && distinct <= mostMoves, qPrintable(QString::number(distinct)));
    }
};

QTEST_GUILESS_MAIN(TestEncoderStreams)
#include "tst_enc_streams.moc"
