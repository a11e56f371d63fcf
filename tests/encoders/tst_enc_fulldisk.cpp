// The disk fills up while the output is written: the encoder fails with the
// system's reason as its one line and leaves nothing behind, also when only
// ffmpeg's last write (the index, the final flush) fails and ffmpeg itself
// ends with success. A file-size limit stands in for the full disk: writes
// past it fail the same way, with "File too large" for "No space left on
// device".

#include "EncoderHarness.h"

#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>

using namespace encodertest;

namespace {

// Writes past `bytes` fail with EFBIG instead of raising SIGXFSZ; the limit
// and the ignored signal pass on to ffmpeg.
std::function<void()> fileSizeLimit(qint64 bytes)
{
    return [bytes] {
        const rlimit limit{rlim_t(bytes), rlim_t(bytes)};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::signal(SIGXFSZ, SIG_IGN);
    };
}

} // namespace

class TestEncoderFullDisk : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_work;
    QString m_clip;
    QMap<QString, qint64> m_fullSizes; // by output extension

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_work.isValid());
        fixtures::ClipSpec clipSpec;
        clipSpec.seconds = 10.0;
        m_clip = fixtures::makeClip(m_work.path(), "clip.avi", clipSpec);
        QVERIFY(!m_clip.isEmpty());
        for (const OutputType &type : outputTypes()) {
            const QString output = m_work.filePath("full" + type.extension);
            const Finished run = runEncoder(vidcoda(), builderArguments(type, m_clip, output));
            QVERIFY2(run.exitCode == 0, run.errors.constData());
            m_fullSizes[type.extension] = QFileInfo(output).size();
            QVERIFY(m_fullSizes[type.extension] > 20000);
        }
    }

    void writeFails_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<qint64>("limit");
        QTest::addColumn<bool>("script");
        for (const OutputType &type : outputTypes()) {
            const qint64 size = m_fullSizes.value(type.extension);
            QTest::addRow("%s, last write", qPrintable(type.extension)) << type.extension << size - 100 << false;
            QTest::addRow("%s, midway", qPrintable(type.extension)) << type.extension << size / 2 << false;
        }
        // rmcoda converts to a constant rate first: its output differs in size,
        // but not by half.
        QTest::newRow(".mov by rmcoda, midway") << ".mov" << m_fullSizes.value(".mov") / 2 << true;
    }

    void writeFails()
    {
        QFETCH(QString, extension);
        QFETCH(qint64, limit);
        QTemporaryDir out;
        const Finished run =
            runEncoder(vidcoda(), builderArguments(outputType(extension), m_clip, out.filePath("result" + extension)),
                       QProcessEnvironment::systemEnvironment(), QString(), fileSizeLimit(limit));
        QVERIFY(!run.crashed);
        QVERIFY(run.exitCode != 0);
        QCOMPARE(QString::fromUtf8(run.errors), QString("vidcoda: File too large\n"));
        QCOMPARE(filesIn(out.path()), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestEncoderFullDisk)
#include "tst_enc_fulldisk.moc"
