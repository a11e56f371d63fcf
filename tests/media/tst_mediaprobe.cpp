// Measuring files on a graph bound to no window, the way the source list
// probes them: every accepted container, files that state no duration, bad
// files, the result codes, and the shown shape of pictures stored turned or
// with non-square pixels.

#include "MediaTestFiles.h"
#include "OrientedClips.h"
#include "media/FilterGraph.h"
#include "media/MediaProbe.h"
#include "media/MpvHandle.h"
#include "tests/support/RealWorldMedia.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace mediatest;

namespace {

// The source list's sequence: clear, activate, render, read the duration.
qint64 probeDurationMs(TFilterGraph &graph, const QString &fileName, int *code = nullptr)
{
    graph.ClearGraph();
    graph.SetActive(true);
    const int renderCode = graph.RenderFile(fileName);
    if (code)
        *code = renderCode;
    const qint64 duration = graph.Duration();
    graph.SetActive(false);
    return duration;
}

// What the packets of a file span, first start to last end, as ffprobe
// reads them; in milliseconds.
qint64 packetSpanMs(const QString &fileName)
{
    QProcess ffprobe;
    ffprobe.start("ffprobe",
                  {"-v", "error", "-show_entries", "packet=pts_time,duration_time", "-of", "csv=p=0", fileName});
    ffprobe.waitForFinished(60000);
    double first = 1e300;
    double last = -1e300;
    for (const QByteArray &line : ffprobe.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> fields = line.split(',');
        bool ok = false;
        const double start = fields.value(0).toDouble(&ok);
        if (!ok)
            continue;
        first = qMin(first, start);
        last = qMax(last, start + fields.value(1).toDouble());
    }
    return last > first ? qint64((last - first) * 1000) : -1;
}

} // namespace

class TestMediaProbe : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void everyAcceptedContainer_data();
    void everyAcceptedContainer();
    void filesWithoutStatedDuration_data();
    void filesWithoutStatedDuration();
    void filesCutShort_data();
    void filesCutShort();
    void awkwardNames_data();
    void awkwardNames();

    void badFiles_data();
    void badFiles();
    void graphKeepsWorkingAfterBadFiles();

    void partialRenderWhenAStreamCannotBeDecoded_data();
    void partialRenderWhenAStreamCannotBeDecoded();
    void dataTracksDoNotCountAsStreams();
    void shownShapeAndRotation_data();
    void shownShapeAndRotation();
    void decodingLoadOfTheShownPicture_data();
    void decodingLoadOfTheShownPicture();
    void decoderThreadsFollowTheLoad_data();
    void decoderThreadsFollowTheLoad();
    void exceptionTextCarriesTheCode();
    void inactiveGraphRefusesWork();

private:
    QString m_folder;
    QTemporaryDir m_dir;
};

void TestMediaProbe::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_folder = m_dir.path();
}

void TestMediaProbe::everyAcceptedContainer_data()
{
    QTest::addColumn<QString>("extension");
    QTest::addColumn<double>("seconds");
    QTest::addColumn<bool>("video");
    QTest::addColumn<bool>("audio");
    QTest::addColumn<qint64>("expectedSeconds");
    for (const QString &extension : fixtures::acceptedExtensions()) {
        const QByteArray ext = extension.toUtf8();
        QTest::newRow(ext + " 3 s") << extension << 3.0 << true << true << qint64(3);
        QTest::newRow(ext + " 0.9 s") << extension << 0.9 << true << true << qint64(0);
        QTest::newRow(ext + " 7.6 s video only") << extension << 7.6 << true << false << qint64(7);
    }
}

void TestMediaProbe::everyAcceptedContainer()
{
    QFETCH(QString, extension);
    QFETCH(double, seconds);
    QFETCH(bool, video);
    QFETCH(bool, audio);
    QFETCH(qint64, expectedSeconds);
    fixtures::ClipSpec clipSpec;
    clipSpec.seconds = seconds;
    clipSpec.video = video;
    clipSpec.audio = audio;
    const QString name = QStringLiteral("clip-%1-%2-%3%4").arg(seconds).arg(video).arg(audio).arg(extension);
    const QString file = fixtures::makeClip(m_folder, name, clipSpec);
    QVERIFY(!file.isEmpty());

    TFilterGraph graph;
    int code = -1;
    const qint64 duration = probeDurationMs(graph, file, &code);
    QCOMPARE(code, int(media::result::Ok));
    QCOMPARE(duration / 1000, expectedSeconds);
    // Whole seconds hide small errors; the milliseconds stay close to the clip.
    QVERIFY2(qAbs(duration - qint64(seconds * 1000)) <= 150, qPrintable(QString::number(duration)));
}

void TestMediaProbe::filesWithoutStatedDuration_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("ffmpegArguments");
    QTest::addColumn<qint64>("expectedSeconds");
    const QStringList video{"-f", "lavfi", "-i", "testsrc=size=160x120:rate=25:duration=4"};
    const QStringList sound{"-f", "lavfi", "-i", "sine=sample_rate=44100:duration=4"};
    // The FLV header's metadata states no duration: it comes from the packets.
    QTest::newRow("flv without duration metadata")
        << "nodur.flv"
        << (video + sound +
            QStringList{"-c:v", "flv", "-c:a", "libmp3lame", "-flvflags", "no_duration_filesize", "-f", "flv"})
        << qint64(4);
    QTest::newRow("flv without any metadata")
        << "nometa.flv"
        << (video + sound + QStringList{"-c:v", "flv", "-c:a", "libmp3lame", "-flvflags", "no_metadata", "-f", "flv"})
        << qint64(4);
    QTest::newRow("swf video only") << "video.swf" << (video + QStringList{"-c:v", "flv", "-f", "swf"}) << qint64(4);
    QTest::newRow("mp4 sound only") << "sound.mp4" << (sound + QStringList{"-c:a", "aac", "-f", "mp4"}) << qint64(4);
    QTest::newRow("mpg sound only") << "sound.mpg" << (sound + QStringList{"-c:a", "mp2", "-f", "mpeg"}) << qint64(4);
}

void TestMediaProbe::filesWithoutStatedDuration()
{
    QFETCH(QString, name);
    QFETCH(QStringList, ffmpegArguments);
    QFETCH(qint64, expectedSeconds);
    const QString file = QDir(m_folder).filePath(name);
    QString error;
    QVERIFY2(fixtures::runFfmpeg(ffmpegArguments + QStringList{file}, &error), qPrintable(error));

    TFilterGraph graph;
    QCOMPARE(probeDurationMs(graph, file) / 1000, expectedSeconds);
}

void TestMediaProbe::filesCutShort_data()
{
    QTest::addColumn<QString>("extension");
    // Containers whose duration comes from the packets: a file cut short
    // measures what is left of it.
    for (const char *extension : {".mpeg", ".mpg", ".vob", ".swf"})
        QTest::newRow(extension) << QString::fromLatin1(extension);
}

void TestMediaProbe::filesCutShort()
{
    QFETCH(QString, extension);
    fixtures::ClipSpec clipSpec;
    clipSpec.seconds = 4.0;
    const QString whole = fixtures::makeClip(m_folder, "whole-cut" + extension, clipSpec);
    QVERIFY(!whole.isEmpty());
    const QString cut = QDir(m_folder).filePath("cut" + extension);
    QVERIFY(writePrefix(whole, cut, QFileInfo(whole).size() / 2));
    const qint64 expected = packetSpanMs(cut);
    QVERIFY(expected > 1000 && expected < 3500);

    TFilterGraph graph;
    const qint64 duration = probeDurationMs(graph, cut);
    QVERIFY2(qAbs(duration - expected) <= 100, qPrintable(QStringLiteral("%1 / %2").arg(duration).arg(expected)));
}

void TestMediaProbe::awkwardNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("blanks") << "my holiday clip.mp4";
    QTest::newRow("quotes") << "say \"cheese\" 'now'.avi";
    QTest::newRow("non-ASCII") << "Überraschung Ærø 日本.wmv";
    QTest::newRow("colon like a protocol") << "http:clip.flv";
    QTest::newRow("percent and question mark") << "100% done?.mov";
    QTest::newRow("upper-case extension") << "LOUD.MPG";
}

void TestMediaProbe::awkwardNames()
{
    QFETCH(QString, name);
    fixtures::ClipSpec clipSpec;
    clipSpec.seconds = 2.0;
    clipSpec.size = QSize(160, 120);
    QString file = fixtures::makeClip(m_folder, name.toLower(), clipSpec);
    QVERIFY(!file.isEmpty());
    if (name != name.toLower()) {
        const QString renamed = QDir(m_folder).filePath(name);
        QVERIFY(QFile::rename(file, renamed));
        file = renamed;
    }
    TFilterGraph graph;
    QCOMPARE(probeDurationMs(graph, file) / 1000, qint64(2));
}

void TestMediaProbe::badFiles_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<quint32>("expectedCode");
    const QString folder = m_folder + "/bad";
    QVERIFY(QDir().mkpath(folder));
    const QDir dir(folder);

    QVERIFY(writeBytes(dir.filePath("empty.mp4"), {}));
    QTest::newRow("empty file") << dir.filePath("empty.mp4") << media::result::UnsupportedStream;

    QVERIFY(writeBytes(dir.filePath("letter.avi"), "Dear reader,\nthis is no film at all.\n"));
    QTest::newRow("text file") << dir.filePath("letter.avi") << media::result::UnsupportedStream;

    QByteArray noise(64 * 1024, '\0');
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 7919 + 13) % 251);
    QVERIFY(writeBytes(dir.filePath("noise.wmv"), noise));
    QTest::newRow("random bytes") << dir.filePath("noise.wmv") << media::result::UnsupportedStream;

    // MP4 keeps its index at the end: a download cut short cannot be opened.
    const QString whole = fixtures::makeClip(folder, "whole.mp4");
    QVERIFY(!whole.isEmpty());
    QVERIFY(writePrefix(whole, dir.filePath("truncated.mp4"), QFileInfo(whole).size() / 2));
    QTest::newRow("truncated mp4") << dir.filePath("truncated.mp4") << media::result::UnsupportedStream;

    const QString avi = fixtures::makeClip(folder, "whole.avi");
    QVERIFY(!avi.isEmpty());
    QVERIFY(writePrefix(avi, dir.filePath("header-only.avi"), 100));
    QTest::newRow("avi cut inside its header") << dir.filePath("header-only.avi") << media::result::UnsupportedStream;

    QTest::newRow("missing file") << dir.filePath("gone.mpg") << media::result::FileNotFound;

    QVERIFY(QDir().mkpath(dir.filePath("folder.mp4")));
    QTest::newRow("folder") << dir.filePath("folder.mp4") << media::result::AccessDenied;

    // Opening a FIFO would wait for a writer for ever.
    const QByteArray fifo = QFile::encodeName(dir.filePath("pipe.mpg"));
    QFile::remove(dir.filePath("pipe.mpg"));
    QCOMPARE(mkfifo(fifo.constData(), 0600), 0);
    QTest::newRow("fifo") << dir.filePath("pipe.mpg") << media::result::AccessDenied;

    const QString locked = fixtures::makeClip(folder, "locked.mov");
    QVERIFY(!locked.isEmpty());
    QVERIFY(QFile::setPermissions(locked, QFileDevice::Permissions()));
    QTest::newRow("no read permission") << locked << media::result::AccessDenied;

    const QString undecodable = makeUnknownVideoCodecAvi(folder, "undecodable.avi", false);
    QVERIFY(!undecodable.isEmpty());
    QTest::newRow("no stream decodes") << undecodable << media::result::CannotRender;

    // A decoder exists, but it cannot open the stream: a phone's USAC sound.
    const QString usac = fixtures::makeUndecodableSoundMp4(folder, "usac.mp4", false, false);
    QVERIFY(!usac.isEmpty());
    QTest::newRow("only stream cannot be opened") << usac << media::result::CannotRender;
}

void TestMediaProbe::badFiles()
{
    QFETCH(QString, file);
    QFETCH(quint32, expectedCode);
    if (QByteArray(QTest::currentDataTag()) == "no read permission" && geteuid() == 0)
        QSKIP("permissions do not bind the superuser");

    TFilterGraph graph;
    graph.SetActive(true);
    try {
        graph.RenderFile(file);
        QFAIL("RenderFile accepted the file");
    } catch (const EDirectShowException &error) {
        QCOMPARE(error.code(), expectedCode);
    }
    // The graph stays active and empty, as the next probe expects.
    QVERIFY(graph.Active());
    QCOMPARE(graph.Duration(), qint64(0));
    QCOMPARE(graph.FileName(), QString());
}

void TestMediaProbe::graphKeepsWorkingAfterBadFiles()
{
    const QString good = fixtures::makeClip(m_folder, "after-bad.asf");
    QVERIFY(!good.isEmpty());
    const QString bad = QDir(m_folder).filePath("after-bad-empty.asf");
    QVERIFY(writeBytes(bad, {}));

    TFilterGraph graph;
    for (int round = 0; round < 3; ++round) {
        QVERIFY_THROWS_EXCEPTION(EDirectShowException, probeDurationMs(graph, bad));
        QCOMPARE(probeDurationMs(graph, good) / 1000, qint64(3));
    }
    QVERIFY(!graph.Active());
}

void TestMediaProbe::partialRenderWhenAStreamCannotBeDecoded_data()
{
    QTest::addColumn<QString>("file");
    const QString unknown = makeUnknownVideoCodecAvi(m_folder, "unknown-video.avi", true);
    QVERIFY(!unknown.isEmpty());
    QTest::newRow("no decoder for the picture") << unknown;
    const QString usac = fixtures::makeUndecodableSoundMp4(m_folder, "usac-with-video.mp4", true, false);
    QVERIFY(!usac.isEmpty());
    QTest::newRow("sound decoder does not open") << usac;
}

void TestMediaProbe::partialRenderWhenAStreamCannotBeDecoded()
{
    QFETCH(QString, file);
    TFilterGraph graph;
    int code = -1;
    const qint64 duration = probeDurationMs(graph, file, &code);
    QCOMPARE(quint32(code), media::result::PartialRender);
    QCOMPARE(duration / 1000, qint64(3));
}

void TestMediaProbe::dataTracksDoNotCountAsStreams()
{
    // A timecode track, as cameras write them, is no picture or sound.
    const QString file = QDir(m_folder).filePath("timecode.mov");
    QString error;
    QVERIFY2(fixtures::runFfmpeg({"-f", "lavfi", "-i", "testsrc=size=160x120:rate=25:duration=2", "-c:v", "mpeg4",
                                  "-timecode", "01:00:00:00", "-f", "mov", file},
                                 &error),
             qPrintable(error));
    TFilterGraph graph;
    int code = -1;
    QCOMPARE(probeDurationMs(graph, file, &code) / 1000, qint64(2));
    QCOMPARE(quint32(code), media::result::Ok);
}

void TestMediaProbe::shownShapeAndRotation_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("clockwise");
    QTest::addColumn<bool>("mirrored");
    QTest::addColumn<QSize>("shown");
    const QString folder = m_dir.path();

    OrientedClip clip; // 320 x 180
    QTest::newRow("16:9") << makeOrientedClip(folder, "wide.mov", clip) << 0 << false << QSize(320, 180);
    for (const int clockwise : {90, 180, 270}) {
        clip.clockwise = clockwise;
        QTest::newRow(qPrintable(QStringLiteral("turned %1").arg(clockwise)))
            << makeOrientedClip(folder, QStringLiteral("turned-%1.mov").arg(clockwise), clip) << clockwise << false
            << (clockwise == 180 ? QSize(320, 180) : QSize(180, 320));
    }
    OrientedClip shaped;
    shaped.stored = QSize(180, 320);
    QTest::newRow("portrait") << makeOrientedClip(folder, "portrait.mov", shaped) << 0 << false << QSize(180, 320);
    shaped.stored = QSize(320, 240);
    shaped.pixelAspect = "64/45";
    QTest::newRow("anamorphic") << makeOrientedClip(folder, "anamorphic.mov", shaped) << 0 << false << QSize(455, 240);
    shaped.clockwise = 90;
    QTest::newRow("anamorphic turned 90")
        << makeOrientedClip(folder, "anamorphic-90.mov", shaped) << 90 << false << QSize(240, 455);
    // Its display matrix turns the 568 x 320 picture a quarter clockwise.
    QTest::newRow("iPhone clip") << sharedFixture("iphone_rotated.mov") << 90 << false << QSize(320, 568);

    OrientedClip mirrored;
    mirrored.mirrored = true;
    QTest::newRow("mirrored") << makeOrientedClip(folder, "mirrored.mov", mirrored) << 0 << true << QSize(320, 180);
    mirrored.clockwise = 90;
    QTest::newRow("turned 90, mirrored") << makeOrientedClip(folder, "turned-90-mirrored.mov", mirrored) << 90 << true
                                         << QSize(180, 320);
    // Said only by the stream's own display-orientation message.
    OrientedClip own;
    own.carrier = Carrier::Stream;
    own.clockwise = 270;
    QTest::newRow("in-stream turned 270")
        << makeOrientedClip(folder, "own-270.mov", own) << 270 << false << QSize(180, 320);
    // MPEG-TS seeks by decoding time: the probe must still start at the
    // first key picture, the only one that carries the message.
    QTest::newRow("in-stream turned 270, MPEG-TS")
        << asTransportStream(makeOrientedClip(folder, "own-270-ts.mov", own)) << 270 << false << QSize(180, 320);
    own.mirrored = true;
    own.clockwise = 180;
    QTest::newRow("in-stream turned 180, mirrored")
        << makeOrientedClip(folder, "own-180-mirrored.mov", own) << 180 << true << QSize(320, 180);
}

// Probed for playing: the first picture's own orientation counts.
void TestMediaProbe::shownShapeAndRotation()
{
    QFETCH(QString, file);
    QFETCH(int, clockwise);
    QFETCH(bool, mirrored);
    QFETCH(QSize, shown);
    QVERIFY(!file.isEmpty());
    if (!QFileInfo::exists(file))
        QSKIP(qPrintable(file + " is not there"));

    const media::ProbeResult probe = media::ProbeMediaFile(file, media::TProbeDepth::FirstPicture);
    QVERIFY(probe.hasVideo);
    QCOMPARE(probe.orientation.clockwise, clockwise);
    QCOMPARE(probe.orientation.mirrored, mirrored);
    QCOMPARE(probe.displaySize, shown);
}

void TestMediaProbe::decodingLoadOfTheShownPicture_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<qint64>("pixelsPerSecond");
    const QString folder = m_dir.path();

    fixtures::ClipSpec small;
    QTest::newRow("320x240 at 25 fps") << fixtures::makeClip(folder, "load-small.avi", small) << qint64(320 * 240 * 25);
    fixtures::ClipSpec fast;
    fast.size = QSize(640, 360);
    fast.fps = 60;
    QTest::newRow("640x360 at 60 fps") << fixtures::makeClip(folder, "load-fast.avi", fast) << qint64(640 * 360 * 60);
    // The stored picture is decoded: neither its pixel aspect nor its turn
    // changes the work.
    OrientedClip shaped; // 30 fps
    shaped.stored = QSize(320, 240);
    shaped.pixelAspect = "64/45";
    shaped.clockwise = 90;
    QTest::newRow("anamorphic, turned") << makeOrientedClip(folder, "load-anamorphic-90.mov", shaped)
                                        << qint64(320 * 240 * 30);
    fixtures::ClipSpec sound;
    sound.video = false;
    QTest::newRow("sound only") << fixtures::makeClip(folder, "load-sound.mp4", sound) << qint64(0);
}

void TestMediaProbe::decodingLoadOfTheShownPicture()
{
    QFETCH(QString, file);
    QFETCH(qint64, pixelsPerSecond);
    QVERIFY(!file.isEmpty());
    const media::ProbeResult probe = media::ProbeMediaFile(file, media::TProbeDepth::FirstPicture);
    QCOMPARE(probe.pixelsPerSecond, pixelsPerSecond);
}

void TestMediaProbe::decoderThreadsFollowTheLoad_data()
{
    QTest::addColumn<qint64>("pixelsPerSecond");
    QTest::addColumn<QByteArray>("threads");
    QTest::newRow("480p at 25 fps") << qint64(640 * 480 * 25) << QByteArray("1");
    QTest::newRow("1080p at 29.97 fps") << qint64(1920LL * 1080 * 30000 / 1001) << QByteArray("1");
    QTest::newRow("1080p at 30 fps") << qint64(1920LL * 1080 * 30) << QByteArray("1");
    QTest::newRow("1080p at 50 fps") << qint64(1920LL * 1080 * 50) << QByteArray("0");
    QTest::newRow("2160p at 30 fps") << qint64(3840LL * 2160 * 30) << QByteArray("0");
    QTest::newRow("rate unknown") << qint64(0) << QByteArray("0");
}

void TestMediaProbe::decoderThreadsFollowTheLoad()
{
    QFETCH(qint64, pixelsPerSecond);
    QFETCH(QByteArray, threads);
    QCOMPARE(media::DecoderThreads(pixelsPerSecond), threads);
}

void TestMediaProbe::exceptionTextCarriesTheCode()
{
    TFilterGraph graph;
    graph.SetActive(true);
    try {
        graph.RenderFile(QDir(m_folder).filePath("nothing-here.avi"));
        QFAIL("RenderFile accepted a missing file");
    } catch (const EDirectShowException &error) {
        QCOMPARE(error.text(), QStringLiteral("The system cannot find the file specified. ($80070002)."));
        QCOMPARE(QString::fromUtf8(error.what()), error.text());
    }
    const EDirectShowException own(QStringLiteral("Custom"), 0x8000FFFF);
    QCOMPARE(own.text(), QStringLiteral("Custom ($8000FFFF)."));
}

void TestMediaProbe::inactiveGraphRefusesWork()
{
    const QString file = fixtures::makeClip(m_folder, "inactive.rm");
    QVERIFY(!file.isEmpty());
    TFilterGraph graph;
    QVERIFY(!graph.Active());
    graph.ClearGraph(); // nothing to do, no error
    QVERIFY_THROWS_EXCEPTION(EDirectShowException, graph.RenderFile(file));
    QVERIFY_THROWS_EXCEPTION(EDirectShowException, graph.Duration());
    QVERIFY(!graph.HasSeeking());

    graph.SetActive(true);
    QCOMPARE(graph.RenderFile(file), int(media::result::Ok));
    QVERIFY(graph.HasSeeking());
    QCOMPARE(graph.Duration() / 1000, qint64(3));
    // Unbound graphs only measure.
    QVERIFY_THROWS_EXCEPTION(EDirectShowException, graph.Play());
    graph.ClearGraph();
    QVERIFY(graph.Active());
    QCOMPARE(graph.Duration(), qint64(0));
    QCOMPARE(graph.FileName(), QString());
}

QTEST_GUILESS_MAIN(TestMediaProbe)
#include "tst_mediaprobe.moc"
