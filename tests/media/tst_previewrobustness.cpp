// Previewing one file after another on a graph bound to a window, as a user
// trying every file would: clips of every container, odd sizes and rates,
// gaps in the timestamps, files cut short or damaged inside, files that
// are no media at all, and phone clips stored sideways or with non-square
// pixels. The engine never takes the process down; a file it
// cannot play ends cleanly, and the next file plays.

#include "MediaTestFiles.h"
#include "OrientedClips.h"
#include "PreviewFixture.h"
#include "media/FilterGraph.h"
#include "media/VideoWindow.h"

#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

constexpr qint64 Tick = TFilterGraph::HundredNsPerMs;

bool makeWithFfmpeg(const QString &target, const QStringList &arguments)
{
    QString error;
    const bool made = fixtures::runFfmpeg(arguments + QStringList{target}, &error);
    if (!made)
        qWarning("ffmpeg could not make %s: %s", qPrintable(target), qPrintable(error));
    return made;
}

// The file with a stretch in its middle overwritten by noise: the headers
// hold, the packets there do not decode.
bool writeDamagedInside(const QString &source, const QString &target)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    QByteArray data = in.readAll();
    QRandomGenerator noise(14);
    for (qsizetype i = data.size() / 3; i < data.size() * 2 / 3; ++i)
        data[i] = char(noise.bounded(256));
    return mediatest::writeBytes(target, data);
}

} // namespace

class TestPreviewRobustness : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();

    void everyFilePreviewsOrEndsCleanly_data();
    void everyFilePreviewsOrEndsCleanly();
    void aRealPhoneClipPreviewsEveryTime_data();
    void aRealPhoneClipPreviewsEveryTime();
    void aGoodFilePlaysAfterAllOfThem();

private:
    void previewThenClear(const QString &file, bool mustAdvance);
    // Plays the file for a moment, seeks into it and stops it. False when the
    // graph refused it (the "cannot be played" path).
    bool preview(const QString &file, bool mustAdvance);

    QTemporaryDir m_dir;
    QString m_good;
    mediatest::Preview m_preview;
    std::unique_ptr<TDSVideoWindowEx2> &m_window = m_preview.window;
    std::unique_ptr<TFilterGraph> &m_graph = m_preview.graph;
};

void TestPreviewRobustness::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_good = fixtures::makeClip(m_dir.path(), "good.mp4");
    QVERIFY(!m_good.isEmpty());
    QVERIFY(m_preview.open());
}

void TestPreviewRobustness::cleanupTestCase()
{
    m_preview.close();
}

void TestPreviewRobustness::everyFilePreviewsOrEndsCleanly_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("mustAdvance"); // a whole file: it has to play
    const QString folder = m_dir.path();
    auto path = [&](const QString &name) { return QDir(folder).filePath(name); };
    fixtures::ClipSpec clip;
    clip.seconds = 2.0;

    for (const QString &extension : fixtures::acceptedExtensions())
        QTest::newRow(qPrintable("whole" + extension)) << fixtures::makeClip(folder, "whole" + extension, clip) << true;

    QTest::newRow("MS-MPEG-4 video in ASF")
        << (makeWithFfmpeg(path("msmpeg4.asf"), {"-f", "lavfi", "-i", "testsrc=size=320x240:rate=25:duration=2", "-f",
                                                 "lavfi", "-i", "sine=duration=2", "-c:v", "msmpeg4", "-c:a", "wmav2"})
                ? path("msmpeg4.asf")
                : QString())
        << true;
    QTest::newRow("DVD-style VOB: MPEG-2, AC-3, 16:9 flag")
        << (makeWithFfmpeg(path("dvd.vob"),
                           {"-f", "lavfi", "-i", "testsrc=size=720x576:rate=25:duration=2", "-f", "lavfi", "-i",
                            "sine=duration=2", "-c:v", "mpeg2video", "-aspect", "16:9", "-c:a", "ac3", "-f", "vob"})
                ? path("dvd.vob")
                : QString())
        << true;

    fixtures::ClipSpec odd = clip;
    odd.size = QSize(97, 61);
    QTest::newRow("odd size 97x61") << fixtures::makeClip(folder, "odd-size.avi", odd) << true;
    odd.size = QSize(1, 1);
    QTest::newRow("one pixel") << fixtures::makeClip(folder, "one-pixel.mov", odd) << true;
    odd = clip;
    odd.fps = 1;
    odd.sampleRate = 8000;
    QTest::newRow("1 fps, 8 kHz sound") << fixtures::makeClip(folder, "slow.mp4", odd) << true;
    odd.fps = 120;
    odd.sampleRate = 96000;
    QTest::newRow("120 fps, 96 kHz sound") << fixtures::makeClip(folder, "fast.mov", odd) << true;

    const QString dense = fixtures::makeClip(folder, "dense.flv", clip);
    QTest::newRow("ten-second gap in the timestamps")
        << (makeWithFfmpeg(path("gap.flv"),
                           {"-i", dense, "-c", "copy", "-bsf:v", "setts=ts=PTS+if(gte(N\\,25)\\,10000/TB\\,0)",
                            "-bsf:a", "setts=ts=PTS+if(gte(PTS\\,1000)\\,10000/TB\\,0)"})
                ? path("gap.flv")
                : QString())
        << false;

    for (const QString extension : {".avi", ".mpg", ".vob", ".asf", ".flv", ".rm", ".mov"}) {
        const QString whole = fixtures::makeClip(folder, "to-cut" + extension, clip);
        const QString cut = path("cut-short" + extension);
        QVERIFY(mediatest::writePrefix(whole, cut, QFileInfo(whole).size() / 2));
        QTest::newRow(qPrintable("cut short" + extension)) << cut << false;
        const QString damaged = path("damaged-inside" + extension);
        QVERIFY(writeDamagedInside(whole, damaged));
        QTest::newRow(qPrintable("damaged inside" + extension)) << damaged << false;
    }
    QVERIFY(mediatest::writePrefix(path("whole.avi"), path("header-only.avi"), 300));
    QTest::newRow("header only") << path("header-only.avi") << false;

    QByteArray garbage(64 * 1024, '\0');
    QRandomGenerator noise(41);
    for (char &byte : garbage)
        byte = char(noise.bounded(256));
    QVERIFY(mediatest::writeBytes(path("garbage.vob"), garbage));
    QTest::newRow("garbage") << path("garbage.vob") << false;
    QVERIFY(mediatest::writeBytes(path("letter.mp4"), "Dear reader,\nthis is no film at all.\n"));
    QTest::newRow("text") << path("letter.mp4") << false;
    QVERIFY(mediatest::writeBytes(path("empty.avi"), {}));
    QTest::newRow("empty") << path("empty.avi") << false;
    QTest::newRow("missing") << path("no such file.mp4") << false;

    // Phone clips: the display rotation turns the stored picture on its side.
    for (const int rotate : {90, 270, 180}) {
        mediatest::OrientedClip turned;
        turned.stored = QSize(568, 320);
        turned.clockwise = rotate;
        const QString name = QStringLiteral("turned-%1.mov").arg(rotate);
        QTest::newRow(qPrintable(QStringLiteral("H.264 568x320 turned %1").arg(rotate)))
            << mediatest::makeOrientedClip(folder, name, turned) << true;
    }
    // The same turn said inside the stream, with a mirror.
    mediatest::OrientedClip ownTurn;
    ownTurn.stored = QSize(568, 320);
    ownTurn.clockwise = 90;
    ownTurn.mirrored = true;
    ownTurn.carrier = mediatest::Carrier::Stream;
    QTest::newRow("H.264 568x320 turned 90 and mirrored in the stream")
        << mediatest::makeOrientedClip(folder, "own-turn.mov", ownTurn) << true;
    mediatest::OrientedClip shaped;
    shaped.stored = QSize(320, 568);
    QTest::newRow("portrait 320x568") << mediatest::makeOrientedClip(folder, "portrait.mov", shaped) << true;
    shaped.stored = QSize(640, 360);
    QTest::newRow("16:9 640x360") << mediatest::makeOrientedClip(folder, "wide.mov", shaped) << true;
    shaped.stored = QSize(320, 240);
    shaped.pixelAspect = "64/45";
    QTest::newRow("anamorphic 320x240 at 64:45")
        << mediatest::makeOrientedClip(folder, "anamorphic.mov", shaped) << true;
    shaped.clockwise = 90;
    QTest::newRow("anamorphic 320x240 at 64:45 turned 90")
        << mediatest::makeOrientedClip(folder, "anamorphic-turned.mov", shaped) << true;
}

bool TestPreviewRobustness::preview(const QString &file, bool mustAdvance)
{
    int code = 0;
    try {
        code = m_graph->RenderFile(file);
    } catch (const EDirectShowException &) {
        return false;
    }
    if (mustAdvance && code != int(media::result::Ok))
        qWarning("%s rendered with code %x", qPrintable(file), code);
    const qint64 duration = m_graph->Duration();
    m_graph->Play();
    // Either it plays on, or the engine gives up on it and says so.
    const bool advanced = QTest::qWaitFor(
        [&] { return m_graph->AtEndOfMedia() || m_graph->CurrentPosition() / Tick >= std::min<qint64>(500, duration); },
        8000);
    if (mustAdvance && !(advanced && m_graph->CurrentPosition() > 0))
        qWarning("%s did not play", qPrintable(file));
    m_graph->SetCurrentPosition(duration / 2 * Tick);
    QTest::qWait(200);
    m_graph->Pause();
    m_graph->Stop();
    return mustAdvance ? advanced : true;
}

void TestPreviewRobustness::everyFilePreviewsOrEndsCleanly()
{
    QFETCH(QString, file);
    QFETCH(bool, mustAdvance);
    previewThenClear(file, mustAdvance);
}

// A clip an iPhone wrote, kept outside the repository: its sideways picture
// took the process down in some runs only, so it is played several times.
void TestPreviewRobustness::aRealPhoneClipPreviewsEveryTime_data()
{
    QTest::addColumn<int>("round");
    for (int round = 1; round <= 6; ++round)
        QTest::newRow(qPrintable(QStringLiteral("round %1").arg(round))) << round;
}

void TestPreviewRobustness::aRealPhoneClipPreviewsEveryTime()
{
    const QString file = mediatest::sharedFixture(QStringLiteral("iphone_rotated.mov"));
    if (!QFileInfo::exists(file))
        QSKIP(qPrintable(file + " is not there"));
    // Every other round in a window of another shape.
    QFETCH(int, round);
    m_window->resize(round % 2 ? QSize(TDSVideoWindowEx2::DefaultWidth, TDSVideoWindowEx2::DefaultHeight)
                               : QSize(200, 300));
    const auto restore =
        qScopeGuard([this] { m_window->resize(TDSVideoWindowEx2::DefaultWidth, TDSVideoWindowEx2::DefaultHeight); });
    previewThenClear(file, true);
}

void TestPreviewRobustness::previewThenClear(const QString &file, bool mustAdvance)
{
    QVERIFY(!file.isEmpty());

    bool played = false;
    try {
        played = preview(file, mustAdvance);
    } catch (const EDirectShowException &error) {
        QFAIL(qPrintable("a loaded file raised: " + error.text()));
    }
    if (mustAdvance) {
        QVERIFY(played);
        QVERIFY(m_window->hasFrame());
        QCOMPARE(m_graph->FileName(), file);
    }
    QVERIFY(m_graph->Active());
    QVERIFY(!m_graph->IsRunning());
    m_graph->ClearGraph();
    QCOMPARE(m_graph->FileName(), QString());
    QVERIFY(!m_window->hasFrame());
}

void TestPreviewRobustness::aGoodFilePlaysAfterAllOfThem()
{
    QCOMPARE(m_graph->RenderFile(m_good), int(media::result::Ok));
    m_graph->Play();
    QTRY_VERIFY_WITH_TIMEOUT(m_window->hasFrame() && m_graph->CurrentPosition() / Tick >= 500, 5000);
}

QTEST_MAIN(TestPreviewRobustness)
#include "tst_previewrobustness.moc"
