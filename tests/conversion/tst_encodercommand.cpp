#include "Code/core/EncoderCommand.h"
#include "Code/core/EncoderFailure.h"
#include "Code/core/WindowsCommandLine.h"

#include <QTest>

namespace {
using O = TEncoderOption;

TConvertParameterStruct overviewExample()
{
    TConvertParameterStruct p;
    p.EncoderPath = "/opt/movarel/vidcoda";
    p.InputFile = "/home/ann/Videos/holiday.avi";
    p.Options.OutputType = 1; // MOV
    p.Options[O::VideoBitrate] = 2;
    p.Options[O::VideoSize] = 0;
    p.Options[O::FrameRate] = 1;
    p.Options[O::Aspect] = 0;
    p.Options[O::AudioBitrate] = 5;
    p.Options[O::Volume] = 8;
    p.Options[O::AudioChannels] = 0;
    p.Options[O::AudioSample] = 0;
    p.Trim = TTrimSpan{"00:00:10", 10, 105};
    p.OutputPath = "/home/ann/Movarel Output Folder/holiday.mov";
    return p;
}
} // namespace

class TestEncoderCommand : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void videoLayoutByteForByte()
    {
        const TConvertParameterStruct p = overviewExample();
        QCOMPARE(EncoderCommandText(p),
                 QStringLiteral("/opt/movarel/vidcoda -y -i \"/home/ann/Videos/holiday.avi\" -vcodec mpeg4 -acodec aac"
                                " -b 128 -s 320x240 -r 15 -aspect 4:3 -ab 128 -vol 200 -ac 1 -ar 22050 -f mov"
                                " -ss 00:00:10 -t 95 \"/home/ann/Movarel Output Folder/holiday.mov\""));
        QCOMPARE(EncoderArguments(p),
                 (QStringList{"-y",      "-i",      "/home/ann/Videos/holiday.avi",
                              "-vcodec", "mpeg4",   "-acodec",
                              "aac",     "-b",      "128",
                              "-s",      "320x240", "-r",
                              "15",      "-aspect", "4:3",
                              "-ab",     "128",     "-vol",
                              "200",     "-ac",     "1",
                              "-ar",     "22050",   "-f",
                              "mov",     "-ss",     "00:00:10",
                              "-t",      "95",      "/home/ann/Movarel Output Folder/holiday.mov"}));
    }

    void audioLayoutCarriesNoVideoOption()
    {
        TConvertParameterStruct p = overviewExample();
        p.Options.OutputType = 4; // MP3
        p.Trim.reset();
        p.OutputPath = "/out/holiday.mp3";
        QCOMPARE(EncoderCommandText(p),
                 QStringLiteral("/opt/movarel/vidcoda -y -i \"/home/ann/Videos/holiday.avi\" -acodec mp3 -vn -ab 128"
                                " -vol 200 -ac 1 -ar 22050 \"/out/holiday.mp3\""));
        QVERIFY(p.AudioOnly());
        QVERIFY(!overviewExample().AudioOnly());
    }

    // Options without a choice fall back; the empty volume fragment leaves
    // its blank in the text but adds no argument.
    void nothingChosenFallsBack()
    {
        TConvertParameterStruct p = overviewExample();
        p.Options.Indices.fill(-1);
        p.Options[O::VideoSize] = 1; // beyond the one size, as after any preset
        QCOMPARE(EncoderCommandText(p),
                 QStringLiteral("/opt/movarel/vidcoda -y -i \"/home/ann/Videos/holiday.avi\" -vcodec mpeg4 -acodec aac"
                                " -b 512 -s 320x240 -r 25 -aspect 4:3 -ab 64  -ac 2 -ar 44100 -f mov"
                                " -ss 00:00:10 -t 95 \"/home/ann/Movarel Output Folder/holiday.mov\""));
        QVERIFY(!EncoderArguments(p).contains("-vol"));
        QVERIFY(!EncoderArguments(p).contains(""));
    }

    // A double quote in a path must not end the quoted word early and let the
    // rest of the name pass as options: the logged text reads back as the
    // arguments the encoder gets.
    void quotesInPathsStayInside_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("output");
        QTest::newRow("quote in input") << "/v/a\" -f mp4 \"/tmp/evil.avi"
                                        << "/out/x.mp4";
        QTest::newRow("quote in output") << "/v/in.avi"
                                         << "/out/say \"hi\".mp4";
        QTest::newRow("trailing backslash") << "/v/odd\\"
                                            << "/out/odd\\.mp4";
        QTest::newRow("dash and letters") << "/v/-rf ünï.avi"
                                          << "/out/-rf ünï.mp4";
    }
    void quotesInPathsStayInside()
    {
        QFETCH(QString, input);
        QFETCH(QString, output);
        TConvertParameterStruct p = overviewExample();
        p.InputFile = input;
        p.OutputPath = output;
        const QStringList arguments = EncoderArguments(p);
        QCOMPARE(arguments.at(2), input);
        QCOMPARE(arguments.last(), output);
        // -y -i input, two codec options, nine valued options, -ss/-t, output
        QCOMPARE(arguments.size(), 3 + 4 + 9 * 2 + 4 + 1);
        QCOMPARE(SplitCommandLine(EncoderCommandText(p)), QStringList{p.EncoderPath} + arguments);
    }

    void realMediaChoice_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("realMedia");
        QTest::newRow("rm") << "/v/a.rm" << true;
        QTest::newRow("rmvb") << "/v/a.rmvb" << true;
        QTest::newRow("capitals") << "/v/a.RM" << false;
        QTest::newRow("avi") << "/v/a.avi" << false;
        QTest::newRow("no extension") << "/v/rm" << false;
    }
    void realMediaChoice()
    {
        QFETCH(QString, file);
        QFETCH(bool, realMedia);
        QCOMPARE(IsRealMediaSource(file), realMedia);
    }

    void script_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("script");
        QTest::newRow("plain") << "/v/My Film.rm"
                               << QByteArray(
                                      "DirectShowSource(\"/v/My Film.rm\", fps=29.9700898503294, convertfps=true)\r\n");
        QTest::newRow("quote") << "/v/a\"b.rm"
                               << QByteArray("DirectShowSource(\"\"\"/v/a\"b.rm\"\"\", fps=29.9700898503294, "
                                             "convertfps=true)\r\n");
        QTest::newRow("unwritable") << "/v/a\"\"\"b.rm" << QByteArray();
    }
    void script()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, script);
        QCOMPARE(DirectShowScript(file), script);
    }

    void failureReasons_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("reason");
        QTest::newRow("permission") << "frame=  10 q=2.0 size=  1kB time=0.40 bitrate= 1.0kbits/s\r"
                                       "vidcoda: cannot write \"/out/x.mp4\": Permission denied\n"
                                    << "Permission denied";
        QTest::newRow("disk full") << "av_interleaved_write_frame(): No space left on device\n"
                                   << "No space left on device";
        QTest::newRow("bad input") << "/v/x.avi: Invalid data found when processing input\n"
                                   << "Invalid data found when processing input";
        QTest::newRow("other line") << "vidcoda: unknown option \"-zz\"\n"
                                    << "unknown option \"-zz\"";
        QTest::newRow("status lines only") << "size=  64kB time=1.00 bitrate= 1.0kbits/s\r"
                                           << "";
        QTest::newRow("nothing") << ""
                                 << "";
    }
    void failureReasons()
    {
        QFETCH(QString, output);
        QFETCH(QString, reason);
        QCOMPARE(FailureReasonFrom(output), reason);
    }

    void lastLinesForTheLog()
    {
        QCOMPARE(LastOutputLines("a\r\nb\rc\n\nd\n", 2), (QStringList{"c", "d"}));
        QCOMPARE(LastOutputLines("only", 5), QStringList{"only"});
    }
};

QTEST_GUILESS_MAIN(TestEncoderCommand)
#include "tst_encodercommand.moc"
