// What the windows make of a batch: Convert, the progress window's Stop and
// close, the end notice and what follows a batch (on the fake platform), with
// the real encoders in a temporary program folder.
#include "../support/BatchClips.h"
#include "../support/BatchWatch.h"
#include "../support/MediaFixtures.h"
#include "../support/ProgramFixture.h"
#include "Code/Unit_CommonLib.h"
#include "Code/Unit_Converting.h"
#include "Code/Unit_Option.h"
#include "Code/conversion/ConversionBatch.h"
#include "Code/core/EncoderCommand.h"
#include "Code/core/Unit_ConfigInfo.h"
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

TConversionBatch *batch()
{
    return FrmMainForm->ConversionBatch();
}

} // namespace

class TestBatchWindows : public QObject {
    Q_OBJECT

    std::unique_ptr<ProgramFixture> m_program;
    BatchClips m_clips;

    TBatchOutcome m_outcome; // of the last batch
    QString m_outputPath;    // of the last row started

    QString outputs() const { return m_clips.outputs(); }

    // Presses Convert and waits until the batch has ended and the windows
    // have done what follows it.
    void convert()
    {
        QSignalSpy finished(batch(), &TConversionBatch::Finished);
        FrmMainForm->btnConvert->click();
        if (finished.isEmpty())
            QVERIFY(finished.wait(120000));
        m_outcome = finished.first().first().value<TBatchOutcome>();
    }
    QStringList outputFiles() const { return m_clips.outputFiles(); }

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
        whenRowEncoderRuns(this, batch(), row, [this, useStopButton] {
            m_program->prompts->answers.enqueue(QMessageBox::Yes);
            if (useStopButton)
                frmConverting->btnStop->click();
            else
                frmConverting->close();
        });
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_program = std::make_unique<ProgramFixture>();
        connect(batch(), &TConversionBatch::RowStarting, this,
                [this](const TConversionJob &job) { m_outputPath = job.Parameters.OutputPath; });
        copyEncoder(VIDCODA_PATH, VidcodaName());
        copyEncoder(RMCODA_PATH, RmcodaName());
        QVERIFY(m_clips.make());
    }

    void init()
    {
        list()->Model()->Clear();
        m_clips.cleanOutputs();
        FrmMainForm->edtOutputFolder->setText(m_clips.outputFolder.path());
        FrmMainForm->chkShowOutputDirectory->setChecked(true);
        FrmMainForm->chkShutdown->setChecked(false);
        frmOption->cbbCustomProfile->clear();
        choose(0);
        batch()->PauseBeforeStartMs = 100;
        batch()->PauseAfterStartMs = 300;
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
        QVERIFY(!batch()->IsRunning());
        QVERIFY(!batch()->CurrentJob());
        QVERIFY(!ownEncoderRunning());
    }

    void emptyListWarns()
    {
        QSignalSpy finished(batch(), &TConversionBatch::Finished);
        FrmMainForm->btnConvert->click();
        QTest::qWait(100);
        QCOMPARE(finished.size(), 0); // no batch at all
        QCOMPARE(m_program->prompts->texts(), QStringList{"Please add media files you want to convert into the list."});
        QVERIFY(m_program->platform->openedUrls.isEmpty());
    }

    void stopButtonAsksAndSkipsWhatFollows()
    {
        addRow(m_clips.shortClip, true, "00:00:02");
        addRow(m_clips.longClip, true, "00:01:00");
        stopWhileRowRuns(1, true);
        convert();

        QCOMPARE(m_program->prompts->texts(), QStringList{"Are you sure you want to stop the work ? "});
        QVERIFY(m_outcome.StoppedByUser);
        QVERIFY(m_program->platform->openedUrls.isEmpty()); // no end actions
        QCOMPARE(outputFiles(), QStringList{"short clip.mp4"});

        // A later batch performs its end actions again.
        list()->Model()->Clear();
        addRow(m_clips.shortClip, true, "00:00:02");
        convert();
        QCOMPARE(m_program->platform->openedUrls.size(), 1);
    }

    void closingStillRunsEndActions()
    {
        addRow(m_clips.longClip, true, "00:01:00");
        addRow(m_clips.shortClip, true, "00:00:02");
        FrmMainForm->chkShutdown->setChecked(true);
        stopWhileRowRuns(0, false);
        convert();

        QCOMPARE(m_program->prompts->texts(), QStringList{"Are you sure to stop processing ?"});
        QCOMPARE(batch()->ConvertedCount, 1);
        QVERIFY(!m_outcome.StoppedByUser);
        // What follows the batch, in this order.
        QCOMPARE(m_program->platform->calls,
                 (QStringList{"open " + QUrl::fromLocalFile(outputs()).toString(), "power off", "end 0"}));
        QVERIFY(outputFiles().isEmpty());
    }

    void noneCheckedStillRunsEndActions()
    {
        addRow(m_clips.shortClip, false, "00:00:02");
        FrmMainForm->chkShutdown->setChecked(true);
        convert();
        QCOMPARE(batch()->CheckedCount, 0);
        QVERIFY(outputFiles().isEmpty());
        QCOMPARE(m_program->platform->calls.size(), 3);
        QVERIFY(m_program->platform->calls.first().startsWith("open "));
        QCOMPARE(m_program->platform->calls.mid(1), (QStringList{"power off", "end 0"}));
    }

    // Rows that failed or were kept with a warning are told in one notice,
    // once the progress window is gone and the main window works again; the
    // log says why each failed.
    void endNoticeOverAWorkingMainWindow()
    {
        addRow(m_clips.shortClip, true, "00:00:02");
        addRow(m_clips.sources.filePath("missing.avi"), true, "00:00:02");
        bool progressShown = true;
        bool mainEnabled = false;
        m_program->prompts->whileShown = [&] {
            progressShown = frmConverting->isVisible();
            mainEnabled = FrmMainForm->isEnabled();
        };
        convert();

        QCOMPARE(m_outcome.FailedRows.size(), 1);
        QCOMPARE(m_program->prompts->messages.size(), 1);
        QCOMPARE(m_program->prompts->messages.first().icon, QMessageBox::Warning);
        QCOMPARE(m_program->prompts->texts().first(), m_outcome.Report());
        QVERIFY(!progressShown);
        QVERIFY(mainEnabled);
        QVERIFY(m_program->read("log.txt").contains("Conversion failed: " +
                                                    m_clips.sources.filePath("missing.avi").toUtf8()));
        QCOMPARE(outputFiles(), QStringList{"short clip.mp4"});
    }

    // A custom profile chosen in the options window is what the batch uses,
    // and Convert puts it into the window's selectors: the window shows it,
    // and a later batch, after the quality selector moved on, uses it again.
    void customProfileShownAfterConvert()
    {
        m_program->write("Config/UserProfileInfo.ini", "\r\n[My Prof]\r\nMy Prof=1|3|4|3|1|2\r\n");
        frmOption->RefillProfileList();
        frmOption->cbbCustomProfile->setCurrentIndex(0);
        choose(0, 0); // a built-in quality chosen after the profile
        QCOMPARE(frmOption->cbbVideoBitrate->currentText(), QStringLiteral("40"));
        addRow(m_clips.shortClip, true, "00:00:02");
        QStringList commands;
        const QMetaObject::Connection watch =
            connect(batch(), &TConversionBatch::RowStarting, this,
                    [&commands](const TConversionJob &job) { commands.append(job.CommandText()); });
        convert();
        const QString shownBitrate = frmOption->cbbVideoBitrate->currentText();
        const QString shownRate = frmOption->cbbFramerate->currentText();
        const QString shownAudio = frmOption->cbbAudioBitrate->currentText();
        frmOption->cbbCustomProfile->setCurrentIndex(-1);
        convert();
        disconnect(watch);

        QCOMPARE(commands.size(), 2);
        QCOMPARE(shownBitrate, QStringLiteral("512"));
        QCOMPARE(shownRate, QStringLiteral("24"));
        QCOMPARE(shownAudio, QStringLiteral("64"));
        for (const QString &command : commands) {
            for (const char *fragment : {" -b 512 ", " -r 24 ", " -ab 64 "})
                QVERIFY2(command.contains(QLatin1String(fragment)), qPrintable(command));
        }
        frmOption->cbbCustomProfile->clear();
    }

    void noFailureNoticeBeforePowerOff()
    {
        addRow(m_clips.sources.filePath("missing.avi"), true, "00:00:02");
        FrmMainForm->chkShutdown->setChecked(true);
        convert();
        QCOMPARE(m_outcome.FailedRows.size(), 1);
        QVERIFY(m_program->prompts->messages.isEmpty());
        QCOMPARE(m_program->platform->powerOffs, 1);
    }

    // Closed from outside (the window manager, the taskbar) during a batch:
    // the progress window's close question. No goes on; Yes ends our encoder,
    // leaves no partial file and ends the program once it has.
    void closeFromOutsideDuringABatch_data()
    {
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::newRow("No") << QMessageBox::No;
        QTest::newRow("Yes") << QMessageBox::Yes;
    }
    void closeFromOutsideDuringABatch()
    {
        QFETCH(QMessageBox::StandardButton, answer);
        addRow(m_clips.longClip, true, "00:01:00");
        bool asked = false;
        whenRowEncoderRuns(this, batch(), -1, [&] {
            m_program->prompts->answers.enqueue(answer);
            FrmMainForm->close();
            asked = true;
            if (answer == QMessageBox::No) {
                QVERIFY(batch()->IsRunning());
                QVERIFY(m_program->platform->endedWith.isEmpty());
                batch()->Stop(true); // the test's own end of the batch
            }
        });
        convert();

        QVERIFY(asked);
        QCOMPARE(m_program->prompts->texts(), QStringList{"Are you sure to stop processing ?"});
        QVERIFY(m_outcome.StoppedByUser);
        QVERIFY(outputFiles().isEmpty());
        QVERIFY(!ownEncoderRunning());
        QCOMPARE(m_program->platform->endedWith, answer == QMessageBox::Yes ? QList<int>{0} : QList<int>{});
        QVERIFY(m_program->platform->powerOffs == 0);
    }

    // Closed from outside while a row waits to start its encoder: Yes ends
    // the batch at once, and the program with it; no close is left pending
    // for a later batch.
    void closeFromOutsideBeforeTheEncoderStarts()
    {
        addRow(m_clips.shortClip, true, "00:00:02");
        const QMetaObject::Connection closeSoon = connect(batch(), &TConversionBatch::RowStarting, this, [this] {
            QTimer::singleShot(0, this, [this] {
                m_program->prompts->answers.enqueue(QMessageBox::Yes);
                FrmMainForm->close();
            });
        });
        convert();
        disconnect(closeSoon);
        QVERIFY(m_outcome.StoppedByUser);
        QVERIFY(outputFiles().isEmpty());
        QCOMPARE(m_program->platform->endedWith, QList<int>{0});

        m_program->platform->endedWith.clear();
        convert();
        QCOMPARE(m_outcome.DeliveredCount, 1);
        QVERIFY(m_program->platform->endedWith.isEmpty());
    }

    // The system asks the program to end (a session's end): no question, the
    // encoder ends, nothing half-written stays, then the program ends.
    void endRequestStopsWithoutAsking()
    {
        addRow(m_clips.longClip, true, "00:01:00");
        FrmMainForm->chkShutdown->setChecked(true);
        whenRowEncoderRuns(this, batch(), -1, [] { FrmMainForm->EndOnRequest(); });
        convert();

        QVERIFY(m_program->prompts->messages.isEmpty());
        QVERIFY(outputFiles().isEmpty());
        QVERIFY(!ownEncoderRunning());
        QCOMPARE(m_program->platform->calls, QStringList{"end 0"}); // and nothing of what follows a batch
    }

    // Convert pressed while a stopped batch's encoder is still ending says so.
    void convertWhileStoppingSaysSo()
    {
        addRow(m_clips.longClip, true, "00:01:00");
        whenRowEncoderRuns(this, batch(), -1, [] {
            batch()->Stop(true);
            FrmMainForm->setEnabled(true); // as the progress window's Stop gives it back
            FrmMainForm->btnConvert->click();
        });
        convert();
        QCOMPARE(m_program->prompts->texts(),
                 QStringList{"The last conversion is still being stopped. Please try again in a moment."});
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
        addRow(m_clips.shortClip, true, "00:00:02");
        FrmMainForm->chkShutdown->setChecked(atStart);
        FrmMainForm->chkShowOutputDirectory->setChecked(atStart);
        const QMetaObject::Connection change = connect(batch(), &TConversionBatch::RowStarting, this, [atEnd] {
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
        addRow(m_clips.shortClip, true, "00:00:02");
        addRow(m_clips.sources.filePath("missing.avi"), true, "00:00:02");
        if (stop)
            addRow(m_clips.longClip, true, "00:01:00");
        // A headless compositor has no seat: it gives no window the focus a
        // user's click would, so nobody can be "in Movarel" there.
        if (!away && QGuiApplication::platformName() == QLatin1String("wayland"))
            QSKIP("the compositor moves no focus on request");
        FrmMainForm->show();
        const QMetaObject::Connection elsewhere = connect(batch(), &TConversionBatch::RowStarting, this, [away] {
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
};

QTEST_MAIN(TestBatchWindows)
#include "tst_batchwindows.moc"
