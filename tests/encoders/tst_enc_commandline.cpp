// The encoders' reading of the command builder's two layouts and of bad
// command lines, without running anything.

#include "encoders/core/CommandLine.h"
#include "encoders/core/EncoderError.h"
#include "encoders/core/OptionValues.h"

#include <QTest>

using encoder::EncodeRequest;
using encoder::EncoderError;

namespace {

std::vector<std::string> words(const QStringList &list)
{
    std::vector<std::string> result;
    for (const QString &word : list)
        result.push_back(word.toStdString());
    return result;
}

// The problem text of a command line, empty when it was accepted.
QString problemOf(const QStringList &arguments)
{
    try {
        encoder::parseCommandLine(words(arguments));
    } catch (const EncoderError &error) {
        return QString::fromStdString(error.what());
    }
    return QString();
}

} // namespace

class TestEncoderCommandLine : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void videoLayout()
    {
        const EncodeRequest request = encoder::parseCommandLine(words({"-y",      "-i",      "/in/my clip.avi",
                                                                       "-vcodec", "mpeg4",   "-acodec",
                                                                       "aac",     "-b",      "128",
                                                                       "-s",      "320x240", "-r",
                                                                       "14.985",  "-aspect", "16:9",
                                                                       "-ab",     "128",     "-vol",
                                                                       "200",     "-ac",     "1",
                                                                       "-ar",     "22050",   "-f",
                                                                       "mov",     "-ss",     "00:01:10",
                                                                       "-t",      "95",      "/out/my clip.mov"}));
        QVERIFY(request.overwrite);
        QCOMPARE(request.input, std::string("/in/my clip.avi"));
        QCOMPARE(request.videoCodec, std::string("mpeg4"));
        QCOMPARE(request.audioCodec, std::string("aac"));
        QVERIFY(!request.noVideo);
        QVERIFY(request.reportsVideo());
        QCOMPARE(request.videoBitrate.value_or(0), 128);
        QCOMPARE(request.width.value_or(0), 320);
        QCOMPARE(request.height.value_or(0), 240);
        QCOMPARE(request.frameRate, std::string("14.985"));
        QCOMPARE(request.aspect, std::string("16:9"));
        QCOMPARE(request.audioBitrate.value_or(0), 128);
        QCOMPARE(request.volume.value_or(0), 200);
        QCOMPARE(request.channels.value_or(0), 1);
        QCOMPARE(request.sampleRate.value_or(0), 22050);
        QCOMPARE(request.format, std::string("mov"));
        QCOMPARE(request.start.value_or(-1.0), 70.0);
        QCOMPARE(request.length.value_or(-1.0), 95.0);
        QCOMPARE(request.output, std::string("/out/my clip.mov"));
    }

    // The audio layout, without "-f" and trim, and with the volume fragment's
    // fallback (a lone blank, so no "-vol" at all).
    void audioLayout()
    {
        const EncodeRequest request = encoder::parseCommandLine(
            words({"-y", "-i", "in.avi", "-acodec", "mp3", "-vn", "-ab", "48", "-ac", "2", "-ar", "44100", "o.mp3"}));
        QVERIFY(request.noVideo);
        QVERIFY(!request.reportsVideo());
        QCOMPARE(request.audioCodec, std::string("mp3"));
        QVERIFY(!request.volume);
        QVERIFY(!request.start);
        QVERIFY(!request.length);
    }

    // An audio container takes no picture even when -vn is missing, and its
    // status lines then have the audio layout.
    void audioContainerImpliesNoVideo()
    {
        const EncodeRequest request = encoder::parseCommandLine(words({"-y", "-i", "in.avi", "out.AAC"}));
        QVERIFY(request.noVideo);
    }

    // Names are taken whole: an output whose name begins with "-" is still the
    // output, and an input name after -i may look like an option.
    void namesThatLookLikeOptions()
    {
        const EncodeRequest request =
            encoder::parseCommandLine(words({"-y", "-i", "-vn", "-acodec", "aac", "-vn", "-clip -t 5.m4a"}));
        QCOMPARE(request.input, std::string("-vn"));
        QCOMPARE(request.output, std::string("-clip -t 5.m4a"));
        QVERIFY(!request.length);
    }

    void badCommandLines_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("problem");
        const QStringList head{"-y", "-i", "in.avi"};
        QTest::newRow("nothing") << QStringList() << "no options given";
        QTest::newRow("unknown option") << head + QStringList{"-vcodec", "mpeg4", "-crf", "20", "o.mp4"}
                                        << "unknown option -crf";
        QTest::newRow("stray word") << head + QStringList{"my", "o.mp4"} << "unexpected argument \"my\"";
        QTest::newRow("value missing before output") << head + QStringList{"-ab", "o.mp4"} << "-ab needs a value";
        QTest::newRow("output missing") << head + QStringList{"-acodec", "aac", "-vn"} << "no output file given";
        QTest::newRow("output empty") << head + QStringList{""} << "output file name is empty";
        QTest::newRow("no input") << QStringList{"-y", "-acodec", "aac", "o.m4a"} << "no input file given";
        QTest::newRow("empty input") << QStringList{"-y", "-i", "", "o.m4a"} << "after -i is empty";
        QTest::newRow("video bitrate") << head + QStringList{"-b", "12k", "o.mp4"} << "invalid value \"12k\" for -b";
        QTest::newRow("audio bitrate zero") << head + QStringList{"-ab", "0", "o.mp4"} << "for -ab";
        QTest::newRow("size") << head + QStringList{"-s", "320", "o.mp4"} << "for -s";
        QTest::newRow("size letters") << head + QStringList{"-s", "axb", "o.mp4"} << "for -s";
        QTest::newRow("rate zero") << head + QStringList{"-r", "0", "o.mp4"} << "for -r";
        QTest::newRow("rate text") << head + QStringList{"-r", "fast", "o.mp4"} << "for -r";
        QTest::newRow("aspect") << head + QStringList{"-aspect", "wide", "o.mp4"} << "for -aspect";
        // Parts so far apart that they divide to infinity or to zero.
        const QString huge = "1" + QString(300, '0');
        const QString tiny = "0." + QString(300, '0') + "1";
        QTest::newRow("aspect of infinity")
            << head + QStringList{"-aspect", huge + ":" + tiny, "o.mp4"} << "for -aspect";
        QTest::newRow("aspect of zero") << head + QStringList{"-aspect", tiny + ":" + huge, "o.mp4"} << "for -aspect";
        QTest::newRow("volume negative") << head + QStringList{"-vol", "-1", "o.mp4"} << "for -vol";
        QTest::newRow("channels") << head + QStringList{"-ac", "9", "o.mp4"} << "for -ac";
        QTest::newRow("sample rate") << head + QStringList{"-ar", "44.1k", "o.mp4"} << "for -ar";
        QTest::newRow("start") << head + QStringList{"-ss", "1:2:3:4", "o.mp4"} << "for -ss";
        QTest::newRow("length zero") << head + QStringList{"-ss", "00:00:05", "-t", "0", "o.mp4"} << "for -t";
        QTest::newRow("length negative") << head + QStringList{"-ss", "00:00:05", "-t", "-5", "o.mp4"} << "for -t";
        QTest::newRow("video codec") << head + QStringList{"-vcodec", "h264", "o.mp4"} << "unknown video codec";
        QTest::newRow("audio codec") << head + QStringList{"-acodec", "vorbis", "o.mp4"} << "unknown audio codec";
        QTest::newRow("format") << head + QStringList{"-f", "flv", "o.mp4"} << "unknown output format \"flv\"";
        QTest::newRow("extension") << head + QStringList{"o.xyz"} << "cannot tell the output format";
        QTest::newRow("no extension") << head + QStringList{"/out.dir/clip"} << "cannot tell the output format";
    }

    void badCommandLines()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, problem);
        const QString seen = problemOf(arguments);
        QVERIFY2(seen.contains(problem), qPrintable(seen));
        QVERIFY(!seen.contains('\n'));
    }

    // "-f" wins over the extension; names of the catalogue's output types are
    // all understood.
    void containers_data()
    {
        QTest::addColumn<QStringList>("tail");
        QTest::newRow("mp4") << QStringList{"o.mp4"};
        QTest::newRow("mov by -f") << QStringList{"-f", "mov", "o.mov"};
        QTest::newRow("mov by -f, other name") << QStringList{"-f", "mov", "o.out"};
        QTest::newRow("aac") << QStringList{"o.aac"};
        QTest::newRow("m4a") << QStringList{"O.M4A"};
        QTest::newRow("mp3") << QStringList{"o.mp3"};
        QTest::newRow("avi, the builder's fallback") << QStringList{"-vcodec", "xvid", "-acodec", "mp3", "o.avi"};
    }

    void containers()
    {
        QFETCH(QStringList, tail);
        QCOMPARE(problemOf(QStringList{"-y", "-i", "in.avi"} + tail), QString());
    }

    void timeTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("seconds");
        QTest::newRow("zero") << "00:00:00" << 0.0;
        QTest::newRow("builder form") << "01:02:03" << 3723.0;
        QTest::newRow("long hours") << "123:00:01" << 442801.0;
        QTest::newRow("plain seconds") << "95" << 95.0;
        QTest::newRow("fraction") << "00:00:01.5" << 1.5;
        QTest::newRow("minutes") << "2:30" << 150.0;
        QTest::newRow("four parts") << "1:2:3:4" << -1.0;
        QTest::newRow("sign") << "-5" << -1.0;
        QTest::newRow("empty part") << "00::05" << -1.0;
        QTest::newRow("letters") << "1m" << -1.0;
    }

    void timeTexts()
    {
        QFETCH(QString, text);
        QFETCH(double, seconds);
        QCOMPARE(encoder::readTimeSeconds(text.toStdString()).value_or(-1.0), seconds);
    }
};

QTEST_GUILESS_MAIN(TestEncoderCommandLine)
#include "tst_enc_commandline.moc"
