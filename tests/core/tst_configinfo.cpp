#include "Code/Unit_ConfigInfo.h"

#include <QTest>

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
        using Fragment = QString (*)(const QString &);
        QTest::addColumn<quintptr>("fn");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("fragment");
        auto row = [](const char *name, Fragment f, const char *entry, const char *text) {
            QTest::newRow(name) << quintptr(f) << QString(entry) << QString(text);
        };
        row("size", VideoSizeParam, "320x240", " -s 320x240");
        row("size none", VideoSizeParam, "", " -s 320x240");
        row("vbitrate", VideoBitrateParam, "128", " -b 128");
        row("vbitrate none", VideoBitrateParam, "", " -b 512");
        row("rate", FrameRateParam, "23.967", " -r 23.967");
        row("rate none", FrameRateParam, "", " -r 25");
        row("aspect", AspectParam, "16:9", " -aspect 16:9");
        row("aspect none", AspectParam, "", " -aspect 4:3");
        row("abitrate", AudioBitrateParam, "224", " -ab 224");
        row("abitrate none", AudioBitrateParam, "", " -ab 64");
        row("sample", AudioSampleParam, "22050", " -ar 22050");
        row("sample none", AudioSampleParam, "", " -ar 44100");
        row("stereo", AudioChannelsParam, "2 channels, Stereo", " -ac 2");
        row("mono", AudioChannelsParam, "1 channel, Mono", " -ac 1");
        row("channels none", AudioChannelsParam, "", " -ac 2");
        row("volume", VolumeParam, "200", " -vol 200");
        row("volume zero", VolumeParam, "0", " -vol 0");
        row("volume none", VolumeParam, "", " ");
    }
    void optionFragments()
    {
        QFETCH(quintptr, fn);
        QFETCH(QString, entry);
        QFETCH(QString, fragment);
        QCOMPARE(reinterpret_cast<QString (*)(const QString &)>(fn)(entry), fragment);
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
