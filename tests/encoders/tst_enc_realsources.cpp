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

void addRowsForEveryType(const QString &source, const QStringList &trim = {})
{
    for (const OutputType &type : outputTypes())
        QTest::addRow("%s to %s%s", qPrintable(QFileInfo(source).suffix()), qPrintable(type.extension),
                      trim.isEmpty() ? "" : ", trimmed")
            << source << type.extension << trim;
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

    void addColumns()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QStringList>("trim");
    }

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

    // AMR packed five frames to a sample: all of it is decoded, the quiet
    // start stays where it was (3 s, or 1 s after a start of 2 s).
    void packedAmrSound_data()
    {
        addColumns();
        addRowsForEveryType(m_phone);
        addRowsForEveryType(m_phone, {"-ss", "00:00:02", "-t", "5"});
    }

    void packedAmrSound()
    {
        QFETCH(QString, source);
        QFETCH(QString, extension);
        QFETCH(QStringList, trim);
        const double length = trim.isEmpty() ? 9.7 : 5.0;
        const double quietEnd = trim.isEmpty() ? 3.0 : 1.0;
        QTemporaryDir out;
        const QString output = convert(source, out.path(), outputType(extension), trim, length);
        QVERIFY(!output.isEmpty());
        const double sound = fixtures::decodedSoundSeconds(output);
        QVERIFY2(qAbs(sound - length) <= lengthTolerance, qPrintable(QString::number(sound)));
        const QList<fixtures::Span> quiet = silencesWithin(output);
        QVERIFY2(quiet.size() == 1 && quiet.first().start <= edgeTolerance &&
                     qAbs(quiet.first().end - quietEnd) <= edgeTolerance,
                 qPrintable(describe(quiet)));
    }

    // A hole in the sound's timestamps stays a hole (silence) of its length,
    // and what follows it stays in step.
    void soundWithHole_data()
    {
        addColumns();
        addRowsForEveryType(m_holeAsf);
        QTest::newRow("mp4 to .mov") << m_holeMp4 << ".mov" << QStringList{};
        QTest::newRow("mp4 to .mp3") << m_holeMp4 << ".mp3" << QStringList{};
        QTest::newRow("asf to .mp4, trimmed") << m_holeAsf << ".mp4" << QStringList{"-ss", "00:00:01", "-t", "4"};
    }

    void soundWithHole()
    {
        QFETCH(QString, source);
        QFETCH(QString, extension);
        QFETCH(QStringList, trim);
        const double shift = trim.isEmpty() ? 0.0 : 1.0;
        const double length = trim.isEmpty() ? 6.0 : 4.0;
        QTemporaryDir out;
        const QString output = convert(source, out.path(), outputType(extension), trim, length);
        QVERIFY(!output.isEmpty());
        const double sound = fixtures::decodedSoundSeconds(output);
        QVERIFY2(qAbs(sound - length) <= lengthTolerance, qPrintable(QString::number(sound)));
        const QList<fixtures::Span> quiet = silencesWithin(output);
        QVERIFY2(quiet.size() == 1 && qAbs(quiet.first().start - (2.0 - shift)) <= edgeTolerance &&
                     qAbs(quiet.first().end - (3.1 - shift)) <= edgeTolerance,
                 qPrintable(describe(quiet)));
    }

    // The default sound holds 0.16 s, the second one the whole clip: the
    // output takes the one that covers the cut.
    void shortDefaultSound_data()
    {
        addColumns();
        addRowsForEveryType(m_twoMp4);
        QTest::newRow("mkv to .mp4") << m_twoMkv << ".mp4" << QStringList{};
        QTest::newRow("mkv to .m4a") << m_twoMkv << ".m4a" << QStringList{};
        QTest::newRow("mp4 to .mp3, trimmed") << m_twoMp4 << ".mp3" << QStringList{"-ss", "00:00:01", "-t", "3"};
    }

    void shortDefaultSound()
    {
        QFETCH(QString, source);
        QFETCH(QString, extension);
        QFETCH(QStringList, trim);
        const double length = trim.isEmpty() ? 4.7 : 3.0;
        QTemporaryDir out;
        const QString output = convert(source, out.path(), outputType(extension), trim, length);
        QVERIFY(!output.isEmpty());
        const double sound = fixtures::decodedSoundSeconds(output);
        QVERIFY2(qAbs(sound - length) <= lengthTolerance, qPrintable(QString::number(sound)));
        const QList<fixtures::Span> quiet = silencesWithin(output);
        QVERIFY2(quiet.isEmpty(), qPrintable(describe(quiet)));
    }

    // The default sound cannot be decoded: the other one is taken.
    void undecodableDefaultSound_data()
    {
        addColumns();
        QTest::newRow("to .mp4") << m_usacMp4 << ".mp4" << QStringList{};
        QTest::newRow("to .aac") << m_usacMp4 << ".aac" << QStringList{};
    }

    void undecodableDefaultSound()
    {
        QFETCH(QString, source);
        QFETCH(QString, extension);
        QTemporaryDir out;
        const QString output = convert(source, out.path(), outputType(extension), {}, 3.0);
        QVERIFY(!output.isEmpty());
        const double sound = fixtures::decodedSoundSeconds(output);
        QVERIFY2(qAbs(sound - 3.0) <= lengthTolerance, qPrintable(QString::number(sound)));
    }
};

QTEST_GUILESS_MAIN(TestEncoderRealSources)
#include "tst_enc_realsources.moc"
