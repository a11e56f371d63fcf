// The trim bar below the preview: its layout from the selected row, handle
// positions turned into start and end times, drags and clicks beside the
// handles writing every selected row, and the cut length of a file.

#include "../support/ProgramFixture.h"
#include "Code/core/Errors.h"
#include "Code/core/TextFormats.h"
#include "SourceRows.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

TTrimBar *bar()
{
    return FrmMainForm->Panel1;
}

// Pointer position (in the handle's own coordinates) that puts the handle's
// left edge at `left` on the bar when it was grabbed at `grab`.
QPoint pointerFor(QWidget *handle, int left, int grab)
{
    return handle->mapFromGlobal(bar()->mapToGlobal(QPoint(left + grab, 9)));
}

// Counts paint events of one widget.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace

class TestTrimBar : public QObject {
    Q_OBJECT

    std::unique_ptr<ProgramFixture> m_program;

    // A 200-second row from 50 to 150 s, selected and laid out: cut areas of 56.
    void workedRow()
    {
        rows::append("/work.mp4", "00:03:20", "00:00:50", "00:02:30");
        rows::selectOnly({0});
        FrmMainForm->SyncTrimBar();
        QCOMPARE(bar()->LeftCutWidth(), 56);
        QCOMPARE(bar()->RightCutWidth(), 56);
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_program = std::make_unique<ProgramFixture>();
        FrmMainForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(FrmMainForm));
    }

    void init()
    {
        rows::resetAll();
        m_program->prompts->messages.clear();
    }

    void cleanup() { QCOMPARE(m_program->prompts->texts(), QStringList()); }

    void barAtStart()
    {
        QCOMPARE(bar()->size(), QSize(260, 19));
        QCOMPARE(bar()->palette().color(QPalette::Window), QColor(61, 65, 77));
        const QList<QPair<QWidget *, QRect>> areas{{FrmMainForm->Panel2, QRect(0, 0, 1, 19)},
                                                   {FrmMainForm->Splitter1, QRect(1, 0, 19, 19)},
                                                   {FrmMainForm->Panel4, QRect(20, 0, 220, 19)},
                                                   {FrmMainForm->Splitter2, QRect(240, 0, 19, 19)},
                                                   {FrmMainForm->Panel3, QRect(259, 0, 1, 19)}};
        for (const auto &[widget, geometry] : areas)
            QCOMPARE(widget->geometry(), geometry);
        QCOMPARE(FrmMainForm->Splitter1->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(FrmMainForm->Splitter2->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(bar()->imgL.size(), QSize(17, 19));
        QCOMPARE(bar()->imgR.size(), QSize(17, 19));
        QCOMPARE(FrmMainForm->tmrPaintSP->interval(), 10);
    }

    void handlePicturesShowTheBarThroughBlack()
    {
        for (QWidget *handle : {FrmMainForm->Splitter1, FrmMainForm->Splitter2}) {
            const QImage shot = handle->grab().toImage();
            QCOMPARE(shot.size(), QSize(19, 19));
            QCOMPARE(QColor(shot.pixel(0, 0)), QColor(61, 65, 77));  // black corner of the picture
            QVERIFY(QColor(shot.pixel(9, 3)) != QColor(61, 65, 77)); // the grip
        }
        // The paint timer draws a handle again once it moved, and rests
        // while nothing changes.
        PaintCounter counter;
        FrmMainForm->Splitter2->installEventFilter(&counter);
        QTRY_VERIFY(!FrmMainForm->tmrPaintSP->isActive());
        counter.paints = 0;
        QTest::qWait(200);
        QCOMPARE(counter.paints, 0);
        bar()->SetRightCutWidth(bar()->RightCutWidth() + 1);
        QVERIFY(FrmMainForm->tmrPaintSP->isActive());
        QTRY_VERIFY(counter.paints >= 1);
        QTRY_VERIFY(!FrmMainForm->tmrPaintSP->isActive());
        bar()->SetRightCutWidth(bar()->RightCutWidth() - 1);
        FrmMainForm->Splitter2->removeEventFilter(&counter);
    }

    void layoutFromTheSelectedRow_data()
    {
        QTest::addColumn<QString>("duration");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<int>("leftBefore");
        QTest::addColumn<int>("rightBefore");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("right");
        QTest::newRow("200 s from 50 to 150") << "00:03:20"
                                              << "00:00:50"
                                              << "00:02:30" << 1 << 1 << 56 << 56;
        QTest::newRow("whole file") << "00:03:20"
                                    << "00:00:00"
                                    << "00:03:20" << 56 << 56 << 1 << 1;
        // 75/200 x 220 = 82.5 goes to 82, 175/200 x 220 = 192.5 to 192.
        QTest::newRow("halves to the even neighbour") << "00:03:20"
                                                      << "00:01:15"
                                                      << "00:02:55" << 1 << 1 << 83 << 29;
        QTest::newRow("left within 1 pixel stays") << "00:03:40"
                                                   << "00:00:56"
                                                   << "00:03:40" << 56 << 1 << 56 << 1;
        QTest::newRow("left 2 pixels away moves") << "00:03:40"
                                                  << "00:00:57"
                                                  << "00:03:40" << 56 << 1 << 58 << 1;
        QTest::newRow("right within 2 pixels stays") << "00:03:40"
                                                     << "00:00:00"
                                                     << "00:02:43" << 1 << 56 << 1 << 56;
        QTest::newRow("right 3 pixels away moves") << "00:03:40"
                                                   << "00:00:00"
                                                   << "00:02:42" << 1 << 56 << 1 << 59;
    }
    void layoutFromTheSelectedRow()
    {
        QFETCH(QString, duration);
        QFETCH(QString, start);
        QFETCH(QString, end);
        QFETCH(int, leftBefore);
        QFETCH(int, rightBefore);
        QFETCH(int, left);
        QFETCH(int, right);
        rows::append("/row.mp4", duration, start, end);
        rows::selectOnly({0});
        bar()->SetBarWidth(300); // the layout works on a bar of 260
        bar()->SetLeftCutWidth(leftBefore);
        bar()->SetRightCutWidth(rightBefore);
        FrmMainForm->SyncTrimBar();
        QCOMPARE(bar()->width(), 260);
        QCOMPARE(bar()->LeftCutWidth(), left);
        QCOMPARE(bar()->RightCutWidth(), right);
        QCOMPARE(FrmMainForm->Splitter1->x(), left);
        QCOMPARE(FrmMainForm->Splitter2->x(), 260 - right - 19);
        qint64 seconds = 0;
        QVERIFY(ReadTimeSplitStrict(duration, seconds));
        QCOMPARE(CustomProc->PlayerState.DurationSeconds, seconds);
        QVERIFY(CustomProc->PlayerState.TrimBarReady);
    }

    void layoutFollowsTheLastSelectedRowAndSkipsTheLoadedFile()
    {
        rows::append("/a.mp4", "00:03:20", "00:00:50", "00:02:30");
        rows::append("/b.mp4", "00:03:40");
        rows::append("/c.mp4", "00:01:40", "00:00:50", "00:01:40");
        rows::selectOnly({0, 2});
        FrmMainForm->SyncTrimBar();
        QCOMPARE(CustomProc->PlayerState.DurationSeconds, qint64(100));
        QCOMPARE(bar()->LeftCutWidth(), 111);
        QCOMPARE(bar()->RightCutWidth(), 1);

        // The row of the file in the player keeps its handles.
        CustomProc->PlayerState.File = "/c.mp4";
        rows::selectOnly({0, 2});
        FrmMainForm->SyncTrimBar();
        QCOMPARE(CustomProc->PlayerState.DurationSeconds, qint64(200));
        QCOMPARE(bar()->LeftCutWidth(), 56);
        rows::selectOnly({2});
        bar()->SetLeftCutWidth(30);
        FrmMainForm->SyncTrimBar();
        QCOMPARE(bar()->LeftCutWidth(), 30);
        QCOMPARE(CustomProc->PlayerState.DurationSeconds, qint64(200));
        CustomProc->PlayerState.File.clear();
    }

    void rowWithoutDurationIsNotLaidOut()
    {
        workedRow();
        rows::append("/zero.mp4", "00:00:00");
        rows::selectOnly({1});
        FrmMainForm->SyncTrimBar();
        QVERIFY(!CustomProc->PlayerState.TrimBarReady);
        QCOMPARE(bar()->LeftCutWidth(), 56);
        QCOMPARE(bar()->RightCutWidth(), 56);
    }

    // The handle's left edge to seconds of a 200-second row, as the moved
    // handlers compute them.
    void handlePositionToTime_data()
    {
        QTest::addColumn<bool>("startHandle");
        QTest::addColumn<int>("leftCut");
        QTest::addColumn<int>("rightCut");
        QTest::addColumn<QString>("time");
        QTest::addColumn<int>("leftAfter");
        QTest::addColumn<int>("rightAfter");
        QTest::newRow("start at 100: 45 percent") << true << 100 << 1 << "00:01:30" << 100 << 1;
        QTest::newRow("start at the far left") << true << 1 << 1 << "00:00:00" << 1 << 1;
        QTest::newRow("end at the far right: 101 percent") << false << 1 << 1 << "00:03:22" << 1 << 1;
        QTest::newRow("end at 130") << false << 1 << 111 << "00:01:40" << 1 << 111;
        // Handles closer than 20 pixels: the moved handle steps back by one.
        QTest::newRow("start touching the end") << true << 120 << 102 << "00:01:46" << 119 << 102;
        QTest::newRow("end touching the start") << false << 120 << 102 << "00:01:48" << 120 << 101;
    }
    void handlePositionToTime()
    {
        QFETCH(bool, startHandle);
        QFETCH(int, leftCut);
        QFETCH(int, rightCut);
        QFETCH(QString, time);
        QFETCH(int, leftAfter);
        QFETCH(int, rightAfter);
        workedRow();
        bar()->SetLeftCutWidth(leftCut);
        bar()->SetRightCutWidth(rightCut);
        if (startHandle)
            FrmMainForm->SetStartTimeAndPlay();
        else
            FrmMainForm->Splitter2Moved();
        QCOMPARE(bar()->LeftCutWidth(), leftAfter);
        QCOMPARE(bar()->RightCutWidth(), rightAfter);
        QCOMPARE(rows::grid()->Cell(0, startHandle ? colStartTime : colEndTime), time);
        qint64 seconds = 0;
        QVERIFY(ReadTimeSplitStrict(time, seconds));
        if (startHandle)
            QCOMPARE(CustomProc->PlayerState.TrimStartSeconds, seconds);
        else
            QCOMPARE(CustomProc->PlayerState.StopMarkText, time);
        const qint64 cut = startHandle ? 150 - seconds : seconds - 50;
        QCOMPARE(rows::grid()->Cell(0, colCutTime), FormatDuration(cut));
    }

    // Dragging a handle with the mouse writes the time on every step.
    void dragUpdatesOnEveryStep_data()
    {
        QTest::addColumn<bool>("startHandle");
        QTest::addColumn<QList<int>>("lefts");   // where the pointer puts the handle's left edge
        QTest::addColumn<QList<int>>("reached"); // where the handle's left edge ends up
        QTest::addColumn<QStringList>("times");  // the time written at each step
        QTest::newRow("start handle") << true << QList<int>{60, 100, 100, -40, 30} << QList<int>{60, 100, 100, 1, 30}
                                      << QStringList{"00:00:52", "00:01:30", "00:01:30", "00:00:00", "00:00:24"};
        // The end handle stops where the kept part would vanish: at 56 + 19 + 1.
        QTest::newRow("end handle") << false << QList<int>{200, 300, 10} << QList<int>{200, 240, 76}
                                    << QStringList{"00:02:44", "00:03:22", "00:00:50"};
    }
    void dragUpdatesOnEveryStep()
    {
        QFETCH(bool, startHandle);
        QFETCH(QList<int>, lefts);
        QFETCH(QList<int>, reached);
        QFETCH(QStringList, times);
        workedRow();
        QWidget *handle = startHandle ? FrmMainForm->Splitter1 : FrmMainForm->Splitter2;
        QSignalSpy moved(bar(), startHandle ? &TTrimBar::StartHandleMoved : &TTrimBar::EndHandleMoved);
        const int grab = 7;
        QTest::mousePress(handle, Qt::LeftButton, {}, QPoint(grab, 9));
        int expectedSignals = 0;
        int previous = handle->x();
        for (int step = 0; step < lefts.size(); ++step) {
            QTest::mouseMove(handle, pointerFor(handle, lefts[step], grab));
            QCOMPARE(handle->x(), reached[step]);
            expectedSignals += reached[step] != previous ? 1 : 0;
            previous = reached[step];
            QCOMPARE(moved.count(), expectedSignals);
            QCOMPARE(rows::grid()->Cell(0, startHandle ? colStartTime : colEndTime), times[step]);
        }
        QTest::mouseRelease(handle, Qt::LeftButton, {}, pointerFor(handle, lefts.last(), grab));
        // Released: moving on does nothing.
        QTest::mouseMove(handle, pointerFor(handle, 120, grab));
        QCOMPARE(handle->x(), reached.last());
        QCOMPARE(moved.count(), expectedSignals);
    }

    void escapeEndsADrag()
    {
        workedRow();
        QWidget *handle = FrmMainForm->Splitter1;
        QTest::mousePress(handle, Qt::LeftButton, {}, QPoint(5, 9));
        QTest::mouseMove(handle, pointerFor(handle, 80, 5));
        QCOMPARE(handle->x(), 80);
        QTest::keyClick(handle, Qt::Key_Escape);
        QTest::mouseMove(handle, pointerFor(handle, 120, 5));
        QCOMPARE(handle->x(), 80);
        QTest::mouseRelease(handle, Qt::LeftButton, {}, pointerFor(handle, 120, 5));
    }

    void rightButtonDoesNotDrag()
    {
        workedRow();
        QWidget *handle = FrmMainForm->Splitter2;
        QTest::mousePress(handle, Qt::RightButton, {}, QPoint(5, 9));
        QTest::mouseMove(handle, pointerFor(handle, 120, 5));
        QTest::mouseRelease(handle, Qt::RightButton, {}, pointerFor(handle, 120, 5));
        QCOMPARE(bar()->RightCutWidth(), 56);
        QCOMPARE(rows::grid()->Cell(0, colEndTime), QStringLiteral("00:02:30"));
    }

    // Clicks beside a handle nudge it toward the click.
    void clicksNudgeTheHandles_data()
    {
        QTest::addColumn<int>("panel"); // 2 left cut, 3 right cut, 4 kept part
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("leftBefore");
        QTest::addColumn<int>("rightBefore");
        QTest::addColumn<int>("leftAfter");
        QTest::addColumn<int>("rightAfter");
        QTest::addColumn<QString>("start"); // Start Time afterwards
        QTest::addColumn<QString>("end");   // End Time afterwards
        const int left = Qt::LeftButton;
        const int ctrl = Qt::ControlModifier;
        const int shift = Qt::ShiftModifier;
        const int alt = Qt::AltModifier;
        const QString start = "00:00:50";
        const QString end = "00:02:30";
        QTest::newRow("left, plain: 5") << 2 << left << 0 << 56 << 56 << 51 << 56 << "00:00:44" << end;
        QTest::newRow("left, Ctrl: 1") << 2 << left << ctrl << 56 << 56 << 55 << 56 << "00:00:48" << end;
        QTest::newRow("left, Shift: 10") << 2 << left << shift << 56 << 56 << 46 << 56 << "00:00:40" << end;
        QTest::newRow("left, Ctrl+Shift: 5")
            << 2 << left << (ctrl | shift) << 56 << 56 << 51 << 56 << "00:00:44" << end;
        QTest::newRow("left, Alt: 5") << 2 << left << alt << 56 << 56 << 51 << 56 << "00:00:44" << end;
        QTest::newRow("right, plain: 5") << 3 << left << 0 << 56 << 56 << 56 << 51 << start << "00:02:36";
        QTest::newRow("right, Ctrl: 1") << 3 << left << ctrl << 56 << 56 << 56 << 55 << start << "00:02:32";
        QTest::newRow("right, Shift: 10") << 3 << left << shift << 56 << 56 << 56 << 46 << start << "00:02:40";
        QTest::newRow("right, Shift+Alt: 5")
            << 3 << left << (shift | alt) << 56 << 56 << 56 << 51 << start << "00:02:36";
        QTest::newRow("right button") << 2 << int(Qt::RightButton) << 0 << 56 << 56 << 56 << 56 << start << end;
        QTest::newRow("middle button") << 3 << int(Qt::MiddleButton) << 0 << 56 << 56 << 56 << 56 << start << end;
        QTest::newRow("kept part") << 4 << left << 0 << 56 << 56 << 56 << 56 << start << end;
        QTest::newRow("area as wide as the step") << 2 << left << 0 << 5 << 56 << 5 << 56 << start << end;
        QTest::newRow("area one wider than the step") << 2 << left << 0 << 6 << 56 << 1 << 56 << "00:00:00" << end;
        QTest::newRow("10 pixels, Shift") << 3 << left << shift << 56 << 10 << 56 << 10 << start << end;
        QTest::newRow("1 pixel, Ctrl") << 2 << left << ctrl << 1 << 56 << 1 << 56 << start << end;
        QTest::newRow("kept part too narrow") << 2 << left << 0 << 110 << 110 << 110 << 110 << start << end;
        QTest::newRow("kept part just wide enough") << 2 << left << 0 << 107 << 108 << 102 << 108 << "00:01:32" << end;
    }
    void clicksNudgeTheHandles()
    {
        QFETCH(int, panel);
        QFETCH(int, button);
        QFETCH(int, modifiers);
        QFETCH(int, leftBefore);
        QFETCH(int, rightBefore);
        QFETCH(int, leftAfter);
        QFETCH(int, rightAfter);
        QFETCH(QString, start);
        QFETCH(QString, end);
        workedRow();
        bar()->SetLeftCutWidth(leftBefore);
        bar()->SetRightCutWidth(rightBefore);
        QWidget *area = panel == 2 ? FrmMainForm->Panel2 : panel == 3 ? FrmMainForm->Panel3 : FrmMainForm->Panel4;
        QTest::mouseClick(area, Qt::MouseButton(button), Qt::KeyboardModifiers(modifiers),
                          QPoint(area->width() / 2, 9));
        QCOMPARE(bar()->LeftCutWidth(), leftAfter);
        QCOMPARE(bar()->RightCutWidth(), rightAfter);
        QCOMPARE(rows::grid()->Cell(0, colStartTime), start);
        QCOMPARE(rows::grid()->Cell(0, colEndTime), end);
        QCOMPARE(rows::grid()->Cell(0, colCutTime),
                 FormatDuration(CustomProc->GetCutSeconds(FrmMainForm->dxTreeSourceFileInfo, "/work.mp4")));
    }

    // A double click is two presses: two nudges, as two single clicks.
    void doubleClickNudgesTwice()
    {
        workedRow();
        QWindow *window = FrmMainForm->windowHandle();
        QVERIFY(window);
        const QPoint at = FrmMainForm->Panel2->mapTo(FrmMainForm, QPoint(30, 9));
        QTest::mouseDClick(window, Qt::LeftButton, {}, at);
        QCOMPARE(bar()->LeftCutWidth(), 46);
        const QPoint right = FrmMainForm->Panel3->mapTo(FrmMainForm, QPoint(30, 9));
        QTest::mouseDClick(window, Qt::LeftButton, Qt::ShiftModifier, right);
        QCOMPARE(bar()->RightCutWidth(), 36);
    }

    void selectedRowsShareTheTimesAndKeepTheirOwnCut()
    {
        rows::append("/a.mp4", "00:03:20", "00:00:00", "00:02:30");
        rows::append("/b.mp4", "00:03:20", "00:00:00", "00:01:40");
        rows::append("/c.mp4", "00:03:20", "00:00:00", "00:03:20");
        rows::selectOnly({0, 1});
        FrmMainForm->SyncTrimBar();
        QWidget *start = FrmMainForm->Splitter1;
        QTest::mousePress(start, Qt::LeftButton, {}, QPoint(5, 9));
        QTest::mouseMove(start, pointerFor(start, 100, 5));
        QTest::mouseRelease(start, Qt::LeftButton, {}, pointerFor(start, 100, 5));
        QCOMPARE(rows::column(colStartTime), (QStringList{"00:01:30", "00:01:30", "00:00:00"}));
        QCOMPARE(rows::column(colCutTime), (QStringList{"00:01:00", "00:00:10", "00:03:20"}));

        QTest::mouseClick(FrmMainForm->Panel3, Qt::LeftButton, Qt::ShiftModifier);
        const QString end = rows::grid()->Cell(0, colEndTime);
        QCOMPARE(rows::column(colEndTime), (QStringList{end, end, "00:03:20"}));
        qint64 endSeconds = 0;
        QVERIFY(ReadTimeSplitStrict(end, endSeconds));
        QCOMPARE(rows::column(colCutTime),
                 (QStringList{FormatDuration(endSeconds - 90), FormatDuration(endSeconds - 90), "00:03:20"}));
        QCOMPARE(CustomProc->PlayerState.StopMarkText, end);
    }

    void beforeAnyLayoutTimesAreZero()
    {
        rows::append("/a.mp4", "00:03:20", "00:00:50", "00:02:30");
        rows::selectOnly({0}); // selected, but the bar was never laid out
        bar()->SetLeftCutWidth(80);
        FrmMainForm->SetStartTimeAndPlay();
        QCOMPARE(rows::grid()->Cell(0, colStartTime), QStringLiteral("00:00:00"));
        QCOMPARE(CustomProc->PlayerState.TrimStartSeconds, qint64(0));
    }

    void cutSecondsOfAFile_data()
    {
        QTest::addColumn<QStringList>("list"); // name|start|end per row
        QTest::addColumn<QString>("file");
        QTest::addColumn<qint64>("seconds");
        QTest::newRow("one row") << QStringList{"/a.mp4|00:00:10|00:01:00"} << "/a.mp4" << qint64(50);
        QTest::newRow("letter case ignored") << QStringList{"/a.mp4|00:00:10|00:01:00"} << "/A.MP4" << qint64(50);
        QTest::newRow("no row") << QStringList{"/a.mp4|00:00:10|00:01:00"} << "/b.mp4" << qint64(0);
        QTest::newRow("last matching row")
            << QStringList{"/a.mp4|00:00:10|00:01:00", "/b.mp4|00:00:00|00:00:05", "/A.mp4|00:00:20|00:00:30"}
            << "/a.mp4" << qint64(10);
        QTest::newRow("negative") << QStringList{"/a.mp4|00:02:00|00:01:00"} << "/a.mp4" << qint64(-60);
        QTest::newRow("two parts keep the previous row's value")
            << QStringList{"/a.mp4|00:00:10|00:01:00", "/a.mp4|00:20|00:01:30"} << "/a.mp4" << qint64(80);
        QTest::newRow("four parts keep the previous row's value")
            << QStringList{"/a.mp4|00:00:10|00:01:00", "/a.mp4|00:00:40|00:01:30:00"} << "/a.mp4" << qint64(20);
        QTest::newRow("before the first row: 0") << QStringList{"/a.mp4||00:01:00"} << "/a.mp4" << qint64(60);
        QTest::newRow("hundred hours") << QStringList{"/a.mp4|00:00:00|100:00:00"} << "/a.mp4" << qint64(360000);
        QTest::newRow("rows of other files do not count")
            << QStringList{"/a.mp4|00:00:10|00:01:00", "/b.mp4|00:00:00|00:09:00", "/b.mp4|00:00:00|"} << "/a.mp4"
            << qint64(50);
    }
    void cutSecondsOfAFile()
    {
        QFETCH(QStringList, list);
        QFETCH(QString, file);
        QFETCH(qint64, seconds);
        for (const QString &entry : list) {
            const QStringList cells = entry.split('|');
            rows::append(cells[0], "00:09:00", cells[1], cells[2]);
        }
        QCOMPARE(CustomProc->GetCutSeconds(FrmMainForm->dxTreeSourceFileInfo, file), seconds);
    }

    void cutSecondsRefuseCellsThatAreNotNumbers()
    {
        rows::append("/a.mp4", "00:09:00", "00:0x:10", "00:01:00");
        QVERIFY_THROWS_EXCEPTION(EConvertError, CustomProc->GetCutSeconds(FrmMainForm->dxTreeSourceFileInfo, "/a.mp4"));
        QCOMPARE(CustomProc->GetCutSeconds(FrmMainForm->dxTreeSourceFileInfo, "/b.mp4"),
                 qint64(0)); // other files are not read
    }
};

QTEST_MAIN(TestTrimBar)
#include "tst_trimbar.moc"
