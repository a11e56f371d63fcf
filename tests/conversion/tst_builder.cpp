#include "../support/BatchFixture.h"
#include "Code/conversion/ConversionRequest.h"
#include "Code/conversion/RowPreparation.h"
#include "Code/core/Errors.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

class TestBuilder : public QObject {
    Q_OBJECT

    std::unique_ptr<BatchFixture> m_program;
    QTemporaryDir m_out;
    QString m_prefix; // the program folder
    QList<TConversionRow> m_rows;
    TConversionRequest m_request;

    QString out(const QString &name) const { return m_out.path() + '/' + name; }

    void addRow(const QString &file, const QString &start, const QString &end)
    {
        m_rows.append(checkedRow(file, start, end));
    }
    void choose(int outputType, int quality) { m_request.Options = presetOptions(outputType, quality); }

    // The row's parameters as a batch of its own starts it: built, then prepared.
    TConvertParameterStruct build(const QString &file)
    {
        TConvertParameterStruct p = BuildEncoderCommand(m_rows, m_request, file);
        const TRowScript script = HoldRowScript();
        PrepareRow(p, script, [this](const QString &line) { m_program->log.append(line); });
        return p;
    }
    QString command(const QString &file) { return EncoderCommandText(build(file)); }

private Q_SLOTS:
    void initTestCase()
    {
        m_program = std::make_unique<BatchFixture>();
        m_prefix = m_program->folder.path() + '/';
    }

    void init()
    {
        // Each prepared row claims its name: a fresh folder for each test.
        QDir(m_out.path()).removeRecursively();
        QDir().mkpath(m_out.path());
        m_rows.clear();
        m_request = {.Options = presetOptions(0), .CustomProfileValue = QString(), .OutputFolderText = m_out.path()};
        m_program->log.clear();
    }

    // Building a row reads values only: no folder made, no script written,
    // no name taken.
    void buildingTouchesNoFile()
    {
        m_request.OutputFolderText = m_out.path() + "/not yet";
        addRow("/videos/talk.rm", "00:00:00", "00:00:30");
        QFile::remove(ScriptFile());
        const TConvertParameterStruct p = BuildEncoderCommand(m_rows, m_request, "/videos/talk.rm");
        QCOMPARE(p.OutputFolder, m_out.path() + "/not yet/");
        QVERIFY(p.OutputPath.isEmpty());
        QVERIFY(!QFileInfo::exists(m_out.path() + "/not yet"));
        QVERIFY(!QFileInfo::exists(ScriptFile()));
        QVERIFY(m_program->log.isEmpty());
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
        m_request.Options[TEncoderOption::Aspect] = 1; // video-only option: absent from audio layouts
        addRow("/videos/clip.mpg", "00:00:00", "00:01:35");
        QString expected = m_prefix + "vidcoda -y -i \"/videos/clip.mpg\"" + options.arg(out("clip"));
        expected.replace("-aspect 4:3", "-aspect 16:9");
        QCOMPARE(command("/videos/clip.mpg"), expected);
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
        addRow("/videos/t.avi", start, end);
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
        QFile::remove(ScriptFile());
        addRow(file, "00:00:00", "00:00:30");
        const QString text = command(file);
        const QString script = ScriptFile();
        QCOMPARE(text.startsWith(m_prefix + (realMedia ? "rmcoda -y -i \"" + script : "vidcoda -y -i \"" + file)),
                 true);
        QFile written(ScriptFile());
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(),
                 "DirectShowSource(\"" + file.toUtf8() + "\", fps=29.9700898503294, convertfps=true)\r\n");
        QVERIFY(build(file).ScriptWritten);
    }

    void unwritableScriptIsNoted()
    {
        QFile::remove(ScriptFile());
        QVERIFY(QDir().mkpath(ScriptFile())); // a folder stands where the file would go
        addRow("/videos/talk.rm", "00:00:00", "00:00:30");
        QVERIFY(!build("/videos/talk.rm").ScriptWritten);
        QVERIFY(m_program->log.contains("Script error. ->" + ScriptFile()));
        QVERIFY(QDir().rmdir(ScriptFile()));
    }

    void outputFolderWithAndWithoutSeparator()
    {
        const auto log = [this](const QString &line) { m_program->log.append(line); };
        QCOMPARE(OutputFolderOf(m_out.path() + "/new/deeper/"), m_out.path() + "/new/deeper/");
        QCOMPARE(OutputFolderOf(m_out.path() + "/new/other"), m_out.path() + "/new/other/");
        QCOMPARE(OutputFolderOf("relative"), m_prefix + "relative/");
        PrepareOutputFolder(OutputFolderOf(m_out.path() + "/new/other"), log);
        QVERIFY(QFileInfo(m_out.path() + "/new/other").isDir());
        QVERIFY(m_program->log.contains("Output directory " + m_out.path() + "/new/other/"));
        PrepareOutputFolder("/proc/no/such/place/", log);
        QVERIFY(m_program->log.contains("Output directory error. ->/proc/no/such/place/"));
    }

    void uniqueOutputNames()
    {
        addRow("/videos/holiday.avi", "00:00:00", "00:00:30");
        QFile(out("holiday.avi")).open(QIODevice::WriteOnly); // the source itself lies there
        QVERIFY(command("/videos/holiday.avi").endsWith("\"" + out("holiday_1.mp4") + "\""));
        QFile(out("holiday_2.txt")).open(QIODevice::WriteOnly);
        // The name each row takes is claimed: the next row finds it taken.
        QVERIFY(QFileInfo::exists(out("holiday_1.mp4")));
        QVERIFY(command("/videos/holiday.avi").endsWith("\"" + out("holiday_3.mp4") + "\""));
        QCOMPARE(build("/videos/holiday.avi").OutputPath, out("holiday_4.mp4"));
        QCOMPARE(QFileInfo(out("holiday_4.mp4")).size(), 0);
    }

    // A folder standing at the name is not a file the listing sees: the name
    // is handed on unclaimed, and the encoder says it cannot write there.
    void folderAtTheNameIsNotClaimed()
    {
        addRow("/videos/holiday.avi", "00:00:00", "00:00:30");
        QVERIFY(QDir().mkpath(out("holiday.mp4")));
        const TConvertParameterStruct p = build("/videos/holiday.avi");
        QCOMPARE(p.OutputPath, out("holiday.mp4"));
        QVERIFY(!p.OutputClaim);
        QVERIFY(QFileInfo(out("holiday.mp4")).isDir());
    }

    void customProfileAppliedAtBuild()
    {
        m_request.CustomProfileValue = "0|0|0|0|0|0";
        choose(0, 4); // a built-in quality chosen after the profile
        addRow("/videos/p.avi", "00:00:00", "00:00:30");
        QVERIFY(command("/videos/p.avi")
                    .contains(" -b 40 -s 320x240 -r 14.985 -aspect 4:3 -ab 16 "
                              "-vol 200 -ac 1 -ar 22050 "));

        // A damaged profile fails the row with its reason.
        m_request.CustomProfileValue = "0|x|0|0|0|0";
        QVERIFY_THROWS_EXCEPTION(EConvertError, build("/videos/p.avi"));
    }
};

QTEST_GUILESS_MAIN(TestBuilder)
#include "tst_builder.moc"
