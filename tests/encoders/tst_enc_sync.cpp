// Sound stays with the picture through every video output: a flash and a
// beep that coincide in the source coincide in the output, as a player reads
// its timestamps; and real clips whose sound's timestamps are unusual keep
// their sound where it belongs.

#include "EncoderHarness.h"
#include "tests/media/MediaTestFiles.h"
#include "tests/support/SoundEnvelope.h"
#include "tests/support/SyncClips.h"

#include <QTemporaryDir>

using namespace encodertest;

namespace {

// A player's picture and sound may differ by this much unnoticed; the
// output's 15 frames a second alone account for up to half a frame of it.
constexpr double syncTolerance = 0.04;
// The clips are generated in step; their containers may round a timestamp
// to a frame of their own.
constexpr double sourceTolerance = 0.02;

// How a source is converted: by vidcoda into .mp4 or .mov, or by rmcoda
// through a script that converts it to a constant rate first.
struct Route {
    const char *name;
    bool script;
    const char *extension;
};

constexpr Route routes[] = {
    {"vidcoda .mp4", false, ".mp4"}, {"vidcoda .mov", false, ".mov"}, {"rmcoda .mp4", true, ".mp4"}};

QString convert(const QString &source, const QString &folder, bool script, const QString &extension, QByteArray *errors)
{
    const QString input = script ? writeScript(folder, source) : source;
    const QString output = QDir(folder).filePath("out" + extension);
    const Finished run =
        runEncoder(script ? rmcoda() : vidcoda(), builderArguments(outputType(extension), input, output));
    *errors = run.errors;
    return run.exitCode == 0 && !run.crashed ? output : QString();
}

QString describe(const QList<double> &offsets)
{
    QStringList parts;
    for (const double offset : offsets)
        parts << QString::number(offset * 1000.0, 'f', 0);
    return parts.join(' ') + " ms";
}

// The one offset of beep after flash in the file, or NaN when its flashes
// and beeps are not all there or not all in the same step.
double commonOffset(const QList<double> &offsets)
{
    if (offsets.size() != int(fixtures::syncClipSeconds) - 1)
        return std::nan("");
    const auto [low, high] = std::minmax_element(offsets.begin(), offsets.end());
    return *high - *low <= sourceTolerance ? (*low + *high) / 2.0 : std::nan("");
}

double meanOf(const std::vector<double> &values, size_t from, size_t to)
{
    double sum = 0.0;
    for (size_t i = from; i < to && i < values.size(); ++i)
        sum += values[i];
    return to > from ? sum / double(to - from) : 0.0;
}

} // namespace

class TestEncoderSync : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_sources;
    QMap<QString, QString> m_clips;    // by row name
    QMap<QString, double> m_sourceGap; // the clip's own offset of beep after flash

    void addClip(const QString &row, const QString &name, const fixtures::SyncClipLayout &layout)
    {
        const QString path = fixtures::makeSyncClip(m_sources.path(), name, layout);
        QVERIFY2(!path.isEmpty(), qPrintable(row));
        const QList<double> offsets = fixtures::beepOffsets(path);
        const double offset = commonOffset(offsets);
        QVERIFY2(std::abs(offset) <= sourceTolerance, qPrintable(row + ": " + describe(offsets)));
        m_clips.insert(row, path);
        m_sourceGap.insert(row, offset);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_sources.isValid());
        const QStringList mpeg4{"-c:v", "mpeg4"};
        // Players start each stream at its first timestamp, and ffmpeg lays
        // the starts out in an edit list for .mp4; the late one is padded.
        addClip("sound starts 0.4 s late, 29.97 fps", "late.mp4",
                {"30000/1001", 44100, 2, 0.4, 0.0, mpeg4 + QStringList{"-c:a", "aac"}});
        addClip("picture starts 0.3 s late, 10 fps, Opus", "early.mkv",
                {"10", 48000, 2, 0.0, 0.3, mpeg4 + QStringList{"-c:a", "libopus"}});
        // B-frames delay the picture's decoding; the edit list takes it back.
        addClip("H.264 with B-frames, AAC 48 kHz 5.1", "bframes.mp4",
                {"25", 48000, 6, 0.0, 0.0, {"-c:v", "libx264", "-preset", "veryfast", "-bf", "3", "-c:a", "aac"}});
        // A first frame stamped 47 ms late, running into the next frame's
        // timestamp, as Windows Media's decoder gives it: from the second
        // frame on, the sound is on its timestamps.
        addClip("first sound frame overruns the next", "overrun.mkv",
                {"25", 44100, 2, -0.047, 0.0,
                 mpeg4 + QStringList{"-c:a", "pcm_s16le", "-af", "asetnsamples=n=4096,asetpts='max(PTS,0)'"}});
        // Decoders that hold back or skip their first samples.
        addClip("WMA 2", "wma.wmv", {"25", 44100, 2, 0.0, 0.0, {"-c:v", "wmv2", "-c:a", "wmav2"}});
        addClip("Speex 16 kHz mono", "speex.flv", {"25", 16000, 1, 0.0, 0.0, {"-c:v", "flv", "-c:a", "libspeex"}});
        addClip("MP3 in AVI", "mp3.avi", {"25", 44100, 2, 0.0, 0.0, mpeg4 + QStringList{"-c:a", "libmp3lame"}});
        addClip("MP2 in MPEG", "mp2.mpg", {"25", 48000, 2, 0.0, 0.0, {"-c:v", "mpeg2video", "-c:a", "mp2"}});
        addClip("AC-3 5.1 in RealMedia", "ac3.rm", {"25", 48000, 6, 0.0, 0.0, {"-c:v", "rv20", "-c:a", "ac3"}});
        addClip("PCM 8 kHz mono in AVI, 29.97 fps", "pcm.avi",
                {"30000/1001", 8000, 1, 0.0, 0.0, mpeg4 + QStringList{"-c:a", "pcm_s16le"}});
    }

    void flashMeetsBeep_data()
    {
        QTest::addColumn<QString>("clip");
        QTest::addColumn<bool>("script");
        QTest::addColumn<QString>("extension");
        for (auto clip = m_clips.cbegin(); clip != m_clips.cend(); ++clip) {
            for (const Route &route : routes)
                QTest::addRow("%s, %s", qPrintable(clip.key()), route.name)
                    << clip.key() << route.script << QString(route.extension);
        }
    }

    void flashMeetsBeep()
    {
        QFETCH(QString, clip);
        QFETCH(bool, script);
        QFETCH(QString, extension);
        QTemporaryDir out;
        QByteArray errors;
        const QString output = convert(m_clips.value(clip), out.path(), script, extension, &errors);
        QVERIFY2(!output.isEmpty(), errors.constData());
        const QList<double> offsets = fixtures::beepOffsets(output);
        QCOMPARE(offsets.size(), int(fixtures::syncClipSeconds) - 1);
        for (const double offset : offsets)
            QVERIFY2(std::abs(offset - m_sourceGap.value(clip)) <= syncTolerance, qPrintable(describe(offsets)));
    }

    void realClipKeepsItsSound_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("placement");
        QTest::addColumn<QString>("extension");
        // A media server's recording: its Speex frames carry the sender's
        // clock, with gaps of a frame or two all through; players play the
        // frames on end to end.
        // Windows Media: the decoder's first frame runs 47 ms past the second
        // one's timestamp; from there on the sound belongs on its timestamps.
        for (const char *extension : {".mp4", ".mov"}) {
            QTest::addRow("speex_server.flv to %s", extension)
                << "speex_server.flv" << int(fixtures::Placement::EndToEnd) << QString(extension);
            QTest::addRow("wma_late.wmv to %s", extension)
                << "wma_late.wmv" << int(fixtures::Placement::Stamped) << QString(extension);
        }
    }

    void realClipKeepsItsSound()
    {
        QFETCH(QString, file);
        QFETCH(int, placement);
        QFETCH(QString, extension);
        const QString source = mediatest::sharedFixture(file);
        if (!QFileInfo::exists(source))
            QSKIP(qPrintable(source + " is not there"));
        QTemporaryDir out;
        QByteArray errors;
        const QString output = convert(source, out.path(), false, extension, &errors);
        QVERIFY2(!output.isEmpty(), errors.constData());

        constexpr double seconds = 20.0;
        const std::vector<double> expected = fixtures::soundEnvelope(source, fixtures::Placement(placement), seconds);
        const std::vector<double> actual = fixtures::soundEnvelope(output, fixtures::Placement::Stamped, seconds);
        QVERIFY(!expected.empty() && !actual.empty());
        const double atZero = fixtures::correlation(expected, actual, 0, 0, actual.size());
        QVERIFY2(atZero >= 0.9, qPrintable(QString::number(atZero)));
        // In step all through, not only on the whole: every 2 s with sound
        // in it matches best within the tolerance.
        const int maxLag = 10;
        const size_t window = 200;
        const double loud = meanOf(expected, 0, expected.size()) / 10.0;
        int judged = 0;
        for (size_t from = 0; from + window <= actual.size(); from += window) {
            if (meanOf(expected, from, from + window) < loud)
                continue;
            const int lag = fixtures::bestLag(expected, actual, maxLag, from, from + window);
            QVERIFY2(std::abs(lag) * fixtures::envelopeStep <= syncTolerance,
                     qPrintable(QStringLiteral("%1 ms off at %2 s").arg(lag * 10).arg(from / 100)));
            ++judged;
        }
        QVERIFY(judged >= 5);
    }
};

QTEST_GUILESS_MAIN(TestEncoderSync)
#include "tst_enc_sync.moc"
