// Reading what ffmpeg and ffprobe print: the input's stream listing, the
// sound to take from it, the streams' extents, and the plain reason for a
// failure. The texts are taken from real runs of Debian's ffmpeg 5.1.

#include "encoders/core/AudioChoice.h"
#include "encoders/core/AudioExtents.h"
#include "encoders/core/FfmpegErrors.h"
#include "encoders/core/InputListing.h"

#include <QTest>

using encoder::FfmpegLog;

namespace {

// Feeds the text in small pieces, as the pipe delivers it.
FfmpegLog logOf(const QByteArray &text)
{
    FfmpegLog log;
    for (qsizetype at = 0; at < text.size(); at += 7)
        log.feed(std::string_view(text.constData() + at, size_t(qMin<qsizetype>(7, text.size() - at))));
    return log;
}

const QByteArray twoSoundsListing = "[info] Input #0, matroska,webm, from 'file:/m/two.mkv':\n"
                                    "[info]   Metadata:\n"
                                    "[info]     title           :   Stream #0:7: Audio: amr_nb\n"
                                    "[info]   Duration: 00:00:04.74, start: 0.000000, bitrate: 386 kb/s\n"
                                    "[info]   Stream #0:0: Video: mpeg4 (Simple Profile), yuv420p(tv, progressive), "
                                    "320x240 [SAR 1:1 DAR 4:3], 25 fps, 25 tbr, 1k tbn\n"
                                    "[info]     Metadata:\n"
                                    "[info]       ENCODER         : Lavc59.37.100 mpeg4\n"
                                    "[info]   Stream #0:1: Audio: aac (LC), 44100 Hz, mono, fltp (default)\n"
                                    "[info]   Stream #0:2(eng): Audio: aac (LC), 44100 Hz, mono, fltp\n"
                                    "[info]   Stream #0:3: Video: mjpeg (Baseline), yuvj420p, 300x300, 90k tbn "
                                    "(attached pic)\n";
const QByteArray mappingAndOutput = "[info] Stream mapping:\n"
                                    "[info]   Stream #0:1 -> #0:0 (aac (native) -> mp3 (libmp3lame))\n"
                                    "[info] Output #0, mp3, to 'file:/proc/self/fd/4':\n"
                                    "[info]   Stream #0:0: Audio: mp3, 44100 Hz, mono, fltp (default)\n";

QByteArray listingOf(const QByteArray &container, const QList<QByteArray> &streams)
{
    QByteArray text = "[info] Input #0, " + container + ", from 'file:/m/x':\n";
    for (qsizetype i = 0; i < streams.size(); ++i)
        text += "[info]   Stream #0:" + QByteArray::number(i) + "[0x" + QByteArray::number(i + 1) +
                "](und): " + streams.at(i) + "\n";
    return text + "[info] Stream mapping:\n";
}

const QByteArray mp4 = "mov,mp4,m4a,3gp,3g2,mj2";
const QByteArray video = "Video: mpeg4 (Simple Profile) (mp4v / 0x7634706D), yuv420p, 176x144, 15 fps (default)";
const QByteArray amr = "Audio: amr_nb (samr / 0x726D6173), 8000 Hz, mono, fltp, 12 kb/s (default)";
const QByteArray aac = "Audio: aac (LC) (mp4a / 0x6134706D), 44100 Hz, mono, fltp, 69 kb/s";

} // namespace

using Extents = std::map<int, encoder::Extent>;
Q_DECLARE_METATYPE(Extents)

class TestEncoderFfmpegLog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Stream lines of the first input only; metadata that looks like one and
    // the output's streams are not streams; complete once mapping begins.
    void listing()
    {
        FfmpegLog log = logOf(twoSoundsListing);
        QVERIFY(!log.input().complete());
        log = logOf(twoSoundsListing + mappingAndOutput);
        const encoder::InputListing &input = log.input();
        QVERIFY(input.complete());
        QCOMPARE(input.container(), std::string("matroska,webm"));
        QCOMPARE(input.streams().size(), size_t(4));
        QCOMPARE(input.streams()[0].codec, std::string("mpeg4"));
        QVERIFY(input.streams()[0].kind == encoder::StreamKind::Video);
        QVERIFY(input.streams()[1].isDefault && !input.streams()[2].isDefault);
        QCOMPARE(input.streams()[2].index, 2);
        QVERIFY(input.streams()[3].attachedPicture);
        QCOMPARE(input.audioStreams().size(), size_t(2));
        QVERIFY(log.lastError().empty());
    }

    // The header's duration; one a metadata line or a later input holds is
    // not the first input's.
    void duration_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<double>("seconds"); // -1: unknown
        const QByteArray head = "[info] Input #0, mpeg, from 'file:/m/x.vob':\n";
        const QByteArray stream = "[info]   Stream #0:0[0x1e0]: Video: mpeg2video (Main), yuv420p, 720x576, 25 fps\n";
        QTest::newRow("listed") << twoSoundsListing + mappingAndOutput << 4.74;
        QTest::newRow("hours") << head + "[info]   Duration: 02:01:03.25, start: 0.280000, bitrate: 5 kb/s\n" + stream
                               << 7263.25;
        QTest::newRow("not known") << head + "[info]   Duration: N/A, start: 0.000000, bitrate: N/A\n" + stream << -1.0;
        QTest::newRow("in metadata only")
            << head + "[info]   Metadata:\n[info]     Duration        : 00:00:09.00\n" + stream << -1.0;
        QTest::newRow("of a second input")
            << head + stream +
                   "[info] Input #1, wav, from 'file:/m/y.wav':\n[info]   Duration: 00:00:09.00, bitrate: 1 kb/s\n"
            << -1.0;
        QTest::newRow("minutes out of range")
            << head + "[info]   Duration: 00:75:00.00, start: 0.000000\n" + stream << -1.0;
    }

    void duration()
    {
        QFETCH(QByteArray, text);
        QFETCH(double, seconds);
        const std::optional<double> duration = logOf(text).input().duration();
        QCOMPARE(duration.value_or(-1.0), seconds);
    }

    void ownAudioChoice_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("needed");
        QTest::newRow("one sound") << listingOf(mp4, {video, aac}) << false;
        QTest::newRow("no sound") << listingOf(mp4, {video}) << false;
        QTest::newRow("AMR in 3gp") << listingOf(mp4, {video, amr}) << true;
        QTest::newRow("AMR-WB in 3gp") << listingOf(mp4, {"Audio: amr_wb (sawb / 0x62776173), 16000 Hz, mono"}) << true;
        QTest::newRow("raw AMR") << listingOf("amr", {"Audio: amr_nb, 8000 Hz, mono, flt, 12 kb/s"}) << false;
        QTest::newRow("two sounds") << twoSoundsListing + mappingAndOutput << true;
        QTest::newRow("a sound without codec beside one")
            << listingOf("avi", {video, "Audio: none ([255][0][0][0] / 0x00FF), 0 channels", aac}) << false;
        QTest::newRow("listing not ended") << twoSoundsListing << false;
    }

    void ownAudioChoice()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, needed);
        const FfmpegLog log = logOf(text);
        QCOMPARE(log.input().complete() && encoder::needsOwnAudioChoice(log.input()), needed);
    }

    // Streams 1 (default) and 2 of the two-sounds listing.
    void chosenSound_data()
    {
        QTest::addColumn<Extents>("extents");
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("length"); // 0: to the end
        QTest::addColumn<QList<int>>("excluded");
        QTest::addColumn<int>("chosen"); // -1: none
        const Extents shortDefault{{1, {0.0, 0.16}}, {2, {0.0, 4.7}}};
        QTest::newRow("short default") << shortDefault << 0.0 << 0.0 << QList<int>{} << 2;
        QTest::newRow("short default, cut inside it") << shortDefault << 0.0 << 0.1 << QList<int>{} << 1;
        QTest::newRow("short default, cut after it") << shortDefault << 3.0 << 1.0 << QList<int>{} << 2;
        QTest::newRow("default a little shorter")
            << Extents{{1, {0.0, 4.4}}, {2, {0.0, 4.7}}} << 0.0 << 0.0 << QList<int>{} << 1;
        QTest::newRow("default starting late")
            << Extents{{1, {3.0, 4.7}}, {2, {0.0, 4.7}}} << 0.0 << 0.0 << QList<int>{} << 2;
        QTest::newRow("nothing measured") << Extents{} << 0.0 << 0.0 << QList<int>{} << 1;
        QTest::newRow("default undecodable") << Extents{} << 0.0 << 0.0 << QList<int>{1} << 2;
        QTest::newRow("none decodable") << shortDefault << 0.0 << 0.0 << QList<int>{1, 2} << -1;
    }

    void chosenSound()
    {
        QFETCH(Extents, extents);
        QFETCH(double, start);
        QFETCH(double, length);
        QFETCH(QList<int>, excluded);
        QFETCH(int, chosen);
        const FfmpegLog log = logOf(twoSoundsListing + mappingAndOutput);
        const encoder::CutSpan cut{start, length > 0 ? std::optional<double>(length) : std::nullopt};
        const auto audio =
            encoder::chooseAudio(log.input(), extents, cut, std::vector<int>(excluded.begin(), excluded.end()));
        QCOMPARE(audio ? audio->stream : -1, chosen);
        QVERIFY(!audio || !audio->rawAmr);
    }

    void chosenAmrIsReadRaw()
    {
        const auto audio = encoder::chooseAudio(logOf(listingOf(mp4, {video, amr})).input(), {}, {}, {});
        QVERIFY(audio && audio->stream == 1 && audio->rawAmr);
    }

    // Times count from the input's start; a packet without pts has its dts.
    void extents()
    {
        encoder::ExtentReader reader;
        const QByteArray text = "packet|stream_index=1|pts_time=1.377000|dts_time=1.377000|duration_time=0.023220|\n"
                                "side_data|\n\n"
                                "packet|stream_index=2|pts_time=N/A|dts_time=1.400000|duration_time=0.100000\n"
                                "packet|stream_index=1|pts_time=1.400220|dts_time=1.400220|duration_time=N/A\n"
                                "packet|stream_index=2|pts_time=6.000000|dts_time=6.000000|duration_time=0.100000\n"
                                "packet|stream_index=3|pts_time=N/A|dts_time=N/A|duration_time=0.100000\n"
                                "format|start_time=1.400000\n";
        reader.feed(std::string_view(text.constData(), size_t(text.size())));
        const Extents extents = reader.extents();
        QCOMPARE(extents.size(), size_t(2));
        QVERIFY(qAbs(extents.at(1).first + 0.023) < 1e-9 && qAbs(extents.at(1).end - 0.00022) < 1e-9);
        QVERIFY(qAbs(extents.at(2).first) < 1e-9 && qAbs(extents.at(2).end - 4.7) < 1e-9);
        // Every packet's time is kept, for counting a picture's frames.
        QCOMPARE(extents.at(2).times.size(), size_t(2));
        QVERIFY(qAbs(extents.at(2).times.front()) < 1e-9 && qAbs(extents.at(2).times.back() - 4.6) < 1e-9);
    }

    void failureReasons_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("reason");
        // A full disk where only the last writes failed: ffmpeg ended with 0.
        QTest::newRow("disk full at the end")
            << QByteArray("[error] Error writing trailer of file:/proc/self/fd/4: No space left on device\n"
                          "[error] Error closing file file:/proc/self/fd/4: No space left on device\n")
            << 0 << "No space left on device";
        QTest::newRow("disk full midway")
            << QByteArray("[error] av_interleaved_write_frame(): No space left on device\n"
                          "[error] Error writing trailer of file:/out/a b: c.mp4: No space left on device\n"
                          "[error] Error closing file file:/out/a b: c.mp4: No space left on device\n")
            << 1 << "No space left on device";
        QTest::newRow("file size limit") << QByteArray("[error] Error closing file file:/x.aac: File too large\n") << 0
                                         << "File too large";
        QTest::newRow("sound that cannot be decoded")
            << listingOf(mp4, {"Audio: aac (mp4a / 0x6134706D), 44100 Hz, stereo, fltp, 127 kb/s (default)"}) +
                   "[aac @ 0x5] [warning] Audio object type 42 is not implemented.\n"
                   "[error] Error while opening decoder for input stream #0:0 : Function not implemented\n"
            << 1 << "the sound of \"/m/in.mp4\" is in a form this computer cannot decode";
        QTest::newRow("picture that cannot be decoded")
            << listingOf(mp4, {video, aac}) +
                   "[error] Error while opening decoder for input stream #0:0 : Invalid data found when processing "
                   "input\n"
            << 1 << "the picture of \"/m/in.mp4\" is in a form this computer cannot decode";
        QTest::newRow("copy-protected")
            << listingOf(mp4, {"Video: none (drmi / 0x696D7264), none, 160x120, 26 kb/s, 15 fps (default)", aac}) +
                   "[error] Decoder (codec none) not found for input stream #0:0\n"
            << 1 << "\"/m/in.mp4\" is copy-protected and cannot be converted";
        QTest::newRow("copy-protected asf")
            << "[asf @ 0x55] [warning] DRM protected stream detected, decoding will likely fail!\n" +
                   listingOf("asf", {"Video: wmv2 (WMV2 / 0x32564D57), yuv420p, 160x120, 15 fps", aac}) +
                   "[error] Error while decoding stream #0:0: Invalid data found when processing input\n"
            << 1 << "\"/m/in.mp4\" is copy-protected and cannot be converted";
        QTest::newRow("index missing") << QByteArray(
                                              "[mov,mp4,m4a,3gp,3g2,mj2 @ 0x55] [error] moov atom not found\n"
                                              "[error] file:/m/in.mp4: Invalid data found when processing input\n")
                                       << 1 << "the source file \"/m/in.mp4\" is damaged or incomplete";
        QTest::newRow("nothing decodes")
            << QByteArray("[aac @ 0x55] [error] channel element 0.0 is not allocated\n"
                          "[error] Error while decoding stream #0:1: Invalid data found when processing input\n"
                          "[fatal] Cannot determine format of input stream 0:1 after EOF\n"
                          "[fatal] Error marking filters as finished\n")
            << 1 << "the source file \"/m/in.mp4\" is damaged or incomplete";
        QTest::newRow("not media") << QByteArray("[error] file:/m/in.mp4: Invalid data found when processing input\n")
                                   << 1 << "\"/m/in.mp4\" is not a media file that can be converted";
        QTest::newRow("something else") << QByteArray("[warning] a warning\n[error] [mp4 @ 0x5] something odd\n") << 1
                                        << "ffmpeg failed: [mp4 @ 0x5] something odd";
        QTest::newRow("silent") << QByteArray("[warning] a warning\n") << 9 << "ffmpeg failed with exit code 9";
    }

    // A read that failed ends ffmpeg's input as the end of the file does,
    // with success: only its log tells the two apart.
    void readFailures_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("line"); // empty: no read failed
        QTest::newRow("disk gone bad") << QByteArray(
                                              "[mpeg @ 0x55] [warning] Packet corrupt (stream = 1, dts = 872827).\n"
                                              "[error] file:/m/in: 2.mpg: Input/output error\n"
                                              "[warning] file:/m/in: 2.mpg: corrupt decoded frame in stream 0\n"
                                              "[error] file:/m/in: 2.mpg: Input/output error\n")
                                       << 3727.9 << "reading the source failed at 01:02:07: Input/output error";
        QTest::newRow("device removed") << QByteArray("[error] file:/m/in.mpg: No such device or address\n") << 7.2
                                        << "reading the source failed at 00:00:07: No such device or address";
        QTest::newRow("output's disk gone bad")
            << QByteArray("[error] av_interleaved_write_frame(): Input/output error\n"
                          "[error] Error closing file file:/proc/self/fd/4: Input/output error\n")
            << 7.2 << "";
        QTest::newRow("file cut off") << QByteArray("[mov,mp4,m4a,3gp,3g2,mj2 @ 0x55] [error] stream 1, offset "
                                                    "0x73199: partial file\n")
                                      << 7.2 << "";
        QTest::newRow("not media") << QByteArray("[error] file:/m/in.mp4: Invalid data found when processing input\n")
                                   << 0.0 << "";
    }

    void readFailures()
    {
        QFETCH(QByteArray, text);
        QFETCH(double, seconds);
        QFETCH(QString, line);
        const encoder::FfmpegLog log = logOf(text);
        const std::string seen = log.readFailure().empty() ? std::string() : encoder::describeReadFailure(log, seconds);
        QCOMPARE(QString::fromStdString(seen), line);
    }

    void failureReasons()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, exitCode);
        QFETCH(QString, reason);
        QCOMPARE(QString::fromStdString(encoder::describeFailure(logOf(text), "/m/in.mp4", exitCode)), reason);
    }
};

QTEST_GUILESS_MAIN(TestEncoderFfmpegLog)
#include "tst_enc_ffmpeglog.moc"
