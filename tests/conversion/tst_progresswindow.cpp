#include "../support/ProgramFixture.h"
#include "Code/Unit_CommonLib.h"
#include "Code/Unit_Converting.h"
#include "ui/PictureButton.h"
#include "ui/SourceGrid.h"

#include <QLabel>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {
const QString videoCodec = QStringLiteral(" -vcodec mpeg4 -acodec aac");
const QString audioCodec = QStringLiteral(" -acodec aac -vn");
const QString videoLine = QStringLiteral("frame=   50 q=2.0 size=     120kB time=12.48 bitrate=  78.8kbits/s");
const QString audioLine = QStringLiteral("size=      64kB time=12.48 bitrate= 42.0kbits/s");
const QString untouched = QStringLiteral("<untouched>");

QProgressBar *currentBar()
{
    return frmConverting->ProgressBar1;
}
QProgressBar *batchBar()
{
    return frmConverting->pbTotal;
}

// What a user can read off the two bars.
struct Bar {
    int maximum;
    int position;
    bool operator==(const Bar &other) const = default;
};
char *toString(const Bar &bar)
{
    return QTest::toString(QStringLiteral("%1 of %2").arg(bar.position).arg(bar.maximum));
}
Bar read(const QProgressBar *bar)
{
    return {bar->maximum(), bar->value()};
}
void set(QProgressBar *bar, Bar state)
{
    bar->setRange(0, state.maximum);
    bar->setValue(state.position);
}

// Three rows in the list, the second one converting, the main window disabled:
// the moment a batch is in the middle of its work.
void enterMidBatch()
{
    TSourceGrid *list = FrmMainForm->dxTreeSourceFileInfo;
    list->Model()->Clear();
    for (const char *name : {"/clips/one.avi", "/clips/two.avi", "/clips/three.avi"})
        list->Model()->AppendRow({QStringLiteral("True"), QString::fromLatin1(name), QStringLiteral("1 KB"),
                                  QStringLiteral("00:01:00"), QStringLiteral("00:00:00"), QStringLiteral("00:01:00"),
                                  QStringLiteral("00:01:00")});
    CustomProc->Batch.Begin(3);
    CustomProc->Batch.ConvertedCount = 1;
    CustomProc->Batch.CurrentRow = 1;
    CustomProc->Batch.StopRequested = false;
    CommonLib->ConvertParameter.EncoderPath = CommonLib->ProgramFolder + QStringLiteral("vidcoda");
    frmConverting->show();
    FrmMainForm->setEnabled(false);
    set(currentBar(), {60, 30});
    set(batchBar(), {300, 149});
    frmConverting->lblPersent->setText(QStringLiteral("Current: 2 , Total: 3."));
}
} // namespace

Q_DECLARE_METATYPE(Bar)

class TestProgressWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<ProgramFixture> m_program;

    // Lines of the log that carry exactly this message.
    int logged(const QString &message) const
    {
        const QString log = QString::fromUtf8(m_program->read(QStringLiteral("log.txt")));
        return int(log.count(QLatin1Char('|') + message + QStringLiteral("\r\n")));
    }

    // How the user stops a batch from the progress window.
    enum Way { StopButton, CloseBox, EscapeKey };
    static void stopBy(Way way)
    {
        switch (way) {
        case StopButton:
            QTest::mouseClick(frmConverting->btnStop, Qt::LeftButton);
            break;
        case CloseBox:
            frmConverting->close();
            break;
        case EscapeKey:
            QTest::keyClick(frmConverting, Qt::Key_Escape);
            break;
        }
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_program = std::make_unique<ProgramFixture>();
        // Stopping ends encoders by name: never those of this machine.
        m_program->platform->useRealProcesses = false;
        // No event has run yet, so the animation has not ticked.
        QCOMPARE(frmConverting->lblInfo->text(), QStringLiteral("Please wait . . ."));
    }

    void init()
    {
        frmConverting->hide();
        FrmMainForm->setEnabled(true);
        m_program->prompts->messages.clear();
        m_program->prompts->answers.clear();
        QFile::remove(m_program->path(QStringLiteral("log.txt")));
    }

    void windowAndDesignTexts()
    {
        QCOMPARE(frmConverting->windowTitle(), QStringLiteral("Converting"));
        QCOMPARE(frmConverting->size(), QSize(435, 222));
        QCOMPARE(frmConverting->lblCurConvertFileL->text(), QStringLiteral("Current Convert File:"));
        QCOMPARE(frmConverting->lblTotalFilr->text(), QStringLiteral("Total File:"));
        QCOMPARE(frmConverting->lblCurprog->text(), QStringLiteral("Current File:"));
        QVERIFY(frmConverting->lblInfo->font().bold());
        QCOMPARE(frmConverting->tmrChanging->interval(), 500);
        QVERIFY(frmConverting->tmrChanging->isActive());
    }

    void showingStartsFresh()
    {
        CustomProc->Batch.CheckedCount = 4;
        CommonLib->ConvertParameter.InputFile = QStringLiteral("/home/ann/My Clips/holiday.avi");
        set(currentBar(), {60, 30});
        set(batchBar(), {400, 149});
        frmConverting->lblPersent->setText(QStringLiteral("Current: 2 , Total: 4."));
        frmConverting->TickState = 3;

        frmConverting->show();

        QCOMPARE(frmConverting->TickState, 0);
        QCOMPARE(frmConverting->lblCurFileName->text(), QStringLiteral("/home/ann/My Clips/holiday.avi"));
        QCOMPARE(frmConverting->lblPersent->text(), QStringLiteral("Current: 1, Total: 4"));
        QCOMPARE(read(currentBar()), (Bar{1, 0}));
        QCOMPARE(read(batchBar()), (Bar{1, 0}));
    }

    void animationTicksOnItsOwn()
    {
        frmConverting->lblInfo->setText(untouched);
        QTRY_VERIFY(frmConverting->lblInfo->text() != untouched);
    }

    void animation_data()
    {
        QTest::addColumn<int>("barPosition");
        QTest::addColumn<int>("ticks");
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("text");
        const QString installing = QStringLiteral("Installing convert information  ");
        const QString converting = QStringLiteral("Converting  ");
        const QString signs[] = {"|", "/", "-", "\\", "|"};
        for (int ticks = 1; ticks <= 5; ++ticks) {
            const QString sign = signs[ticks - 1];
            QTest::addRow("installing, state %d", ticks) << 0 << ticks << ticks << installing + sign;
            QTest::addRow("converting, state %d", ticks) << 40 << ticks << ticks << converting + sign;
        }
        QTest::newRow("after state 5 comes 1") << 0 << 6 << 1 << installing + "|";
        QTest::newRow("state 2 again") << 0 << 7 << 2 << installing + "/";
        QTest::newRow("2 seconds still installing") << 2 << 4 << 4 << installing + "\\";
        QTest::newRow("3 seconds converting") << 3 << 4 << 4 << converting + "\\";
    }
    void animation()
    {
        QFETCH(int, barPosition);
        QFETCH(int, ticks);
        set(currentBar(), {100, barPosition});
        frmConverting->TickState = 0;
        for (int i = 0; i < ticks; ++i)
            frmConverting->tmrChangingTimer();
        QTEST(frmConverting->TickState, "state");
        QTEST(frmConverting->lblInfo->text(), "text");
    }

    void refresh_data()
    {
        QTest::addColumn<QString>("codec");
        QTest::addColumn<int>("checked");
        QTest::addColumn<int>("converted");
        QTest::addColumn<int>("refreshesBefore");
        QTest::addColumn<Bar>("barBefore");
        QTest::addColumn<QString>("trimDuration");
        QTest::addColumn<QString>("chunk");
        QTest::addColumn<Bar>("batchAfter");
        QTest::addColumn<QString>("counterAfter");
        QTest::addColumn<Bar>("barAfter");

        const Bar fresh{1, 0};
        QTest::newRow("first chunk after a start is ignored")
            << videoCodec << 4 << 1 << 0 << Bar{60, 30} << "60" << videoLine << fresh << untouched << Bar{60, 30};
        QTest::newRow("video: after the fourth =") << videoCodec << 1 << 0 << 1 << fresh << "20" << videoLine
                                                   << Bar{100, 0} << "Current: 1 , Total: 1." << Bar{20, 12};
        QTest::newRow("audio: after the second =") << audioCodec << 1 << 0 << 1 << fresh << "20" << audioLine
                                                   << Bar{100, 0} << "Current: 1 , Total: 1." << Bar{20, 12};
        QTest::newRow("audio line for a video output") << videoCodec << 1 << 0 << 1 << Bar{20, 5} << "20" << audioLine
                                                       << Bar{100, 23} << "Current: 1 , Total: 1." << Bar{20, 5};
        QTest::newRow("time not known yet")
            << videoCodec << 1 << 0 << 1 << Bar{20, 5} << "20"
            << "frame=    0 q=0.0 size=       0kB time=10000000000.00 bitrate=   0.0kbits/s" << Bar{100, 23}
            << "Current: 1 , Total: 1." << Bar{20, 5};
        QTest::newRow("too few fields for video")
            << videoCodec << 1 << 0 << 1 << Bar{20, 5} << "20"
            << "frame=   50 q=2.0 size=     120kB" << Bar{100, 23} << "Current: 1 , Total: 1." << Bar{20, 5};
        // Three fields hold a third one, yet an audio line needs four.
        QTest::newRow("too few fields for audio")
            << audioCodec << 1 << 0 << 1 << Bar{20, 5} << "20"
            << "size=      64kB time=12.48" << Bar{100, 23} << "Current: 1 , Total: 1." << Bar{20, 5};
        QTest::newRow("empty time field")
            << videoCodec << 1 << 0 << 1 << Bar{20, 5} << "20"
            << "frame=1 q=2.0 size=3kB time== bitrate=1" << Bar{100, 23} << "Current: 1 , Total: 1." << Bar{20, 5};
        QTest::newRow("empty chunk still moves the batch bar")
            << videoCodec << 2 << 1 << 3 << Bar{20, 10} << "30"
            << "" << Bar{200, 147} << "Current: 2 , Total: 2." << Bar{30, 10};
        QTest::newRow("second of four at 30 of 60")
            << videoCodec << 4 << 1 << 5 << Bar{60, 30} << "60"
            << "frame=  780 q=2.0 size=     900kB time=31.20 bitrate= 236.3kbits/s" << Bar{400, 149}
            << "Current: 2 , Total: 4." << Bar{60, 31};
        QTest::newRow("bar of maximum 0 divides by 1") << videoCodec << 3 << 2 << 4 << Bar{0, 0} << "0" << videoLine
                                                       << Bar{300, 200} << "Current: 3 , Total: 3." << Bar{0, 0};
        QTest::newRow("end before start") << videoCodec << 1 << 0 << 2 << Bar{20, 5} << "-5" << videoLine
                                          << Bar{100, 23} << "Current: 1 , Total: 1." << Bar{0, 0};
        QTest::newRow("cut length not a number") << audioCodec << 1 << 0 << 2 << Bar{20, 5} << "1:30" << audioLine
                                                 << Bar{100, 23} << "Current: 1 , Total: 1." << Bar{0, 0};
        QTest::newRow("output beyond the cut length fills the bar")
            << videoCodec << 1 << 0 << 2 << Bar{20, 19} << "20"
            << "frame=  530 q=2.0 size=     500kB time=21.20 bitrate= 193.2kbits/s" << Bar{100, 90}
            << "Current: 1 , Total: 1." << Bar{20, 20};
    }
    void refresh()
    {
        QFETCH(QString, codec);
        QFETCH(int, checked);
        QFETCH(int, converted);
        QFETCH(int, refreshesBefore);
        QFETCH(Bar, barBefore);
        QFETCH(QString, trimDuration);
        QFETCH(QString, chunk);
        CommonLib->ConvertParameter.CodecParam = codec;
        CommonLib->ConvertParameter.InputFile = QStringLiteral("/clips/two.avi");
        CustomProc->Batch.CheckedCount = checked;
        CustomProc->Batch.ConvertedCount = converted;
        bool isNumber = false;
        const qint64 length = trimDuration.toLongLong(&isNumber);
        CustomProc->CurrentTrim = isNumber ? std::optional<TTrimSpan>(TTrimSpan{"00:00:00", 0, length}) : std::nullopt;
        CustomProc->Batch.RefreshCount = refreshesBefore;
        set(currentBar(), barBefore);
        set(batchBar(), {1, 0});
        frmConverting->lblPersent->setText(untouched);

        CustomProc->Batch.OnEncoderOutput(chunk);

        QCOMPARE(CustomProc->Batch.RefreshCount, refreshesBefore + 1);
        QCOMPARE(frmConverting->lblCurFileName->text(), QStringLiteral("/clips/two.avi"));
        QCOMPARE(frmConverting->statPanel0->text(), chunk);
        QTEST(read(batchBar()), "batchAfter");
        QTEST(frmConverting->lblPersent->text(), "counterAfter");
        QTEST(read(currentBar()), "barAfter");
    }

    void stopAndClose_data()
    {
        QTest::addColumn<int>("way");
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<QString>("question");
        QTest::addColumn<bool>("ends");
        QTest::addColumn<bool>("stopRequested");
        QTest::addColumn<bool>("resetsDisplay");
        const QString stop = QStringLiteral("Are you sure you want to stop the work ? ");
        const QString close = QStringLiteral("Are you sure to stop processing ?");
        QTest::newRow("Stop, No") << int(StopButton) << QMessageBox::No << stop << false << false << false;
        QTest::newRow("Stop, Yes") << int(StopButton) << QMessageBox::Yes << stop << true << true << true;
        QTest::newRow("close box, No") << int(CloseBox) << QMessageBox::No << close << false << false << false;
        QTest::newRow("close box, Yes") << int(CloseBox) << QMessageBox::Yes << close << true << false << false;
        QTest::newRow("Esc, No") << int(EscapeKey) << QMessageBox::No << close << false << false << false;
        QTest::newRow("Esc, Yes") << int(EscapeKey) << QMessageBox::Yes << close << true << false << false;
    }
    void stopAndClose()
    {
        QFETCH(int, way);
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(bool, ends);
        QFETCH(bool, resetsDisplay);
        enterMidBatch();
        // The window must stay usable while the main window is disabled.
        QVERIFY(frmConverting->btnStop->isEnabled());
        m_program->prompts->answers.enqueue(answer);

        stopBy(Way(way));

        QCOMPARE(m_program->prompts->messages.size(), 1);
        QCOMPARE(m_program->prompts->messages.first().icon, QMessageBox::Question);
        QTEST(m_program->prompts->messages.first().text, "question");
        QCOMPARE(frmConverting->isVisible(), !ends);
        QCOMPARE(FrmMainForm->isEnabled(), ends);
        QCOMPARE(CustomProc->Batch.LoopEnded(), ends);
        QCOMPARE(CustomProc->Batch.CurrentRow, 1);
        QTEST(CustomProc->Batch.StopRequested, "stopRequested");
        // Ending the batch ends its encoders: each of the two searches logs its empty result.
        QCOMPARE(logged(QStringLiteral("Get Process id error.")), ends ? 2 : 0);
        QCOMPARE(read(currentBar()), (resetsDisplay ? Bar{60, 0} : Bar{60, 30}));
        QCOMPARE(read(batchBar()), (resetsDisplay ? Bar{0, 0} : Bar{300, 149}));
        QCOMPARE(frmConverting->lblPersent->text(),
                 resetsDisplay ? QStringLiteral("Current: 1, Total: ...") : QStringLiteral("Current: 2 , Total: 3."));
    }

    void stoppingEndsTheRowsEncoder()
    {
        enterMidBatch();
        CommonLib->ConvertParameter.EncoderPath = CommonLib->ProgramFolder + QStringLiteral("rmcoda");
        m_program->platform->processes = {{4100, QStringLiteral("rmcoda")}};
        CommonLib->KillAttempts = 1; // the fake keeps listing it: one try is enough to see it asked for
        m_program->platform->terminated.clear();
        m_program->prompts->answers.enqueue(QMessageBox::Yes);

        frmConverting->btnStop->click();

        QCOMPARE(m_program->platform->terminated, QList<qint64>{4100});
        QVERIFY(!frmConverting->isVisible());
        QVERIFY(FrmMainForm->isEnabled());
        m_program->platform->processes.clear();
        CommonLib->KillAttempts = 30;
    }
};

QTEST_MAIN(TestProgressWindow)
#include "tst_progresswindow.moc"
