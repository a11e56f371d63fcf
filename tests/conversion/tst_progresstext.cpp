#include "Code/core/ProgressText.h"

#include <QTest>

class TestProgressText : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readSeconds_data()
    {
        const QString video = "frame=   50 q=2.0 size=     120kB time=12.48 bitrate=  78.8kbits/s";
        const QString audio = "size=      64kB time=12.48 bitrate= 42.0kbits/s";
        QTest::addColumn<QString>("chunk");
        QTest::addColumn<bool>("audioOnly");
        QTest::addColumn<bool>("found");
        QTest::addColumn<qint64>("seconds");
        QTest::newRow("video") << video << false << true << qint64(12);
        QTest::newRow("audio") << audio << true << true << qint64(12);
        QTest::newRow("line end") << video + "\r" << false << true << qint64(12);
        QTest::newRow("hours") << "frame=90000 q=2.0 size=  900000kB time=3725.99 bitrate= 999.0kbits/s" << false
                               << true << qint64(3725);
        QTest::newRow("video line for audio output") << video << true << true << qint64(2);
        QTest::newRow("audio line for video output") << audio << false << false << qint64(0);
        QTest::newRow("video marker") << "frame=    0 q=0.0 size=       0kB time=10000000000.00 bitrate=   0.0kbits/s"
                                      << false << false << qint64(0);
        QTest::newRow("audio marker") << "size=       0kB time=10000000000.00 bitrate=   0.0kbits/s" << true << false
                                      << qint64(0);
        QTest::newRow("too few fields") << "frame=   50 q=2.0 size=     120kB" << false << false << qint64(0);
        QTest::newRow("too few audio fields") << "size=      64kB time=12.48" << true << false << qint64(0);
        QTest::newRow("empty") << "" << false << false << qint64(0);
        QTest::newRow("empty field") << "frame=1 q=2.0 size=3kB time== bitrate=1" << false << false << qint64(0);
        QTest::newRow("no figure before point")
            << "frame=1 q=2.0 size=3kB time=.48 bitrate=1" << false << true << qint64(0);
        // Signs alone are not a number; the window must not fail on them.
        QTest::newRow("sign garbage") << "frame=1 q=2.0 size=3kB time=+- bitrate=1" << false << false << qint64(0);
        QTest::newRow("beyond range") << "size=1kB time=99999999999999999999999.00 bitrate=1" << true << false
                                      << qint64(0);
        QTest::newRow("no equals") << "Input #0, avi, from 'clip.avi':" << false << false << qint64(0);
    }
    void readSeconds()
    {
        QFETCH(QString, chunk);
        QFETCH(bool, audioOnly);
        QFETCH(bool, found);
        QFETCH(qint64, seconds);
        const std::optional<qint64> read = ReadProgressSeconds(chunk, audioOnly);
        QCOMPARE(read.has_value(), found);
        if (found)
            QCOMPARE(*read, seconds);
    }

    void audioOnlyCodec_data()
    {
        QTest::addColumn<QString>("codecParam");
        QTest::addColumn<bool>("audioOnly");
        QTest::newRow("aac audio") << " -acodec aac -vn" << true;
        QTest::newRow("mp3") << " -acodec mp3" << true;
        QTest::newRow("tab before") << "\t-acodec aac" << true;
        QTest::newRow("video") << " -vcodec mpeg4 -acodec aac" << false;
        QTest::newRow("capitals") << " -ACODEC aac" << false;
        QTest::newRow("cut short") << " -acode" << false;
        QTest::newRow("empty") << "" << false;
    }
    void audioOnlyCodec()
    {
        QFETCH(QString, codecParam);
        QFETCH(bool, audioOnly);
        QCOMPARE(IsAudioOnlyCodec(codecParam), audioOnly);
    }
};

QTEST_APPLESS_MAIN(TestProgressText)
#include "tst_progresstext.moc"
