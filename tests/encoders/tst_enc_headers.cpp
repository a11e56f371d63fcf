// What the stream headers of real outputs claim, read back with ffprobe:
// MPEG-4 Simple Profile at the level that covers the output's size, frame
// rate and bitrate, no B-frames (every frame I or P), AAC Low Complexity;
// for both video output types and for rmcoda's script input.

#include "EncoderHarness.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

using namespace encodertest;

namespace {

struct StreamHeaders {
    QString videoProfile;
    int videoLevel = -1;
    int hasBFrames = -1;
    QString audioProfile;
    QSet<QString> pictureTypes;
};

QJsonObject probeJson(const QStringList &arguments)
{
    QProcess ffprobe;
    ffprobe.start("ffprobe", QStringList{"-v", "error", "-of", "json"} + arguments);
    ffprobe.waitForFinished(60000);
    return QJsonDocument::fromJson(ffprobe.readAllStandardOutput()).object();
}

StreamHeaders headersOf(const QString &path)
{
    StreamHeaders headers;
    const QJsonObject streams = probeJson({"-show_entries", "stream=codec_type,profile,level,has_b_frames", path});
    for (const QJsonValue &value : streams.value("streams").toArray()) {
        const QJsonObject stream = value.toObject();
        if (stream.value("codec_type").toString() == "video") {
            headers.videoProfile = stream.value("profile").toString();
            headers.videoLevel = stream.value("level").toInt(-1);
            headers.hasBFrames = stream.value("has_b_frames").toInt(-1);
        } else {
            headers.audioProfile = stream.value("profile").toString();
        }
    }
    const QJsonObject frames = probeJson({"-select_streams", "v", "-show_entries", "frame=pict_type", path});
    for (const QJsonValue &value : frames.value("frames").toArray())
        headers.pictureTypes.insert(value.toObject().value("pict_type").toString());
    return headers;
}

} // namespace

class TestEncoderHeaders : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_folder;
    QString m_source;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_folder.isValid());
        // Moving detail with grain: content the rate control has to work on.
        m_source = m_folder.filePath("source.avi");
        QString error;
        QVERIFY2(fixtures::runFfmpeg({"-f", "lavfi", "-i", "testsrc2=s=640x480:r=30:d=4,noise=alls=12:allf=t", "-f",
                                      "lavfi", "-i", "sine=frequency=440:sample_rate=44100:d=4", "-c:v", "mpeg4",
                                      "-q:v", "3", "-c:a", "pcm_s16le", m_source},
                                     &error),
                 qPrintable(error));
    }

    void headers_data()
    {
        QTest::addColumn<bool>("script");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QStringList>("video");
        QTest::addColumn<int>("level");
        QTest::newRow("mp4 Normal") << false << ".mp4" << QStringList{"-b", "128", "-r", "15"} << 2;
        QTest::newRow("mov Low") << false << ".mov" << QStringList{"-b", "40", "-r", "14.985"} << 2;
        QTest::newRow("mov 256k") << false << ".mov" << QStringList{"-b", "256", "-r", "15"} << 3;
        QTest::newRow("mp4 Superb") << false << ".mp4" << QStringList{"-b", "512", "-r", "15"} << 4;
        QTest::newRow("mp4 29.97") << false << ".mp4" << QStringList{"-b", "80", "-r", "29.97"} << 3;
        QTest::newRow("rmcoda, script rate") << true << ".mp4" << QStringList{"-b", "128"} << 3;
    }

    void headers()
    {
        QFETCH(bool, script);
        QFETCH(QString, extension);
        QFETCH(QStringList, video);
        QFETCH(int, level);
        const OutputType type = outputType(extension);
        const QString input = script ? writeScript(m_folder.path(), m_source) : m_source;
        QVERIFY(!input.isEmpty());
        const QString output = m_folder.filePath(QString(QTest::currentDataTag()).replace(' ', '_') + extension);
        QStringList arguments{"-y", "-i", input};
        arguments << type.codecs << video << QStringList{"-s", "320x240", "-aspect", "4:3", "-ab", "48"}
                  << QStringList{"-ac", QString::number(type.channels), "-ar", QString::number(type.sampleRate)}
                  << type.format << output;
        const Finished run = runEncoder(script ? rmcoda() : vidcoda(), arguments);
        QVERIFY2(run.exitCode == 0 && !run.crashed, run.errors.constData());
        QVERIFY2(run.errors.isEmpty(), run.errors.constData());
        const StreamHeaders headers = headersOf(output);
        QCOMPARE(headers.videoProfile, QString("Simple Profile"));
        QCOMPARE(headers.videoLevel, level);
        QCOMPARE(headers.hasBFrames, 0);
        QVERIFY(!headers.pictureTypes.isEmpty());
        QVERIFY2((headers.pictureTypes - QSet<QString>{"I", "P"}).isEmpty(),
                 qPrintable(QStringList(headers.pictureTypes.values()).join(' ')));
        QCOMPARE(headers.audioProfile, QString("LC"));
    }
};

QTEST_GUILESS_MAIN(TestEncoderHeaders)
#include "tst_enc_headers.moc"
