#include "../support/ProgramFixture.h"
#include "Code/ConversionRequest.h"
#include "Code/Unit_CommonLib.h"
#include "Code/Unit_Option.h"
#include "Code/core/Errors.h"
#include "Code/core/TextFormats.h"
#include "ui/Selectors.h"
#include "ui/SourceGrid.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

namespace {
void addRow(const QString &file, const QString &start, const QString &end, const QString &duration = "00:05:00")
{
    FrmMainForm->dxTreeSourceFileInfo->Model()->AppendRow(
        {"True", file, "1 MB", duration, start, end, FormatDuration(ReadTimeFixed(end) - ReadTimeFixed(start))});
}

TConvertParameterStruct build(const QString &file)
{
    return BuildEncoderCommand(SourceRowsOf(FrmMainForm->dxTreeSourceFileInfo), FrmMainForm->ConversionRequest(), file);
}

QString command(const QString &file)
{
    return EncoderCommandText(build(file));
}

void choose(int outputType, int quality)
{
    ui::setSelectorIndex(FrmMainForm->cbbOutputFiletype, outputType);
    ui::setSelectorIndex(FrmMainForm->cbbProfile, quality);
    FrmMainForm->cbbProfileChange();
}
} // namespace

class TestBuilder : public QObject {
    Q_OBJECT

    std::unique_ptr<ProgramFixture> m_program;
    QTemporaryDir m_out;
    QString m_prefix; // the program folder

    QString out(const QString &name) const { return m_out.path() + '/' + name; }

private Q_SLOTS:
    void initTestCase()
    {
        m_program = std::make_unique<ProgramFixture>();
        m_prefix = m_program->folder.path() + '/';
    }

    void init()
    {
        FrmMainForm->dxTreeSourceFileInfo->Model()->Clear();
        FrmMainForm->edtOutputFolder->setText(m_out.path());
        frmOption->cbbCustomProfile->clear();
        choose(0, 2);
    }

    void overviewExample()
    {
        choose(1, 2);
        addRow("/videos/holiday.avi", "00:00:10", "00:01:45");
        const TConvertParameterStruct p = build("/videos/holiday.avi");
        QCOMPARE(EncoderCommandText(p),
                 m_prefix +
                     "vidcoda -y -i \"/videos/holiday.avi\" -vcodec mpeg4 -acodec aac -b 128 -s 320x240"
                     " -r 15 -aspect 4:3 -ab 128 -vol 200 -ac 1 -ar 22050 -f mov -ss 00:00:10 -t 95 \"" +
                     out("holiday.mov") + "\"");
        QCOMPARE(p.Trim->StartText, QStringLiteral("00:00:10"));
        QCOMPARE(TrimLengthText(p.Trim), QStringLiteral("95"));
        QCOMPARE(p.OutputFolder, m_out.path() + '/');
        QCOMPARE(p.OutputBaseName, QStringLiteral("holiday"));
        QCOMPARE(p.OutputExtension, QStringLiteral(".mov"));
        QCOMPARE(p.EncoderPath, m_prefix + "vidcoda");
    }

    void outputTypes_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("options");
        QTest::newRow("mp4") << 0
                             << " -vcodec mpeg4 -acodec aac -b 128 -s 320x240 -r 15 -aspect 4:3 -ab 128 -vol 200"
                                " -ac 2 -ar 44100 -ss 00:00:00 -t 95 \"%1.mp4\"";
        QTest::newRow("mov") << 1
                             << " -vcodec mpeg4 -acodec aac -b 128 -s 320x240 -r 15 -aspect 4:3 -ab 128 -vol 200"
                                " -ac 1 -ar 22050 -f mov -ss 00:00:00 -t 95 \"%1.mov\"";
        QTest::newRow("aac") << 2 << " -acodec aac -vn -ab 128 -vol 200 -ac 2 -ar 44100 -ss 00:00:00 -t 95 \"%1.aac\"";
        QTest::newRow("m4a") << 3 << " -acodec aac -vn -ab 128 -vol 200 -ac 1 -ar 22050 -ss 00:00:00 -t 95 \"%1.m4a\"";
        QTest::newRow("mp3") << 4 << " -acodec mp3 -vn -ab 128 -vol 200 -ac 2 -ar 44100 -ss 00:00:00 -t 95 \"%1.mp3\"";
    }
    void outputTypes()
    {
        QFETCH(int, type);
        QFETCH(QString, options);
        choose(type, 2);
        ui::setSelectorIndex(frmOption->cbbAspectratio, 1); // video-only option: absent from audio layouts
        addRow("/videos/clip.mpg", "00:00:00", "00:01:35");
        QString expected = m_prefix + "vidcoda -y -i \"/videos/clip.mpg\"" + options.arg(out("clip"));
        expected.replace("-aspect 4:3", "-aspect 16:9");
        QCOMPARE(command("/videos/clip.mpg"), expected);
        ui::setSelectorIndex(frmOption->cbbAspectratio, 0);
    }

    void trimTexts_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<QString>("trim");
        QTest::newRow("whole") << "00:00:00"
                               << "00:05:00"
                               << " -ss 00:00:00 -t 300 ";
        QTest::newRow("equal") << "00:01:00"
                               << "00:01:00"
                               << " -ss 00:01:00 -t 0 ";
        QTest::newRow("hours") << "01:00:00"
                               << "01:30:05"
                               << " -ss 01:00:00 -t 1805 ";
    }
    void trimTexts()
    {
        QFETCH(QString, start);
        QFETCH(QString, end);
        QFETCH(QString, trim);
        addRow("/videos/t.avi", start, end, "02:00:00");
        QVERIFY(command("/videos/t.avi").contains(trim));
    }

    void fileNotListedGetsNoTrim()
    {
        const QString text = command("/videos/absent.avi");
        QVERIFY(!text.contains(" -ss ") && !text.contains(" -t "));
        QVERIFY(!build("/videos/absent.avi").Trim);
    }

    void laterRowOfSameFileDecides()
    {
        addRow("/videos/Same.avi", "00:00:05", "00:00:10");
        addRow("/videos/same.avi", "00:01:00", "00:02:30");
        QVERIFY(command("/videos/Same.avi").contains(" -ss 00:01:00 -t 90 "));
        QVERIFY(command("/videos/same.avi").contains(" -ss 00:01:00 -t 90 "));
    }

    void encoderChoiceAndScript_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("realMedia");
        QTest::newRow("rm") << "/videos/talk.rm" << true;
        QTest::newRow("rmvb") << "/videos/talk.rmvb" << true;
        QTest::newRow("capital RM") << "/videos/talk.RM" << false;
        QTest::newRow("avi") << "/videos/talk.avi" << false;
    }
    void encoderChoiceAndScript()
    {
        QFETCH(QString, file);
        QFETCH(bool, realMedia);
        QFile::remove(m_prefix + "VideoFile.avs");
        addRow(file, "00:00:00", "00:00:30");
        const QString text = command(file);
        const QString script = m_prefix + "VideoFile.avs";
        QCOMPARE(text.startsWith(m_prefix + (realMedia ? "rmcoda -y -i \"" + script : "vidcoda -y -i \"" + file)),
                 true);
        QCOMPARE(m_program->read("VideoFile.avs"),
                 "DirectShowSource(\"" + file.toUtf8() + "\", fps=29.9700898503294, convertfps=true)\r\n");
        QVERIFY(build(file).ScriptWritten);
    }

    void unwritableScriptIsNoted()
    {
        QFile::remove(m_prefix + "VideoFile.avs");
        QVERIFY(QDir(m_prefix).mkdir("VideoFile.avs")); // a folder stands where the file would go
        addRow("/videos/talk.rm", "00:00:00", "00:00:30");
        QVERIFY(!build("/videos/talk.rm").ScriptWritten);
        QVERIFY(m_program->read("log.txt").contains("Script error."));
        QVERIFY(QDir(m_prefix).rmdir("VideoFile.avs"));
    }

    void outputFolderWithAndWithoutSeparator()
    {
        QFile::remove(m_prefix + "log.txt");
        FrmMainForm->edtOutputFolder->setText(m_out.path() + "/new/deeper/");
        QCOMPARE(PrepareOutputFolder(FrmMainForm->edtOutputFolder->text()), m_out.path() + "/new/deeper/");
        FrmMainForm->edtOutputFolder->setText(m_out.path() + "/new/other");
        QCOMPARE(PrepareOutputFolder(FrmMainForm->edtOutputFolder->text()), m_out.path() + "/new/other/");
        QVERIFY(QFileInfo(m_out.path() + "/new/other").isDir());
        const QByteArray log = m_program->read("log.txt");
        QVERIFY(log.contains("|Output directory " + m_out.path().toUtf8() + "/new/deeper/\r\n"));
        FrmMainForm->edtOutputFolder->setText("/proc/no/such/place");
        PrepareOutputFolder(FrmMainForm->edtOutputFolder->text());
        QVERIFY(m_program->read("log.txt").contains("|Output directory error. ->/proc/no/such/place/\r\n"));
    }

    void uniqueOutputNames()
    {
        addRow("/videos/holiday.avi", "00:00:00", "00:00:30");
        QFile(out("holiday.avi")).open(QIODevice::WriteOnly); // the source itself lies there
        QVERIFY(command("/videos/holiday.avi").endsWith("\"" + out("holiday_1.mp4") + "\""));
        QFile(out("holiday_1.txt")).open(QIODevice::WriteOnly);
        QVERIFY(command("/videos/holiday.avi").endsWith("\"" + out("holiday_2.mp4") + "\""));
        QCOMPARE(build("/videos/holiday.avi").OutputPath, out("holiday_2.mp4"));
    }

    void customProfileAppliedAtBuild()
    {
        m_program->write("Config/UserProfileInfo.ini", "\r\n[Tiny]\r\nTiny=0|0|0|0|0|0\r\n");
        frmOption->RefillProfileList();
        frmOption->cbbCustomProfile->setCurrentIndex(0);
        choose(0, 4); // a built-in quality chosen after the profile
        addRow("/videos/p.avi", "00:00:00", "00:00:30");
        const int frameRate = frmOption->cbbFramerate->currentIndex();
        QVERIFY(command("/videos/p.avi")
                    .contains(" -b 40 -s 320x240 -r 14.985 -aspect 4:3 -ab 16 "
                              "-vol 200 -ac 1 -ar 22050 "));
        // Reading the rows for a batch leaves the windows as they were.
        QCOMPARE(frmOption->cbbFramerate->currentIndex(), frameRate);
        QCOMPARE(frmOption->cbbFramerate->currentText(), QStringLiteral("15"));

        // A damaged profile fails the row with its reason.
        m_program->write("Config/UserProfileInfo.ini", "\r\n[Tiny]\r\nTiny=0|x|0|0|0|0\r\n");
        QVERIFY_THROWS_EXCEPTION(EConvertError, build("/videos/p.avi"));
    }
};

QTEST_MAIN(TestBuilder)
#include "tst_builder.moc"
