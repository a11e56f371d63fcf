#include "Code/core/WindowsCommandLine.h"

#include <QTest>

class TestCommandLine : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void split_data();
    void split()
    {
        QFETCH(QString, commandLine);
        QFETCH(QStringList, words);
        QCOMPARE(SplitCommandLine(commandLine), words);
    }

    void quote_data();
    void quote()
    {
        QFETCH(QString, path);
        QFETCH(QString, quoted);
        QCOMPARE(QuoteCommandArgument(path), quoted);
    }

    // Whatever a path holds, quoting and splitting give it back as exactly one
    // word: options hidden in a file name never become options.
    void roundTrip_data();
    void roundTrip()
    {
        QFETCH(QString, path);
        const QString commandLine = "/opt/prog -i " + QuoteCommandArgument(path) + " -f mov";
        QCOMPARE(SplitCommandLine(commandLine), (QStringList{"/opt/prog", "-i", path, "-f", "mov"}));
    }
};

// The tables come after the class: moc cannot read raw strings with an odd
// number of quotes.
void TestCommandLine::split_data()
{
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QStringList>("words");
    QTest::newRow("blanks and tabs") << "p a  b\tc" << QStringList{"p", "a", "b", "c"};
    QTest::newRow("outer blanks") << "  p a  " << QStringList{"p", "a"};
    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("only blanks") << " \t " << QStringList{};
    QTest::newRow("quoted group") << R"(p "a b" c)" << QStringList{"p", "a b", "c"};
    QTest::newRow("quotes inside a word") << R"(p a"b c"d)" << QStringList{"p", "ab cd"};
    QTest::newRow("empty quoted word") << R"(p "" x)" << QStringList{"p", "", "x"};
    QTest::newRow("unclosed run") << R"(p "a  b)" << QStringList{"p", "a  b"};
    QTest::newRow("literal backslashes") << R"(p a\b\\c d\)" << QStringList{"p", R"(a\b\\c)", R"(d\)"};
    QTest::newRow("one backslash escapes quote") << R"(p a\"b c)" << QStringList{"p", R"(a"b)", "c"};
    QTest::newRow("two backslashes then run") << R"(p a\\"b c")" << QStringList{"p", R"(a\b c)"};
    QTest::newRow("three backslashes") << R"(p a\\\"b)" << QStringList{"p", R"(a\"b)"};
    QTest::newRow("four backslashes closing") << R"(p "a\\\\" x)" << QStringList{"p", R"(a\\)", "x"};
    QTest::newRow("escaped quote in run") << R"(p "a \" b")" << QStringList{"p", R"(a " b)"};
    // Inside a run a doubled quote is one literal quote and the run goes
    // on, so the blank after it still belongs to the word.
    QTest::newRow("doubled quote in run") << R"(p "a""b c")" << QStringList{"p", R"(a"b c)"};
    QTest::newRow("four quotes") << R"(p """")" << QStringList{"p", R"(")"};
    QTest::newRow("doubled quote outside run") << R"(p a""b)" << QStringList{"p", "ab"};
    QTest::newRow("program keeps backslashes") << R"(/a\"b c"/prog x)" << QStringList{R"(/a\b c/prog)", "x"};
    QTest::newRow("program quoted") << R"("/my apps/prog" -y)" << QStringList{"/my apps/prog", "-y"};
    QTest::newRow("example command")
        << R"(/opt/Movarel/vidcoda -y -i "/home/u/My Videos/clip one.avi" -vcodec mpeg4 -acodec aac -b 128)"
           R"( -s 320x240 -r 15 -aspect 4:3 -ab 128 -vol 200 -ac 1 -ar 22050 -f mov -ss 00:00:10 -t 95)"
           R"( "/home/u/Movarel Output Folder/clip one.mov")"
        << QStringList{"/opt/Movarel/vidcoda",
                       "-y",
                       "-i",
                       "/home/u/My Videos/clip one.avi",
                       "-vcodec",
                       "mpeg4",
                       "-acodec",
                       "aac",
                       "-b",
                       "128",
                       "-s",
                       "320x240",
                       "-r",
                       "15",
                       "-aspect",
                       "4:3",
                       "-ab",
                       "128",
                       "-vol",
                       "200",
                       "-ac",
                       "1",
                       "-ar",
                       "22050",
                       "-f",
                       "mov",
                       "-ss",
                       "00:00:10",
                       "-t",
                       "95",
                       "/home/u/Movarel Output Folder/clip one.mov"};
}

void TestCommandLine::quote_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("quoted");
    QTest::newRow("ordinary") << "/home/u/My Videos/clip one.avi"
                              << R"("/home/u/My Videos/clip one.avi")";
    QTest::newRow("inner backslash stays") << R"(/a\b c)"
                                           << R"("/a\b c")";
    QTest::newRow("empty") << ""
                           << R"("")";
    QTest::newRow("quote escaped") << R"(/a"b)"
                                   << R"("/a\"b")";
    QTest::newRow("trailing backslash doubled") << R"(/a\)"
                                                << R"("/a\\")";
    QTest::newRow("backslashes before quote") << R"(/a\\"b)"
                                              << R"("/a\\\\\"b")";
}

void TestCommandLine::roundTrip_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("blanks") << "/home/u/My  Videos/clip one.avi";
    QTest::newRow("smuggled options") << R"(/tmp/x" -f mp4 "/tmp/evil.mp4)";
    QTest::newRow("quote at end") << R"(/tmp/clip")";
    QTest::newRow("only quotes") << R"("""")";
    QTest::newRow("trailing backslash") << R"(/tmp/dir\)";
    QTest::newRow("trailing backslashes") << R"(/tmp/dir\\\)";
    QTest::newRow("backslash before quote") << R"(/tmp/a\"b)";
    QTest::newRow("backslashes before quote") << R"(/tmp/a\\\"b\\" c)";
    QTest::newRow("leading dash") << "-vcodec copy";
    QTest::newRow("non-ASCII") << "/tmp/Ünïcødé 视频 🎬.avi";
    QTest::newRow("tab") << "/tmp/a\tb";
    QTest::newRow("empty") << "";
}

QTEST_APPLESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
