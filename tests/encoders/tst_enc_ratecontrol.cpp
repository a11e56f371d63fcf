// The MPEG-4 rate control and stream headers the encoders ask of ffmpeg: the
// Simple Profile level that covers the output, a buffer within that level,
// the asked rate as both average and peak, no B-frames, AAC Low Complexity.

#include "encoders/core/CommandLine.h"
#include "encoders/core/FfmpegArguments.h"
#include "encoders/core/VideoRateControl.h"

#include <QTest>

namespace {

QStringList ffmpegFor(const QStringList &commandLine, const std::string &scriptRate = {})
{
    std::vector<std::string> words;
    for (const QString &word : commandLine)
        words.push_back(word.toStdString());
    const encoder::EncodeRequest request = encoder::parseCommandLine(words);
    QStringList result;
    for (const std::string &argument :
         encoder::ffmpegArguments(request, {request.input, scriptRate}, {"file:/out", "pipe:3", true}))
        result << QString::fromStdString(argument);
    return result;
}

QString valueAfter(const QStringList &arguments, const QString &option)
{
    const qsizetype at = arguments.indexOf(option);
    return at >= 0 && at + 1 < arguments.size() ? arguments.at(at + 1) : QString();
}

QStringList videoCommand(const QString &kbit, const QString &size, const QString &rate)
{
    QStringList command{"-y", "-i", "/in/a.avi", "-vcodec", "mpeg4", "-acodec", "aac", "-b", kbit, "-s", size};
    if (!rate.isEmpty())
        command << "-r" << rate;
    return command << "-ab"
                   << "128"
                   << "/out/a.mp4";
}

} // namespace

class TestEncoderRateControl : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The lowest level whose frame size, macroblock rate and peak rate all
    // cover the output; the catalogue's sizes and rates first.
    void levels_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<double>("fps");
        QTest::addColumn<int>("kbit");
        QTest::addColumn<int>("level");
        QTest::newRow("Low 40k 14.985") << 320 << 240 << 14.985 << 40 << 2;
        QTest::newRow("Normal 128k 15") << 320 << 240 << 15.0 << 128 << 2;
        QTest::newRow("Excellent 256k") << 320 << 240 << 15.0 << 256 << 3;
        QTest::newRow("Superb 512k") << 320 << 240 << 15.0 << 512 << 4;
        QTest::newRow("40k at 29.97") << 320 << 240 << 29.97 << 40 << 3;
        QTest::newRow("20 fps: 6000 MB/s") << 320 << 240 << 20.0 << 40 << 3;
        QTest::newRow("19.8 fps: 5940 MB/s") << 320 << 240 << 19.8 << 40 << 2;
        QTest::newRow("QCIF 15") << 176 << 144 << 15.0 << 64 << 1;
        QTest::newRow("QCIF 65k") << 176 << 144 << 15.0 << 65 << 2;
        QTest::newRow("QCIF 30") << 176 << 144 << 30.0 << 64 << 2;
        QTest::newRow("odd size rounds up") << 321 << 241 << 15.0 << 128 << 2;
        QTest::newRow("VGA 30 at the edge") << 640 << 480 << 30.0 << 4000 << 4;
        QTest::newRow("PAL 25") << 720 << 576 << 25.0 << 2000 << 5;
        QTest::newRow("720p 30") << 1280 << 720 << 30.0 << 5000 << 6;
        QTest::newRow("beyond every level") << 1920 << 1080 << 30.0 << 8000 << 6;
    }

    void levels()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(double, fps);
        QFETCH(int, kbit);
        QFETCH(int, level);
        QCOMPARE(encoder::simpleProfileLevel({kbit, width, height, fps}).level, level);
    }

    // The asked rate is the average and the peak; the buffer holds two
    // seconds of it unless the level allows less; a key frame every second;
    // the level in the header is the one chosen; the macroblock modes are
    // searched unless the bits per pixel are very few.
    void mapping_data()
    {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<QString>("kbit");
        QTest::addColumn<QString>("buffer");
        QTest::addColumn<QString>("keyFrames");
        QTest::addColumn<QString>("level");
        QTest::addColumn<bool>("modeSearch");
        QTest::newRow("Normal") << videoCommand("128", "320x240", "15") << "128k"
                                << "256000"
                                << "15"
                                << "2" << true;
        QTest::newRow("Low") << videoCommand("40", "320x240", "14.985") << "40k"
                             << "80000"
                             << "15"
                             << "2" << false;
        QTest::newRow("Acceptable") << videoCommand("80", "320x240", "14.985") << "80k"
                                    << "160000"
                                    << "15"
                                    << "2" << true;
        QTest::newRow("40k at 29.97") << videoCommand("40", "320x240", "29.97") << "40k"
                                      << "80000"
                                      << "30"
                                      << "3" << false;
        QTest::newRow("buffer capped by level 3") << videoCommand("384", "320x240", "29.97") << "384k"
                                                  << "655360"
                                                  << "30"
                                                  << "3" << true;
        QTest::newRow("Superb") << videoCommand("512", "320x240", "15") << "512k"
                                << "1024000"
                                << "15"
                                << "4" << true;
        QTest::newRow("no rate: size and rate unknown") << QStringList{"-y", "-i", "a.avi", "a.mp4"} << "200k"
                                                        << "400000"
                                                        << "30"
                                                        << "6" << true;
    }

    void mapping()
    {
        QFETCH(QStringList, command);
        QFETCH(QString, kbit);
        QFETCH(QString, buffer);
        QFETCH(QString, keyFrames);
        QFETCH(QString, level);
        QFETCH(bool, modeSearch);
        const QStringList arguments = ffmpegFor(command);
        QCOMPARE(valueAfter(arguments, "-c:v"), QString("mpeg4"));
        QCOMPARE(valueAfter(arguments, "-b:v"), kbit);
        QCOMPARE(valueAfter(arguments, "-maxrate"), kbit);
        QCOMPARE(valueAfter(arguments, "-bufsize"), buffer);
        QCOMPARE(valueAfter(arguments, "-g"), keyFrames);
        QCOMPARE(valueAfter(arguments, "-bf"), QString("0"));
        QCOMPARE(valueAfter(arguments, "-qmax"), QString("31"));
        QCOMPARE(valueAfter(arguments, "-profile:v"), QString("0"));
        QCOMPARE(valueAfter(arguments, "-level"), level);
        QCOMPARE(arguments.count("-b:v"), 1);
        QCOMPARE(valueAfter(arguments, "-trellis"), QString("1"));
        QCOMPARE(valueAfter(arguments, "-mbd"), modeSearch ? QString("rd") : QString());
    }

    // rmcoda's script rate stands for the output rate when none is asked.
    void scriptRateDecidesLevel()
    {
        const QStringList withoutRate = videoCommand("128", "320x240", "");
        QCOMPARE(valueAfter(ffmpegFor(withoutRate, "29.9700898503294"), "-level"), QString("3"));
        QCOMPARE(valueAfter(ffmpegFor(withoutRate, "29.9700898503294"), "-g"), QString("30"));
        QCOMPARE(valueAfter(ffmpegFor(videoCommand("128", "320x240", "15"), "29.9700898503294"), "-level"),
                 QString("2"));
    }

    // Xvid has its own rate control: it gets the plain average.
    void otherEncodersKeepThePlainRate()
    {
        QStringList xvid = videoCommand("128", "320x240", "15");
        xvid[xvid.indexOf("mpeg4")] = "xvid";
        const QStringList arguments = ffmpegFor(xvid);
        QCOMPARE(valueAfter(arguments, "-b:v"), QString("128k"));
        QVERIFY(!arguments.contains("-maxrate"));
        QVERIFY(!arguments.contains("-profile:v"));
    }

    void aacIsLowComplexity()
    {
        QCOMPARE(valueAfter(ffmpegFor(videoCommand("128", "320x240", "15")), "-profile:a"), QString("aac_low"));
        QCOMPARE(valueAfter(ffmpegFor({"-y", "-i", "a.avi", "-acodec", "aac", "-vn", "a.m4a"}), "-profile:a"),
                 QString("aac_low"));
        QVERIFY(!ffmpegFor({"-y", "-i", "a.avi", "-acodec", "mp3", "-vn", "a.mp3"}).contains("-profile:a"));
    }
};

QTEST_GUILESS_MAIN(TestEncoderRateControl)
#include "tst_enc_ratecontrol.moc"
