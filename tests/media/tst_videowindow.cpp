// The video window on its own: letterboxing, pictures asked for at the
// letterboxed size, unloading, the aspect hint and the pointer that hides
// itself.

#include "media/Letterbox.h"
#include "media/VideoFrameSource.h"
#include "media/VideoWindow.h"

#include <QImage>
#include <QLabel>
#include <QTest>
#include <QWindow>

namespace {

// Draws a solid picture at whatever size the window asks for, when told to,
// as the engine's output does when a frame arrives.
class SolidSource : public TVideoFrameSource {
public:
    QList<QSize> asked;

    void setTargetSize(const QSize &size) override
    {
        asked.append(size);
        m_size = size;
    }
    QImage currentPicture() const override { return m_picture; }
    QSize displaySize() const override { return m_display; }

    void setDisplaySize(QSize size)
    {
        m_display = size;
        Q_EMIT displaySizeChanged();
    }

    void deliver(QColor colour)
    {
        m_picture = QImage(m_size, QImage::Format_RGB32);
        m_picture.fill(colour);
        Q_EMIT pictureChanged();
    }
    void forget()
    {
        m_picture = QImage();
        Q_EMIT pictureChanged();
    }

private:
    QSize m_size;
    QSize m_display;
    QImage m_picture;
};

bool isBlack(QRgb pixel)
{
    return qRed(pixel) < 16 && qGreen(pixel) < 16 && qBlue(pixel) < 16;
}

bool isRed(QRgb pixel)
{
    return qRed(pixel) > 200 && qGreen(pixel) < 60 && qBlue(pixel) < 60;
}

bool allBlack(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (!isBlack(image.pixel(x, y)))
                return false;
    return true;
}

} // namespace

class TestVideoWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void letterboxRect_data();
    void letterboxRect();

    void startsBlackAt257x155();
    void paintsPicturesLetterboxed();
    void aspectHintWidensThePicture();
    void resizeAsksForANewSize();
    void clearFrameBlanksTheWindow();
    void sourceMayGoFirst();
    void pointerHidesAfterThreeSecondsWithoutMovement();
};

void TestVideoWindow::letterboxRect_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QSize>("area");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("4:3 in the default window: bars left and right")
        << QSize(320, 240) << QSize(257, 155) << QRect(25, 0, 206, 155);
    QTest::newRow("16:9 in the default window: bars above and below")
        << QSize(1280, 720) << QSize(257, 155) << QRect(0, 5, 257, 144);
    QTest::newRow("same aspect fills") << QSize(160, 90) << QSize(320, 180) << QRect(0, 0, 320, 180);
    QTest::newRow("small picture is enlarged") << QSize(32, 24) << QSize(400, 400) << QRect(0, 50, 400, 300);
    QTest::newRow("empty picture") << QSize(0, 0) << QSize(257, 155) << QRect();
    QTest::newRow("empty area") << QSize(320, 240) << QSize(0, 155) << QRect();
}

void TestVideoWindow::letterboxRect()
{
    QFETCH(QSize, picture);
    QFETCH(QSize, area);
    QFETCH(QRect, expected);
    QCOMPARE(media::LetterboxRect(picture, area), expected);
}

void TestVideoWindow::startsBlackAt257x155()
{
    TDSVideoWindowEx2 window;
    QCOMPARE(window.size(), QSize(257, 155));
    QVERIFY(!window.hasFrame());
    QVERIFY(allBlack(window.grab().toImage()));
    QVERIFY(!window.hasFrame());
    SolidSource source;
    window.setFrameSource(&source);
    QVERIFY(allBlack(window.grab().toImage())); // a source without a picture yet
    QVERIFY(!window.hasFrame());
}

void TestVideoWindow::paintsPicturesLetterboxed()
{
    TDSVideoWindowEx2 window;
    SolidSource source;
    window.setFrameSource(&source);
    window.setAspectHint(QSize(320, 240));
    // 4:3 in 257 x 155: the picture is asked for at 206 x 155 and spans x 25..230.
    QCOMPARE(source.asked.last(), QSize(206, 155));
    QCOMPARE(window.pictureRect(), QRect(25, 0, 206, 155));
    source.deliver(Qt::red);
    const QImage shot = window.grab().toImage();
    QVERIFY(window.hasFrame());
    QVERIFY(isBlack(shot.pixel(10, 77)));
    QVERIFY(isBlack(shot.pixel(24, 77)));
    QVERIFY(isRed(shot.pixel(25, 2)));
    QVERIFY(isRed(shot.pixel(128, 77)));
    QVERIFY(isRed(shot.pixel(230, 154)));
    QVERIFY(isBlack(shot.pixel(231, 77)));
    QVERIFY(isBlack(shot.pixel(245, 77)));
}

void TestVideoWindow::aspectHintWidensThePicture()
{
    // A 4:3 frame whose pixels are wide (anamorphic 16:9) fills the width.
    TDSVideoWindowEx2 window;
    SolidSource source;
    window.setFrameSource(&source);
    window.setAspectHint(QSize(427, 240));
    QCOMPARE(source.asked.last(), QSize(257, 144));
    source.deliver(Qt::red);
    const QImage shot = window.grab().toImage();
    QVERIFY(isRed(shot.pixel(0, 77)));
    QVERIFY(isRed(shot.pixel(256, 77)));
    QVERIFY(isBlack(shot.pixel(128, 1)));
    QVERIFY(isBlack(shot.pixel(128, 153)));

    // Without a hint the video's own display size counts, and while that is
    // unknown the whole window is the source's to fill.
    window.setAspectHint(QSize());
    QCOMPARE(source.asked.last(), QSize(257, 155));
    source.setDisplaySize(QSize(320, 240));
    QCOMPARE(source.asked.last(), QSize(206, 155));
    QCOMPARE(window.pictureRect(), QRect(25, 0, 206, 155));
    window.setAspectHint(QSize(427, 240)); // the container's word comes first
    QCOMPARE(source.asked.last(), QSize(257, 144));
}

void TestVideoWindow::resizeAsksForANewSize()
{
    TDSVideoWindowEx2 window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    SolidSource source;
    window.setFrameSource(&source);
    window.setAspectHint(QSize(320, 240));
    source.deliver(Qt::red);
    window.resize(400, 400);
    QCOMPARE(source.asked.last(), QSize(400, 300));
    // Until the next picture the old one is stretched into the new place.
    QImage shot = window.grab().toImage();
    QVERIFY(isBlack(shot.pixel(200, 20)));
    QVERIFY(isRed(shot.pixel(200, 60)));
    QVERIFY(isRed(shot.pixel(399, 340)));
    source.deliver(Qt::red);
    QCOMPARE(source.currentPicture().size(), QSize(400, 300));
    shot = window.grab().toImage();
    QVERIFY(isRed(shot.pixel(0, 50)) && isRed(shot.pixel(399, 349)));
    QVERIFY(isBlack(shot.pixel(200, 49)) && isBlack(shot.pixel(200, 350)));
}

void TestVideoWindow::clearFrameBlanksTheWindow()
{
    TDSVideoWindowEx2 window;
    SolidSource source;
    window.setFrameSource(&source);
    window.setAspectHint(QSize(320, 240));
    source.deliver(Qt::red);
    QVERIFY(!allBlack(window.grab().toImage()));
    window.clearFrame();
    QVERIFY(!window.hasFrame());
    QVERIFY(allBlack(window.grab().toImage()));
    QVERIFY(!window.hasFrame());
    QCOMPARE(source.asked.last(), QSize(257, 155)); // the hint went with the file
    // A source that lets go of its picture (the file was unloaded) also paints black.
    source.deliver(Qt::red);
    QVERIFY(!allBlack(window.grab().toImage()));
    source.forget();
    QVERIFY(allBlack(window.grab().toImage()));
}

void TestVideoWindow::sourceMayGoFirst()
{
    TDSVideoWindowEx2 window;
    {
        SolidSource source;
        window.setFrameSource(&source);
        source.deliver(Qt::red);
        QVERIFY(!allBlack(window.grab().toImage()));
    }
    QCOMPARE(window.frameSource(), nullptr);
    window.setAspectHint(QSize(640, 480)); // nobody to ask
    window.clearFrame();
    QVERIFY(allBlack(window.grab().toImage()));
}

void TestVideoWindow::pointerHidesAfterThreeSecondsWithoutMovement()
{
    TDSVideoWindowEx2 window;
    // The logo panel lives over the window; moves over it count as well.
    QLabel logo(&window);
    logo.setGeometry(0, 0, 257, 77);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    // Moves go through the window, as the window system delivers them: the
    // widget overload moves the pointer itself, which Wayland does not allow.
    QWindow *surface = window.windowHandle();
    QTest::mouseMove(surface, QPoint(100, 120));
    QTest::qWait(2000);
    QCOMPARE(window.cursor().shape(), Qt::ArrowCursor);
    QTRY_COMPARE_WITH_TIMEOUT(window.cursor().shape(), Qt::BlankCursor, 2500);

    QTest::mouseMove(surface, logo.mapTo(&window, QPoint(40, 40)));
    QCOMPARE(window.cursor().shape(), Qt::ArrowCursor);
    QTest::qWait(2000);
    QTest::mouseMove(surface, QPoint(120, 130));
    QTest::qWait(2000);
    // Still shown: the last move restarted the three seconds.
    QCOMPARE(window.cursor().shape(), Qt::ArrowCursor);
    QTRY_COMPARE_WITH_TIMEOUT(window.cursor().shape(), Qt::BlankCursor, 2500);
}

QTEST_MAIN(TestVideoWindow)
#include "tst_videowindow.moc"
