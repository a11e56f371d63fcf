// Bad command lines and unusable inputs: one clear line on standard error, a
// non-zero exit, and no output left behind; a file the run did not write
// stays as it was.

#include "EncoderHarness.h"
#include "tests/support/RealWorldMedia.h"

#include <QStandardPaths>
#include <QTemporaryDir>

#include <unistd.h>

using namespace encodertest;

namespace {

void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestEncoderBadInput : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_work;
    QString m_in;     // sources and scripts
    QString m_out;    // the output folder, holding taken.mp4 and a folder
    QString m_noPath; // a PATH without ffmpeg
    QString m_clip;
    QByteArray m_clipBytes;

    QString in(const QString &name) const { return QDir(m_in).filePath(name); }
    QString out(const QString &name) const { return QDir(m_out).filePath(name); }

    QString script(const QString &name, const QByteArray &text)
    {
        writeFile(in(name), text);
        return in(name);
    }

    // An MP4 cut off before its index, as a download that stopped; one whose
    // media data were overwritten (index first, so it opens); one whose only
    // sound is in a profile the decoder does not implement; copy-protected ones.
    void makeDamagedFiles()
    {
        fixtures::ClipSpec clipSpec;
        clipSpec.seconds = 2.0;
        const QString whole = fixtures::makeClip(m_in, "whole.mp4", clipSpec);
        QVERIFY(!whole.isEmpty());
        const QByteArray bytes = contentOf(whole);
        writeFile(in("cut.mp4"), bytes.left(bytes.size() / 2));
        QVERIFY(fixtures::runFfmpeg({"-i", whole, "-c", "copy", "-movflags", "faststart", in("indexed.mp4")}));
        QByteArray indexed = contentOf(in("indexed.mp4"));
        const qsizetype data = indexed.indexOf("mdat");
        QVERIFY(data > 0);
        indexed.replace(data + 4, indexed.size() - data - 4, QByteArray(indexed.size() - data - 4, '\0'));
        writeFile(in("overwritten.mp4"), indexed);
        QVERIFY(!fixtures::makeUndecodableSoundMp4(m_in, "usac.mp4", false, false).isEmpty());
        QVERIFY(!fixtures::makeProtectedMp4(m_in, "store.m4v", "drmi", "drms").isEmpty());
        QVERIFY(!fixtures::makeProtectedMp4(m_in, "cenc.mp4", "encv", {}).isEmpty());
        QVERIFY(!fixtures::makeProtectedAsf(m_in, "drm.wmv").isEmpty());
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_work.isValid());
        QDir work(m_work.path());
        QVERIFY(work.mkdir("in") && work.mkdir("out") && work.mkdir("nopath"));
        m_in = work.filePath("in");
        m_out = work.filePath("out");
        m_noPath = work.filePath("nopath");
        fixtures::ClipSpec clipSpec;
        clipSpec.seconds = 2.0;
        m_clip = fixtures::makeClip(m_in, "good.avi", clipSpec);
        QVERIFY(!m_clip.isEmpty());
        m_clipBytes = contentOf(m_clip);
        clipSpec.audio = false;
        QVERIFY(!fixtures::makeClip(m_in, "silent.avi", clipSpec).isEmpty());
        makeDamagedFiles();
        writeFile(in("text.avi"), "This is not a video.\n");
        writeFile(in("empty.avi"), QByteArray());
        QVERIFY(QDir(m_in).mkdir("folder.avi"));
        QVERIFY(QDir(m_out).mkdir("folder.mp4"));
    }

    // Every row starts with the output folder holding only "taken.mp4"
    // ("earlier") and the folder "folder.mp4".
    void init() { writeFile(out("taken.mp4"), "earlier"); }

    void badRuns_data()
    {
        QTest::addColumn<bool>("script");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("problem");
        QTest::addColumn<bool>("withoutFfmpeg");
        const OutputType mp4 = outputType(".mp4");
        const OutputType mp3 = outputType(".mp3");
        const QString good = m_clip;
        const QString result = out("result.mp4");

        QTest::newRow("unknown option") << false << QStringList{"-y", "-i", good, "-crf", "20", result}
                                        << "unknown option -crf" << false;
        QTest::newRow("value missing") << false << QStringList{"-y", "-i", good, "-acodec", "aac", "-ab", result}
                                       << "-ab needs a value" << false;
        QTest::newRow("value missing at the end")
            << false << QStringList{"-y", "-i", good, "-b"} << "no output file given" << false;
        QTest::newRow("bad value") << false << builderArguments(mp4, good, result, {"-ss", "00:00:00", "-t", "-4"})
                                   << "invalid value \"-4\" for -t" << false;
        QTest::newRow("empty trim") << false << builderArguments(mp4, good, result, {"-ss", "00:00:01", "-t", "0"})
                                    << "for -t" << false;
        QTest::newRow("missing input") << false << builderArguments(mp4, in("nowhere.avi"), result) << "does not exist"
                                       << false;
        QTest::newRow("input is a folder")
            << false << builderArguments(mp4, in("folder.avi"), result) << "is not a file" << false;
        QTest::newRow("not media") << false << builderArguments(mp4, in("text.avi"), result) << "is not a media file"
                                   << false;
        QTest::newRow("empty file") << false << builderArguments(mp4, in("empty.avi"), result) << "is not a media file"
                                    << false;
        QTest::newRow("mp4 cut off") << false << builderArguments(mp4, in("cut.mp4"), result)
                                     << "is damaged or incomplete" << false;
        QTest::newRow("mp4 data overwritten")
            << false << builderArguments(mp4, in("overwritten.mp4"), result) << "is damaged or incomplete" << false;
        QTest::newRow("mp4 data overwritten, sound only")
            << false << builderArguments(mp3, in("overwritten.mp4"), out("a.mp3")) << "is damaged or incomplete"
            << false;
        QTest::newRow("sound that cannot be decoded")
            << false << builderArguments(mp3, in("usac.mp4"), out("a.mp3"))
            << "the sound of \"" + in("usac.mp4") + "\" is in a form this computer cannot decode" << false;
        for (const QString &source : {in("store.m4v"), in("cenc.mp4"), in("drm.wmv")}) {
            const QString reason = "\"" + source + "\" is copy-protected and cannot be converted";
            QTest::addRow("copy-protected %s", qPrintable(QFileInfo(source).fileName()))
                << false << builderArguments(mp4, source, result) << reason << false;
            QTest::addRow("copy-protected %s, sound only", qPrintable(QFileInfo(source).fileName()))
                << false << builderArguments(mp3, source, out("a.mp3")) << reason << false;
        }
        QTest::newRow("no audio for an audio file") << false << builderArguments(mp3, in("silent.avi"), out("a.mp3"))
                                                    << "has nothing this output can hold" << false;
        QTest::newRow("start past the end")
            << false << builderArguments(mp4, good, result, {"-ss", "00:01:00", "-t", "5"}) << "nothing was converted"
            << false;
        QTest::newRow("output folder missing")
            << false << builderArguments(mp4, good, out("missing/result.mp4")) << "does not exist" << false;
        QTest::newRow("output is a folder")
            << false << builderArguments(mp4, good, out("folder.mp4")) << "is a folder" << false;
        QTest::newRow("existing output without -y")
            << false << builderArguments(mp4, good, out("taken.mp4")).mid(1) << "already exists" << false;
        QTest::newRow("existing output, failed run")
            << false << builderArguments(mp4, in("text.avi"), out("taken.mp4")) << "is not a media file" << false;
        QTest::newRow("output is the input")
            << false << QStringList{"-y", "-i", good, "-f", "avi", good} << "is the input file itself" << false;
        QTest::newRow("ffmpeg missing") << false << builderArguments(mp4, good, result) << "ffmpeg was not found"
                                        << true;

        QTest::newRow("script missing") << true << builderArguments(mp4, in("nowhere.avs"), result) << "does not exist"
                                        << false;
        QTest::newRow("script is media") << true << builderArguments(mp4, good, result)
                                         << "is not a DirectShowSource script" << false;
        QTest::newRow("script with a bare quote")
            << true
            << builderArguments(mp4,
                                script("bare.avs", "DirectShowSource(\"" + in("a\"b.rm").toUtf8() +
                                                       "\", fps=29.9700898503294, convertfps=true)\n"),
                                result)
            << "is not a DirectShowSource script" << false;
        QTest::newRow("script with a frame rate near 0")
            << true
            << builderArguments(
                   mp4,
                   script("slow.avs", "DirectShowSource(\"" + good.toUtf8() + "\", fps=0.00001, convertfps=true)\n"),
                   result)
            << "is not a frame rate from 1 to 240" << false;
        QTest::newRow("script names a missing source")
            << true
            << builderArguments(mp4,
                                script("gone.avs", "DirectShowSource(\"" + in("gone.rm").toUtf8() +
                                                       "\", fps=29.9700898503294, convertfps=true)\n"),
                                result)
            << "does not exist" << false;
        QTest::newRow("script names no media")
            << true
            << builderArguments(mp4,
                                script("text.avs", "DirectShowSource(\"" + in("text.avi").toUtf8() +
                                                       "\", fps=29.9700898503294, convertfps=true)\n"),
                                result)
            << "is not a media file" << false;
    }

    void badRuns()
    {
        QFETCH(bool, script);
        QFETCH(QStringList, arguments);
        QFETCH(QString, problem);
        QFETCH(bool, withoutFfmpeg);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (withoutFfmpeg)
            environment.insert("PATH", m_noPath);
        const QString program = script ? rmcoda() : vidcoda();
        const Finished run = runEncoder(program, arguments, environment);

        QVERIFY(!run.crashed);
        QVERIFY(run.exitCode != 0);
        const QString errors = QString::fromUtf8(run.errors);
        QVERIFY2(errors.startsWith(QFileInfo(program).fileName() + ": ") && errors.count('\n') == 1 &&
                     errors.endsWith('\n') && errors.contains(problem),
                 qPrintable(errors));
        QCOMPARE(filesIn(m_out), QStringList{"taken.mp4"});
        QCOMPARE(contentOf(out("taken.mp4")), QByteArray("earlier"));
        QCOMPARE(contentOf(m_clip), m_clipBytes);
    }

    // A start past the end is told at once: the source is not read again
    // with other streams, which would hold no more.
    void startPastTheEndReadsOnce()
    {
        QTemporaryDir counting;
        const QString log = counting.filePath("runs");
        for (const QString name : {"ffmpeg", "ffprobe"}) {
            QVERIFY(writeProgram(counting.filePath(name),
                                 "#!/bin/sh\necho " + name.toUtf8() + " >> '" + log.toUtf8() + "'\nexec " +
                                     QStandardPaths::findExecutable(name).toUtf8() + " \"$@\"\n"));
        }
        const Finished run = runEncoder(
            vidcoda(), builderArguments(outputType(".mp4"), m_clip, out("late.mp4"), {"-ss", "00:01:00", "-t", "5"}),
            withProgramsFrom(counting.path()));
        QVERIFY2(run.exitCode != 0 && run.errors.contains("nothing was converted"), run.errors.constData());
        QCOMPARE(QString::fromUtf8(contentOf(log)), QStringLiteral("ffmpeg\n"));
        QCOMPARE(filesIn(m_out), QStringList{"taken.mp4"});
    }

    void unreadableInputAndFolder()
    {
        if (::geteuid() == 0)
            QSKIP("root reads and writes anything");
        QFile::copy(m_clip, in("locked.avi"));
        QVERIFY(QFile::setPermissions(in("locked.avi"), QFileDevice::Permissions()));
        Finished run = runEncoder(vidcoda(), builderArguments(outputType(".mp4"), in("locked.avi"), out("r.mp4")));
        QVERIFY(run.exitCode != 0 && run.errors.contains("cannot read the input file"));

        QTemporaryDir locked;
        QVERIFY(QFile::setPermissions(locked.path(), QFile::ReadOwner | QFile::ExeOwner));
        run = runEncoder(vidcoda(), builderArguments(outputType(".mp4"), m_clip, locked.filePath("r.mp4")));
        QFile::setPermissions(locked.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(run.exitCode != 0 && run.errors.contains("cannot write to the output folder"));
        QCOMPARE(filesIn(locked.path()), QStringList());
    }

    // With -y a finished encode does replace an earlier file.
    void overwriteReplacesOnSuccess()
    {
        const Finished run = runEncoder(vidcoda(), builderArguments(outputType(".mp4"), m_clip, out("taken.mp4")));
        QVERIFY2(run.exitCode == 0, run.errors.constData());
        QCOMPARE(fixtures::probe(out("taken.mp4")).videoCodec, QString("mpeg4"));
        QCOMPARE(filesIn(m_out), QStringList{"taken.mp4"});
    }
};

QTEST_GUILESS_MAIN(TestEncoderBadInput)
#include "tst_enc_badinput.moc"
