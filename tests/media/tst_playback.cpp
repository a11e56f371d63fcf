// Playback on a graph bound to a video window, on the offscreen platform and
// without a sound device: frames reach the window at its letterboxed size and
// only while the picture changes, the position follows play, pause and seeks,
// the end of the media leaves the graph running at its duration, unloading
// blanks the window, and the position timer ticks only while running.
// Pictures stored sideways (said by the container or by the stream itself),
// mirrored, in portrait or with non-square pixels are drawn upright, the right
// way round and in the shape they are shown in.

#include "MediaTestFiles.h"
#include "OrientedClips.h"
#include "PreviewFixture.h"
#include "media/FilterGraph.h"
#include "media/Letterbox.h"
#include "media/TrackBar.h"
#include "media/VideoFrameSource.h"
#include "media/VideoWindow.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

constexpr qint64 Tick = TFilterGraph::HundredNsPerMs; // 100-ns units per millisecond

qint64 positionMs(const TFilterGraph &graph)
{
    return graph.CurrentPosition() / Tick;
}

bool isBlack(QRgb pixel)
{
    return qRed(pixel) < 16 && qGreen(pixel) < 16 && qBlue(pixel) < 16;
}

// Share of pixels in the rectangle that are not black.
double litShare(const QImage &image, const QRect &area)
{
    int lit = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            lit += isBlack(image.pixel(x, y)) ? 0 : 1;
    return double(lit) / double(area.width() * area.height());
}

// The smallest rectangle holding every pixel that is not black.
QRect litBounds(const QImage &image)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (!isBlack(image.pixel(x, y)))
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

} // namespace

class TestPlayback : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void playShowsFramesInTheWindow();
    void picturesAreDrawnUprightInTheirShownShape_data();
    void picturesAreDrawnUprightInTheirShownShape();
    void aRealPhoneClipIsDrawnTall();
    void positionAdvancesAndPauseHoldsIt();
    void seeksWhilePausedAndWhilePlaying();
    void endOfMediaKeepsTheGraphRunningAtTheDuration();
    void stopAndDeactivateUnloadTheFile();
    void renderReplacesTheLoadedFile();
    void badFileLeavesTheGraphEmpty();
    void partialRenderIsReported();
    void refusesToPlayWithoutAFile();
    void soundOnlyFileAdvances();
    void trackBarTicksOnceASecondWhileRunning();
    void windowMayGoFirst();
    void graphMayGoFirst();

private:
    QTemporaryDir m_dir;
    QString m_clip;  // 6 s, picture and sound
    QString m_other; // 3 s, another container
    QString m_sound; // 3 s, sound only
    mediatest::Preview m_preview;
    std::unique_ptr<TDSVideoWindowEx2> &m_window = m_preview.window;
    std::unique_ptr<TFilterGraph> &m_graph = m_preview.graph;
};

void TestPlayback::initTestCase()
{
    QVERIFY(m_dir.isValid());
    fixtures::ClipSpec clip;
    clip.seconds = 6.0;
    m_clip = fixtures::makeClip(m_dir.path(), "clip.mp4", clip);
    m_other = fixtures::makeClip(m_dir.path(), "other.avi");
    fixtures::ClipSpec sound;
    sound.video = false;
    m_sound = fixtures::makeClip(m_dir.path(), "sound.mp4", sound);
    QVERIFY(!m_clip.isEmpty() && !m_other.isEmpty() && !m_sound.isEmpty());
}

void TestPlayback::init()
{
    QVERIFY(m_preview.open());
}

void TestPlayback::cleanup()
{
    m_preview.close();
}

void TestPlayback::playShowsFramesInTheWindow()
{
    QCOMPARE(m_graph->RenderFile(m_clip), int(media::result::Ok));
    QCOMPARE(m_graph->Duration(), qint64(6000));
    m_graph->Play();
    QVERIFY(m_graph->IsRunning());
    QTRY_VERIFY_WITH_TIMEOUT(m_window->hasFrame(), 5000);

    // 320 x 240 letterboxed into 257 x 155: the picture is drawn at 206 x 155
    // (at the latest once mpv has told the video's size) and spans x 25..230.
    QTRY_COMPARE_WITH_TIMEOUT(m_window->frameSource()->currentPicture().size(), QSize(206, 155), 1000);
    const QImage shot = m_window->grab().toImage();
    QVERIFY(litShare(shot, QRect(30, 5, 190, 145)) > 0.5);
    QCOMPARE(litShare(shot, QRect(0, 0, 20, 155)), 0.0);
    QCOMPARE(litShare(shot, QRect(237, 0, 20, 155)), 0.0);
}

void TestPlayback::picturesAreDrawnUprightInTheirShownShape_data()
{
    using namespace mediatest;
    QTest::addColumn<QString>("file");
    QTest::addColumn<QSize>("shown"); // the picture's shape on screen
    // The colours of the shown picture's quarters, as on screen.
    QTest::addColumn<QColor>("topLeft");
    QTest::addColumn<QColor>("topRight");
    QTest::addColumn<QColor>("bottomLeft");
    QTest::addColumn<QColor>("bottomRight");
    const QString folder = m_dir.path();

    OrientedClip clip; // 320 x 180
    QTest::newRow("16:9") << makeOrientedClip(folder, "wide.mov", clip) << QSize(320, 180) << TopLeft << TopRight
                          << BottomLeft << BottomRight;
    // Turned clockwise (as an iPhone held upright): the stored left edge
    // becomes the top.
    clip.clockwise = 90;
    QTest::newRow("turned 90") << makeOrientedClip(folder, "turned-90.mov", clip) << QSize(180, 320) << BottomLeft
                               << TopLeft << BottomRight << TopRight;
    clip.clockwise = 270;
    QTest::newRow("turned 270") << makeOrientedClip(folder, "turned-270.mov", clip) << QSize(180, 320) << TopRight
                                << BottomRight << TopLeft << BottomLeft;
    clip.clockwise = 180;
    QTest::newRow("turned 180") << makeOrientedClip(folder, "turned-180.mov", clip) << QSize(320, 180) << BottomRight
                                << BottomLeft << TopRight << TopLeft;

    OrientedClip portrait;
    portrait.stored = QSize(180, 320);
    QTest::newRow("portrait") << makeOrientedClip(folder, "portrait.mov", portrait) << QSize(180, 320) << TopLeft
                              << TopRight << BottomLeft << BottomRight;

    // Mirrored: left and right swap after any turn. The track header says so,
    // or the stream's own display-orientation message does, which also
    // carries turns.
    OrientedClip mirrored;
    mirrored.mirrored = true;
    QTest::newRow("mirrored") << makeOrientedClip(folder, "mirrored.mov", mirrored) << QSize(320, 180) << TopRight
                              << TopLeft << BottomRight << BottomLeft;
    mirrored.clockwise = 270;
    QTest::newRow("turned 270, mirrored") << makeOrientedClip(folder, "turned-270-mirrored.mov", mirrored)
                                          << QSize(180, 320) << BottomRight << TopRight << BottomLeft << TopLeft;
    OrientedClip own;
    own.carrier = Carrier::Stream;
    own.clockwise = 90;
    QTest::newRow("in-stream turned 90") << makeOrientedClip(folder, "own-90.mov", own) << QSize(180, 320) << BottomLeft
                                         << TopLeft << BottomRight << TopRight;
    own.clockwise = 270;
    QTest::newRow("in-stream turned 270") << makeOrientedClip(folder, "own-270.mov", own) << QSize(180, 320) << TopRight
                                          << BottomRight << TopLeft << BottomLeft;
    QTest::newRow("in-stream turned 270, MPEG-TS")
        << asTransportStream(makeOrientedClip(folder, "own-270-ts.mov", own)) << QSize(180, 320) << TopRight
        << BottomRight << TopLeft << BottomLeft;
    own.mirrored = true;
    own.clockwise = 0;
    QTest::newRow("in-stream mirrored") << makeOrientedClip(folder, "own-mirrored.mov", own) << QSize(320, 180)
                                        << TopRight << TopLeft << BottomRight << BottomLeft;
    own.clockwise = 90;
    QTest::newRow("in-stream turned 90, mirrored")
        << makeOrientedClip(folder, "own-90-mirrored.mov", own) << QSize(180, 320) << TopLeft << BottomLeft << TopRight
        << BottomRight;
    own.clockwise = 180;
    QTest::newRow("in-stream turned 180, mirrored")
        << makeOrientedClip(folder, "own-180-mirrored.mov", own) << QSize(320, 180) << BottomLeft << BottomRight
        << TopLeft << TopRight;

    // 320 x 240 stored with pixels 64:45 wide is shown 455 x 240.
    OrientedClip anamorphic;
    anamorphic.stored = QSize(320, 240);
    anamorphic.pixelAspect = "64/45";
    QTest::newRow("anamorphic") << makeOrientedClip(folder, "anamorphic.mov", anamorphic) << QSize(455, 240) << TopLeft
                                << TopRight << BottomLeft << BottomRight;
    anamorphic.clockwise = 90;
    QTest::newRow("anamorphic turned 90") << makeOrientedClip(folder, "anamorphic-90.mov", anamorphic)
                                          << QSize(240, 455) << BottomLeft << TopLeft << BottomRight << TopRight;
}

void TestPlayback::picturesAreDrawnUprightInTheirShownShape()
{
    QFETCH(QString, file);
    QFETCH(QSize, shown);
    QFETCH(QColor, topLeft);
    QFETCH(QColor, topRight);
    QFETCH(QColor, bottomLeft);
    QFETCH(QColor, bottomRight);
    QVERIFY(!file.isEmpty());

    m_window->resize(400, 300);
    const QRect expected = media::LetterboxRect(shown, m_window->size());
    QCOMPARE(m_graph->RenderFile(file), int(media::result::Ok));
    m_graph->Play();
    QTRY_VERIFY_WITH_TIMEOUT(m_window->hasFrame() && positionMs(*m_graph) >= 300, 5000);
    m_graph->Pause();
    QTest::qWait(200);

    // The picture fills the letterboxed place of its shown shape, within the
    // rounding of two scalings, and the bars beside it stay black.
    const QImage shot = m_window->grab().toImage();
    const QRect drawn = litBounds(shot);
    const auto near = [](int a, int b) { return qAbs(a - b) <= 2; };
    QVERIFY2(near(drawn.left(), expected.left()) && near(drawn.right(), expected.right()) &&
                 near(drawn.top(), expected.top()) && near(drawn.bottom(), expected.bottom()),
             qPrintable(QStringLiteral("drawn at %1,%2 %3x%4; expected %5,%6 %7x%8")
                            .arg(drawn.x())
                            .arg(drawn.y())
                            .arg(drawn.width())
                            .arg(drawn.height())
                            .arg(expected.x())
                            .arg(expected.y())
                            .arg(expected.width())
                            .arg(expected.height())));

    // Each quarter shows its colour at its middle.
    const QString mismatch = mediatest::quarterMismatch(shot, expected, {topLeft, topRight, bottomLeft, bottomRight});
    QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
}

// An iPhone's clip of a plain wall, stored 568 x 320 and turned a quarter for
// showing: a tall picture with black bars left and right.
void TestPlayback::aRealPhoneClipIsDrawnTall()
{
    const QString file = mediatest::sharedFixture(QStringLiteral("iphone_rotated.mov"));
    if (!QFileInfo::exists(file))
        QSKIP(qPrintable(file + " is not there"));
    m_window->resize(400, 300);
    m_graph->RenderFile(file);
    m_graph->Play();
    QTRY_VERIFY_WITH_TIMEOUT(m_window->hasFrame() && positionMs(*m_graph) >= 300, 5000);
    m_graph->Pause();
    QTest::qWait(200);

    const QRect expected = media::LetterboxRect(QSize(320, 568), m_window->size());
    const QRect drawn = litBounds(m_window->grab().toImage());
    QVERIFY2(qAbs(drawn.left() - expected.left()) <= 2 && qAbs(drawn.right() - expected.right()) <= 2 &&
                 drawn.top() <= 2 && drawn.bottom() >= m_window->height() - 3,
             qPrintable(QStringLiteral("drawn at %1,%2 %3x%4")
                            .arg(drawn.x())
                            .arg(drawn.y())
                            .arg(drawn.width())
                            .arg(drawn.height())));
}

void TestPlayback::positionAdvancesAndPauseHoldsIt()
{
    m_graph->RenderFile(m_clip);
    QCOMPARE(m_graph->CurrentPosition(), qint64(0));
    m_graph->Play();
    QTRY_VERIFY_WITH_TIMEOUT(positionMs(*m_graph) >= 1000, 5000);

    QSignalSpy pictures(m_window->frameSource(), &TVideoFrameSource::pictureChanged);
    QTRY_VERIFY_WITH_TIMEOUT(pictures.count() >= 10, 2000); // 25 frames a second
    m_graph->Pause();
    QVERIFY(!m_graph->IsRunning());
    QTest::qWait(100);
    const qint64 held = positionMs(*m_graph);
    pictures.clear();
    QTest::qWait(800);
    QVERIFY2(qAbs(positionMs(*m_graph) - held) <= 50, qPrintable(QString::number(positionMs(*m_graph) - held)));
    QCOMPARE(pictures.count(), 0); // a still picture is not drawn again

    m_graph->Play();
    QTRY_VERIFY_WITH_TIMEOUT(positionMs(*m_graph) >= held + 500, 5000);
    QVERIFY(positionMs(*m_graph) < held + 3000);
}

void TestPlayback::seeksWhilePausedAndWhilePlaying()
{
    // The preview's start: render, pause, play, then seek to the trim start.
    m_graph->RenderFile(m_clip);
    QVERIFY(m_graph->HasSeeking());
    m_graph->Pause();
    m_graph->Play();
    m_graph->SetCurrentPosition(3000 * Tick);
    QTest::qWait(300);
    QVERIFY2(positionMs(*m_graph) >= 2900 && positionMs(*m_graph) < 4200,
             qPrintable(QString::number(positionMs(*m_graph))));

    m_graph->Pause();
    m_graph->SetCurrentPosition(1000 * Tick);
    QTRY_VERIFY_WITH_TIMEOUT(qAbs(positionMs(*m_graph) - 1000) <= 100, 3000);
    QTest::qWait(600);
    QVERIFY(qAbs(positionMs(*m_graph) - 1000) <= 100);
    QVERIFY(!m_graph->IsRunning());

    // Playing on goes from the sought position, not from where it paused.
    m_graph->Play();
    QTRY_VERIFY_WITH_TIMEOUT(positionMs(*m_graph) >= 1300, 3000);
    QVERIFY(positionMs(*m_graph) < 2800);
}

void TestPlayback::endOfMediaKeepsTheGraphRunningAtTheDuration()
{
    m_graph->RenderFile(m_other);
    const qint64 duration = m_graph->Duration();
    QSignalSpy ends(m_graph.get(), &TFilterGraph::EndOfMedia);
    m_graph->Play();
    m_graph->SetCurrentPosition((duration - 800) * Tick);
    QTRY_COMPARE_WITH_TIMEOUT(ends.count(), 1, 5000);

    QVERIFY(m_graph->IsRunning());
    QVERIFY(m_graph->AtEndOfMedia());
    QCOMPARE(m_graph->CurrentPosition(), duration * Tick);
    QTest::qWait(500);
    QVERIFY(m_graph->IsRunning());
    QVERIFY(m_graph->CurrentPosition() >= duration * Tick);

    // A running graph sought back plays again from there.
    m_graph->SetCurrentPosition(0);
    QVERIFY(!m_graph->AtEndOfMedia());
    QTRY_VERIFY_WITH_TIMEOUT(positionMs(*m_graph) >= 300, 3000);
    QVERIFY(positionMs(*m_graph) < duration);
}

void TestPlayback::stopAndDeactivateUnloadTheFile()
{
    m_graph->RenderFile(m_clip);
    m_graph->Play();
    QTRY_VERIFY_WITH_TIMEOUT(m_window->hasFrame(), 5000);

    // The player's stop: stop, deactivate, clear.
    m_graph->Stop();
    QVERIFY(!m_graph->IsRunning());
    m_graph->SetActive(false);
    m_graph->ClearGraph();
    QVERIFY(!m_graph->Active());
    QCOMPARE(m_graph->FileName(), QString());
    QVERIFY(!m_graph->HasSeeking());
    QVERIFY_THROWS_EXCEPTION(EDirectShowException, m_graph->CurrentPosition());
    QVERIFY_THROWS_EXCEPTION(EDirectShowException, m_graph->Play());

    // No frame of the old file may turn up afterwards.
    QTest::qWait(400);
    const QImage shot = m_window->grab().toImage();
    QCOMPARE(litShare(shot, shot.rect()), 0.0);
    QVERIFY(!m_window->hasFrame());
}

void TestPlayback::renderReplacesTheLoadedFile()
{
    m_graph->RenderFile(m_clip);
    m_graph->Play();
    QTRY_VERIFY_WITH_TIMEOUT(positionMs(*m_graph) >= 500, 5000);

    QCOMPARE(m_graph->RenderFile(m_other), int(media::result::Ok));
    QCOMPARE(m_graph->FileName(), m_other);
    QVERIFY(!m_graph->IsRunning());
    QCOMPARE(m_graph->Duration() / 1000, qint64(3));
    QVERIFY(positionMs(*m_graph) < 300);
    m_graph->Play();
    QTRY_VERIFY_WITH_TIMEOUT(m_window->hasFrame() && positionMs(*m_graph) >= 300, 5000);
}

void TestPlayback::badFileLeavesTheGraphEmpty()
{
    m_graph->RenderFile(m_clip);
    m_graph->Play();
    QTRY_VERIFY_WITH_TIMEOUT(m_window->hasFrame(), 5000);

    const QString empty = m_dir.filePath("empty.mov");
    QVERIFY(mediatest::writeBytes(empty, {}));
    QVERIFY_THROWS_EXCEPTION(EDirectShowException, m_graph->RenderFile(empty));
    QVERIFY(m_graph->Active());
    QVERIFY(!m_graph->IsRunning());
    QCOMPARE(m_graph->FileName(), QString());
    QVERIFY_THROWS_EXCEPTION(EDirectShowException, m_graph->Play());
    QTest::qWait(300);
    const QImage shot = m_window->grab().toImage();
    QCOMPARE(litShare(shot, shot.rect()), 0.0);
}

void TestPlayback::partialRenderIsReported()
{
    const QString file = mediatest::makeUnknownVideoCodecAvi(m_dir.path(), "unknown-video.avi", true);
    QVERIFY(!file.isEmpty());
    QCOMPARE(quint32(m_graph->RenderFile(file)), media::result::PartialRender);
    QCOMPARE(m_graph->FileName(), file);
}

void TestPlayback::refusesToPlayWithoutAFile()
{
    QVERIFY_THROWS_EXCEPTION(EDirectShowException, m_graph->Play());
    QVERIFY_THROWS_EXCEPTION(EDirectShowException, m_graph->Pause());
    QVERIFY_THROWS_EXCEPTION(EDirectShowException, m_graph->SetCurrentPosition(0));
    QVERIFY(!m_graph->IsRunning());
    m_graph->Stop(); // stopping an empty graph is harmless

    TFilterGraph inactive;
    inactive.SetVideoWindow(m_window.get());
    QVERIFY_THROWS_EXCEPTION(EDirectShowException, inactive.RenderFile(m_clip));
    QVERIFY_THROWS_EXCEPTION(EDirectShowException, inactive.Play());
    QVERIFY_THROWS_EXCEPTION(EDirectShowException, inactive.Stop());
}

void TestPlayback::soundOnlyFileAdvances()
{
    QCOMPARE(m_graph->RenderFile(m_sound), int(media::result::Ok));
    const qint64 duration = m_graph->Duration();
    QCOMPARE(duration / 1000, qint64(3));
    m_graph->Play();
    QTRY_VERIFY_WITH_TIMEOUT(positionMs(*m_graph) >= 700, 5000);
    m_graph->Pause();
    const qint64 held = positionMs(*m_graph);
    QTest::qWait(500);
    QVERIFY(qAbs(positionMs(*m_graph) - held) <= 50);
    m_graph->Play();
    QTRY_VERIFY_WITH_TIMEOUT(m_graph->AtEndOfMedia(), 6000);
    QVERIFY(m_graph->IsRunning());
    QCOMPARE(m_graph->CurrentPosition(), duration * Tick);
    QVERIFY(!m_window->hasFrame());
}

void TestPlayback::trackBarTicksOnceASecondWhileRunning()
{
    TDSTrackBar trackBar;
    QCOMPARE(trackBar.TimerInterval(), 1000);
    trackBar.SetFilterGraph(m_graph.get());
    QSignalSpy ticks(&trackBar, &TDSTrackBar::OnTimer);

    m_graph->RenderFile(m_clip);
    QTest::qWait(1200);
    QCOMPARE(ticks.count(), 0); // loaded, not running

    m_graph->Play();
    QTest::qWait(3400);
    m_graph->Pause();
    QVERIFY2(ticks.count() >= 2 && ticks.count() <= 4, qPrintable(QString::number(ticks.count())));
    quint32 previous = 0;
    for (const QList<QVariant> &tick : std::as_const(ticks)) {
        const quint32 current = tick.at(0).toUInt();
        QCOMPARE(tick.at(1).toUInt(), quint32(6000));
        QVERIFY(current >= previous);
        previous = current;
    }
    QVERIFY(previous >= 1000);

    const int whilePlaying = ticks.count();
    QTest::qWait(2500);
    QCOMPARE(ticks.count(), whilePlaying);

    // At the end the graph still runs, and the tick says so: position = stop.
    m_graph->Play();
    m_graph->SetCurrentPosition(5500 * Tick);
    QTRY_VERIFY_WITH_TIMEOUT(!ticks.isEmpty() && ticks.last().at(0).toUInt() >= ticks.last().at(1).toUInt(), 5000);
    QVERIFY(m_graph->IsRunning());
}

void TestPlayback::windowMayGoFirst()
{
    m_graph->RenderFile(m_clip);
    m_graph->Play();
    QTRY_VERIFY_WITH_TIMEOUT(m_window->hasFrame(), 5000);
    m_window.reset();
    QCOMPARE(m_graph->VideoWindow(), nullptr);
    QVERIFY(!m_graph->IsRunning());
    QCOMPARE(m_graph->FileName(), QString());
    // Without a window the graph still measures.
    QCOMPARE(m_graph->RenderFile(m_other), int(media::result::Ok));
    QCOMPARE(m_graph->Duration() / 1000, qint64(3));
    QTest::qWait(300);
}

void TestPlayback::graphMayGoFirst()
{
    m_graph->RenderFile(m_clip);
    m_graph->Play();
    QTRY_VERIFY_WITH_TIMEOUT(m_window->hasFrame(), 5000);
    m_graph.reset(); // frames still on their way are dropped
    QCOMPARE(m_window->frameSource(), nullptr);
    QTest::qWait(300);
    m_window->clearFrame();
    const QImage shot = m_window->grab().toImage();
    QCOMPARE(litShare(shot, shot.rect()), 0.0);
}

QTEST_MAIN(TestPlayback)
#include "tst_playback.moc"
