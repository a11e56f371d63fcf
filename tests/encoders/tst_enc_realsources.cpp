// Sources as phones, recorders and editors write them: every output type
// keeps all of their sound, on its timestamps and in step with the picture,
// taken from the sound that lasts.

#include "EncoderHarness.h"
#include "tests/support/RealWorldMedia.h"

#include <QTemporaryDir>

using namespace encodertest;

namespace {

// Encoder delay and padding of a few audio frames; one video frame.
constexpr double lengthTolerance = 0.15;
// Where a quiet stretch begins or ends: a frame of the codecs either way.
constexpr double edgeTolerance = 0.1;

QString describe(const QList<fixtures::Span> &spans)
{
    QStringList parts;
    for (const fixtures::Span &span : spans)
        parts << QStringLiteral("%1-%2").arg(span.start).arg(span.end);
    return parts.join(' ');
}

// The quiet stretches of the output's sound, less those the codecs make:
// encoder delay and padding leave a few frames of silence at either end.
QList<fixtures::Span> silencesWithin(const QString &path)
{
    const double length = fixtures::decodedSoundSeconds(path);
    QList<fixtures::Span> inner;
    for (const fixtures::Span &span : fixtures::silences(path)) {
        if (span.end > lengthTolerance && span.start < length - lengthTolerance)
            inner << span;
    }
    return inner;
}

// Converts with the builder's arguments for the type (and trim); checks the
// run, the picture's length for video types, and returns the output path.
QString convert(const QString &input, const QString &folder, const OutputType &type, const QStringList &trim,
                double expectedSeconds)
{
    const QString output = QDir(folder).filePath("out" + type.extension);
    const Finished run = runEncoder(vidcoda(), builderArguments(type, input, output, trim));
    if (run.exitCode != 0 || run.crashed) {
        qWarning("%s", run.errors.constData());
        return {};
    }
    if (type.video) {
        const double video = fixtures::probe(output).duration;
        if (qAbs(video - expectedSeconds) > lengthTolerance) {
            qWarning("the output lasts %f s", video);
            return {};
        }
    }
    return output;
}

// A row for each output type: the fault, the source, the expected length
// and quiet stretch (none when both ends are 0).
void addRowsForEveryType(const char *fault, const QString &source, double length, fixtures::Span quiet = {},
                         const QStringList &trim = {})
{
    for (const OutputType &type : outputTypes())
        QTest::addRow("%s, %s to %s%s", fault, qPrintable(QFileInfo(source).suffix()), qPrintable(type.extension),
                      trim.isEmpty() ? "" : ", trimmed")
            << source << type.extension << trim << length << quiet.start << quiet.end;
}

} // namespace

class TestEncoderRealSources : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_sources;
    QString m_phone;   // 9.7 s, AMR five frames a sample, quiet for 3 s
    QString m_holeAsf; // 6 s of tone with a hole from 2.0 to 3.1 s
    QString m_holeMp4; //
    QString m_twoMp4;  // 4.7 s: default sound 0.16 s, second sound 4.7 s
    QString m_twoMkv;  //
    QString m_usacMp4; // 3 s: default sound undecodable, second sound fine

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_sources.isValid());
        const QString folder = m_sources.path();
        m_phone = fixtures::makePhoneClip(folder, "phone.3gp");
        m_holeAsf = fixtures::makeClipWithSoundHole(folder, "hole.asf", 6.0, 2.0, 3.1);
        m_holeMp4 = fixtures::makeClipWithSoundHole(folder, "hole.mp4", 6.0, 2.0, 3.1);
        m_twoMp4 = fixtures::makeClipWithShortDefaultSound(folder, "two.mp4", 4.7, 0.16);
        m_twoMkv = fixtures::makeClipWithShortDefaultSound(folder, "two.mkv", 4.7, 0.16);
        m_usacMp4 = fixtures::makeUndecodableSoundMp4(folder, "usac.mp4", true, true);
        for (const QString &made : {m_phone, m_holeAsf, m_holeMp4, m_twoMp4, m_twoMkv, m_usacMp4})
            QVERIFY(!made.isEmpty());
        // The fixtures are what they claim: ffmpeg alone loses most of the
        // phone's sound, and the holes are in the timestamps.
        QVERIFY(fixtures::decodedSoundSeconds(m_phone) < 2.5);
        QVERIFY(qAbs(fixtures::probe(m_holeAsf).duration - 6.0) < 0.2);
        QVERIFY(fixtures::decodedSoundSeconds(m_holeAsf) < 5.0);
    }

    void soundKeptWhole_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QStringList>("trim");
        QTest::addColumn<double>("length");
        QTest::addColumn<double>("quietStart");
        QTest::addColumn<double>("quietEnd");
        const QStringList none;

        // AMR packed five frames to a sample: all of it is decoded, and the
        // quiet start still ends at 3 s (at 1 s after a start of 2 s).
        addRowsForEveryType("packed AMR", m_phone, 9.7, {0.0, 3.0});
        addRowsForEveryType("packed AMR", m_phone, 5.0, {0.0, 1.0}, {"-ss", "00:00:02", "-t", "5"});

        // A hole in the sound's timestamps stays a silence of its length, and
        // what follows stays in step.
        addRowsForEveryType("hole", m_holeAsf, 6.0, {2.0, 3.1});
        QTest::newRow("hole, mp4 to .mov") << m_holeMp4 << ".mov" << none << 6.0 << 2.0 << 3.1;
        QTest::newRow("hole, mp4 to .mp3") << m_holeMp4 << ".mp3" << none << 6.0 << 2.0 << 3.1;
        QTest::newRow("hole, asf to .mp4, trimmed")
            << m_holeAsf << ".mp4" << QStringList{"-ss", "00:00:01", "-t", "4"} << 4.0 << 1.0 << 2.1;

        // The default sound holds 0.16 s, the second one the whole clip: the
        // output takes the one that covers the cut.
        addRowsForEveryType("short default sound", m_twoMp4, 4.7);
        QTest::newRow("short default sound, mkv to .mp4") << m_twoMkv << ".mp4" << none << 4.7 << 0.0 << 0.0;
        QTest::newRow("short default sound, mkv to .m4a") << m_twoMkv << ".m4a" << none << 4.7 << 0.0 << 0.0;
        QTest::newRow("short default sound, mp4 to .mp3, trimmed")
            << m_twoMp4 << ".mp3" << QStringList{"-ss", "00:00:01", "-t", "3"} << 3.0 << 0.0 << 0.0;

        // The default sound cannot be decoded: the other one is taken.
        QTest::newRow("undecodable default sound, to .mp4") << m_usacMp4 << ".mp4" << none << 3.0 << 0.0 << 0.0;
        QTest::newRow("undecodable default sound, to .aac") << m_usacMp4 << ".aac" << none << 3.0 << 0.0 << 0.0;
    }

    void soundKeptWhole()
    {
        QFETCH(QString, source);
        QFETCH(QString, extension);
        QFETCH(QStringList, trim);
        QFETCH(double, length);
        QFETCH(double, quietStart);
        QFETCH(double, quietEnd);
        QTemporaryDir out;
        const QString output = convert(source, out.path(), outputType(extension), trim, length);
        QVERIFY(!output.isEmpty());
        const double sound = fixtures::decodedSoundSeconds(output);
        QVERIFY2(qAbs(sound - length) <= lengthTolerance, qPrintable(QString::number(sound)));
        const QList<fixtures::Span> quiet = silencesWithin(output);
        if (quietEnd <= 0.0) {
            QVERIFY2(quiet.isEmpty(), qPrintable(describe(quiet)));
            return;
        }
        QVERIFY2(quiet.size() == 1 && qAbs(quiet.first().start - quietStart) <= edgeTolerance &&
                     qAbs(quiet.first().end - quietEnd) <= edgeTolerance,
                 qPrintable(describe(quiet)));
    }
};

QTEST_GUILESS_MAIN(TestEncoderRealSources)
#include "tst_enc_realsources.moc"
