#include "Code/core/EncoderOptions.h"
#include "Code/core/Errors.h"
#include "Code/core/Unit_ConfigInfo.h"

#include <QTest>

Q_DECLARE_METATYPE(TEncoderOption)

using ListFn = QStringList (*)();
Q_DECLARE_METATYPE(ListFn)

class TestConfigInfo : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void tables_data()
    {
        QTest::addColumn<ListFn>("accessor");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("output types") << ListFn(GetOutputTypeList) << QStringList{"iPod MPEG-4 Video Files (*.mp4)",
                                                                                  "MOV Video Files (*.mov)",
                                                                                  "AAC Audio Files (*.aac)",
                                                                                  "M4A MPEG Audio Files (*.m4a)",
                                                                                  "MP3 Files (*.mp3)",
                                                                                  "0"};
        QTest::newRow("qualities") << ListFn(GetQualityList)
                                   << QStringList{"Low Quality",       "Acceptable Quality", "Normal Quality",
                                                  "Excellent Quality", "Superb Quality",     "2"};
        QTest::newRow("video size") << ListFn(GetVideoSizeList) << QStringList{"320x240", "0"};
        QTest::newRow("video bitrate") << ListFn(GetVideoBitrateList)
                                       << QStringList{"40", "80", "128", "256", "512", "2"};
        QTest::newRow("frame rate") << ListFn(GetFrameRateList)
                                    << QStringList{"14.985", "15", "23.967", "24", "25", "29.97", "30", "1"};
        QTest::newRow("aspect") << ListFn(GetAspectRatioList) << QStringList{"4:3", "16:9", "0"};
        QTest::newRow("audio bitrate") << ListFn(GetAudioBitrateList)
                                       << QStringList{"16", "32", "48", "64", "80", "128", "160", "192", "224", "2"};
        QTest::newRow("sample rate") << ListFn(GetAudioSampleList)
                                     << QStringList{"22050", "32000", "44100", "48000", "2"};
        QTest::newRow("channels") << ListFn(GetAudioChannelsList)
                                  << QStringList{"1 channel, Mono", "2 channels, Stereo", "1"};
        QTest::newRow("volume") << ListFn(GetVolumeGainList)
                                << QStringList{"0",   "25",  "50",  "75",  "100", "125", "150", "175",
                                               "200", "225", "250", "275", "300", "325", "350", "375",
                                               "400", "425", "450", "475", "500", "8"};
        QTest::newRow("codecs") << ListFn(GetCodecParamList)
                                << QStringList{"-vcodec mpeg4 -acodec aac", "-vcodec mpeg4 -acodec aac",
                                               "-acodec aac -vn",           "-acodec aac -vn",
                                               "-acodec mp3 -vn",           "0"};
        QTest::newRow("formats") << ListFn(GetFormatNameList) << QStringList{"none", "mov", "none", "none", "none"};
        QTest::newRow("extensions") << ListFn(GetExtensionList) << QStringList{".mp4", ".mov", ".aac", ".m4a", ".mp3"};
    }
    void tables()
    {
        QFETCH(ListFn, accessor);
        QFETCH(QStringList, expected);
        QCOMPARE(accessor(), expected);
    }

    void presetRows()
    {
        const QStringList stereo{"1|0|0|2|0|0", "1|0|1|4|1|1", "1|1|2|5|1|2", "1|1|3|7|1|2", "1|1|4|8|1|3"};
        const QStringList mono{"1|0|0|2|0|0", "1|0|1|4|0|0", "1|1|2|5|0|0", "1|1|3|7|0|0", "1|1|4|8|0|0"};
        QCOMPARE(GetPresetList(0), stereo);
        QCOMPARE(GetPresetList(2), stereo);
        QCOMPARE(GetPresetList(4), stereo);
        QCOMPARE(GetPresetList(1), mono);
        QCOMPARE(GetPresetList(3), mono);
        QVERIFY(GetPresetList(5).isEmpty());
        QVERIFY(GetPresetList(-1).isEmpty());
    }

    void optionFragments_data()
    {
        QTest::addColumn<TEncoderOption>("option");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("fragment");
        using O = TEncoderOption;
        QTest::newRow("size") << O::VideoSize << 0 << " -s 320x240";
        QTest::newRow("size beyond the one entry") << O::VideoSize << 1 << " -s 320x240";
        QTest::newRow("vbitrate") << O::VideoBitrate << 2 << " -b 128";
        QTest::newRow("vbitrate none") << O::VideoBitrate << -1 << " -b 512";
        QTest::newRow("rate") << O::FrameRate << 2 << " -r 23.967";
        QTest::newRow("rate none") << O::FrameRate << -1 << " -r 25";
        QTest::newRow("aspect") << O::Aspect << 1 << " -aspect 16:9";
        QTest::newRow("aspect none") << O::Aspect << -1 << " -aspect 4:3";
        QTest::newRow("abitrate") << O::AudioBitrate << 8 << " -ab 224";
        QTest::newRow("abitrate none") << O::AudioBitrate << 9 << " -ab 64";
        QTest::newRow("sample") << O::AudioSample << 0 << " -ar 22050";
        QTest::newRow("sample none") << O::AudioSample << -1 << " -ar 44100";
        QTest::newRow("stereo") << O::AudioChannels << 1 << " -ac 2";
        QTest::newRow("mono") << O::AudioChannels << 0 << " -ac 1";
        QTest::newRow("channels none") << O::AudioChannels << -1 << " -ac 2";
        QTest::newRow("volume") << O::Volume << 8 << " -vol 200";
        QTest::newRow("volume zero") << O::Volume << 0 << " -vol 0";
        QTest::newRow("volume none") << O::Volume << -1 << " ";
    }
    void optionFragments()
    {
        QFETCH(TEncoderOption, option);
        QFETCH(int, index);
        QFETCH(QString, fragment);
        QCOMPARE(OptionFragment(option, OptionEntry(option, index)), fragment);
    }

    // The six fields of presets and profiles, in their stored order.
    void profileFields()
    {
        using O = TEncoderOption;
        const std::array<TEncoderOption, 6> order{O::VideoSize,    O::FrameRate,     O::VideoBitrate,
                                                  O::AudioBitrate, O::AudioChannels, O::AudioSample};
        QVERIFY(ProfileFieldOptions() == order);
        TEncoderOptions options;
        ApplyProfileFields(*ReadPresetFields("1|1|2|5|none|2"), options);
        QCOMPARE(ProfileValueOf(options), QStringLiteral("1|1|2|5|-1|2"));
        QCOMPARE(options[O::Aspect], -1);
        QCOMPARE(options[O::Volume], -1);
    }

    void storedProfiles_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("applies");
        QTest::addColumn<QString>("after"); // starting from 3|3|3|3|3|3
        QTest::newRow("six") << "0|1|2|3|4|5" << true << "0|1|2|3|4|5";
        QTest::newRow("five") << "0|1|2|3|4" << false << "3|3|3|3|3|3";
        QTest::newRow("seven") << "0|1|2|3|4|5|6" << false << "3|3|3|3|3|3";
        QTest::newRow("trailing separator") << "0|1|2|3|4|" << false << "3|3|3|3|3|3";
        QTest::newRow("empty field kept") << "0||2|3|4|5" << true << "0|3|2|3|4|5";
        QTest::newRow("negative is none") << "-4|1|2|3|4|5" << true << "-1|1|2|3|4|5";
        QTest::newRow("beyond int is none") << "9999999999|1|2|3|4|5" << true << "-1|1|2|3|4|5";
        QTest::newRow("empty") << "" << false << "3|3|3|3|3|3";
    }
    void storedProfiles()
    {
        QFETCH(QString, value);
        QFETCH(bool, applies);
        TEncoderOptions options;
        options.Indices.fill(3);
        const std::optional<TProfileFields> fields = ReadProfileFields(value);
        QCOMPARE(fields.has_value(), applies);
        if (fields)
            ApplyProfileFields(*fields, options);
        QTEST(ProfileValueOf(options), "after");
    }

    void damagedProfileIsRefusedWhole()
    {
        QVERIFY_THROWS_EXCEPTION(EConvertError, ReadProfileFields("0|1|x|3|4|5"));
        QVERIFY_THROWS_EXCEPTION(EConvertError, ReadProfileFields("0|1|2|3|4|5.0"));
    }

    void outputTypeFragments_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("codec");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("extension");
        QTest::newRow("ipod") << 0 << " -vcodec mpeg4 -acodec aac"
                              << ""
                              << ".mp4";
        QTest::newRow("mov") << 1 << " -vcodec mpeg4 -acodec aac"
                             << " -f mov"
                             << ".mov";
        QTest::newRow("aac") << 2 << " -acodec aac -vn"
                             << ""
                             << ".aac";
        QTest::newRow("m4a") << 3 << " -acodec aac -vn"
                             << ""
                             << ".m4a";
        QTest::newRow("mp3") << 4 << " -acodec mp3 -vn"
                             << ""
                             << ".mp3";
        QTest::newRow("none selected") << -1 << " -vcodec xvid -acodec mp3"
                                       << " -f "
                                       << ".avi";
    }
    void outputTypeFragments()
    {
        QFETCH(int, type);
        QFETCH(QString, codec);
        QFETCH(QString, format);
        QFETCH(QString, extension);
        QCOMPARE(CodecParamOf(type), codec);
        QCOMPARE(FormatParamOf(type), format);
        QCOMPARE(OutputExtensionOf(type), extension);
    }
};

QTEST_GUILESS_MAIN(TestConfigInfo)
#include "tst_configinfo.moc"
