// Status lines built from ffmpeg's "-progress" reports, read back the way the
// progress window reads them.

#include "ProgressRule.h"
#include "encoders/core/ProgressReport.h"

#include <QTest>

using encoder::ProgressFigures;
using encoder::ProgressReader;
using encodertest::windowSeconds;

namespace {

QByteArray block(const QByteArray &frame, const QByteArray &outTimeUs, const QByteArray &state = "continue")
{
    return "frame=" + frame + "\nfps=0.00\nstream_0_0_q=3.5\nstream_1_0_q=9.0\nbitrate=N/A\ntotal_size=20480\n" +
           "out_time_us=" + outTimeUs + "\nout_time_ms=" + outTimeUs + "\nout_time=00:00:00.000000\n" +
           "dup_frames=0\ndrop_frames=0\nspeed=N/A\nprogress=" + state + "\n";
}

QString lineFor(const ProgressFigures &figures, bool video)
{
    return QString::fromStdString(encoder::statusLine(figures, video));
}

} // namespace

class TestEncoderProgress : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void layouts()
    {
        ProgressFigures figures;
        figures.frame = 187;
        figures.quality = 2.5;
        figures.totalBytes = 411 * 1024;
        figures.outputSeconds = 12.48;
        QCOMPARE(lineFor(figures, true),
                 QString("frame=  187 q=2.5 size=     411kB time=12.48 bitrate= 269.8kbits/s\r"));
        QCOMPARE(lineFor(figures, false), QString("size=     411kB time=12.48 bitrate= 269.8kbits/s\r"));
        QCOMPARE(windowSeconds(lineFor(figures, true), false), QString("12"));
        QCOMPARE(windowSeconds(lineFor(figures, false), true), QString("12"));
    }

    void unknownTime()
    {
        const ProgressFigures nothingYet;
        QCOMPARE(lineFor(nothingYet, true), QString("frame=    0 q=0.0 size=       0kB time=10000000000.00 "
                                                    "bitrate=   0.0kbits/s\r"));
        QCOMPARE(windowSeconds(lineFor(nothingYet, true), false), QString("10000000000"));
        QCOMPARE(windowSeconds(lineFor(nothingYet, false), true), QString("10000000000"));
    }

    // Blocks split anywhere, even inside a line, give the same figures; the
    // quantizer is the first stream's.
    void readerJoinsSplitBlocks()
    {
        const QByteArray stream = block("10", "400000") + block("25", "1000000") + block("40", "1600000", "end");
        for (int cut = 1; cut < stream.size(); cut += 37) {
            ProgressReader reader;
            const int first = reader.feed(stream.left(cut).toStdString());
            const int rest = reader.feed(stream.mid(cut).toStdString());
            QCOMPARE(first + rest, 3);
            QCOMPARE(reader.latest().frame, 40);
            QCOMPARE(reader.latest().quality, 3.5);
            QCOMPARE(reader.latest().totalBytes, 20480);
            QCOMPARE(reader.latest().outputSeconds.value_or(-1.0), 1.6);
            QVERIFY(reader.ended());
        }
    }

    // Until ffmpeg knows an output time it writes N/A; a negative time at
    // the start (audio priming) reads as zero.
    void readerTimes()
    {
        ProgressReader reader;
        QCOMPARE(reader.feed(block("0", "N/A").toStdString()), 1);
        QVERIFY(!reader.latest().outputSeconds);
        QVERIFY(!reader.ended());
        reader.feed(block("0", "-23220").toStdString());
        QCOMPARE(reader.latest().outputSeconds.value_or(-1.0), 0.0);
        QCOMPARE(windowSeconds(lineFor(reader.latest(), false), true), QString("0"));
    }

    // An endless line (a broken report) is dropped, not kept in memory.
    void readerDropsOverlongLines()
    {
        ProgressReader reader;
        reader.feed(std::string(1 << 20, 'x'));
        reader.feed("\n" + block("7", "280000").toStdString());
        QCOMPARE(reader.latest().frame, 7);
    }
};

QTEST_GUILESS_MAIN(TestEncoderProgress)
#include "tst_enc_progress.moc"
