// "-ss S -t N": the output starts at S of the source and lasts N seconds.
// The sources' brightness grows with time (16 + 50 per second), so the
// first frame of an output tells where it starts.

#include "EncoderHarness.h"

#include <QRegularExpression>
#include <QTemporaryDir>

using namespace encodertest;

namespace {

constexpr double sourceSeconds = 4.0;
constexpr double lumaPerSecond = 50.0;
// One output frame at 15 fps moves the brightness by 3.3; the rest is the
// encoder's rounding.
constexpr double lumaTolerance = 5.0;
constexpr double durationTolerance = 0.12;

QString makeRampClip(const QString &folder, const QString &extension)
{
    const QString path = QDir(folder).filePath("ramp" + extension);
    const QString seconds = QString::number(sourceSeconds);
    QStringList arguments{"-f",
                          "lavfi",
                          "-i",
                          "color=c=black:s=176x144:r=25:d=" + seconds + ",format=yuv420p,geq=lum='16+" +
                              QString::number(lumaPerSecond) + "*T':cb=128:cr=128",
                          "-f",
                          "lavfi",
                          "-i",
                          "sine=frequency=440:sample_rate=44100:duration=" + seconds};
    arguments << fixtures::codecOptionsFor(extension) << path;
    QString error;
    if (!fixtures::runFfmpeg(arguments, &error)) {
        qWarning("cannot make %s: %s", qPrintable(path), qPrintable(error));
        return QString();
    }
    return path;
}

// The mean brightness of the first frame's middle, clear of the bars beside
// the 11:9 picture in the 4:3 frame; -1 when it cannot be read.
double firstFrameLuma(const QString &path)
{
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-v", "info", "-nostdin", "-i", path, "-vf",
                            "crop=iw/2:ih/2,signalstats,metadata=mode=print:key=lavfi.signalstats.YAVG", "-frames:v",
                            "1", "-f", "null", "-"});
    ffmpeg.waitForFinished(60000);
    const QString log = QString::fromUtf8(ffmpeg.readAllStandardError());
    const QRegularExpressionMatch match = QRegularExpression("YAVG=([0-9.]+)").match(log);
    return match.hasMatch() ? match.captured(1).toDouble() : -1.0;
}

} // namespace

class TestEncoderTrims : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_work;

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_work.isValid()); }

    // Containers with different seeking: indexed (mp4, avi, asf), timestamp
    // search (MPEG program streams, flv, rm), and none at all (swf), where
    // the encoder decodes from the start instead.
    void videoTrims_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<bool>("throughScript");
        QTest::addColumn<QStringList>("trim");
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("length");
        const QStringList middle{"-ss", "00:00:02", "-t", "1"};
        for (const char *extension : {".avi", ".mp4", ".mpg", ".vob", ".wmv", ".flv", ".swf", ".rmvb"})
            QTest::newRow(extension) << QString(extension) << false << middle << 2.0 << 1.0;
        QTest::newRow(".rm by rmcoda") << ".rm" << true << middle << 2.0 << 1.0;
        QTest::newRow("start only") << ".avi" << false << QStringList{"-ss", "00:00:03"} << 3.0 << 1.0;
        QTest::newRow("length only") << ".avi" << false << QStringList{"-t", "2"} << 0.0 << 2.0;
        QTest::newRow("start zero") << ".mp4" << false << QStringList{"-ss", "00:00:00", "-t", "3"} << 0.0 << 3.0;
        QTest::newRow("length past the end")
            << ".mov" << false << QStringList{"-ss", "00:00:01", "-t", "60"} << 1.0 << 3.0;
    }

    void videoTrims()
    {
        QFETCH(QString, extension);
        QFETCH(bool, throughScript);
        QFETCH(QStringList, trim);
        QFETCH(double, start);
        QFETCH(double, length);
        const QString source = makeRampClip(m_work.path(), extension);
        QVERIFY(!source.isEmpty());
        const QString input = throughScript ? writeScript(m_work.path(), source) : source;
        const QString output = m_work.filePath("trimmed.mp4");
        const Finished run =
            runEncoder(throughScript ? rmcoda() : vidcoda(), builderArguments(outputType(".mp4"), input, output, trim));
        QVERIFY2(run.exitCode == 0, run.errors.constData());

        const fixtures::ProbeFacts facts = fixtures::probe(output);
        QVERIFY2(qAbs(facts.duration - length) <= durationTolerance, qPrintable(QString::number(facts.duration)));
        const double luma = firstFrameLuma(output);
        const double expected = 16.0 + lumaPerSecond * start;
        QVERIFY2(qAbs(luma - expected) <= lumaTolerance,
                 qPrintable(QString("first frame brightness %1, expected %2").arg(luma).arg(expected)));
    }

    void audioTrims_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::newRow("aac") << ".aac";
        QTest::newRow("m4a") << ".m4a";
        QTest::newRow("mp3") << ".mp3";
    }

    void audioTrims()
    {
        QFETCH(QString, extension);
        const QString source = makeRampClip(m_work.path(), ".avi");
        QVERIFY(!source.isEmpty());
        const QString output = m_work.filePath("trimmed" + extension);
        const Finished run = runEncoder(
            vidcoda(), builderArguments(outputType(extension), source, output, {"-ss", "00:00:01", "-t", "2"}));
        QVERIFY2(run.exitCode == 0, run.errors.constData());
        const fixtures::ProbeFacts facts = fixtures::probe(output);
        QVERIFY2(qAbs(facts.duration - 2.0) <= durationTolerance, qPrintable(QString::number(facts.duration)));
    }
};

QTEST_GUILESS_MAIN(TestEncoderTrims)
#include "tst_enc_trims.moc"
