// Real conversions: every output type, and every accepted source container,
// checked with the probe and decoded in full.

#include "EncoderHarness.h"

#include <QTemporaryDir>

using namespace encodertest;

namespace {

constexpr double clipSeconds = 2.0;
// A few audio frames of encoder delay and padding, or one video frame.
constexpr double durationTolerance = 0.12;

struct Expected {
    QString formatName;
    QString brand; // for the MP4 family
    QString videoCodec;
    QString audioCodec;
};

Expected expectedFor(const QString &extension)
{
    if (extension == ".mp4")
        return {"mov,mp4,m4a,3gp,3g2,mj2", "isom", "mpeg4", "aac"};
    if (extension == ".mov")
        return {"mov,mp4,m4a,3gp,3g2,mj2", "qt", "mpeg4", "aac"};
    if (extension == ".m4a")
        return {"mov,mp4,m4a,3gp,3g2,mj2", "M4A", "", "aac"};
    if (extension == ".aac")
        return {"aac", "", "", "aac"};
    return {"mp3", "", "", "mp3"};
}

// Converts source to folder/name with the builder's arguments for the type
// and checks the result in every respect the probe shows.
void convertAndCheck(const QString &program, const QString &input, const QString &sourceForProbe, const QString &output,
                     const OutputType &type)
{
    const Finished run = runEncoder(program, builderArguments(type, input, output));
    QVERIFY2(run.exitCode == 0 && !run.crashed, run.errors.constData());
    QVERIFY2(run.errors.isEmpty(), run.errors.constData());
    const Expected expected = expectedFor(type.extension);
    const fixtures::ProbeFacts facts = fixtures::probe(output);
    QCOMPARE(facts.formatName, expected.formatName);
    if (!expected.brand.isEmpty())
        QCOMPARE(majorBrand(output), expected.brand);
    QCOMPARE(facts.videoCodec, expected.videoCodec);
    if (type.video)
        QCOMPARE(facts.size, QSize(320, 240));
    QCOMPARE(facts.audioCodec, expected.audioCodec);
    QCOMPARE(facts.sampleRate, type.sampleRate);
    QCOMPARE(facts.channels, type.channels);
    const double sourceSeconds = fixtures::probe(sourceForProbe).duration;
    const double wanted = sourceSeconds > 0.0 ? sourceSeconds : clipSeconds;
    QVERIFY2(qAbs(facts.duration - wanted) <= durationTolerance,
             qPrintable(QString("duration %1, source %2").arg(facts.duration).arg(wanted)));
    QCOMPARE(decodingProblems(output), QString());
}

} // namespace

class TestEncoderOutputs : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_sources;
    QString m_avi;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_sources.isValid());
        fixtures::ClipSpec clipSpec;
        clipSpec.seconds = clipSeconds;
        m_avi = fixtures::makeClip(m_sources.path(), "source.avi", clipSpec);
        QVERIFY(!m_avi.isEmpty());
    }

    void everyOutputType_data()
    {
        QTest::addColumn<QString>("extension");
        for (const OutputType &type : outputTypes())
            QTest::newRow(qPrintable(type.extension)) << type.extension;
    }

    // Nothing but the output appears in the folder: no temporary leftovers.
    void everyOutputType()
    {
        QFETCH(QString, extension);
        QTemporaryDir out;
        const QString output = out.filePath("source" + extension);
        convertAndCheck(vidcoda(), m_avi, m_avi, output, outputType(extension));
        QCOMPARE(filesIn(out.path()), QStringList{"source" + extension});
    }

    // Each source container becomes one video and one audio output (the
    // types taking turns); RealMedia also through rmcoda and the script.
    void everySourceContainer_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<bool>("throughScript");
        for (const QString &extension : fixtures::acceptedExtensions())
            QTest::newRow(qPrintable(extension)) << extension << false;
        QTest::newRow(".rm by rmcoda") << ".rm" << true;
        QTest::newRow(".rmvb by rmcoda") << ".rmvb" << true;
    }

    void everySourceContainer()
    {
        QFETCH(QString, extension);
        QFETCH(bool, throughScript);
        QTemporaryDir work;
        fixtures::ClipSpec clipSpec;
        clipSpec.seconds = clipSeconds;
        const QString source = fixtures::makeClip(work.path(), "clip" + extension, clipSpec);
        QVERIFY(!source.isEmpty());
        const QString input = throughScript ? writeScript(work.path(), source) : source;
        const QString program = throughScript ? rmcoda() : vidcoda();

        const int turn = int(fixtures::acceptedExtensions().indexOf(extension)) + (throughScript ? 1 : 0);
        const QList<OutputType> types = outputTypes();
        const OutputType video = types.at(turn % 2);
        const OutputType audio = types.at(2 + turn % 3);
        for (const OutputType &type : {video, audio}) {
            convertAndCheck(program, input, source, work.filePath("out" + type.extension), type);
            if (QTest::currentTestFailed())
                return;
        }
    }
};

QTEST_GUILESS_MAIN(TestEncoderOutputs)
#include "tst_enc_outputs.moc"
