#pragma once

#include <QList>
#include <QObject>
#include <QPair>
#include <QString>

class TAdvanceSystem;

// One conversion batch: its counters, the running encoder and what went
// wrong. The loop itself is TCustomProc::StartBatchConversion; this object
// keeps its state, ends it on request and tells the windows what happens.
class TConversionBatch : public QObject {
    Q_OBJECT

public:
    ~TConversionBatch() override;

    // Starts counting a new batch of `checked` rows.
    void Begin(int checked);
    // Makes the loop stop before the next row, and the running row give up
    // waiting for its encoder.
    void EndLoop();
    bool LoopEnded() const { return m_loopEnded; }
    bool IsRunning() const { return m_running; }
    void SetRunning(bool running) { m_running = running; }
    // Gives the windows back once per batch: the progress window goes and the
    // main window comes back.
    void Finish();

    // Starts the encoder of a row through its own thread; its output arrives
    // through OnEncoderOutput on this object's thread.
    void StartRunner(const QString &program, const QString &commandLine);
    // Waits, letting the windows work, until the runner's thread has ended;
    // then drops it. False when it did not start its encoder.
    bool FinishRunner(int &exitCode);
    // Lets a runner whose encoder would not end finish on its own.
    void AbandonRunner();
    bool HasRunner() const { return m_runner != nullptr; }

    void RecordFailure(const QString &file, const QString &reason);
    void RecordWarning(const QString &file, const QString &reason);
    // The end-of-batch notice: the rows that failed and those kept with a
    // warning; empty when every row went well.
    QString Report() const;
    // One chunk of the running encoder's output.
    void OnEncoderOutput(const QString &chunk);

    int ConvertedCount = 0;
    int CheckedCount = 0;
    int CurrentRow = 0;
    int RefreshCount = 0;
    QString CommandLine;
    bool StopRequested = false;
    // Waits around each encoder start; shortened only by tests.
    int PauseBeforeStartMs = 2000;
    int PauseAfterStartMs = 3000;
    // Rows of the last batch that gave no usable output: file and reason.
    QList<QPair<QString, QString>> FailedRows;
    // Rows of the last batch that were converted but not quite as asked.
    QList<QPair<QString, QString>> WarnedRows;
    // The running encoder's latest output, kept for the report of a failed row.
    QString LastEncoderOutput;

Q_SIGNALS:
    // A row is about to run: the progress window shows, the main window waits.
    void RowStarting();
    void EncoderOutput(const QString &chunk);
    // However the batch ended: the progress window goes, the main window comes back.
    void Ended();

private:
    TAdvanceSystem *m_runner = nullptr;
    bool m_loopEnded = false;
    bool m_running = false;
    bool m_finished = true;
};
