// rmcoda's reading of the one-line DirectShowSource script.

#include "encoders/core/AvsScript.h"
#include "encoders/core/EncoderError.h"

#include <QTest>

namespace {

const QString tail = ", fps=29.9700898503294, convertfps=true)\r\n";

QString problemOf(const QByteArray &script)
{
    try {
        encoder::parseDirectShowScript(script.toStdString());
    } catch (const encoder::EncoderError &error) {
        return QString::fromStdString(error.what());
    }
    return QString();
}

} // namespace

class TestEncoderScript : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The script as Movarel writes it: plain quotes, or triple quotes when
    // the path holds a double quote; read back exactly.
    void pathsReadBack_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QByteArray>("path");
        QTest::newRow("plain") << ("DirectShowSource(\"/home/u/Clips/a b.rm\"" + tail).toUtf8()
                               << QByteArray("/home/u/Clips/a b.rm");
        QTest::newRow("non-ASCII") << ("DirectShowSource(\"/home/u/Filme/Grüße 日本.rmvb\"" + tail).toUtf8()
                                   << QString("/home/u/Filme/Grüße 日本.rmvb").toUtf8();
        QTest::newRow("quote inside") << ("DirectShowSource(\"\"\"/m/pa\"th.rm\"\"\"" + tail).toUtf8()
                                      << QByteArray("/m/pa\"th.rm");
        QTest::newRow("quote at the end")
            << ("DirectShowSource(\"\"\"/m/odd\"\"\"\"" + tail).toUtf8() << QByteArray("/m/odd\"");
        QTest::newRow("quote at the start")
            << ("DirectShowSource(\"\"\"\"odd.rm\"\"\"" + tail).toUtf8() << QByteArray("\"odd.rm");
        QTest::newRow("two quotes, comma inside")
            << ("DirectShowSource(\"\"\"/m/a \"\", b\"\" c.rm\"\"\"" + tail).toUtf8()
            << QByteArray("/m/a \"\", b\"\" c.rm");
        QTest::newRow("triple quotes, blanks before the comma")
            << QByteArray("DirectShowSource(\"\"\"/m/x\"y.rm\"\"\"  , fps=25, convertfps=true)\n")
            << QByteArray("/m/x\"y.rm");
        QTest::newRow("parenthesis and comma in a plain path")
            << ("DirectShowSource(\"/m/a, (b).rm\"" + tail).toUtf8() << QByteArray("/m/a, (b).rm");
        QTest::newRow("blanks and letter case")
            << QByteArray("  directshowsource ( \"/m/c.rm\" ,FPS = 25 , ConvertFPS=True )  ") << QByteArray("/m/c.rm");
        QTest::newRow("no line break") << ("DirectShowSource(\"/m/d.rm\"" + tail.trimmed()).toUtf8()
                                       << QByteArray("/m/d.rm");
    }

    void pathsReadBack()
    {
        QFETCH(QByteArray, script);
        QFETCH(QByteArray, path);
        const encoder::ScriptSource source = encoder::parseDirectShowScript(script.toStdString());
        QCOMPARE(QByteArray::fromStdString(source.path), path);
    }

    void frameRate_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QString>("rate");
        QTest::newRow("as written") << ("DirectShowSource(\"/m/a.rm\"" + tail).toUtf8() << "29.9700898503294";
        QTest::newRow("convertfps off keeps the timing")
            << QByteArray("DirectShowSource(\"/m/a.rm\", fps=25, convertfps=false)") << "";
        QTest::newRow("no fps") << QByteArray("DirectShowSource(\"/m/a.rm\")") << "";
        QTest::newRow("arguments swapped")
            << QByteArray("DirectShowSource(\"/m/a.rm\", convertfps=true, fps=15)") << "15";
        QTest::newRow("slowest") << QByteArray("DirectShowSource(\"/m/a.rm\", fps=1, convertfps=true)") << "1";
        QTest::newRow("fastest") << QByteArray("DirectShowSource(\"/m/a.rm\", fps=240.0, convertfps=true)") << "240.0";
    }

    void frameRate()
    {
        QFETCH(QByteArray, script);
        QFETCH(QString, rate);
        QCOMPARE(QString::fromStdString(encoder::parseDirectShowScript(script.toStdString()).constantRate), rate);
    }

    void malformedScripts_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("other function") << QByteArray("AviSource(\"/m/a.avi\")\n");
        QTest::newRow("media bytes") << QByteArray(".RMF\0\0\0\x12\0\x01", 10);
        QTest::newRow("no parenthesis") << QByteArray("DirectShowSource \"/m/a.rm\"\n");
        QTest::newRow("unquoted path") << QByteArray("DirectShowSource(/m/a.rm, fps=25, convertfps=true)\n");
        QTest::newRow("no closing quote") << QByteArray("DirectShowSource(\"/m/a.rm, fps=25, convertfps=true)\n");
        QTest::newRow("bare quote inside") << QByteArray("DirectShowSource(\"/m/pa\"th.rm\", fps=25)\n");
        QTest::newRow("unended triple quotes") << QByteArray("DirectShowSource(\"\"\"/m/a.rm\", fps=25)\n");
        QTest::newRow("empty path") << QByteArray("DirectShowSource(\"\", fps=25, convertfps=true)\n");
        QTest::newRow("no closing parenthesis")
            << QByteArray("DirectShowSource(\"/m/a.rm\", fps=29.97, convertfps=true\n");
        QTest::newRow("bad fps") << QByteArray("DirectShowSource(\"/m/a.rm\", fps=fast, convertfps=true)\n");
        QTest::newRow("zero fps") << QByteArray("DirectShowSource(\"/m/a.rm\", fps=0, convertfps=true)\n");
        // The same range as -r: a rate near 0 once divided by zero further on.
        QTest::newRow("fps below 1") << QByteArray("DirectShowSource(\"/m/a.rm\", fps=0.00001, convertfps=true)\n");
        QTest::newRow("fps above 240") << QByteArray("DirectShowSource(\"/m/a.rm\", fps=240.01, convertfps=true)\n");
        QTest::newRow("bad convertfps") << QByteArray("DirectShowSource(\"/m/a.rm\", fps=25, convertfps=yes)\n");
        QTest::newRow("unknown argument") << QByteArray("DirectShowSource(\"/m/a.rm\", audio=false)\n");
        QTest::newRow("fps twice") << QByteArray("DirectShowSource(\"/m/a.rm\", fps=25, fps=30)\n");
        QTest::newRow("second line") << QByteArray("DirectShowSource(\"/m/a.rm\")\nTrim(0, 100)\n");
    }

    void malformedScripts()
    {
        QFETCH(QByteArray, script);
        const QString problem = problemOf(script);
        QVERIFY(!problem.isEmpty());
        QVERIFY(!problem.contains('\n'));
    }
};

QTEST_GUILESS_MAIN(TestEncoderScript)
#include "tst_enc_script.moc"
