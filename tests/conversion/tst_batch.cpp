// End to end without windows: batches run the real encoders from a temporary
// program folder on a QCoreApplication, and the outputs are checked with ffprobe.
#include "../support/BatchClips.h"
#include "../support/BatchFixture.h"
#include "../support/BatchWatch.h"
#include "../support/MediaFixtures.h"
#include "../support/OwnChildren.h"
#include "Code/core/Func.h"
#include "Code/core/TextFormats.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <QTimer>

#include <algorithm>

class TestBatch : public QObject {
    Q_OBJECT

    std::unique_ptr<BatchFixture> m_program;
    BatchClips m_clips;

    TBatchOutcome m_outcome; // of the last batch
    QString m_outputPath;    // of the last row started
    TConversionRequest m_request;

    QString outputs() const { return m_clips.outputs(); }
    QStringList outputFiles() const { return m_clips.outputFiles(); }

    void convert(const QList<TConversionRow> &rows)
    {
        m_outcome = m_program->convert(rows, m_request);
        QVERIFY(!m_program->batch.IsRunning());
    }

    // Stops the batch once the given row's encoder runs; `hold` first holds
    // the batch until that encoder has ended by itself, as an open question would.
    void stopWhileRowRuns(int row, bool hold = false)
    {
        whenRowEncoderRuns(this, &m_program->batch, row, [this, hold] {
            TConversionBatch &batch = m_program->batch;
            if (hold) {
                batch.Hold();
                QElapsedTimer waited;
                waited.start();
                while (ownEncoderRunning() && waited.elapsed() < 30000)
                    QThread::msleep(20);
            }
            batch.Stop(true);
            batch.Release();
        });
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_program = std::make_unique<BatchFixture>();
        connect(&m_program->batch, &TConversionBatch::RowStarting, this,
                [this](const TConversionJob &job) { m_outputPath = job.Parameters.OutputPath; });
        QVERIFY(m_program->placeEncoder(VidcodaName(), VIDCODA_PATH));
        QVERIFY(m_program->placeEncoder(RmcodaName(), RMCODA_PATH));
        QVERIFY(m_clips.make());
    }

    void init()
    {
        m_clips.cleanOutputs();
        m_request = {.Options = presetOptions(0),
                     .CustomProfileValue = QString(),
                     .OutputFolderText = m_clips.outputFolder.path()};
        m_program->batch.PauseBeforeStartMs = 100;
        m_program->batch.PauseAfterStartMs = 300;
        m_program->platform->launcherProgress.clear();
        m_program->log.clear();
        m_outcome = TBatchOutcome();
    }

    void cleanup()
    {
        QCOMPARE(m_program->platform->awakeHeld, 0);
        QVERIFY(!m_program->batch.IsRunning());
        QVERIFY(!m_program->batch.CurrentJob());
        QVERIFY(!ownEncoderRunning());
    }

    void threeCheckedOfFive()
    {
        const QStringList names{"one.avi", "two.mp4", "three.flv", "four.mov", "five.rm"};
        const QList<bool> checked{true, false, true, false, true};
        fixtures::ClipSpec clipSpec;
        clipSpec.seconds = 2;
        QList<TConversionRow> rows;
        for (int i = 0; i < names.size(); ++i) {
            const QString clip = fixtures::makeClip(m_clips.sources.path(), names[i], clipSpec);
            QVERIFY(!clip.isEmpty());
            rows.append(checkedRow(clip, "00:00:00", "00:00:02", checked[i]));
        }
        const int takenBefore = m_program->platform->awakeTaken;
        convert(rows);

        QCOMPARE(m_program->batch.CheckedCount, 3);
        QCOMPARE(m_program->batch.ConvertedCount, 3);
        QCOMPARE(m_outcome.DeliveredCount, 3);
        QCOMPARE(m_outcome.OutputFolder, outputs());
        QCOMPARE(outputFiles(), (QStringList{"five.mp4", "one.mp4", "three.mp4"}));
        for (const QString &name : outputFiles()) {
            const fixtures::ProbeFacts facts = fixtures::probe(outputs() + name);
            QCOMPARE(facts.videoCodec, QStringLiteral("mpeg4"));
            QCOMPARE(facts.audioCodec, QStringLiteral("aac"));
            QVERIFY2(qAbs(facts.duration - 2.0) < 0.3, qPrintable(name));
        }
        QVERIFY(m_outcome.FailedRows.isEmpty());
        QCOMPARE(m_program->platform->awakeTaken, takenBefore + 1);
        QVERIFY(m_program->log.contains("Output directory " + outputs()));
        QVERIFY(std::any_of(m_program->log.cbegin(), m_program->log.cend(), [this](const QString &line) {
            return line.startsWith("parameter: " + m_program->path("rmcoda"));
        }));
    }

    void eachOutputType_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("container");
        QTest::addColumn<QString>("video");
        QTest::addColumn<QString>("audio");
        QTest::addColumn<int>("sampleRate");
        QTest::addColumn<int>("channels");
        QTest::newRow("mp4") << 0 << "mov,mp4,m4a,3gp,3g2,mj2"
                             << "mpeg4"
                             << "aac" << 44100 << 2;
        QTest::newRow("mov") << 1 << "mov,mp4,m4a,3gp,3g2,mj2"
                             << "mpeg4"
                             << "aac" << 22050 << 1;
        QTest::newRow("aac") << 2 << "aac"
                             << ""
                             << "aac" << 44100 << 2;
        QTest::newRow("m4a") << 3 << "mov,mp4,m4a,3gp,3g2,mj2"
                             << ""
                             << "aac" << 22050 << 1;
        QTest::newRow("mp3") << 4 << "mp3"
                             << ""
                             << "mp3" << 44100 << 2;
    }
    void eachOutputType()
    {
        QFETCH(int, type);
        QFETCH(QString, container);
        QFETCH(QString, video);
        QFETCH(QString, audio);
        QFETCH(int, sampleRate);
        QFETCH(int, channels);
        m_request.Options = presetOptions(type);
        convert({checkedRow(m_clips.shortClip)});
        const QString output = m_outputPath;
        QCOMPARE(QFileInfo(output).suffix(), GetExtensionList().at(type).mid(1));
        const fixtures::ProbeFacts facts = fixtures::probe(output);
        QCOMPARE(facts.formatName, container);
        QCOMPARE(facts.videoCodec, video);
        QCOMPARE(facts.audioCodec, audio);
        QCOMPARE(facts.sampleRate, sampleRate);
        QCOMPARE(facts.channels, channels);
        QVERIFY(m_outcome.FailedRows.isEmpty());
    }

    void trimmedRow()
    {
        fixtures::ClipSpec clipSpec;
        clipSpec.seconds = 6;
        const QString clip = fixtures::makeClip(m_clips.sources.path(), "six.mpg", clipSpec);
        convert({checkedRow(clip, "00:00:02", "00:00:05")});
        const fixtures::ProbeFacts facts = fixtures::probe(m_outputPath);
        QVERIFY2(qAbs(facts.duration - 3.0) < 0.2, qPrintable(QString::number(facts.duration)));
    }

    void stopDuringSecondRow()
    {
        stopWhileRowRuns(1);
        convert({checkedRow(m_clips.shortClip), checkedRow(m_clips.longClip, "00:00:00", "00:01:00"),
                 checkedRow(m_clips.shortClip + "-unused")});

        QCOMPARE(m_program->batch.ConvertedCount, 2);
        QVERIFY(m_outcome.StoppedByUser);
        QCOMPARE(outputFiles(), QStringList{"short clip.mp4"}); // the stopped row left nothing half-written
        QVERIFY(m_outcome.FailedRows.isEmpty());

        // A later batch runs to its end again.
        convert({checkedRow(m_clips.shortClip)});
        QVERIFY(!m_outcome.StoppedByUser);
        QCOMPARE(m_outcome.DeliveredCount, 1);
    }

    void failedRowsAreReported()
    {
        const QString broken = m_clips.sources.filePath("broken.avi");
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(4096, 'x'));
        file.close();
        convert({checkedRow(m_clips.shortClip), checkedRow(broken)});

        QCOMPARE(m_program->batch.ConvertedCount, 2);
        QCOMPARE(m_outcome.FailedRows.size(), 1);
        QCOMPARE(m_outcome.FailedRows.first().first, broken);
        QVERIFY(!m_outcome.FailedRows.first().second.isEmpty());
        QVERIFY(m_outcome.Report().startsWith("These files could not be converted:\n\n" + broken));
        QVERIFY(m_program->log.contains("Conversion failed: " + broken + " -> " + m_outcome.FailedRows.first().second));
        QCOMPARE(outputFiles(), QStringList{"short clip.mp4"});
    }

    void realMediaRowFailsWithoutScript()
    {
        fixtures::ClipSpec clipSpec;
        clipSpec.seconds = 2;
        const QString rm = fixtures::makeClip(m_clips.sources.path(), "talk.rm", clipSpec);
        const QString script = ScriptFile();
        QFile::remove(script);
        QVERIFY(QDir().mkpath(script));
        convert({checkedRow(rm), checkedRow(m_clips.shortClip)});
        QVERIFY(QDir().rmdir(script));

        QCOMPARE(m_outcome.FailedRows.size(), 1);
        QCOMPARE(m_outcome.FailedRows.first().first, rm);
        QVERIFY(m_program->log.contains("Script error. ->" + script));
        QCOMPARE(outputFiles(), QStringList{"short clip.mp4"});
    }

    // The encoder finishes while a stop is still being confirmed: its complete
    // output stays.
    void stopConfirmedAfterEncoderFinished()
    {
        stopWhileRowRuns(0, true);
        convert({checkedRow(m_clips.shortClip)});
        QVERIFY(m_outcome.StoppedByUser);
        QCOMPARE(outputFiles(), QStringList{"short clip.mp4"});
        QVERIFY(qAbs(fixtures::probe(outputs() + "short clip.mp4").duration - 2.0) < 0.3);
    }

    // A source that holds less than its row says (its header claimed more):
    // the output is kept, with a warning that says where the source ends.
    void shortSourceIsKeptWithWarning()
    {
        // A 10 s .flv cut to a third: its header still says 10 s.
        fixtures::ClipSpec clipSpec;
        clipSpec.seconds = 10;
        const QString cut = fixtures::makeClip(m_clips.sources.path(), "cut short.flv", clipSpec);
        QVERIFY(!cut.isEmpty());
        QFile file(cut);
        QVERIFY(file.resize(file.size() * 3 / 10));
        convert({checkedRow(cut, "00:00:00", "00:00:10"), checkedRow(m_clips.sources.filePath("missing.avi"))});

        QCOMPARE(outputFiles(), QStringList{"cut short.mp4"});
        const double delivered = fixtures::probe(outputs() + "cut short.mp4").duration;
        QVERIFY2(delivered > 1 && delivered < 8, qPrintable(QString::number(delivered)));
        QCOMPARE(m_outcome.WarnedRows.size(), 1);
        QCOMPARE(m_outcome.WarnedRows.first().first, cut);
        QCOMPARE(m_outcome.WarnedRows.first().second,
                 "Shorter than asked: the source ends at " + FormatDuration(qint64(delivered)) + ".");
        QCOMPARE(m_outcome.FailedRows.size(), 1);
        const QString report = m_outcome.Report();
        QVERIFY(report.startsWith("These files could not be converted:\n\n" + m_clips.sources.filePath("missing.avi")));
        QVERIFY(report.contains("These files were converted, with a warning:\n\n" + cut));
    }

    // The end handle at the far right stands a little past the end (up to
    // 101 % of the duration): converting to the end is what was asked, not
    // a source that fell short.
    void endPastTheSourceGivesNoWarning()
    {
        convert({checkedRow(m_clips.shortClip, "00:00:00", "00:00:04")});
        QVERIFY(std::any_of(m_program->log.cbegin(), m_program->log.cend(),
                            [](const QString &line) { return line.contains(" -ss 00:00:00 -t 4 "); }));
        QCOMPARE(outputFiles(), QStringList{"short clip.mp4"});
        QVERIFY(m_outcome.WarnedRows.isEmpty());
        QVERIFY(m_outcome.FailedRows.isEmpty());
    }

    // An encoder that says it succeeded but leaves something that is not media.
    void unreadableOutputFails()
    {
        QVERIFY(m_program->placeScript(VidcodaName(),
                                       "#!/bin/sh\nfor last; do :; done\nprintf 'not a video' > \"$last\"\nexit 0\n"));
        convert({checkedRow(m_clips.shortClip)});
        QVERIFY(m_program->placeEncoder(VidcodaName(), VIDCODA_PATH));

        QCOMPARE(m_outcome.FailedRows.size(), 1);
        QCOMPARE(m_outcome.FailedRows.first().second, QStringLiteral("The output file cannot be read as media."));
        QVERIFY(outputFiles().isEmpty());
    }

    // A relative output folder lies in the program folder, where the encoder runs.
    void relativeOutputFolder()
    {
        m_request.OutputFolderText = "relout";
        convert({checkedRow(m_clips.shortClip)});
        QVERIFY(m_outcome.FailedRows.isEmpty());
        QVERIFY(QFileInfo::exists(m_program->path("relout/short clip.mp4")));
        QCOMPARE(m_outcome.OutputFolder, m_program->path("relout/"));
        QDir(m_program->path("relout")).removeRecursively();
    }

    void realPauses()
    {
        m_program->batch.PauseBeforeStartMs = 2000;
        m_program->batch.PauseAfterStartMs = 3000;
        QElapsedTimer clock;
        clock.start();
        convert({checkedRow(m_clips.shortClip)});
        QVERIFY(clock.elapsed() >= 5000);
        QCOMPARE(outputFiles(), QStringList{"short clip.mp4"});
    }

    // An encoder of the same name that this batch did not start (another
    // copy of the program folder, say) is neither waited for nor stopped.
    void strangersEncoderIsLeftAlone()
    {
        const StrangerEncoder stranger(VidcodaName());
        QVERIFY(stranger.running());

        QElapsedTimer clock;
        clock.start();
        convert({checkedRow(m_clips.shortClip)});
        QVERIFY2(clock.elapsed() < 60000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(outputFiles(), QStringList{"short clip.mp4"});
        QVERIFY(stranger.running());

        m_clips.cleanOutputs();
        stopWhileRowRuns(0);
        convert({checkedRow(m_clips.longClip, "00:00:00", "00:01:00")});
        QVERIFY(m_outcome.StoppedByUser);
        QVERIFY(outputFiles().isEmpty());
        QVERIFY(stranger.running());
    }

    // Two batches (two windows, or two copies of the program) convert
    // same-named sources into one folder at the same time: each claims a
    // name of its own, and each output holds its own source.
    void twoBatchesOneFolder()
    {
        QTemporaryDir first;
        QTemporaryDir second;
        fixtures::ClipSpec longer;
        longer.seconds = 4;
        fixtures::ClipSpec shorter;
        shorter.seconds = 2;
        const QString clipA = fixtures::makeClip(first.path(), "clip.avi", longer);
        const QString clipB = fixtures::makeClip(second.path(), "clip.avi", shorter);
        QVERIFY(!clipA.isEmpty() && !clipB.isEmpty());

        TConversionBatch other([](const QString &) {});
        other.PauseBeforeStartMs = m_program->batch.PauseBeforeStartMs;
        other.PauseAfterStartMs = m_program->batch.PauseAfterStartMs;
        QString otherOutput;
        connect(&other, &TConversionBatch::RowStarting, this,
                [&otherOutput](const TConversionJob &job) { otherOutput = job.Parameters.OutputPath; });
        QSignalSpy otherFinished(&other, &TConversionBatch::Finished);
        QVERIFY(other.Start({checkedRow(clipB)}, m_request));
        convert({checkedRow(clipA, "00:00:00", "00:00:04")});
        QVERIFY(otherFinished.size() == 1 || otherFinished.wait(60000));

        QCOMPARE(outputFiles(), (QStringList{"clip.mp4", "clip_1.mp4"}));
        QVERIFY(otherOutput != m_outputPath);
        QCOMPARE(m_outcome.DeliveredCount, 1);
        QCOMPARE(otherFinished.first().first().value<TBatchOutcome>().DeliveredCount, 1);
        QVERIFY(qAbs(fixtures::probe(m_outputPath).duration - 4.0) < 0.3);
        QVERIFY(qAbs(fixtures::probe(otherOutput).duration - 2.0) < 0.3);
    }

    // A stopped row removes the file it claimed, never a file of that name
    // someone else made: neither one that was there before nor one put in
    // place of its claim while it ran.
    void stopRemovesOnlyItsOwnFile()
    {
        const QByteArray delivered("a file somebody else finished");
        const QString earlier = outputs() + "long.mp4";
        QFile file(earlier);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(delivered) == delivered.size());
        file.close();
        stopWhileRowRuns(0);
        convert({checkedRow(m_clips.longClip, "00:00:00", "00:01:00")});
        QVERIFY(m_outcome.StoppedByUser);
        QCOMPARE(m_outputPath, outputs() + "long_1.mp4");
        QCOMPARE(outputFiles(), QStringList{"long.mp4"});
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), delivered);
        file.close();

        // Another program puts its own file where the claim stood.
        const QMetaObject::Connection replace =
            connect(&m_program->batch, &TConversionBatch::RowStarting, this, [](const TConversionJob &job) {
                const QString path = job.Parameters.OutputPath;
                QFile::remove(path);
                QFile theirs(path);
                if (theirs.open(QIODevice::WriteOnly))
                    theirs.write("theirs");
            });
        stopWhileRowRuns(0);
        convert({checkedRow(m_clips.longClip, "00:00:00", "00:01:00")});
        disconnect(replace);
        QCOMPARE(outputFiles(), (QStringList{"long.mp4", "long_1.mp4"}));
        QFile theirs(outputs() + "long_1.mp4");
        QVERIFY(theirs.open(QIODevice::ReadOnly));
        QCOMPARE(theirs.readAll(), QByteArray("theirs"));
    }

    // Stopped while it waits to start its encoder, a row gives back the name
    // it claimed: no empty file is left for the next batch to step around.
    void stopBeforeTheEncoderStarts()
    {
        const QMetaObject::Connection stop = connect(&m_program->batch, &TConversionBatch::RowStarting, this, [this] {
            QTimer::singleShot(0, &m_program->batch, [this] { m_program->batch.Stop(true); });
        });
        convert({checkedRow(m_clips.shortClip)});
        disconnect(stop);
        QVERIFY(m_outcome.StoppedByUser);
        QVERIFY(!m_outputPath.isEmpty());
        QVERIFY(outputFiles().isEmpty());
    }

    // The script rmcoda reads belongs to one batch at a time: while another
    // program holds VideoFile.avs, a batch writes a script of its own and
    // leaves the other one alone.
    void scriptIsTheBatchsOwn()
    {
        fixtures::ClipSpec clipSpec;
        clipSpec.seconds = 2;
        const QString rm = fixtures::makeClip(m_clips.sources.path(), "talk.rm", clipSpec);
        const QString held = ScriptFile();
        const QByteArray theirs("DirectShowSource(\"/their/clip.avi\", fps=29.9700898503294, convertfps=true)\r\n");
        QFile script(held);
        QVERIFY(script.open(QIODevice::WriteOnly) && script.write(theirs) == theirs.size());
        script.close();
        QProcess holder;
        holder.start("flock", {"--exclusive", held, "sleep", "60"});
        QVERIFY(holder.waitForStarted());
        QTRY_VERIFY(QProcess::execute("flock", {"--exclusive", "--nonblock", held, "true"}) != 0);

        QString input;
        connect(&m_program->batch, &TConversionBatch::RowStarting, this,
                [&input](const TConversionJob &job) { input = job.Parameters.InputFile; });
        convert({checkedRow(rm)});
        disconnect(&m_program->batch, &TConversionBatch::RowStarting, this, nullptr);
        connect(&m_program->batch, &TConversionBatch::RowStarting, this,
                [this](const TConversionJob &job) { m_outputPath = job.Parameters.OutputPath; });
        holder.kill();
        holder.waitForFinished();

        QVERIFY(m_outcome.FailedRows.isEmpty());
        QCOMPARE(input, TFileFunc::GetFileFolder(held) + "VideoFile_1.avs");
        QVERIFY(script.open(QIODevice::ReadOnly));
        QCOMPARE(script.readAll(), theirs);
        QVERIFY(qAbs(fixtures::probe(outputs() + "talk.mp4").duration - 2.0) < 0.3);
    }

    // A NUL cuts a name where the system reads it: a folder or source that
    // holds one is refused, and the file its first part names stays as it was.
    void namesThatCannotPassWhole_data()
    {
        QTest::addColumn<bool>("inFolder");
        QTest::newRow("output folder") << true;
        QTest::newRow("source") << false;
    }
    void namesThatCannotPassWhole()
    {
        QFETCH(bool, inFolder);
        const QString victim = outputs() + "victim.mp4";
        QFile file(victim);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("keep me") == 7);
        file.close();
        if (inFolder)
            m_request.OutputFolderText = victim + QChar(0) + "x";
        const QString source = inFolder ? m_clips.shortClip : m_clips.shortClip + QChar(0) + "x";
        convert({checkedRow(source)});

        QCOMPARE(m_outcome.FailedRows.size(), 1);
        QCOMPARE(m_outcome.DeliveredCount, 0);
        QCOMPARE(outputFiles(), QStringList{"victim.mp4"});
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("keep me"));
        if (inFolder)
            QVERIFY(m_program->log.contains("Output directory error. ->" + victim + QChar(0) + "x/"));
    }

    // The launcher entry shows the batch bar's figure while the batch runs,
    // rising, and is cleared at its end.
    void launcherShowsTheBatchProgress()
    {
        // The batch bar follows the current bar one chunk behind: the second
        // row is long enough to give several chunks.
        convert({checkedRow(m_clips.shortClip), checkedRow(m_clips.shortClip + "-again", "00:00:00", "00:00:02", false),
                 checkedRow(m_clips.longClip, "00:00:00", "00:01:00")});
        const QList<double> shown = m_program->platform->launcherProgress;
        QVERIFY(shown.size() >= 3);
        QCOMPARE(shown.last(), -1.0);
        QCOMPARE(shown.first(), 0.0);
        for (int i = 1; i + 1 < shown.size(); ++i) {
            QVERIFY2(shown[i] >= shown[i - 1] && shown[i] <= 1.0, qPrintable(QString::number(shown[i])));
        }
        // The second row starts at half the batch and moves on from there.
        QVERIFY(shown.contains(0.5));
        QVERIFY(std::any_of(shown.cbegin(), shown.cend(), [](double share) { return share > 0.5 && share <= 1.0; }));
    }

    // The bars move with every chunk of a row's output but its first, and
    // the launcher shows the very figure the batch bar does.
    void barsFollowTheOutput()
    {
        QList<TBatchProgress> moves;
        int chunks = 0;
        connect(&m_program->batch, &TConversionBatch::EncoderOutput, this, [&chunks] { ++chunks; });
        connect(&m_program->batch, &TConversionBatch::ProgressChanged, this,
                [&moves](const TBatchProgress &progress) { moves.append(progress); });
        convert({checkedRow(m_clips.longClip, "00:00:00", "00:00:08")});
        disconnect(&m_program->batch, &TConversionBatch::EncoderOutput, this, nullptr);
        disconnect(&m_program->batch, &TConversionBatch::ProgressChanged, this, nullptr);

        QVERIFY2(chunks >= 2, qPrintable(QString::number(chunks)));
        QCOMPARE(moves.size(), chunks - 1);
        const QList<double> launcher = m_program->platform->launcherProgress;
        for (const TBatchProgress &move : moves) {
            QCOMPARE(move.CurrentMaximum, 8);
            QCOMPARE(move.BatchMaximum, 100);
            QVERIFY(launcher.contains(move.Share()));
        }
        QVERIFY(moves.last().CurrentPosition >= moves.first().CurrentPosition);
    }
};

QTEST_GUILESS_MAIN(TestBatch)
#include "tst_batch.moc"
