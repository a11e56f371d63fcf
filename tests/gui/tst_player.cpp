// The preview player of the main window, played for real into the video
// window: play, pause, resume and stop with their state words, the time panel,
// the pause at the end handle's time, the unload at the end of the media, the
// source list and the trim bar stopping or moving the preview, and files the
// engine cannot play.

#include "../support/MediaFixtures.h"
#include "../support/ProgramFixture.h"
#include "Code/core/TextFormats.h"
#include "SourceRows.h"
#include "media/TrackBar.h"
#include "media/VideoWindow.h"
#include "ui/PictureButton.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include <functional>

namespace {

constexpr qint64 hundredNsPerMs = TFilterGraph::HundredNsPerMs;

TFilterGraph *graph()
{
    return FrmMainForm->FilterGraph;
}

qint64 positionMs()
{
    return graph()->Active() ? graph()->CurrentPosition() / hundredNsPerMs : -1;
}

QString timePanel()
{
    return FrmMainForm->pnlCurTime->text();
}

// The ticks come once a second, so one of them may land just past the
// second a test would wait for: tests wait for a range of times instead.
bool panelShows(const QString &pattern)
{
    return QRegularExpression(QRegularExpression::anchoredPattern(pattern)).match(timePanel()).hasMatch();
}

bool logoShown()
{
    return !FrmMainForm->panLogo->isHidden();
}

void click(ui::PictureButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

// Nothing loaded: the state the player starts in.
void verifyUnloaded()
{
    QCOMPARE(CustomProc->PlayerState.File, QString());
    QVERIFY(!graph()->Active());
    QVERIFY(!CustomProc->PlayerState.IsPlaying);
    QVERIFY(logoShown());
    QCOMPARE(timePanel(), QStringLiteral("00:00:00"));
}

void verifyPlaying(const QString &file)
{
    QCOMPARE(CustomProc->PlayerState.File, file);
    QVERIFY(graph()->Active());
    QVERIFY(graph()->IsRunning());
    QVERIFY(CustomProc->PlayerState.IsPlaying);
    QVERIFY(!logoShown());
}

// An AVI whose video stream names a codec no decoder knows; its sound stays
// playable, so the engine renders the file only in part.
QString makePartlyRenderableAvi(const QString &folder)
{
    const QString source = fixtures::makeClip(folder, "whole.avi");
    QFile in(source);
    if (source.isEmpty() || !in.open(QIODevice::ReadOnly))
        return {};
    QByteArray data = in.readAll();
    const qsizetype movi = data.indexOf("movi");
    QByteArray header = data.left(movi);
    if (movi < 0 || !header.contains("FMP4"))
        return {};
    header.replace("FMP4", "QQQQ");
    const QString target = QDir(folder).filePath("partly.avi");
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly) || out.write(header + data.mid(movi)) != data.size())
        return {};
    return target;
}

// Sound only: a moment at the start, then sound again from two seconds before
// the 100th hour to three seconds into it.
QString makeHundredHourSound(const QString &folder)
{
    const QString dense = QDir(folder).filePath("dense.flv");
    const QString sparse = QDir(folder).filePath("hundred-hours.flv");
    const bool made =
        fixtures::runFfmpeg({"-f", "lavfi", "-i", "sine=frequency=440:duration=6", "-c:a", "libmp3lame", dense}) &&
        fixtures::runFfmpeg(
            {"-i", dense, "-c", "copy", "-bsf:a", "setts=ts=PTS+if(gte(N\\,30)\\,359997/TB\\,0)", sparse});
    return made ? sparse : QString();
}

} // namespace

class TestPlayer : public QObject {
    Q_OBJECT

    std::unique_ptr<ProgramFixture> m_program;
    QTemporaryDir m_media;
    QString m_long;  // 8 s
    QString m_brief; // 2 s
    QString m_other; // 6 s, another container

    // One row per file, the first one selected and laid out.
    void list(const QStringList &files)
    {
        for (const QString &file : files)
            rows::append(file, FormatDuration(qint64(fixtures::probe(file).duration)));
        rows::grid()->SetFocusedRow(0);
        rows::selectOnly({0});
        FrmMainForm->SyncTrimBar();
    }

    QByteArray log() const { return m_program->read("log.txt"); }

    // Plays `file` until the end handle pauses it; `whilePlaying` checks the
    // playback on the way. A late tick may step over the mark's second (the
    // player then runs on to the end and unloads); that is the timer's
    // nature, so it tries again.
    void playToTheEndMark(const QString &file, const std::function<void()> &whilePlaying)
    {
        for (int attempt = 1;; ++attempt) {
            click(FrmMainForm->btnPlay);
            verifyPlaying(file);
            whilePlaying();
            QTRY_VERIFY_WITH_TIMEOUT(!CustomProc->PlayerState.IsPlaying, 7000);
            if (!CustomProc->PlayerState.File.isEmpty() || attempt == 3)
                return;
            qWarning("A tick stepped over the end mark; playing again.");
        }
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_program = std::make_unique<ProgramFixture>();
        FrmMainForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(FrmMainForm));
        QVERIFY(m_media.isValid());
        fixtures::ClipSpec clipSpec;
        clipSpec.size = QSize(160, 120);
        clipSpec.seconds = 8.0;
        m_long = fixtures::makeClip(m_media.path(), "long clip.mp4", clipSpec);
        clipSpec.seconds = 2.0;
        m_brief = fixtures::makeClip(m_media.path(), "brief.mp4", clipSpec);
        clipSpec.seconds = 6.0;
        m_other = fixtures::makeClip(m_media.path(), "other.avi", clipSpec);
        QVERIFY(!m_long.isEmpty() && !m_brief.isEmpty() && !m_other.isEmpty());
    }

    void init()
    {
        rows::resetAll();
        m_program->prompts->messages.clear();
    }

    void cleanup()
    {
        QCOMPARE(m_program->prompts->texts(), QStringList());
        rows::resetAll();
    }

    void startsUnloaded()
    {
        verifyUnloaded();
        QCOMPARE(CustomProc->PlayerState.TrimStartSeconds, qint64(0));
        QCOMPARE(CustomProc->PlayerState.StopMarkText, QString());
        QVERIFY(!CustomProc->PlayerState.TrimBarReady);
        QCOMPARE(FrmMainForm->dstrckbrMainform->TimerInterval(), 1000);
    }

    void playPauseResumeStop()
    {
        list({m_long});
        click(FrmMainForm->btnPlay);
        verifyPlaying(m_long);
        QTRY_VERIFY_WITH_TIMEOUT(FrmMainForm->DSVideoWindowEx1->hasFrame(), 10000);
        // The first second can take longer on a loaded machine while the
        // engine starts up, and a late tick may step over a whole second;
        // the tick itself is what is checked here.
        QTRY_VERIFY_WITH_TIMEOUT(panelShows(QStringLiteral("00:00:0[1-7]")), 10000);

        click(FrmMainForm->btnPause);
        QVERIFY(!CustomProc->PlayerState.IsPlaying);
        QVERIFY(!graph()->IsRunning());
        QVERIFY(!logoShown());
        QCOMPARE(CustomProc->PlayerState.File, m_long);
        const qint64 held = positionMs();
        const QString shown = timePanel();
        QTest::qWait(1300);
        QCOMPARE(timePanel(), shown); // no ticks while paused
        QVERIFY(qAbs(positionMs() - held) <= 100);

        click(FrmMainForm->btnPlay); // resumes where it paused
        verifyPlaying(m_long);
        QTRY_VERIFY_WITH_TIMEOUT(positionMs() >= held + 300, 3000);
        QVERIFY(positionMs() < held + 3000);

        click(FrmMainForm->btnStop);
        verifyUnloaded();
        QTest::qWait(300);
        QVERIFY(!FrmMainForm->DSVideoWindowEx1->hasFrame());
    }

    void stateWords()
    {
        QCOMPARE(CustomProc->PausePlayback(FrmMainForm->Preview()), QStringLiteral("Stoped")); // nothing loaded
        QCOMPARE(CustomProc->ResumePlayback(FrmMainForm->Preview()), QStringLiteral("Stoped"));
        FrmMainForm->pnlCurTime->setText("00:00:07");
        QCOMPARE(CustomProc->StopPlayback(FrmMainForm->Preview()), QStringLiteral("Stoped"));
        QCOMPARE(timePanel(), QStringLiteral("00:00:07")); // inactive: nothing happens at all
        FrmMainForm->pnlCurTime->setText("00:00:00");

        QCOMPARE(m_program->platform->screenHeld, 0);
        QCOMPARE(CustomProc->StartPreview(FrmMainForm->Preview(), m_other, std::nullopt), QStringLiteral("Playing"));
        verifyPlaying(m_other);
        // The screen saver waits while the preview plays, and only then.
        QCOMPARE(m_program->platform->screenHeld, 1);
        QCOMPARE(CustomProc->PausePlayback(FrmMainForm->Preview()), QStringLiteral("Paused"));
        QCOMPARE(m_program->platform->screenHeld, 0);
        QCOMPARE(CustomProc->ResumePlayback(FrmMainForm->Preview()), QStringLiteral("Playing"));
        QCOMPARE(CustomProc->ResumePlayback(FrmMainForm->Preview()), QStringLiteral("Playing"));
        QCOMPARE(m_program->platform->screenHeld, 1);
        QCOMPARE(CustomProc->StopPlayback(FrmMainForm->Preview()), QStringLiteral("Stoped"));
        QCOMPARE(m_program->platform->screenHeld, 0);
        verifyUnloaded();
    }

    void buttonsThatHaveNothingToDo()
    {
        click(FrmMainForm->btnPause); // nothing loaded
        click(FrmMainForm->btnPlay);  // no row selected
        verifyUnloaded();
        list({m_long});
        rows::grid()->clearSelection();
        click(FrmMainForm->btnPlay);
        verifyUnloaded();

        rows::selectOnly({0});
        click(FrmMainForm->btnPlay);
        QTRY_VERIFY_WITH_TIMEOUT(positionMs() >= 1200, 5000);
        click(FrmMainForm->btnPlay); // playing already: not started again
        verifyPlaying(m_long);
        QVERIFY(positionMs() >= 1200);
    }

    // With the end handle at 00:00:05, the preview shows 00:00:05 once, goes
    // back to the beginning and pauses there.
    void pausesAtTheEndHandle()
    {
        list({m_long});
        // Start handle at 3 s and end handle at 5 s of the 8-s file, by the bar's arithmetic.
        FrmMainForm->Panel1->SetLeftCutWidth(85);
        FrmMainForm->SetStartTimeAndPlay();
        FrmMainForm->Panel1->SetRightCutWidth(83);
        FrmMainForm->Splitter2Moved();
        QCOMPARE(CustomProc->PlayerState.TrimStartSeconds, qint64(3));
        QCOMPARE(CustomProc->PlayerState.StopMarkText, QStringLiteral("00:00:05"));

        playToTheEndMark(m_long, [] { QTRY_VERIFY_WITH_TIMEOUT(positionMs() >= 2900, 1000); }); // from the start handle
        QCOMPARE(timePanel(), QStringLiteral("00:00:05"));
        QVERIFY(!graph()->IsRunning());
        QCOMPARE(CustomProc->PlayerState.File, m_long);
        QVERIFY(!logoShown());
        QTRY_VERIFY(positionMs() < 300);
        QTest::qWait(1200);
        QCOMPARE(timePanel(), QStringLiteral("00:00:05"));

        click(FrmMainForm->btnPlay); // plays on from the beginning
        verifyPlaying(m_long);
        QTRY_VERIFY_WITH_TIMEOUT(positionMs() >= 400, 3000);
        QVERIFY(positionMs() < 2500);
    }

    // At the end handle the preview jumps to the start and pauses there: the
    // picture left in the window is the start's, not the mark's. The clip
    // brightens with time, so the picture tells which moment it shows.
    void endMarkLeavesTheStartPicture()
    {
        const QString ramp = m_media.filePath("ramp.mp4");
        QVERIFY(fixtures::runFfmpeg({"-f", "lavfi", "-i", "color=c=black:s=160x120:r=25:d=8", "-vf",
                                     "geq=lum='min(250,T*45)':cb=128:cr=128", "-c:v", "mpeg4", "-q:v", "2", ramp}));
        list({ramp});
        FrmMainForm->Panel1->SetLeftCutWidth(1);
        FrmMainForm->SetStartTimeAndPlay();
        FrmMainForm->Panel1->SetRightCutWidth(83);
        FrmMainForm->Splitter2Moved();
        QCOMPARE(CustomProc->PlayerState.TrimStartSeconds, qint64(0));
        QCOMPARE(CustomProc->PlayerState.StopMarkText, QStringLiteral("00:00:05"));
        const auto shownGrey = [] {
            const QImage shot = FrmMainForm->DSVideoWindowEx1->grab().toImage();
            return qGray(shot.pixel(shot.rect().center()));
        };

        playToTheEndMark(ramp, [&] { QTRY_VERIFY_WITH_TIMEOUT(shownGrey() > 120, 6000); }); // well into the clip
        QCOMPARE(CustomProc->PlayerState.File, ramp);
        QTRY_VERIFY_WITH_TIMEOUT(shownGrey() < 60, 3000);
        QTest::qWait(500);
        QVERIFY2(shownGrey() < 60, qPrintable(QString::number(shownGrey())));
        click(FrmMainForm->btnStop);
    }

    void endOfMediaUnloads()
    {
        list({m_brief});
        click(FrmMainForm->btnPlay);
        verifyPlaying(m_brief);
        QTRY_VERIFY_WITH_TIMEOUT(CustomProc->PlayerState.File.isEmpty(), 6000);
        verifyUnloaded();
    }

    void listSelectionStopsAnotherFile()
    {
        list({m_long, m_other});
        TSourceGrid *grid = rows::grid();
        click(FrmMainForm->btnPlay);
        verifyPlaying(m_long);
        const int leftCut = FrmMainForm->Panel1->LeftCutWidth();

        // Clicking the row of the file that plays changes nothing.
        FrmMainForm->Panel1->SetLeftCutWidth(leftCut + 20);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(0, 1)).center());
        verifyPlaying(m_long);
        QCOMPARE(FrmMainForm->Panel1->LeftCutWidth(), leftCut + 20);

        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(1, 1)).center());
        QCOMPARE(grid->SelectedRows(), QList<int>{1});
        verifyUnloaded();
        QCOMPARE(CustomProc->PlayerState.DurationSeconds, qint64(6));
    }

    void removingRowsStopsThePreview_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Remove") << "remove";
        QTest::newRow("Clear") << "clear";
        QTest::newRow("Delete key") << "delete";
    }
    void removingRowsStopsThePreview()
    {
        QFETCH(QString, how);
        list({m_long, m_other});
        click(FrmMainForm->btnPlay);
        verifyPlaying(m_long);
        rows::selectOnly({0}); // the row of the file that plays: the list leaves it alone
        if (how == "remove")
            click(FrmMainForm->btnRemoveFile);
        else if (how == "clear")
            click(FrmMainForm->btnClearFile);
        else
            QTest::keyClick(rows::grid(), Qt::Key_Delete);
        verifyUnloaded();
    }

    void startHandleMovesAPlayingPreview()
    {
        list({m_long, m_other});
        click(FrmMainForm->btnPlay);
        verifyPlaying(m_long);
        QTRY_VERIFY_WITH_TIMEOUT(positionMs() >= 300, 3000);
        QVERIFY(positionMs() < 2000);

        // A real drag of the start handle to 5 s of the 8-s file.
        QWidget *handle = FrmMainForm->Splitter1;
        const auto pointerAt = [handle](int left) {
            return handle->mapFromGlobal(FrmMainForm->Panel1->mapToGlobal(QPoint(left + 5, 9)));
        };
        QTest::mousePress(handle, Qt::LeftButton, {}, QPoint(5, 9));
        QTest::mouseMove(handle, pointerAt(140));
        QTest::mouseRelease(handle, Qt::LeftButton, {}, pointerAt(140));
        QCOMPARE(CustomProc->PlayerState.TrimStartSeconds, qint64(5));
        QCOMPARE(rows::grid()->Cell(0, colStartTime), QStringLiteral("00:00:05"));
        QTRY_VERIFY_WITH_TIMEOUT(positionMs() >= 4900, 1500);
        QVERIFY(positionMs() < 7000);
        verifyPlaying(m_long);

        // Another file starts at the same time.
        rows::selectOnly({1});
        FrmMainForm->SyncTrimBar();
        verifyUnloaded();
        click(FrmMainForm->btnPlay);
        verifyPlaying(m_other);
        QTRY_VERIFY_WITH_TIMEOUT(positionMs() >= 4900, 1000);
    }

    void postedStartTimeMovesTheLoadedPreview()
    {
        list({m_long});
        click(FrmMainForm->btnPlay);
        verifyPlaying(m_long);
        click(FrmMainForm->btnPause);
        QVERIFY(positionMs() < 1500);
        TSourceListModel *model = rows::grid()->Model();
        QVERIFY(model->setData(model->index(0, colStartTime), "00:00:06", Qt::EditRole));
        QCOMPARE(rows::grid()->Cell(0, colCutTime), QStringLiteral("00:00:02"));
        QTRY_VERIFY_WITH_TIMEOUT(qAbs(positionMs() - 6000) <= 200, 2000);
        QVERIFY(!CustomProc->PlayerState.IsPlaying); // still paused
    }

    void partlyRenderableFileIsNotPlayed()
    {
        const QString file = makePartlyRenderableAvi(m_media.path());
        QVERIFY(!file.isEmpty());
        rows::append(file, "00:00:03");
        rows::selectOnly({0});
        QVERIFY(!log().contains("Playing Video error."));
        click(FrmMainForm->btnPlay);
        QCOMPARE(log().count("Playing Video error."), 1);
        QVERIFY(log().contains("|Playing Video error.\r\n"));
        QVERIFY(logoShown());
        QVERIFY(!CustomProc->PlayerState.IsPlaying);
        QVERIFY(graph()->Active()); // active and empty
        QVERIFY(!graph()->IsRunning());
        QCOMPARE(graph()->FileName(), QString());
        QCOMPARE(CustomProc->PlayerState.File, file); // the render returned a code
        QTest::qWait(300);
        QVERIFY(!FrmMainForm->DSVideoWindowEx1->hasFrame());
    }

    void unreadableFileIsNotPlayed()
    {
        const QString file = m_media.filePath("not a video.mp4");
        QFile text(file);
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("not a video\n");
        text.close();
        rows::append(file, "00:00:03");
        rows::selectOnly({0});
        const qsizetype before = log().count("Playing Video error.");
        click(FrmMainForm->btnPlay);
        QCOMPARE(log().count("Playing Video error."), before + 1);
        QCOMPARE(CustomProc->PlayerState.File, QString()); // the render raised
        // The user sees only the logo; the log keeps the engine's reason.
        QVERIFY(log().contains(("|Preview of " + file + ": ").toUtf8()));
        QVERIFY(logoShown());
        QVERIFY(!CustomProc->PlayerState.IsPlaying);
    }

    void timePanelShowsHundredHours()
    {
        // The start lies in the file's sound, which plays on into the 100th hour.
        const QString file = makeHundredHourSound(m_media.path());
        QVERIFY(!file.isEmpty());
        rows::append(file, "100:00:03");
        rows::selectOnly({0});
        CustomProc->PlayerState.TrimStartSeconds = 359999; // as the start handle would leave it
        CustomProc->PlayerState.TrimBarReady = true;
        click(FrmMainForm->btnPlay);
        QCOMPARE(CustomProc->PlayerState.File, file);
        QVERIFY(CustomProc->PlayerState.IsPlaying);
        QTRY_VERIFY_WITH_TIMEOUT(panelShows(QStringLiteral("100:00:0[0-3]")), 4000);
    }

    // Last: closing the main window ends the program, here the fake's way.
    // A playing preview is stopped first, the screen saver given back and the
    // settings written; nothing crashes on the way.
    void closingTheWindowWhilePlaying()
    {
        QCOMPARE(CustomProc->StartPreview(FrmMainForm->Preview(), m_other, std::nullopt), QStringLiteral("Playing"));
        verifyPlaying(m_other);
        QTest::qWait(300); // frames on their way to the window
        QCOMPARE(m_program->platform->screenHeld, 1);
        m_program->platform->endedWith.clear();
        QFile::remove(m_program->path("Config/UserSettings.ini"));

        FrmMainForm->close();

        QCOMPARE(m_program->platform->endedWith, QList<int>{0});
        QCOMPARE(m_program->platform->screenHeld, 0);
        QVERIFY(!CustomProc->PlayerState.IsPlaying);
        QVERIFY(!graph()->Active());
        QVERIFY(m_program->read("Config/UserSettings.ini").contains("[USRInfo]"));
        QTest::qWait(300); // no late frame or tick reaches a stopped player
    }
};

QTEST_MAIN(TestPlayer)
#include "tst_player.moc"
