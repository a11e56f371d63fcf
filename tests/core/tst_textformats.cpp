#include "Code/core/Errors.h"
#include "Code/core/TextFormats.h"

#include <QTest>

class TestTextFormats : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void splitByChar_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("parts");
        QTest::newRow("time") << "01:02:03" << QStringList{"01", "02", "03"};
        QTest::newRow("inner empty") << "a::b" << QStringList{"a", "", "b"};
        QTest::newRow("leading empty") << ":a" << QStringList{"", "a"};
        QTest::newRow("trailing empty dropped") << "a:" << QStringList{"a"};
        QTest::newRow("no separator") << "abc" << QStringList{"abc"};
        QTest::newRow("empty") << "" << QStringList{};
        QTest::newRow("only separator") << ":" << QStringList{""};
    }
    void splitByChar()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, parts);
        QCOMPARE(SplitByChar(text, ':'), parts);
    }

    void parseNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("unit") << "12.5 fps" << 12.5;
        QTest::newRow("blanks") << "  -3.25 \t" << -3.25;
        QTest::newRow("second point dropped") << "1.2.3" << 1.23;
        QTest::newRow("inner minus") << "1-2" << 12.0;
        QTest::newRow("double minus") << "--5" << -5.0;
        QTest::newRow("trailing minus") << "5-" << 5.0;
        QTest::newRow("letter first") << "x9" << 9.0;
        QTest::newRow("letters") << "abc" << 0.0;
        QTest::newRow("plus") << "+" << 0.0;
        QTest::newRow("minus") << "-" << 0.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("digit") << "7" << 7.0;
        QTest::newRow("progress seconds") << "149.32" << 149.32;
    }
    void parseNumber()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(ParseNumber(text), value);
    }

    void parseNumberFails_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("point") << ".";
        QTest::newRow("points") << "...";
        QTest::newRow("sign and point") << "-.";
        QTest::newRow("plus and point") << "+x.";
    }
    void parseNumberFails()
    {
        QFETCH(QString, text);
        QVERIFY_THROWS_EXCEPTION(EConvertError, ParseNumber(text));
    }

    void formatFileSize_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");
        const qint64 gb = qint64(1) << 30;
        QTest::newRow("zero") << qint64(0) << "0 B";
        QTest::newRow("negative") << qint64(-7) << "0 B";
        QTest::newRow("1023") << qint64(1023) << "1023 B";
        QTest::newRow("1024") << qint64(1024) << "1 KB";
        QTest::newRow("1126") << qint64(1126) << "1.09 KB";
        QTest::newRow("2047 never rounds up") << qint64(2047) << "1.99 KB";
        QTest::newRow("1048575") << qint64(1048575) << "1023.99 KB";
        QTest::newRow("1048576") << qint64(1048576) << "1 MB";
        QTest::newRow("below GB") << gb - 1 << "1023.99 MB";
        QTest::newRow("GB") << gb << "1 GB";
        QTest::newRow("1.5 GB") << gb + gb / 2 << "1.5 GB";
        QTest::newRow("huge") << gb * 5000 << "5000 GB";
    }
    void formatFileSize()
    {
        QFETCH(qint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(FormatFileSize(bytes), text);
    }

    void formatDuration_data()
    {
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << qint64(0) << "00:00:00";
        QTest::newRow("61") << qint64(61) << "00:01:01";
        QTest::newRow("3599") << qint64(3599) << "00:59:59";
        QTest::newRow("3600") << qint64(3600) << "01:00:00";
        QTest::newRow("99h") << qint64(99 * 3600 + 59 * 60 + 59) << "99:59:59";
        QTest::newRow("100h") << qint64(100 * 3600) << "100:00:00";
        QTest::newRow("negative") << qint64(-5) << "00:00:00";
        QTest::newRow("no overflow") << std::numeric_limits<qint64>::max() << "2562047788015215:30:07";
    }
    void formatDuration()
    {
        QFETCH(qint64, seconds);
        QFETCH(QString, text);
        QCOMPARE(FormatDuration(seconds), text);
    }

    void padNumber_data()
    {
        QTest::addColumn<qint64>("value");
        QTest::addColumn<qint64>("divisor");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("text");
        QTest::newRow("padded") << qint64(5) << qint64(1) << 2 << "05";
        QTest::newRow("longer than width") << qint64(123) << qint64(1) << 2 << "123";
        QTest::newRow("minutes") << qint64(150000) << qint64(60000) << 2 << "02";
        QTest::newRow("negative") << qint64(-5) << qint64(1) << 2 << "-5";
        QTest::newRow("zero divisor") << qint64(5) << qint64(0) << 2 << "00";
    }
    void padNumber()
    {
        QFETCH(qint64, value);
        QFETCH(qint64, divisor);
        QFETCH(int, width);
        QFETCH(QString, text);
        QCOMPARE(PadNumber(value, divisor, width), text);
    }

    void positionText()
    {
        QCOMPARE(FormatPosition(0, 1, 5), QStringLiteral("00:01:05"));
        QCOMPARE(FormatPosition(123, 0, 0), QStringLiteral("123:00:00"));
    }

    void readTimeManners_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("fixed");   // -1: conversion error
        QTest::addColumn<qint64>("strict");  // -1: conversion error, -2: untaken
        QTest::addColumn<qint64>("lenient"); // -2: untaken
        QTest::newRow("plain") << "01:02:03" << qint64(3723) << qint64(3723) << qint64(3723);
        QTest::newRow("three hour digits") << "100:00:00" << qint64(-1) << qint64(360000) << qint64(360000);
        QTest::newRow("two parts") << "01:02" << qint64(-1) << qint64(-2) << qint64(-2);
        QTest::newRow("four parts") << "01:02:03:04" << qint64(3723) << qint64(-2) << qint64(3723);
        QTest::newRow("letters") << "aa:bb:cc" << qint64(-1) << qint64(-1) << qint64(0);
        QTest::newRow("fraction") << "00:00:05.7" << qint64(5) << qint64(-1) << qint64(5);
        // Long digit runs are clamped to 10^15 seconds, never wrapped around.
        const qint64 clamp = 1'000'000'000'000'000;
        QTest::newRow("hours past 64 bits in seconds") << "9999999999999999:00:00" << qint64(362439) << clamp << clamp;
        QTest::newRow("negative hours past 64 bits") << "-9999999999999999:00:00" << qint64(-26361) << -clamp << -clamp;
        QTest::newRow("hours past 64 bits")
            << "99999999999999999999999999:00:00" << qint64(362439) << qint64(-1) << clamp;
        QTest::newRow("every part long") << "-9999999999999999:9999999999999999:-9999999999999999" << qint64(-26361)
                                         << -clamp << -clamp;
        QTest::newRow("400 digits") << QString(400, '9') + ":00:00" << qint64(362439) << qint64(-1) << clamp;
    }
    void readTimeManners()
    {
        QFETCH(QString, text);
        QFETCH(qint64, fixed);
        QFETCH(qint64, strict);
        QFETCH(qint64, lenient);

        if (fixed == -1)
            QVERIFY_THROWS_EXCEPTION(EConvertError, ReadTimeFixed(text));
        else
            QCOMPARE(ReadTimeFixed(text), fixed);

        qint64 seconds = -99;
        if (strict == -1) {
            QVERIFY_THROWS_EXCEPTION(EConvertError, ReadTimeSplitStrict(text, seconds));
        } else {
            QCOMPARE(ReadTimeSplitStrict(text, seconds), strict != -2);
            QCOMPARE(seconds, strict == -2 ? qint64(-99) : strict);
        }

        seconds = -99;
        QCOMPARE(ReadTimeSplitLenient(text, seconds), lenient != -2);
        QCOMPARE(seconds, lenient == -2 ? qint64(-99) : lenient);
    }
};

QTEST_GUILESS_MAIN(TestTextFormats)
#include "tst_textformats.moc"
