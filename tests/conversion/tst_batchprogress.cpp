// The progress window's two bars and the launcher's figure, as the batch
// computes them from each chunk of the encoder's output.
#include "../support/BarReading.h"
#include "Code/conversion/BatchProgress.h"
#include "Code/core/ProgressText.h"
#include "Code/core/Unit_ConfigInfo.h"

#include <QTest>

namespace {
const int videoType = 0; // iPod MPEG-4
const int audioType = 2; // AAC
const QString videoLine = QStringLiteral("frame=   50 q=2.0 size=     120kB time=12.48 bitrate=  78.8kbits/s");
const QString audioLine = QStringLiteral("size=      64kB time=12.48 bitrate= 42.0kbits/s");
} // namespace

class TestBatchProgress : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void afterChunk_data()
    {
        QTest::addColumn<int>("outputType");
        QTest::addColumn<int>("checked");
        QTest::addColumn<int>("converted");
        QTest::addColumn<int>("shownBefore");
        QTest::addColumn<QString>("trimDuration");
        QTest::addColumn<QString>("chunk");
        QTest::addColumn<Bar>("batchAfter");
        QTest::addColumn<QString>("counterAfter");
        QTest::addColumn<Bar>("barAfter");

        QTest::newRow("video: after the fourth =")
            << videoType << 1 << 0 << 0 << "20" << videoLine << Bar{100, 0} << "Current: 1 , Total: 1." << Bar{20, 12};
        QTest::newRow("audio: after the second =")
            << audioType << 1 << 0 << 0 << "20" << audioLine << Bar{100, 0} << "Current: 1 , Total: 1." << Bar{20, 12};
        QTest::newRow("audio line for a video output")
            << videoType << 1 << 0 << 5 << "20" << audioLine << Bar{100, 23} << "Current: 1 , Total: 1." << Bar{20, 5};
        QTest::newRow("time not known yet")
            << videoType << 1 << 0 << 5 << "20"
            << "frame=    0 q=0.0 size=       0kB time=10000000000.00 bitrate=   0.0kbits/s" << Bar{100, 23}
            << "Current: 1 , Total: 1." << Bar{20, 5};
        QTest::newRow("too few fields for video")
            << videoType << 1 << 0 << 5 << "20"
            << "frame=   50 q=2.0 size=     120kB" << Bar{100, 23} << "Current: 1 , Total: 1." << Bar{20, 5};
        // Three fields hold a third one, yet an audio line needs four.
        QTest::newRow("too few fields for audio")
            << audioType << 1 << 0 << 5 << "20"
            << "size=      64kB time=12.48" << Bar{100, 23} << "Current: 1 , Total: 1." << Bar{20, 5};
        QTest::newRow("empty time field")
            << videoType << 1 << 0 << 5 << "20"
            << "frame=1 q=2.0 size=3kB time== bitrate=1" << Bar{100, 23} << "Current: 1 , Total: 1." << Bar{20, 5};
        QTest::newRow("empty chunk still moves the batch bar")
            << videoType << 2 << 1 << 10 << "30"
            << "" << Bar{200, 132} << "Current: 2 , Total: 2." << Bar{30, 10};
        QTest::newRow("second of four at 30 of 60")
            << videoType << 4 << 1 << 30 << "60"
            << "frame=  780 q=2.0 size=     900kB time=31.20 bitrate= 236.3kbits/s" << Bar{400, 149}
            << "Current: 2 , Total: 4." << Bar{60, 31};
        QTest::newRow("bar of maximum 0 divides by 1")
            << videoType << 3 << 2 << 0 << "0" << videoLine << Bar{300, 200} << "Current: 3 , Total: 3." << Bar{0, 0};
        QTest::newRow("end before start")
            << videoType << 1 << 0 << 0 << "-5" << videoLine << Bar{100, 0} << "Current: 1 , Total: 1." << Bar{0, 0};
        QTest::newRow("no row held the file")
            << audioType << 1 << 0 << 0 << "" << audioLine << Bar{100, 0} << "Current: 1 , Total: 1." << Bar{0, 0};
        QTest::newRow("output beyond the cut length fills the bar")
            << videoType << 1 << 0 << 19 << "20"
            << "frame=  530 q=2.0 size=     500kB time=21.20 bitrate= 193.2kbits/s" << Bar{100, 90}
            << "Current: 1 , Total: 1." << Bar{20, 20};
    }
    void afterChunk()
    {
        QFETCH(int, outputType);
        QFETCH(int, checked);
        QFETCH(int, converted);
        QFETCH(int, shownBefore);
        QFETCH(QString, trimDuration);
        QFETCH(QString, chunk);
        std::optional<TTrimSpan> trim;
        if (!trimDuration.isEmpty())
            trim = TTrimSpan{QStringLiteral("00:00:00"), 0, trimDuration.toLongLong()};
        const bool audioOnly = IsAudioOnlyCodec(CodecParamOf(outputType));
        const TBatchProgress progress =
            BatchProgressAfterChunk(converted, checked, trim, shownBefore, ReadProgressSeconds(chunk, audioOnly));
        QTEST((Bar{progress.BatchMaximum, progress.BatchPosition}), "batchAfter");
        QTEST(QStringLiteral("Current: %1 , Total: %2.").arg(progress.RowNumber).arg(progress.CheckedCount),
              "counterAfter");
        QTEST((Bar{progress.CurrentMaximum, progress.CurrentPosition}), "barAfter");
    }

    // The launcher shows the batch bar's own share.
    void share()
    {
        const TBatchProgress start = BatchProgressAt(1, 2, TTrimSpan{QStringLiteral("00:00:00"), 0, 20}, 0);
        QCOMPARE(start.Share(), 0.5);
        QCOMPARE(BatchProgressAt(0, 0, std::nullopt, 0).Share(), 0.0);
        const TBatchProgress done = BatchProgressAt(1, 2, TTrimSpan{QStringLiteral("00:00:00"), 0, 20}, 20);
        QCOMPARE(done.Share(), double(done.BatchPosition) / 200);
    }
};

QTEST_GUILESS_MAIN(TestBatchProgress)
#include "tst_batchprogress.moc"
