// How the command line's options become ffmpeg's arguments: values ffmpeg
// would refuse are brought into its range, and names stay names.

#include "encoders/core/AudioArguments.h"
#include "encoders/core/AudioLimits.h"
#include "encoders/core/CommandLine.h"
#include "encoders/core/FfmpegArguments.h"
#include "encoders/core/FrameRate.h"
#include "encoders/core/SoundPlacement.h"
#include "encoders/core/StreamChoice.h"

#include <QTest>

namespace {

QStringList ffmpegFor(const QStringList &commandLine, const encoder::SourceSpec *source = nullptr,
                      bool seekInput = true, const encoder::AudioSource &audio = {},
                      const encoder::VideoSource &video = {})
{
    std::vector<std::string> words;
    for (const QString &word : commandLine)
        words.push_back(word.toStdString());
    const encoder::EncodeRequest request = encoder::parseCommandLine(words);
    const encoder::SourceSpec sourceSpec = source ? *source : encoder::SourceSpec{request.input, {}};
    QStringList result;
    for (const std::string &argument :
         encoder::ffmpegArguments(request, sourceSpec, {"file:/proc/self/fd/4", "pipe:3", seekInput}, audio, video))
        result << QString::fromStdString(argument);
    return result;
}

QString valueAfter(const QStringList &arguments, const QString &option)
{
    const qsizetype at = arguments.indexOf(option);
    return at >= 0 && at + 1 < arguments.size() ? arguments.at(at + 1) : QString();
}

QStringList valuesAfter(const QStringList &arguments, const QString &option)
{
    QStringList values;
    for (qsizetype at = arguments.indexOf(option); at >= 0 && at + 1 < arguments.size();
         at = arguments.indexOf(option, at + 1))
        values << arguments.at(at + 1);
    return values;
}

// The frame rate filters leading the picture's chain; the filters that fit
// the picture into the frame follow them.
QString rateFilters(const QStringList &arguments)
{
    QStringList rates;
    for (const QString &filter : valueAfter(arguments, "-vf").split(',')) {
        if (!filter.startsWith("fps="))
            break;
        rates << filter;
    }
    return rates.join(',');
}

// The volume filter of the sound's chain; empty when there is none.
QString volumeIn(const QStringList &arguments)
{
    for (const QString &filter : valueAfter(arguments, "-af").split(',')) {
        if (filter.startsWith("volume="))
            return filter;
    }
    return QString();
}

const QString timestampFilter = QString::fromStdString(encoder::soundPlacementFilters());

const QStringList videoCommand{"-y",      "-i",      "/in/-clip:1.avi",
                               "-vcodec", "mpeg4",   "-acodec",
                               "aac",     "-b",      "128",
                               "-s",      "320x240", "-r",
                               "15",      "-aspect", "4:3",
                               "-ab",     "128",     "-vol",
                               "200",     "-ac",     "1",
                               "-ar",     "22050",   "-f",
                               "mov",     "-ss",     "00:01:10",
                               "-t",      "95",      "/out/a.mov"};

} // namespace

class TestEncoderArguments : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void videoLayout()
    {
        const QStringList arguments = ffmpegFor(videoCommand);
        QCOMPARE(valueAfter(arguments, "-i"), QString("file:/in/-clip:1.avi"));
        QCOMPARE(valueAfter(arguments, "-c:v"), QString("mpeg4"));
        QCOMPARE(valueAfter(arguments, "-c:a"), QString("aac"));
        QCOMPARE(valueAfter(arguments, "-b:v"), QString("128k"));
        QCOMPARE(valueAfter(arguments, "-b:a"), QString("128k"));
        QCOMPARE(rateFilters(arguments), QString("fps=15/1"));
        QCOMPARE(valueAfter(arguments, "-s"), QString("320x240"));
        QCOMPARE(valueAfter(arguments, "-aspect"), QString("4:3"));
        QCOMPARE(valueAfter(arguments, "-af"), timestampFilter + ",volume=0.78125000");
        QCOMPARE(valueAfter(arguments, "-ac"), QString("1"));
        QCOMPARE(valueAfter(arguments, "-ar"), QString("22050"));
        QCOMPARE(valueAfter(arguments, "-f"), QString("mov"));
        QCOMPARE(valueAfter(arguments, "-t"), QString("95"));
        QCOMPARE(valueAfter(arguments, "-progress"), QString("pipe:3"));
        QCOMPARE(arguments.last(), QString("file:/proc/self/fd/4"));
        QVERIFY(arguments.contains("-sn"));
        QVERIFY(!arguments.contains("-vn"));
    }

    // The start seeks the input (before -i) unless the input cannot seek;
    // then it goes after -i, where ffmpeg decodes up to it.
    void startPlacement()
    {
        const QStringList seeking = ffmpegFor(videoCommand);
        QCOMPARE(valueAfter(seeking, "-ss"), QString("70"));
        QVERIFY(seeking.indexOf("-ss") < seeking.indexOf("-i"));
        const QStringList decoding = ffmpegFor(videoCommand, nullptr, false);
        QCOMPARE(valueAfter(decoding, "-ss"), QString("70"));
        QVERIFY(decoding.indexOf("-ss") > decoding.indexOf("-i"));
        const QStringList fromZero =
            ffmpegFor({"-y", "-i", "a.avi", "-acodec", "aac", "-vn", "-ss", "00:00:00", "-t", "5", "a.m4a"});
        QVERIFY(!fromZero.contains("-ss"));
    }

    void audioLayout()
    {
        const QStringList arguments = ffmpegFor({"-y", "-i", "a.avi", "-acodec", "mp3", "-vn", "-ab", "224", "-vol",
                                                 "256", "-ac", "2", "-ar", "48000", "a.mp3"});
        QVERIFY(arguments.contains("-vn"));
        QVERIFY(!arguments.contains("-c:v"));
        QVERIFY(!arguments.contains("-vf"));
        QCOMPARE(valueAfter(arguments, "-af"), timestampFilter); // 256/256 leaves the volume alone
        QCOMPARE(valueAfter(arguments, "-c:a"), QString("libmp3lame"));
        QCOMPARE(valueAfter(arguments, "-f"), QString("mp3"));
    }

    void volumes_data()
    {
        QTest::addColumn<QString>("volume");
        QTest::addColumn<QString>("filter");
        QTest::newRow("silent") << "0"
                                << "volume=0.00000000";
        QTest::newRow("25") << "25"
                            << "volume=0.09765625";
        QTest::newRow("default 200") << "200"
                                     << "volume=0.78125000";
        QTest::newRow("500") << "500"
                             << "volume=1.95312500";
    }

    void volumes()
    {
        QFETCH(QString, volume);
        QFETCH(QString, filter);
        const QStringList arguments = ffmpegFor({"-y", "-i", "a.avi", "-acodec", "aac", "-vol", volume, "a.m4a"});
        QCOMPARE(volumeIn(arguments), filter);
    }

    // MPEG-4 keeps its time base in 16 bits: the catalogue's rates stay exact,
    // any other rate becomes the closest fraction that fits.
    void frameRates_data()
    {
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("fraction");
        QTest::newRow("14.985") << "14.985"
                                << "2997/200";
        QTest::newRow("15") << "15"
                            << "15/1";
        QTest::newRow("23.967") << "23.967"
                                << "23967/1000";
        QTest::newRow("24") << "24"
                            << "24/1";
        QTest::newRow("25") << "25"
                            << "25/1";
        QTest::newRow("29.97") << "29.97"
                               << "2997/100";
        QTest::newRow("30") << "30"
                            << "30/1";
        QTest::newRow("NTSC fraction") << "30000/1001"
                                       << "30000/1001";
        // The closest fractions within 16 bits, found by trying every
        // denominator up to 65535.
        QTest::newRow("script rate") << "29.9700898503294"
                                     << "30060/1003";
        QTest::newRow("many digits") << "12.3456789"
                                     << "1000/81";
        // Long digit runs keep nine significant digits and never overflow.
        QTest::newRow("long integer ratio") << "100000000000000000000000/4000000000000000000000"
                                            << "25/1";
        QTest::newRow("long fractions in a ratio")
            << "0.000000000000000000000000000030/0.000000000000000000000000000001"
            << "30/1";
        QTest::newRow("digits past the ninth") << "23.9760239760239760239760239760239760"
                                               << "24000/1001";
        // Beyond what 16 bits hold: clamped.
        QTest::newRow("too slow") << "0.00001"
                                  << "1/65535";
        QTest::newRow("too fast") << "1000000000000000000000000"
                                  << "65535/1";
    }

    void frameRates()
    {
        QFETCH(QString, rate);
        QFETCH(QString, fraction);
        QCOMPARE(QString::fromStdString(encoder::fractionText(encoder::frameRateFraction(rate.toStdString()))),
                 fraction);
    }

    // A sound chosen here is mapped along with the first moving picture.
    // Raw AMR comes from the feeder on standard input as a second input that
    // is not seeked, so its chain drops the start itself; decoding from the
    // beginning, the output's -ss trims both inputs alike.
    void chosenSound()
    {
        QStringList arguments = ffmpegFor(videoCommand, nullptr, true, {2, false});
        QCOMPARE(valuesAfter(arguments, "-map"), (QStringList{"0:V:0?", "0:2"}));
        QCOMPARE(valuesAfter(arguments, "-i"), QStringList{"file:/in/-clip:1.avi"});

        const encoder::AudioSource amr{1, true};
        arguments = ffmpegFor(videoCommand, nullptr, true, amr);
        QCOMPARE(valuesAfter(arguments, "-i"), (QStringList{"file:/in/-clip:1.avi", "pipe:0"}));
        QCOMPARE(valuesAfter(arguments, "-f"), (QStringList{"amr", "mov"}));
        QCOMPARE(valuesAfter(arguments, "-map"), (QStringList{"0:V:0?", "1:a:0"}));
        QVERIFY(arguments.indexOf("-ss") < arguments.indexOf("-i"));
        QCOMPARE(valueAfter(arguments, "-af"),
                 "atrim=start=70.000000,asetpts=PTS-STARTPTS," + timestampFilter + ",volume=0.78125000");

        arguments = ffmpegFor(videoCommand, nullptr, false, amr);
        QVERIFY(arguments.indexOf("-ss") > arguments.lastIndexOf("-i"));
        QCOMPARE(valueAfter(arguments, "-af"), timestampFilter + ",volume=0.78125000");

        arguments = ffmpegFor({"-y", "-i", "a.3gp", "-acodec", "mp3", "-vn", "a.mp3"}, nullptr, true, amr);
        QCOMPARE(valuesAfter(arguments, "-map"), QStringList{"1:a:0"});

        QStringList feeder;
        for (const std::string &argument : encoder::amrFeederArguments({"/in/a.3gp", {}}, amr))
            feeder << QString::fromStdString(argument);
        QCOMPARE(valueAfter(feeder, "-i"), QString("file:/in/a.3gp"));
        QCOMPARE(valueAfter(feeder, "-map"), QString("0:1"));
        QCOMPARE(valueAfter(feeder, "-c:a"), QString("copy"));
        QCOMPARE(feeder.mid(feeder.size() - 3), (QStringList{"-f", "amr", "pipe:1"}));
    }

    // A picture chosen here is mapped by its number. One of few frames holds
    // its last frame before the rate changes (which would drop a frame shorter
    // than its period), and the first rate change repeats its first frame
    // from the start.
    void chosenPicture()
    {
        QStringList arguments = ffmpegFor(videoCommand, nullptr, true, {2, false}, {1, 0.5, 1.25});
        QCOMPARE(valuesAfter(arguments, "-map"), (QStringList{"0:1", "0:2"}));
        QVERIFY(
            valueAfter(arguments, "-vf").startsWith("tpad=stop_mode=clone:stop_duration=1.25,fps=15/1:start_time=0,"));

        const encoder::SourceSpec script{"/m/a.rm", "29.9700898503294"};
        arguments = ffmpegFor(videoCommand, &script, true, {}, {0, 0.5, 0.0});
        QCOMPARE(valuesAfter(arguments, "-map"), QStringList{"0:0"});
        QVERIFY(valueAfter(arguments, "-vf").startsWith("fps=30060/1003:start_time=0,fps=15/1,"));

        arguments = ffmpegFor(videoCommand, nullptr, true, {}, {1, 0.0, 0.0});
        QCOMPARE(valuesAfter(arguments, "-map"), QStringList{"0:1"});
        QCOMPARE(rateFilters(arguments), QString("fps=15/1"));

        arguments = ffmpegFor({"-y", "-i", "a.mp4", "-acodec", "mp3", "-vn", "a.mp3"}, nullptr, true, {0, false},
                              {1, 0.5, 1.25});
        QCOMPARE(valuesAfter(arguments, "-map"), QStringList{"0:0"});
        QVERIFY(!arguments.contains("-vf"));
    }

    // A script's constant rate comes first, then the rate asked for.
    void scriptRateComesFirst()
    {
        const encoder::SourceSpec source{"/m/a.rm", "29.9700898503294"};
        QCOMPARE(rateFilters(ffmpegFor(videoCommand, &source)), QString("fps=30060/1003,fps=15/1"));
        QCOMPARE(valueAfter(ffmpegFor(videoCommand, &source), "-i"), QString("file:/m/a.rm"));
    }

    void sampleRatesAndChannels_data()
    {
        QTest::addColumn<QString>("encoder");
        QTest::addColumn<int>("asked");
        QTest::addColumn<int>("given");
        for (const int rate : {22050, 32000, 44100, 48000}) {
            QTest::addRow("aac %d", rate) << "aac" << rate << rate;
            QTest::addRow("mp3 %d", rate) << "libmp3lame" << rate << rate;
        }
        QTest::newRow("aac 7000") << "aac" << 7000 << 7350;
        QTest::newRow("aac 100000") << "aac" << 100000 << 96000;
        QTest::newRow("mp3 96000") << "libmp3lame" << 96000 << 48000;
        QTest::newRow("mp3 7000") << "libmp3lame" << 7000 << 8000;
        QTest::newRow("mp3 tie goes up") << "libmp3lame" << 23025 << 24000;
    }

    void sampleRatesAndChannels()
    {
        QFETCH(QString, encoder);
        QFETCH(int, asked);
        QFETCH(int, given);
        QCOMPARE(encoder::supportedSampleRate(encoder.toStdString(), asked), given);
        QCOMPARE(encoder::supportedChannels("libmp3lame", 6), 2);
        QCOMPARE(encoder::supportedChannels("aac", 6), 6);
    }
};

QTEST_GUILESS_MAIN(TestEncoderArguments)
#include "tst_enc_arguments.moc"
