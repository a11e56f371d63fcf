#include "../support/ProgramFixture.h"
#include "Code/ConversionBatch.h"
#include "Code/Unit_CommonLib.h"
#include "Code/Unit_Converting.h"
#include "ui/PictureButton.h"
#include "ui/SourceGrid.h"

#include <QLineEdit>

#include <QLabel>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {
const int videoType = 0; // iPod MPEG-4
const int audioType = 2; // AAC
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

// A row as the window is told of it when it starts.
void watchRow(int outputType, const QString &inputFile, std::optional<qint64> cutSeconds, int converted, int checked)
{
    TConvertParameterStruct parameters;
    parameters.Options.OutputType = outputType;
    parameters.InputFile = inputFile;
    if (cutSeconds)
        parameters.Trim = TTrimSpan{QStringLiteral("00:00:00"), 0, *cutSeconds};
    const TConversionJob job(parameters);
    frmConverting->WatchRow(job, converted, checked);
}

bool processAlive(qint64 pid)
{
    return QFileInfo::exists(QStringLiteral("/proc/%1").arg(pid));
}
} // namespace

Q_DECLARE_METATYPE(Bar)

class TestProgressWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<ProgramFixture> m_program;
    QTemporaryDir m_outputs;

    // Three rows in the list, the second one converting with an encoder that
    // only waits, the main window disabled: a batch in the middle of its work.
    // `encoder` is the encoder's process id.
    void enterMidBatch(qint64 &encoder)
    {
        QFile::remove(m_program->path(QStringLiteral("encoder.pid")));
        m_program->write(QStringLiteral("vidcoda"), "#!/bin/sh\necho $$ > encoder.pid\nexec sleep 60\n");
        QFile::setPermissions(m_program->path(QStringLiteral("vidcoda")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        TSourceGrid *list = FrmMainForm->dxTreeSourceFileInfo;
        list->Model()->Clear();
        for (const char *name : {"/clips/one.avi", "/clips/two.avi", "/clips/three.avi"})
            list->Model()->AppendRow({QStringLiteral("True"), QString::fromLatin1(name), QStringLiteral("1 KB"),
                                      QStringLiteral("00:01:00"), QStringLiteral("00:00:00"),
                                      QStringLiteral("00:01:00"), QStringLiteral("00:01:00")});
        list->SetCell(0, colCheck, QStringLiteral("False"));
        FrmMainForm->edtOutputFolder->setText(m_outputs.path());
        CustomProc->Batch.PauseBeforeStartMs = 0;
        CustomProc->Batch.PauseAfterStartMs = 0;
        FrmMainForm->btnConvert->click();
        QTRY_VERIFY(CustomProc->Batch.CurrentJob() && CustomProc->Batch.CurrentJob()->IsRunning());
        QTRY_VERIFY(m_program->read(QStringLiteral("encoder.pid")).endsWith('\n'));
        set(currentBar(), {60, 30});
        set(batchBar(), {300, 149});
        frmConverting->lblPersent->setText(QStringLiteral("Current: 2 , Total: 3."));
        encoder = m_program->read(QStringLiteral("encoder.pid")).trimmed().toLongLong();
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
        // No event has run yet, so the animation has not ticked.
        QCOMPARE(frmConverting->lblInfo->text(), QStringLiteral("Please wait . . ."));
    }

    void init()
    {
        frmConverting->hide();
        FrmMainForm->setEnabled(true);
        QVERIFY(!CustomProc->Batch.IsRunning());
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
        watchRow(videoType, QStringLiteral("/home/ann/My Clips/holiday.avi"), 60, 0, 4);
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
        QTest::addColumn<int>("outputType");
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
            << videoType << 4 << 1 << 0 << Bar{60, 30} << "60" << videoLine << fresh << untouched << Bar{60, 30};
        QTest::newRow("video: after the fourth =") << videoType << 1 << 0 << 1 << fresh << "20" << videoLine
                                                   << Bar{100, 0} << "Current: 1 , Total: 1." << Bar{20, 12};
        QTest::newRow("audio: after the second =") << audioType << 1 << 0 << 1 << fresh << "20" << audioLine
                                                   << Bar{100, 0} << "Current: 1 , Total: 1." << Bar{20, 12};
        QTest::newRow("audio line for a video output") << videoType << 1 << 0 << 1 << Bar{20, 5} << "20" << audioLine
                                                       << Bar{100, 23} << "Current: 1 , Total: 1." << Bar{20, 5};
        QTest::newRow("time not known yet")
            << videoType << 1 << 0 << 1 << Bar{20, 5} << "20"
            << "frame=    0 q=0.0 size=       0kB time=10000000000.00 bitrate=   0.0kbits/s" << Bar{100, 23}
            << "Current: 1 , Total: 1." << Bar{20, 5};
        QTest::newRow("too few fields for video")
            << videoType << 1 << 0 << 1 << Bar{20, 5} << "20"
            << "frame=   50 q=2.0 size=     120kB" << Bar{100, 23} << "Current: 1 , Total: 1." << Bar{20, 5};
        // Three fields hold a third one, yet an audio line needs four.
        QTest::newRow("too few fields for audio")
            << audioType << 1 << 0 << 1 << Bar{20, 5} << "20"
            << "size=      64kB time=12.48" << Bar{100, 23} << "Current: 1 , Total: 1." << Bar{20, 5};
        QTest::newRow("empty time field")
            << videoType << 1 << 0 << 1 << Bar{20, 5} << "20"
            << "frame=1 q=2.0 size=3kB time== bitrate=1" << Bar{100, 23} << "Current: 1 , Total: 1." << Bar{20, 5};
        QTest::newRow("empty chunk still moves the batch bar")
            << videoType << 2 << 1 << 3 << Bar{20, 10} << "30"
            << "" << Bar{200, 147} << "Current: 2 , Total: 2." << Bar{30, 10};
        QTest::newRow("second of four at 30 of 60")
            << videoType << 4 << 1 << 5 << Bar{60, 30} << "60"
            << "frame=  780 q=2.0 size=     900kB time=31.20 bitrate= 236.3kbits/s" << Bar{400, 149}
            << "Current: 2 , Total: 4." << Bar{60, 31};
        QTest::newRow("bar of maximum 0 divides by 1") << videoType << 3 << 2 << 4 << Bar{0, 0} << "0" << videoLine
                                                       << Bar{300, 200} << "Current: 3 , Total: 3." << Bar{0, 0};
        QTest::newRow("end before start") << videoType << 1 << 0 << 2 << Bar{20, 5} << "-5" << videoLine << Bar{100, 23}
                                          << "Current: 1 , Total: 1." << Bar{0, 0};
        QTest::newRow("cut length not a number") << audioType << 1 << 0 << 2 << Bar{20, 5} << "1:30" << audioLine
                                                 << Bar{100, 23} << "Current: 1 , Total: 1." << Bar{0, 0};
        QTest::newRow("output beyond the cut length fills the bar")
            << videoType << 1 << 0 << 2 << Bar{20, 19} << "20"
            << "frame=  530 q=2.0 size=     500kB time=21.20 bitrate= 193.2kbits/s" << Bar{100, 90}
            << "Current: 1 , Total: 1." << Bar{20, 20};
    }
    void refresh()
    {
        QFETCH(int, outputType);
        QFETCH(int, checked);
        QFETCH(int, converted);
        QFETCH(int, refreshesBefore);
        QFETCH(Bar, barBefore);
        QFETCH(QString, trimDuration);
        QFETCH(QString, chunk);
        bool isNumber = false;
        const qint64 length = trimDuration.toLongLong(&isNumber);
        watchRow(outputType, QStringLiteral("/clips/two.avi"), isNumber ? std::optional<qint64>(length) : std::nullopt,
                 converted, checked);
        frmConverting->RefreshCount = refreshesBefore;
        set(currentBar(), barBefore);
        set(batchBar(), {1, 0});
        frmConverting->lblPersent->setText(untouched);

        frmConverting->ShowEncoderOutput(chunk);

        QCOMPARE(frmConverting->RefreshCount, refreshesBefore + 1);
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
        qint64 encoder = 0;
        enterMidBatch(encoder);
        QVERIFY(processAlive(encoder));
        QSignalSpy finished(&CustomProc->Batch, &TConversionBatch::Finished);
        // The window must stay usable while the main window is disabled.
        QVERIFY(frmConverting->btnStop->isEnabled());
        m_program->prompts->answers.enqueue(answer);

        stopBy(Way(way));

        QCOMPARE(m_program->prompts->messages.size(), 1);
        QCOMPARE(m_program->prompts->messages.first().icon, QMessageBox::Question);
        QTEST(m_program->prompts->messages.first().text, "question");
        QCOMPARE(frmConverting->isVisible(), !ends);
        QCOMPARE(FrmMainForm->isEnabled(), ends);
        QCOMPARE(read(currentBar()), (resetsDisplay ? Bar{60, 0} : Bar{60, 30}));
        QCOMPARE(read(batchBar()), (resetsDisplay ? Bar{0, 0} : Bar{300, 149}));
        QCOMPARE(frmConverting->lblPersent->text(),
                 resetsDisplay ? QStringLiteral("Current: 1, Total: ...") : QStringLiteral("Current: 2 , Total: 3."));
        if (!ends) {
            // The batch goes on, its encoder with it.
            QTest::qWait(300);
            QVERIFY(CustomProc->Batch.IsRunning());
            QVERIFY(processAlive(encoder));
            CustomProc->Batch.Stop(false);
        }
        // Ending the batch ends its own encoder, and no further row starts.
        QVERIFY(finished.wait(15000));
        QVERIFY(!processAlive(encoder));
        QCOMPARE(CustomProc->Batch.CurrentRow, 1);
        QCOMPARE(CustomProc->Batch.ConvertedCount, 1);
        QTEST(finished.first().first().value<TBatchOutcome>().StoppedByUser, "stopRequested");
        QVERIFY(!frmConverting->isVisible());
        QVERIFY(FrmMainForm->isEnabled());
    }
};

QTEST_MAIN(TestProgressWindow)
#include "tst_progresswindow.moc"
