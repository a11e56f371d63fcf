// Which picture a conversion takes, read from ffmpeg's listing of the input
// and the frames ffprobe counted: never a cover, the picture that moves, and
// a picture of few frames stretched over the cut. Also: which listings show a
// copy-protected stream. The listings are taken from real runs of Debian's
// ffmpeg 5.1.

#include "encoders/core/CopyProtection.h"
#include "encoders/core/FfmpegErrors.h"
#include "encoders/core/StreamChoice.h"

#include <QTest>

namespace {

using Extents = std::map<int, encoder::Extent>;

encoder::FfmpegLog logOf(const QByteArray &text)
{
    encoder::FfmpegLog log;
    log.feed(std::string_view(text.constData(), size_t(text.size())));
    return log;
}

QByteArray listingOf(const QByteArray &container, const QList<QByteArray> &streams)
{
    QByteArray text = "[info] Input #0, " + container +
                      ", from 'file:/m/x':\n"
                      "[info]   Duration: 00:00:01.80, start: 0.000000\n";
    for (qsizetype i = 0; i < streams.size(); ++i)
        text += "[info]   Stream #0:" + QByteArray::number(i) + "[0x" + QByteArray::number(i + 1) +
                "](und): " + streams.at(i) + "\n";
    return text + "[info] Stream mapping:\n";
}

const QByteArray mp4 = "mov,mp4,m4a,3gp,3g2,mj2";
const QByteArray moving = "Video: mpeg4 (Simple Profile) (mp4v / 0x7634706D), yuv420p, 320x240 [SAR 1:1 DAR 4:3], "
                          "370 kb/s, 30 fps, 30 tbr, 15360 tbn (default)";
const QByteArray otherMoving = "Video: mpeg4 (Simple Profile) (mp4v / 0x7634706D), yuv420p, 640x480, 30 fps";
const QByteArray still = "Video: mpeg4 (Simple Profile) (mp4v / 0x7634706D), yuv420p, 640x480 [SAR 1:1 DAR 4:3], "
                         "437 kb/s, 2 fps, 2 tbr, 16384 tbn (default)";
const QByteArray sound = "Audio: aac (LC) (mp4a / 0x6134706D), 44100 Hz, mono, fltp, 69 kb/s (default)";
const QByteArray otherSound = "Audio: aac (LC) (mp4a / 0x6134706D), 44100 Hz, mono, fltp, 69 kb/s";
const QByteArray mp4Cover = "Video: mjpeg (Baseline), yuvj444p(pc, bt470bg/unknown/unknown), 300x300 [SAR 1:1 DAR "
                            "1:1], 90k tbr, 90k tbn (attached pic)";
const QByteArray asfListing =
    "[info] Input #0, asf, from 'file:/m/cover.wma':\n"
    "[info]   Duration: 00:00:03.06, start: 0.000000, bitrate: 129 kb/s\n"
    "[info]   Stream #0:0: Video: mjpeg (Baseline), yuvj444p(pc, bt470bg/unknown/unknown), 8x14 [SAR 1:1 DAR 4:7], "
    "90k tbr, 90k tbn (attached pic)\n"
    "[info]   Stream #0:1: Audio: wmav2 (a[1][0][0] / 0x0161), 44100 Hz, mono, fltp, 128 kb/s\n"
    "[info] Stream mapping:\n";

// `count` frames `step` seconds apart from `first`.
encoder::Extent framesFrom(double first, int count, double step)
{
    encoder::Extent extent{first, first + count * step};
    for (int i = 0; i < count; ++i)
        extent.times.push_back(first + i * step);
    return extent;
}

} // namespace

Q_DECLARE_METATYPE(Extents)

class TestEncoderStreamChoice : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void ownChoice_data()
    {
        QTest::addColumn<QByteArray>("listing");
        QTest::addColumn<bool>("withVideo");
        QTest::addColumn<bool>("needed");
        QTest::newRow("cover beside sound, mp4") << listingOf(mp4, {sound, mp4Cover}) << true << true;
        QTest::newRow("cover beside sound, mp4, sound only") << listingOf(mp4, {sound, mp4Cover}) << false << false;
        QTest::newRow("cover beside sound, asf") << asfListing << true << true;
        QTest::newRow("cover beside a moving picture") << listingOf(mp4, {moving, sound, mp4Cover}) << true << true;
        QTest::newRow("motion photo") << listingOf(mp4, {moving, still, sound}) << true << true;
        QTest::newRow("motion photo, sound only") << listingOf(mp4, {moving, still, sound}) << false << false;
        QTest::newRow("one picture, one sound") << listingOf(mp4, {moving, sound}) << true << false;
        QTest::newRow("two sounds, sound only") << listingOf(mp4, {moving, sound, otherSound}) << false << true;
    }

    void ownChoice()
    {
        QFETCH(QByteArray, listing);
        QFETCH(bool, withVideo);
        QFETCH(bool, needed);
        const encoder::FfmpegLog log = logOf(listing);
        QVERIFY(log.input().complete());
        QCOMPARE(encoder::needsOwnStreamChoice(log.input(), withVideo), needed);
    }

    void chosenPicture_data()
    {
        QTest::addColumn<QByteArray>("listing");
        QTest::addColumn<Extents>("extents");
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("length"); // 0: to the end
        QTest::addColumn<int>("chosen");    // -1: none
        QTest::addColumn<double>("leadIn");
        QTest::addColumn<double>("hold");
        QTest::addColumn<bool>("earlier"); // the frame held lies before the cut
        const QByteArray motion = listingOf(mp4, {moving, still, sound});
        const QByteArray stillFirst = listingOf(mp4, {still, moving, sound});
        const Extents motionFrames{{0, framesFrom(0.0, 54, 1.0 / 30)}, {1, framesFrom(0.0, 2, 0.5)}, {2, {0.0, 1.8}}};
        const Extents stillFirstFrames{
            {0, framesFrom(0.0, 2, 0.5)}, {1, framesFrom(0.0, 54, 1.0 / 30)}, {2, {0.0, 1.8}}};

        QTest::newRow("cover beside sound, mp4")
            << listingOf(mp4, {sound, mp4Cover}) << Extents{{0, {0.0, 3.0}}} << 0.0 << 0.0 << -1 << 0.0 << 0.0 << false;
        QTest::newRow("cover beside sound, asf") << asfListing << Extents{} << 0.0 << 0.0 << -1 << 0.0 << 0.0 << false;
        QTest::newRow("cover beside a moving picture")
            << listingOf(mp4, {sound, mp4Cover, moving}) << Extents{} << 0.0 << 0.0 << 2 << 0.0 << 0.0 << false;

        // Both pictures are marked default; the larger one is the still.
        QTest::newRow("motion photo") << motion << motionFrames << 0.0 << 0.0 << 0 << 0.0 << 0.0 << false;
        QTest::newRow("motion photo, still listed first")
            << stillFirst << stillFirstFrames << 0.0 << 0.0 << 1 << 0.0 << 0.0 << false;
        QTest::newRow("motion photo, cut") << stillFirst << stillFirstFrames << 0.5 << 1.0 << 1 << 0.0 << 0.0 << false;
        QTest::newRow("motion photo, nothing measured")
            << stillFirst << Extents{} << 0.0 << 0.0 << 0 << 0.0 << 0.0 << false;

        // Only stream 0 is marked default.
        const QByteArray twoMoving = listingOf(mp4, {moving, otherMoving, sound});
        QTest::newRow("default moves about as much")
            << twoMoving << Extents{{0, framesFrom(0.0, 30, 0.04)}, {1, framesFrom(0.0, 50, 0.024)}} << 0.0 << 0.0 << 0
            << 0.0 << 0.0 << false;
        QTest::newRow("the other moves far more")
            << twoMoving << Extents{{0, framesFrom(0.0, 10, 0.12)}, {1, framesFrom(0.0, 50, 0.024)}} << 0.0 << 0.0 << 1
            << 0.0 << 0.0 << false;
        const Extents oneAfterTheOther{{0, framesFrom(0.0, 30, 1.0 / 30)}, {1, framesFrom(1.0, 60, 1.0 / 30)}};
        QTest::newRow("frames counted within the cut, first")
            << twoMoving << oneAfterTheOther << 0.0 << 1.0 << 0 << 0.0 << 0.0 << false;
        QTest::newRow("frames counted within the cut, second")
            << twoMoving << oneAfterTheOther << 1.0 << 2.0 << 1 << 0.0 << 0.0 << false;

        // One frame of 8 ms beside a longer sound: it stands for the whole cut.
        const QByteArray oneFrame = listingOf(mp4, {moving, sound});
        QTest::newRow("one frame at the start") << oneFrame << Extents{{0, {0.056, 0.064, {0.056}}}, {1, {0.0, 1.0}}}
                                                << 0.0 << 0.0 << 0 << 0.0 << 0.936 << false;
        QTest::newRow("one frame, late") << oneFrame << Extents{{0, {0.5, 0.508, {0.5}}}, {1, {0.0, 2.0}}} << 0.0 << 0.0
                                         << 0 << 0.5 << 1.492 << false;
        QTest::newRow("one frame, late, cut short") << oneFrame << Extents{{0, {0.5, 0.508, {0.5}}}, {1, {0.0, 2.0}}}
                                                    << 0.0 << 1.0 << 0 << 0.5 << 0.492 << false;
        QTest::newRow("one frame before the cut") << oneFrame << Extents{{0, {0.056, 0.064, {0.056}}}, {1, {0.0, 1.0}}}
                                                  << 0.5 << 0.5 << 0 << 0.0 << 0.936 << true;
        QTest::newRow("picture and sound end together")
            << oneFrame << Extents{{0, framesFrom(0.0, 45, 1.0 / 15)}, {1, {0.0, 3.05}}} << 0.0 << 0.0 << 0 << 0.0
            << 0.0 << false;
    }

    void chosenPicture()
    {
        QFETCH(QByteArray, listing);
        QFETCH(Extents, extents);
        QFETCH(double, start);
        QFETCH(double, length);
        QFETCH(int, chosen);
        QFETCH(double, leadIn);
        QFETCH(double, hold);
        QFETCH(bool, earlier);
        const encoder::FfmpegLog log = logOf(listing);
        const encoder::CutSpan cut{start, length > 0 ? std::optional<double>(length) : std::nullopt};
        const std::optional<encoder::VideoSource> video = encoder::chooseVideo(log.input(), extents, cut);
        QCOMPARE(video ? video->stream : -1, chosen);
        if (!video)
            return;
        QVERIFY2(qAbs(video->leadIn - leadIn) < 1e-9, qPrintable(QString::number(video->leadIn)));
        QVERIFY2(qAbs(video->hold - hold) < 1e-9, qPrintable(QString::number(video->hold)));
        QCOMPARE(video->holdsEarlierFrame, earlier);
    }

    void copyProtection_data()
    {
        QTest::addColumn<QByteArray>("listing");
        QTest::addColumn<bool>("protectedSource");
        QTest::newRow("store video")
            << listingOf(mp4, {"Video: none (drmi / 0x696D7264), none, 160x120, 26 kb/s, SAR 1:1 DAR 4:3, 15 fps, 15 "
                               "tbr, 15360 tbn (default)",
                               "Audio: aac (LC) (drms / 0x736D7264), 44100 Hz, mono, fltp, 69 kb/s (default)"})
            << true;
        QTest::newRow("store sound")
            << listingOf(mp4, {"Audio: aac (LC) (drms / 0x736D7264), 44100 Hz, stereo, fltp, 256 kb/s (default)"})
            << true;
        QTest::newRow("common encryption")
            << listingOf(mp4, {"Video: none (encv / 0x76636E65), none, 160x120, 26 kb/s, 15 fps (default)", sound})
            << true;
        QTest::newRow("plain") << listingOf(mp4, {moving, sound, mp4Cover}) << false;
        QTest::newRow("tag of brackets") << listingOf("avi", {"Audio: none ([255][0][0][0] / 0x00FF), 0 channels"})
                                         << false;
    }

    void copyProtection()
    {
        QFETCH(QByteArray, listing);
        QFETCH(bool, protectedSource);
        QCOMPARE(encoder::isCopyProtected(logOf(listing).input()), protectedSource);
    }
};

QTEST_GUILESS_MAIN(TestEncoderStreamChoice)
#include "tst_enc_streamchoice.moc"
