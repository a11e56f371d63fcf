#pragma once

#include "Code/conversion/BatchProgress.h"
#include "Code/conversion/ConversionJob.h"
#include "Code/conversion/ConversionLog.h"
#include "Code/conversion/ConversionRequest.h"
#include "Code/conversion/RowPreparation.h"

#include <QList>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

namespace platform {
class SleepInhibitor;
}

// How a batch ended, for whoever carries out what follows it.
struct TBatchOutcome {
    // The user pressed Stop: nothing follows. Closing the progress window
    // ends the batch too, but what follows a batch still happens.
    bool StoppedByUser = false;
    // The output folder of the last row built in this run of the program.
    QString OutputFolder;
    int CheckedCount = 0;
    int ConvertedCount = 0; // rows finished, well or not
    int DeliveredCount = 0; // rows that left their output file, with a warning or not
    QList<QPair<QString, QString>> FailedRows;
    QList<QPair<QString, QString>> WarnedRows;
    // Why an encoder could not be stopped, for a notice; empty when none was left.
    QString AbandonedEncoder;
    // The notice of the rows that failed and those kept with a warning; empty
    // when every row went well.
    QString Report() const;
    // The counts in a few words: "12 files converted, 1 failed, 2 with warnings".
    QString Summary() const;
};

// A batch: the checked rows of the list converted one after another by one
// job each, on the event loop. Each row is built, shown (RowStarting), given
// 2000 ms, started, and given at least 3000 ms before the next one begins.
// A stop ends the running job's own encoder and starts no further row. While
// it runs, the program's launcher entry shows the batch bar's figure.
class TConversionBatch : public QObject {
    Q_OBJECT

public:
    // Lines for the log go to `log`.
    explicit TConversionBatch(TLogWriter log, QObject *parent = nullptr);
    ~TConversionBatch() override;

    // Starts converting; returns at once. False when a batch already runs.
    bool Start(const QList<TConversionRow> &rows, const TConversionRequest &request);
    // Ends the batch after the current row, whose encoder is ended. The Stop
    // button also cancels what follows the batch; closing the window does not.
    void Stop(bool byStopButton);
    // While a question about stopping is open, no row ends and none starts.
    void Hold();
    void Release();
    bool IsRunning() const { return m_running; }
    // Stopped, and winding down: the running encoder is being ended.
    bool IsStopping() const { return m_running && m_loopEnded; }
    // The job of the row being converted; nullptr between rows.
    const TConversionJob *CurrentJob() const { return m_job; }

    int ConvertedCount = 0;
    int CheckedCount = 0;
    int CurrentRow = 0;
    // Output chunks of the current row's encoder so far; the first one moves no bar.
    int RefreshCount = 0;
    // Waits around each encoder start; shortened only by tests.
    int PauseBeforeStartMs = 2000;
    int PauseAfterStartMs = 3000;

Q_SIGNALS:
    // A row is about to run: the progress window shows it, the main window waits.
    void RowStarting(const TConversionJob &job, int convertedCount, int checkedCount);
    void EncoderOutput(const QString &chunk);
    // The bars moved, after a chunk of the current row's output.
    void ProgressChanged(const TBatchProgress &progress);
    // However the batch ended; after it nothing of the batch runs any more.
    void Finished(const TBatchOutcome &outcome);

private:
    void NextRow();
    void StartRow(const QString &file);
    void StartEncoder();
    void JobFinished(const TJobResult &result);
    void RowDone();
    void Finish();
    void RecordFailure(const QString &file, const QString &reason, const QString &encoderOutput);
    void RecordWarning(const QString &file, const QString &reason);
    void TakeOutput(const QString &chunk);
    void TakeProgress(qint64 seconds);
    // Runs `step` now, or once the hold is released.
    void Advance(const std::function<void()> &step);

    const TLogWriter m_log;
    QList<TConversionRow> m_rows;
    TConversionRequest m_request;
    TBatchOutcome m_outcome;
    QPointer<TConversionJob> m_job;
    QTimer m_pause;
    // The current row's output seconds as the bars last showed them.
    qint64 m_shownSeconds = 0;
    // Seconds the chunk being delivered tells, if any.
    std::optional<qint64> m_chunkSeconds;
    bool m_running = false;
    bool m_loopEnded = false;
    bool m_jobDone = false;
    bool m_minimumRunOver = false;
    bool m_held = false;
    std::function<void()> m_heldStep;
    std::unique_ptr<platform::SleepInhibitor> m_stayAwake;
    // The script rmcoda reads, this batch's alone while it runs.
    TRowScript m_script;
};

Q_DECLARE_METATYPE(TBatchOutcome)
