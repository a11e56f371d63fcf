// The video window on its own: letterboxing, frames from another thread,
// unloading, the aspect hint and the pointer that hides itself.

#include "media/Letterbox.h"
#include "media/VideoWindow.h"

#include <QImage>
#include <QLabel>
#include <QTest>
#include <QThread>
#include <QVideoFrame>
#include <QVideoFrameFormat>
#include <QVideoSink>

#include <cstring>

namespace {

QVideoFrame frameOf(const QImage &image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    QVideoFrame frame(
        QVideoFrameFormat(argb.size(), QVideoFrameFormat::pixelFormatFromImageFormat(QImage::Format_ARGB32)));
    if (!frame.map(QVideoFrame::WriteOnly))
        return {};
    for (int y = 0; y < argb.height(); ++y)
        std::memcpy(frame.bits(0) + y * frame.bytesPerLine(0), argb.constScanLine(y), size_t(argb.width()) * 4);
    frame.unmap();
    return frame;
}

QImage solid(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

// Delivers the frame from a thread of its own, as the player's render thread does.
void deliverFromThread(QVideoSink *sink, const QVideoFrame &frame)
{
    QThread *thread = QThread::create([sink, frame] { sink->setVideoFrame(frame); });
    thread->start();
    thread->wait();
    delete thread;
}

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
    void paintsSinkFramesLetterboxed();
    void aspectHintWidensThePicture();
    void clearFrameBlanksTheWindow();
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
    QVERIFY(window.videoSink());
    QVERIFY(!window.hasFrame());
    QVERIFY(allBlack(window.grab().toImage()));
    QVERIFY(!window.hasFrame());
}

void TestVideoWindow::paintsSinkFramesLetterboxed()
{
    TDSVideoWindowEx2 window;
    deliverFromThread(window.videoSink(), frameOf(solid({320, 240}, Qt::red)));
    const QImage shot = window.grab().toImage();
    QVERIFY(window.hasFrame());
    // 4:3 in 257 x 155: the picture spans x 25..230, black bars either side.
    QVERIFY(isBlack(shot.pixel(10, 77)));
    QVERIFY(isBlack(shot.pixel(245, 77)));
    QVERIFY(isRed(shot.pixel(30, 2)));
    QVERIFY(isRed(shot.pixel(128, 77)));
    QVERIFY(isRed(shot.pixel(225, 150)));
}

void TestVideoWindow::aspectHintWidensThePicture()
{
    // A 4:3 frame whose pixels are wide (anamorphic 16:9) fills the width.
    TDSVideoWindowEx2 window;
    window.setAspectHint(QSize(427, 240));
    deliverFromThread(window.videoSink(), frameOf(solid({320, 240}, Qt::red)));
    const QImage shot = window.grab().toImage();
    QVERIFY(isRed(shot.pixel(3, 77)));
    QVERIFY(isRed(shot.pixel(253, 77)));
    QVERIFY(isBlack(shot.pixel(128, 1)));
    QVERIFY(isBlack(shot.pixel(128, 153)));
}

void TestVideoWindow::clearFrameBlanksTheWindow()
{
    TDSVideoWindowEx2 window;
    deliverFromThread(window.videoSink(), frameOf(solid({320, 240}, Qt::red)));
    QVERIFY(!allBlack(window.grab().toImage()));
    window.clearFrame();
    QVERIFY(!window.hasFrame());
    QVERIFY(allBlack(window.grab().toImage()));
    QVERIFY(!window.hasFrame());
    // An invalid frame (the player stopping) also paints black.
    deliverFromThread(window.videoSink(), frameOf(solid({320, 240}, Qt::red)));
    deliverFromThread(window.videoSink(), QVideoFrame());
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

    QTest::mouseMove(&window, QPoint(100, 120));
    QTest::qWait(2000);
    QCOMPARE(window.cursor().shape(), Qt::ArrowCursor);
    QTRY_COMPARE_WITH_TIMEOUT(window.cursor().shape(), Qt::BlankCursor, 2500);

    QTest::mouseMove(&logo, QPoint(40, 40));
    QCOMPARE(window.cursor().shape(), Qt::ArrowCursor);
    QTest::qWait(2000);
    QTest::mouseMove(&window, QPoint(120, 130));
    QTest::qWait(2000);
    // Still shown: the last move restarted the three seconds.
    QCOMPARE(window.cursor().shape(), Qt::ArrowCursor);
    QTRY_COMPARE_WITH_TIMEOUT(window.cursor().shape(), Qt::BlankCursor, 2500);
}

QTEST_MAIN(TestVideoWindow)
#include "tst_videowindow.moc"
