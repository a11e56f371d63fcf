// End to end: batches run the real encoders from a temporary program folder
// and the outputs are checked with ffprobe. End actions go to the fake platform.
#include "../support/MediaFixtures.h"
#include "../support/OwnChildren.h"
#include "../support/ProgramFixture.h"
#include "Code/ConversionBatch.h"
#include "Code/Unit_CommonLib.h"
#include "Code/Unit_ConfigInfo.h"
#include "Code/Unit_Converting.h"
#include "Code/Unit_Option.h"
#include "Code/core/EncoderCommand.h"
#include "Code/core/TextFormats.h"
#include "ui/PictureButton.h"
#include "ui/Selectors.h"
#include "ui/SourceGrid.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QTimer>

namespace {

void choose(int outputType, int quality = 2)
{
    ui::setSelectorIndex(FrmMainForm->cbbOutputFiletype, outputType);
    ui::setSelectorIndex(FrmMainForm->cbbProfile, quality);
    FrmMainForm->cbbProfileChange();
}

TSourceGrid *list()
{
    return FrmMainForm->dxTreeSourceFileInfo;
}

void addRow(const QString &file, bool checked, const QString &duration, const QString &start = "00:00:00",
            QString end = QString())
{
    if (end.isEmpty())
        end = duration;
    list()->Model()->AppendRow({checked ? "True" : "False", file, "1 MB", duration, start, end, duration});
}

// Encoders this test's batches started.
bool encoderRunning()
{
    return ownChildRunning({VidcodaName(), RmcodaName()});
}

} // namespace

class TestBatch : public QObject {
    Q_OBJECT

    std::unique_ptr<ProgramFixture> m_program;
    QTemporaryDir m_sources;
    QTemporaryDir m_outputs;
    QString m_shortClip; // 2 s, .avi
    QString m_longClip;  // long enough to still be encoding when the test stops it

    TBatchOutcome m_outcome; // of the last batch
    QString m_outputPath;    // of the last row started

    QString outputs() const { return m_outputs.path() + '/'; }

    // Presses Convert and waits until the batch has ended and the windows
    // have done what follows it.
    void convert()
    {
        QSignalSpy finished(&CustomProc->Batch, &TConversionBatch::Finished);
        FrmMainForm->btnConvert->click();
        if (finished.isEmpty())
            QVERIFY(finished.wait(120000));
        m_outcome = finished.first().first().value<TBatchOutcome>();
    }
    QStringList outputFiles() const { return QDir(m_outputs.path()).entryList(QDir::Files, QDir::Name); }

    void cleanOutputs()
    {
        for (const QString &name : outputFiles())
            QFile::remove(outputs() + name);
    }

    void copyEncoder(const QString &built, const QString &name)
    {
        const QString target = m_program->path(name);
        QFile::remove(target);
        QVERIFY(QFile::copy(built, target));
        QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }

    // Presses Stop, or closes the progress window, once the given row's encoder runs.
    void stopWhileRowRuns(int row, bool useStopButton)
    {
        auto *poll = new QTimer(this);
        connect(poll, &QTimer::timeout, this, [this, poll, row, useStopButton] {
            const TConversionJob *job = CustomProc->Batch.CurrentJob();
            if (CustomProc->Batch.CurrentRow != row || !job || !job->IsRunning() || !encoderRunning())
                return;
            poll->stop();
            poll->deleteLater();
            m_program->prompts->answers.enqueue(QMessageBox::Yes);
            if (useStopButton)
                frmConverting->btnStop->click();
            else
                frmConverting->close();
        });
        poll->start(50);
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_program = std::make_unique<ProgramFixture>();
        connect(&CustomProc->Batch, &TConversionBatch::RowStarting, this,
                [this](const TConversionJob &job) { m_outputPath = job.Parameters.OutputPath; });
        copyEncoder(VIDCODA_PATH, VidcodaName());
        copyEncoder(RMCODA_PATH, RmcodaName());
        fixtures::ClipSpec shortSpec;
        shortSpec.seconds = 2;
        m_shortClip = fixtures::makeClip(m_sources.path(), "short clip.avi", shortSpec);
        fixtures::ClipSpec longSpec;
        longSpec.seconds = 60;
        longSpec.size = QSize(640, 480);
        m_longClip = fixtures::makeClip(m_sources.path(), "long.mp4", longSpec);
        QVERIFY(!m_shortClip.isEmpty() && !m_longClip.isEmpty());
    }

    void init()
    {
        list()->Model()->Clear();
        cleanOutputs();
        FrmMainForm->edtOutputFolder->setText(m_outputs.path());
        FrmMainForm->chkShowOutputDirectory->setChecked(true);
        FrmMainForm->chkShutdown->setChecked(false);
        frmOption->cbbCustomProfile->clear();
        choose(0);
        CustomProc->Batch.PauseBeforeStartMs = 100;
        CustomProc->Batch.PauseAfterStartMs = 300;
        m_program->platform->openedUrls.clear();
        m_program->platform->powerOffs = 0;
        m_program->platform->endedWith.clear();
        m_program->platform->calls.clear();
        m_program->platform->notices.clear();
        m_program->platform->launcherProgress.clear();
        m_outcome = TBatchOutcome();
        m_program->prompts->messages.clear();
        m_program->prompts->answers.clear();
        m_program->prompts->whileShown = nullptr;
    }

    void cleanup()
    {
        QVERIFY(FrmMainForm->isEnabled());
        QVERIFY(!frmConverting->isVisible());
        QCOMPARE(m_program->platform->awakeHeld, 0);
        QVERIFY(!CustomProc->Batch.IsRunning());
        QVERIFY(!CustomProc->Batch.CurrentJob());
        QVERIFY(!encoderRunning());
    }

    void emptyListWarns()
    {
        QSignalSpy finished(&CustomProc->Batch, &TConversionBatch::Finished);
        FrmMainForm->btnConvert->click();
        QTest::qWait(100);
        QCOMPARE(finished.size(), 0); // no batch at all
        QCOMPARE(m_program->prompts->texts(), QStringList{"Please add media files you want to convert into the list."});
        QVERIFY(m_program->platform->openedUrls.isEmpty());
    }

    void threeCheckedOfFive()
    {
        const QStringList names{"one.avi", "two.mp4", "three.flv", "four.mov", "five.rm"};
        const QList<bool> checked{true, false, true, false, true};
        fixtures::ClipSpec clipSpec;
        clipSpec.seconds = 2;
        for (int i = 0; i < names.size(); ++i) {
            const QString clip = fixtures::makeClip(m_sources.path(), names[i], clipSpec);
            QVERIFY(!clip.isEmpty());
            addRow(clip, checked[i], "00:00:02");
        }
        const int takenBefore = m_program->platform->awakeTaken;
        convert();

        QCOMPARE(CustomProc->Batch.CheckedCount, 3);
        QCOMPARE(CustomProc->Batch.ConvertedCount, 3);
        QCOMPARE(outputFiles(), (QStringList{"five.mp4", "one.mp4", "three.mp4"}));
        for (const QString &name : outputFiles()) {
            const fixtures::ProbeFacts facts = fixtures::probe(outputs() + name);
            QCOMPARE(facts.videoCodec, QStringLiteral("mpeg4"));
            QCOMPARE(facts.audioCodec, QStringLiteral("aac"));
            QVERIFY2(qAbs(facts.duration - 2.0) < 0.3, qPrintable(name));
        }
        QVERIFY(m_outcome.FailedRows.isEmpty());
        QVERIFY(m_program->prompts->messages.isEmpty());
        QCOMPARE(m_program->platform->openedUrls, QList<QUrl>{QUrl::fromLocalFile(outputs())});
        QCOMPARE(m_program->platform->awakeTaken, takenBefore + 1);
        QVERIFY(m_program->read("log.txt").contains("|parameter: " + m_program->path("rmcoda").toUtf8()));
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
        choose(type);
        addRow(m_shortClip, true, "00:00:02");
        convert();
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
        const QString clip = fixtures::makeClip(m_sources.path(), "six.mpg", clipSpec);
        addRow(clip, true, "00:00:06", "00:00:02", "00:00:05");
        convert();
        const fixtures::ProbeFacts facts = fixtures::probe(m_outputPath);
        QVERIFY2(qAbs(facts.duration - 3.0) < 0.2, qPrintable(QString::number(facts.duration)));
    }

    void stopDuringSecondRow()
    {
        addRow(m_shortClip, true, "00:00:02");
        addRow(m_longClip, true, "00:01:00");
        addRow(m_shortClip + "-unused", true, "00:00:02");
        stopWhileRowRuns(1, true);
        convert();

        QCOMPARE(m_program->prompts->texts(), QStringList{"Are you sure you want to stop the work ? "});
        QCOMPARE(CustomProc->Batch.ConvertedCount, 2);
        QVERIFY(m_outcome.StoppedByUser);
        QVERIFY(m_program->platform->openedUrls.isEmpty());     // no end actions
        QCOMPARE(outputFiles(), QStringList{"short clip.mp4"}); // the stopped row left nothing half-written
        QVERIFY(m_outcome.FailedRows.isEmpty());

        // A later batch performs its end actions again.
        list()->Model()->Clear();
        addRow(m_shortClip, true, "00:00:02");
        convert();
        QCOMPARE(m_program->platform->openedUrls.size(), 1);
    }

    void closingStillRunsEndActions()
    {
        addRow(m_longClip, true, "00:01:00");
        addRow(m_shortClip, true, "00:00:02");
        FrmMainForm->chkShutdown->setChecked(true);
        stopWhileRowRuns(0, false);
        convert();

        QCOMPARE(m_program->prompts->texts(), QStringList{"Are you sure to stop processing ?"});
        QCOMPARE(CustomProc->Batch.ConvertedCount, 1);
        QVERIFY(!m_outcome.StoppedByUser);
        // What follows the batch, in this order.
        QCOMPARE(m_program->platform->calls,
                 (QStringList{"open " + QUrl::fromLocalFile(outputs()).toString(), "power off", "end 0"}));
        QVERIFY(outputFiles().isEmpty());
    }

    void noneCheckedStillRunsEndActions()
    {
        addRow(m_shortClip, false, "00:00:02");
        FrmMainForm->chkShutdown->setChecked(true);
        convert();
        QCOMPARE(CustomProc->Batch.CheckedCount, 0);
        QVERIFY(outputFiles().isEmpty());
        QCOMPARE(m_program->platform->calls.size(), 3);
        QVERIFY(m_program->platform->calls.first().startsWith("open "));
        QCOMPARE(m_program->platform->calls.mid(1), (QStringList{"power off", "end 0"}));
    }

    void failedRowsAreReported()
    {
        const QString broken = m_sources.filePath("broken.avi");
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(4096, 'x'));
        file.close();
        addRow(m_shortClip, true, "00:00:02");
        addRow(broken, true, "00:00:02");
        convert();

        QCOMPARE(CustomProc->Batch.ConvertedCount, 2);
        QCOMPARE(m_outcome.FailedRows.size(), 1);
        QCOMPARE(m_outcome.FailedRows.first().first, broken);
        QVERIFY(!m_outcome.FailedRows.first().second.isEmpty());
        QCOMPARE(m_program->prompts->messages.size(), 1);
        QCOMPARE(m_program->prompts->messages.first().icon, QMessageBox::Warning);
        QVERIFY(m_program->prompts->texts().first().contains(broken));
        QVERIFY(m_program->read("log.txt").contains("Conversion failed: " + broken.toUtf8()));
        QCOMPARE(outputFiles(), QStringList{"short clip.mp4"});
    }

    void noFailureNoticeBeforePowerOff()
    {
        addRow(m_sources.filePath("missing.avi"), true, "00:00:02");
        FrmMainForm->chkShutdown->setChecked(true);
        convert();
        QCOMPARE(m_outcome.FailedRows.size(), 1);
        QVERIFY(m_program->prompts->messages.isEmpty());
        QCOMPARE(m_program->platform->powerOffs, 1);
    }

    void realMediaRowFailsWithoutScript()
    {
        fixtures::ClipSpec clipSpec;
        clipSpec.seconds = 2;
        const QString rm = fixtures::makeClip(m_sources.path(), "talk.rm", clipSpec);
        QFile::remove(m_program->path("VideoFile.avs"));
        QVERIFY(QDir(m_program->folder.path()).mkdir("VideoFile.avs"));
        addRow(rm, true, "00:00:02");
        addRow(m_shortClip, true, "00:00:02");
        convert();
        QVERIFY(QDir(m_program->folder.path()).rmdir("VideoFile.avs"));

        QCOMPARE(m_outcome.FailedRows.size(), 1);
        QCOMPARE(m_outcome.FailedRows.first().first, rm);
        QCOMPARE(outputFiles(), QStringList{"short clip.mp4"});
    }

    // The encoder finishes while Stop is still being confirmed: its complete
    // output stays.
    void stopConfirmedAfterEncoderFinished()
    {
        addRow(m_shortClip, true, "00:00:02");
        m_program->prompts->whileShown = [] {
            QElapsedTimer waited;
            waited.start();
            while (encoderRunning() && waited.elapsed() < 30000)
                QThread::msleep(20);
        };
        stopWhileRowRuns(0, true);
        convert();

        QCOMPARE(m_program->prompts->texts(), QStringList{"Are you sure you want to stop the work ? "});
        QCOMPARE(outputFiles(), QStringList{"short clip.mp4"});
        QVERIFY(qAbs(fixtures::probe(outputs() + "short clip.mp4").duration - 2.0) < 0.3);
    }

    // A source that holds less than its row says (its header claimed more):
    // the output is kept and the end notice says where the source ends, once
    // the progress window is gone and the main window works again.
    void shortSourceIsKeptWithWarning()
    {
        // A 10 s .flv cut to a third: its header still says 10 s.
        fixtures::ClipSpec clipSpec;
        clipSpec.seconds = 10;
        const QString cut = fixtures::makeClip(m_sources.path(), "cut short.flv", clipSpec);
        QVERIFY(!cut.isEmpty());
        QFile file(cut);
        QVERIFY(file.resize(file.size() * 3 / 10));
        addRow(cut, true, "00:00:10");
        addRow(m_sources.filePath("missing.avi"), true, "00:00:02");
        bool progressShown = true;
        bool mainEnabled = false;
        m_program->prompts->whileShown = [&] {
            progressShown = frmConverting->isVisible();
            mainEnabled = FrmMainForm->isEnabled();
        };
        convert();

        QCOMPARE(outputFiles(), QStringList{"cut short.mp4"});
        const double delivered = fixtures::probe(outputs() + "cut short.mp4").duration;
        QVERIFY2(delivered > 1 && delivered < 8, qPrintable(QString::number(delivered)));
        QCOMPARE(m_outcome.WarnedRows.size(), 1);
        QCOMPARE(m_outcome.WarnedRows.first().first, cut);
        QCOMPARE(m_outcome.WarnedRows.first().second,
                 "Shorter than asked: the source ends at " + FormatDuration(qint64(delivered)) + ".");
        QCOMPARE(m_outcome.FailedRows.size(), 1);
        QCOMPARE(m_program->prompts->messages.size(), 1);
        const QString notice = m_program->prompts->texts().first();
        QVERIFY(notice.startsWith("These files could not be converted:\n\n" + m_sources.filePath("missing.avi")));
        QVERIFY(notice.contains("These files were converted, with a warning:\n\n" + cut));
        QVERIFY(!progressShown);
        QVERIFY(mainEnabled);
    }

    // The end handle at the far right stands a little past the end (up to
    // 101 % of the duration): converting to the end is what was asked, not
    // a source that fell short.
    void endPastTheSourceGivesNoWarning()
    {
        addRow(m_shortClip, true, "00:00:02", "00:00:00", "00:00:04");
        convert();
        QVERIFY(m_program->read("log.txt").contains(" -ss 00:00:00 -t 4 "));
        QCOMPARE(outputFiles(), QStringList{"short clip.mp4"});
        QVERIFY(m_outcome.WarnedRows.isEmpty());
        QVERIFY(m_outcome.FailedRows.isEmpty());
        QVERIFY(m_program->prompts->messages.isEmpty());
    }

    // An encoder that says it succeeded but leaves something that is not media.
    void unreadableOutputFails()
    {
        const QString fake = m_program->path(VidcodaName());
        QFile::remove(fake);
        {
            QFile script(fake);
            QVERIFY(script.open(QIODevice::WriteOnly));
            script.write("#!/bin/sh\nfor last; do :; done\nprintf 'not a video' > \"$last\"\nexit 0\n");
        }
        QVERIFY(QFile::setPermissions(fake, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        addRow(m_shortClip, true, "00:00:02");
        convert();
        copyEncoder(VIDCODA_PATH, VidcodaName());

        QCOMPARE(m_outcome.FailedRows.size(), 1);
        QCOMPARE(m_outcome.FailedRows.first().second, QStringLiteral("The output file cannot be read as media."));
        QVERIFY(outputFiles().isEmpty());
    }

    // A relative output folder lies in the program folder, where the encoder runs.
    void relativeOutputFolder()
    {
        FrmMainForm->edtOutputFolder->setText("relout");
        addRow(m_shortClip, true, "00:00:02");
        convert();
        QVERIFY(m_outcome.FailedRows.isEmpty());
        QVERIFY(QFileInfo::exists(m_program->path("relout/short clip.mp4")));
        QCOMPARE(m_program->platform->openedUrls, QList<QUrl>{QUrl::fromLocalFile(m_program->path("relout/"))});
        QDir(m_program->path("relout")).removeRecursively();
    }

    void realPauses()
    {
        CustomProc->Batch.PauseBeforeStartMs = 2000;
        CustomProc->Batch.PauseAfterStartMs = 3000;
        addRow(m_shortClip, true, "00:00:02");
        QElapsedTimer clock;
        clock.start();
        convert();
        QVERIFY(clock.elapsed() >= 5000);
        QCOMPARE(outputFiles(), QStringList{"short clip.mp4"});
    }

    // An encoder of the same name that this batch did not start (another
    // copy of the program folder, say) is neither waited for nor stopped.
    void strangersEncoderIsLeftAlone()
    {
        const StrangerEncoder stranger(VidcodaName());
        QVERIFY(stranger.running());

        addRow(m_shortClip, true, "00:00:02");
        QElapsedTimer clock;
        clock.start();
        convert();
        QVERIFY2(clock.elapsed() < 60000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(outputFiles(), QStringList{"short clip.mp4"});
        QVERIFY(stranger.running());

        cleanOutputs();
        list()->Model()->Clear();
        addRow(m_longClip, true, "00:01:00");
        stopWhileRowRuns(0, true);
        convert();
        QVERIFY(m_outcome.StoppedByUser);
        QVERIFY(outputFiles().isEmpty());
        QVERIFY(stranger.running());
    }

    // The two boxes count as they stand when the batch ends, not when it began.
    void boxesReadWhenTheBatchEnds_data()
    {
        QTest::addColumn<bool>("atStart");
        QTest::addColumn<bool>("atEnd");
        QTest::newRow("unticked during the batch") << true << false;
        QTest::newRow("ticked during the batch") << false << true;
    }
    void boxesReadWhenTheBatchEnds()
    {
        QFETCH(bool, atStart);
        QFETCH(bool, atEnd);
        addRow(m_shortClip, true, "00:00:02");
        FrmMainForm->chkShutdown->setChecked(atStart);
        FrmMainForm->chkShowOutputDirectory->setChecked(atStart);
        const QMetaObject::Connection change =
            connect(&CustomProc->Batch, &TConversionBatch::RowStarting, this, [atEnd] {
                FrmMainForm->chkShutdown->setChecked(atEnd);
                FrmMainForm->chkShowOutputDirectory->setChecked(atEnd);
            });
        convert();
        disconnect(change);
        QCOMPARE(m_program->platform->powerOffs, atEnd ? 1 : 0);
        QCOMPARE(m_program->platform->openedUrls.size(), atEnd ? 1 : 0);
    }

    // The batch ends while the user works in another program: the desktop is
    // told, with the counts. Not while a window of ours is active, and not
    // after a Stop.
    void endAnnouncedToAUserElsewhere_data()
    {
        QTest::addColumn<bool>("away");
        QTest::addColumn<bool>("stop");
        QTest::addColumn<int>("notices");
        QTest::newRow("elsewhere") << true << false << 1;
        QTest::newRow("in Movarel") << false << false << 0;
        QTest::newRow("stopped") << true << true << 0;
    }
    void endAnnouncedToAUserElsewhere()
    {
        QFETCH(bool, away);
        QFETCH(bool, stop);
        addRow(m_shortClip, true, "00:00:02");
        addRow(m_sources.filePath("missing.avi"), true, "00:00:02");
        if (stop)
            addRow(m_longClip, true, "00:01:00");
        // A headless compositor has no seat: it gives no window the focus a
        // user's click would, so nobody can be "in Movarel" there.
        if (!away && QGuiApplication::platformName() == QLatin1String("wayland"))
            QSKIP("the compositor moves no focus on request");
        FrmMainForm->show();
        const QMetaObject::Connection elsewhere =
            connect(&CustomProc->Batch, &TConversionBatch::RowStarting, this, [away] {
                QTimer::singleShot(50, [away] {
                    if (away)
                        QApplication::setActiveWindow(nullptr);
                    else
                        frmConverting->activateWindow();
                });
            });
        if (stop)
            stopWhileRowRuns(2, true);
        convert();
        disconnect(elsewhere);
        FrmMainForm->hide();

        QTEST(int(m_program->platform->notices.size()), "notices");
        if (!m_program->platform->notices.isEmpty()) {
            const platform::DesktopNotice notice = m_program->platform->notices.first();
            QCOMPARE(notice.summary, QStringLiteral("Conversion finished"));
            QCOMPARE(notice.body, QStringLiteral("1 file converted, 1 failed"));
            QCOMPARE(notice.folderToOpen, outputs());
        }
        // The notice of the failed row still comes, over the main window; a
        // Stop only asks its question.
        QCOMPARE(m_program->prompts->messages.size(), 1);
    }

    // The launcher entry shows the batch bar's figure while the batch runs,
    // rising, and is cleared at its end.
    void launcherShowsTheBatchProgress()
    {
        addRow(m_shortClip, true, "00:00:02");
        addRow(m_shortClip + "-again", false, "00:00:02");
        addRow(m_longClip, true, "00:01:00", "00:00:00", "00:00:20");
        convert();
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
};

QTEST_MAIN(TestBatch)
#include "tst_batch.moc"
