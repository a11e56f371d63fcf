#include "Code/conversion/ConversionBatch.h"

#include "Code/conversion/RowPreparation.h"
#include "Code/core/EncoderFailure.h"
#include "Code/core/Errors.h"
#include "platform/Platform.h"

#include <algorithm>

namespace {

QString listOf(const QString &heading, const QList<QPair<QString, QString>> &rows)
{
    QStringList lines;
    for (const auto &[file, reason] : rows)
        lines.append(file + QStringLiteral("\n    ") + reason);
    return heading + QStringLiteral(":\n\n") + lines.join(QLatin1Char('\n'));
}

int checkedRows(const QList<TConversionRow> &rows)
{
    return static_cast<int>(
        std::count_if(rows.begin(), rows.end(), [](const TConversionRow &row) { return row.Checked; }));
}

} // namespace

QString TBatchOutcome::Report() const
{
    QStringList parts;
    if (!FailedRows.isEmpty())
        parts.append(listOf(QStringLiteral("These files could not be converted"), FailedRows));
    if (!WarnedRows.isEmpty())
        parts.append(listOf(QStringLiteral("These files were converted, with a warning"), WarnedRows));
    return parts.join(QStringLiteral("\n\n"));
}

QString TBatchOutcome::Summary() const
{
    QStringList parts{DeliveredCount == 1 ? QStringLiteral("1 file converted")
                                          : QStringLiteral("%1 files converted").arg(DeliveredCount)};
    if (!FailedRows.isEmpty())
        parts.append(QStringLiteral("%1 failed").arg(FailedRows.size()));
    if (!WarnedRows.isEmpty())
        parts.append(QStringLiteral("%1 with warnings").arg(WarnedRows.size()));
    return parts.join(QStringLiteral(", "));
}

TConversionBatch::TConversionBatch(TLogWriter log, QObject *parent) : QObject(parent), m_log(std::move(log))
{
    m_pause.setSingleShot(true);
    // A coarse timer may fire a twentieth early: the pauses are never shorter.
    m_pause.setTimerType(Qt::PreciseTimer);
}

// Out of line: the sleep hold's type is complete here.
TConversionBatch::~TConversionBatch() = default;

bool TConversionBatch::Start(const QList<TConversionRow> &rows, const TConversionRequest &request)
{
    if (m_running)
        return false;
    m_rows = rows;
    m_request = request;
    // The folder shown after a batch is that of the last row built in this
    // run of the program, even by an earlier batch.
    const QString lastFolder = m_outcome.OutputFolder;
    m_outcome = TBatchOutcome();
    m_outcome.OutputFolder = lastFolder;
    ConvertedCount = 0;
    CheckedCount = checkedRows(rows);
    CurrentRow = -1;
    m_loopEnded = false;
    m_held = false;
    m_running = true;
    m_stayAwake = platform::current().preventSleep(QStringLiteral("Converting videos"));
    m_script = HoldRowScript();
    NextRow();
    return true;
}

void TConversionBatch::NextRow()
{
    while (!m_loopEnded && ++CurrentRow < m_rows.size()) {
        const TConversionRow &row = m_rows.at(CurrentRow);
        if (!row.Checked)
            continue;
        StartRow(row.FileName);
        if (m_job)
            return;
        ++ConvertedCount; // the row could not even be built
    }
    Finish();
}

void TConversionBatch::StartRow(const QString &file)
{
    TConvertParameterStruct parameters;
    try {
        parameters = BuildEncoderCommand(m_rows, m_request, file);
        PrepareRow(parameters, m_script, m_log);
    } catch (const EMovarelError &error) {
        RecordFailure(file, error.text(), QString());
        return;
    }
    m_outcome.OutputFolder = parameters.OutputFolder;
    m_job = new TConversionJob(parameters, this);
    connect(m_job, &TConversionJob::Progress, this, &TConversionBatch::TakeProgress);
    connect(m_job, &TConversionJob::Output, this, &TConversionBatch::TakeOutput);
    connect(m_job, &TConversionJob::Finished, this, &TConversionBatch::JobFinished);
    m_log(QStringLiteral("parameter: ") + m_job->CommandText());
    m_jobDone = false;
    m_minimumRunOver = false;
    RefreshCount = 0;
    m_shownSeconds = 0;
    m_chunkSeconds.reset();
    Q_EMIT RowStarting(*m_job, ConvertedCount, CheckedCount);
    platform::current().publishLauncherProgress(
        BatchProgressAt(ConvertedCount, CheckedCount, m_job->Parameters.Trim, 0).Share(), true);
    connect(
        &m_pause, &QTimer::timeout, this, [this] { Advance([this] { StartEncoder(); }); }, Qt::SingleShotConnection);
    m_pause.start(PauseBeforeStartMs);
}

void TConversionBatch::StartEncoder()
{
    if (m_loopEnded) {
        RowDone(); // stopped before this row's encoder started
        return;
    }
    m_job->Start();
    connect(
        &m_pause, &QTimer::timeout, this,
        [this] {
            m_minimumRunOver = true;
            if (m_jobDone)
                Advance([this] { RowDone(); });
        },
        Qt::SingleShotConnection);
    m_pause.start(PauseAfterStartMs);
}

void TConversionBatch::JobFinished(const TJobResult &result)
{
    m_jobDone = true;
    switch (result.Outcome) {
    case TJobResult::Failed:
        RecordFailure(m_job->Parameters.SourceFile, result.Reason, m_job->LastOutput());
        break;
    case TJobResult::Warning:
        RecordWarning(m_job->Parameters.SourceFile, result.Reason);
        ++m_outcome.DeliveredCount;
        break;
    case TJobResult::Abandoned:
        m_log(QStringLiteral("The encoder could not be stopped; the batch ends without it."));
        m_outcome.AbandonedEncoder = result.Reason;
        break;
    case TJobResult::Converted:
        ++m_outcome.DeliveredCount;
        break;
    case TJobResult::Cancelled:
        break;
    }
    // A stopped batch has nothing left to wait for.
    if (m_minimumRunOver || m_loopEnded) {
        m_pause.stop();
        Advance([this] { RowDone(); });
    }
}

void TConversionBatch::RowDone()
{
    if (!m_job)
        return;
    m_pause.stop();
    disconnect(&m_pause, nullptr, this, nullptr);
    disconnect(m_job, nullptr, this, nullptr);
    m_job->Withdraw();
    m_job->deleteLater();
    m_job = nullptr;
    ++ConvertedCount;
    NextRow();
}

void TConversionBatch::Stop(bool byStopButton)
{
    if (!m_running)
        return;
    if (byStopButton)
        m_outcome.StoppedByUser = true;
    m_loopEnded = true;
    if (!m_job)
        return;
    if (m_job->IsRunning()) {
        m_job->Cancel(); // the row ends when its job does
        return;
    }
    // Waiting to start, or done and waiting out the pause: the row is over.
    if (m_jobDone || m_pause.isActive()) {
        m_pause.stop();
        Advance([this] { RowDone(); });
    }
}

void TConversionBatch::Hold()
{
    m_held = true;
}

void TConversionBatch::Release()
{
    m_held = false;
    if (const std::function<void()> step = std::exchange(m_heldStep, nullptr))
        step();
}

void TConversionBatch::Advance(const std::function<void()> &step)
{
    if (m_held)
        m_heldStep = step;
    else
        step();
}

void TConversionBatch::Finish()
{
    m_running = false;
    m_stayAwake.reset();
    m_script.File.reset(); // the script stays, free for the next batch
    platform::current().publishLauncherProgress(0, false);
    m_outcome.CheckedCount = CheckedCount;
    m_outcome.ConvertedCount = ConvertedCount;
    Q_EMIT Finished(m_outcome);
}

void TConversionBatch::TakeProgress(qint64 seconds)
{
    m_chunkSeconds = seconds;
}

void TConversionBatch::TakeOutput(const QString &chunk)
{
    const std::optional<qint64> seconds = std::exchange(m_chunkSeconds, std::nullopt);
    Q_EMIT EncoderOutput(chunk);
    // The first chunk after a start moves no bar.
    if (!m_job || ++RefreshCount <= 1)
        return;
    const TBatchProgress progress =
        BatchProgressAfterChunk(ConvertedCount, CheckedCount, m_job->Parameters.Trim, m_shownSeconds, seconds);
    m_shownSeconds = progress.CurrentPosition;
    Q_EMIT ProgressChanged(progress);
    platform::current().publishLauncherProgress(progress.Share(), true);
}

void TConversionBatch::RecordFailure(const QString &file, const QString &reason, const QString &encoderOutput)
{
    m_outcome.FailedRows.append({file, reason});
    m_log(QStringLiteral("Conversion failed: ") + file + QStringLiteral(" -> ") + reason);
    for (const QString &line : LastOutputLines(encoderOutput, 5))
        m_log(QStringLiteral("  encoder: ") + line);
}

void TConversionBatch::RecordWarning(const QString &file, const QString &reason)
{
    m_outcome.WarnedRows.append({file, reason});
    m_log(QStringLiteral("Conversion warning: ") + file + QStringLiteral(" -> ") + reason);
}
