#include "../support/BarReading.h"
#include "../support/ProgramFixture.h"
#include "Code/Unit_CommonLib.h"
#include "Code/Unit_Converting.h"
#include "Code/conversion/ConversionBatch.h"
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
        FrmMainForm->ConversionBatch()->PauseBeforeStartMs = 0;
        FrmMainForm->ConversionBatch()->PauseAfterStartMs = 0;
        FrmMainForm->btnConvert->click();
        QTRY_VERIFY(FrmMainForm->ConversionBatch()->CurrentJob() &&
                    FrmMainForm->ConversionBatch()->CurrentJob()->IsRunning());
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
        QVERIFY(!FrmMainForm->ConversionBatch()->IsRunning());
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
        TBatchProgress progress;
        progress.CurrentMaximum = 100;
        progress.CurrentPosition = barPosition;
        frmConverting->ShowProgress(progress);
        frmConverting->TickState = 0;
        for (int i = 0; i < ticks; ++i)
            frmConverting->tmrChangingTimer();
        QTEST(frmConverting->TickState, "state");
        QTEST(frmConverting->lblInfo->text(), "text");
    }

    // The window shows the figures the batch gives it, and the latest chunk.
    void showsWhatTheBatchSays()
    {
        watchRow(videoType, QStringLiteral("/clips/two.avi"), 60, 1, 4);
        frmConverting->lblPersent->setText(untouched);
        frmConverting->ShowEncoderOutput(videoLine);
        QCOMPARE(frmConverting->statPanel0->text(), videoLine);
        QCOMPARE(frmConverting->lblCurFileName->text(), QStringLiteral("/clips/two.avi"));
        QCOMPARE(frmConverting->lblPersent->text(), untouched); // a chunk alone moves nothing

        TBatchProgress progress;
        progress.RowNumber = 2;
        progress.CheckedCount = 4;
        progress.CurrentMaximum = 60;
        progress.CurrentPosition = 31;
        progress.BatchMaximum = 400;
        progress.BatchPosition = 149;
        frmConverting->ShowProgress(progress);
        QCOMPARE(read(currentBar()), (Bar{60, 31}));
        QCOMPARE(read(batchBar()), (Bar{400, 149}));
        QCOMPARE(frmConverting->lblPersent->text(), QStringLiteral("Current: 2 , Total: 4."));
        frmConverting->tmrChangingTimer();
        QVERIFY(frmConverting->lblInfo->text().startsWith(QStringLiteral("Converting  ")));

        // The next row starts with an empty current bar.
        watchRow(videoType, QStringLiteral("/clips/three.avi"), 60, 2, 4);
        QCOMPARE(currentBar()->value(), 0);
        frmConverting->tmrChangingTimer();
        QVERIFY(frmConverting->lblInfo->text().startsWith(QStringLiteral("Installing convert information  ")));
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
        QSignalSpy finished(FrmMainForm->ConversionBatch(), &TConversionBatch::Finished);
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
            QVERIFY(FrmMainForm->ConversionBatch()->IsRunning());
            QVERIFY(processAlive(encoder));
            FrmMainForm->ConversionBatch()->Stop(false);
        }
        // Ending the batch ends its own encoder, and no further row starts.
        QVERIFY(finished.wait(15000));
        QVERIFY(!processAlive(encoder));
        QCOMPARE(FrmMainForm->ConversionBatch()->CurrentRow, 1);
        QCOMPARE(FrmMainForm->ConversionBatch()->ConvertedCount, 1);
        QTEST(finished.first().first().value<TBatchOutcome>().StoppedByUser, "stopRequested");
        QVERIFY(!frmConverting->isVisible());
        QVERIFY(FrmMainForm->isEnabled());
    }
};

QTEST_MAIN(TestProgressWindow)
#include "tst_progresswindow.moc"
