#include "Code/ConversionBatch.h"

#include "Code/AdvanceSystem.h"
#include "Code/Func.h"
#include "Code/Globals.h"
#include "Code/core/EncoderFailure.h"
#include "Code/core/Waiting.h"

namespace {
// The encoder's latest output, kept for the report of a failed row.
constexpr qsizetype keptOutput = 4096;

QString listOf(const QString &heading, const QList<QPair<QString, QString>> &rows)
{
    QStringList lines;
    for (const auto &[file, reason] : rows)
        lines.append(file + QStringLiteral("\n    ") + reason);
    return heading + QStringLiteral(":\n\n") + lines.join(QLatin1Char('\n'));
}
} // namespace

TConversionBatch::~TConversionBatch()
{
    delete m_runner;
}

void TConversionBatch::Begin(int checked)
{
    ConvertedCount = 0;
    CheckedCount = checked;
    CurrentRow = 0;
    FailedRows.clear();
    WarnedRows.clear();
    m_loopEnded = false;
    m_finished = false;
}

void TConversionBatch::Finish()
{
    if (std::exchange(m_finished, true))
        return;
    Q_EMIT Ended();
}

void TConversionBatch::EndLoop()
{
    // The loop and the row that waits for its encoder both look here; the row
    // counter is left alone so the progress window keeps its figures.
    m_loopEnded = true;
}

void TConversionBatch::StartRunner(const QString &program, const QString &commandLine)
{
    LastEncoderOutput.clear();
    m_runner = new TAdvanceSystem(program, commandLine);
    // The runner's thread hands each chunk over to this object's thread.
    connect(m_runner, &TAdvanceSystem::Output, this, &TConversionBatch::OnEncoderOutput, Qt::QueuedConnection);
    m_runner->Resume();
}

bool TConversionBatch::FinishRunner(int &exitCode)
{
    // The runner ends soon after its encoder; wait without freezing the window.
    while (!m_runner->isFinished())
        WaitServicingEvents(20);
    const bool started = m_runner->EncoderStarted();
    exitCode = m_runner->ExitCode();
    delete m_runner;
    m_runner = nullptr;
    return started;
}

void TConversionBatch::AbandonRunner()
{
    AppFunc->WriteLog(QStringLiteral("The encoder could not be stopped; the batch ends without it."));
    TAdvanceSystem *runner = std::exchange(m_runner, nullptr);
    // Output it still gives has nobody left to show it to.
    disconnect(runner, nullptr, this, nullptr);
    connect(runner, &QThread::finished, runner, &QObject::deleteLater);
    if (runner->isFinished())
        runner->deleteLater();
}

void TConversionBatch::RecordFailure(const QString &file, const QString &reason)
{
    FailedRows.append({file, reason});
    AppFunc->WriteLog(QStringLiteral("Conversion failed: ") + file + QStringLiteral(" -> ") + reason);
    for (const QString &line : LastOutputLines(LastEncoderOutput, 5))
        AppFunc->WriteLog(QStringLiteral("  encoder: ") + line);
}

void TConversionBatch::RecordWarning(const QString &file, const QString &reason)
{
    WarnedRows.append({file, reason});
    AppFunc->WriteLog(QStringLiteral("Conversion warning: ") + file + QStringLiteral(" -> ") + reason);
}

QString TConversionBatch::Report() const
{
    QStringList parts;
    if (!FailedRows.isEmpty())
        parts.append(listOf(QStringLiteral("These files could not be converted"), FailedRows));
    if (!WarnedRows.isEmpty())
        parts.append(listOf(QStringLiteral("These files were converted, with a warning"), WarnedRows));
    return parts.join(QStringLiteral("\n\n"));
}

void TConversionBatch::OnEncoderOutput(const QString &chunk)
{
    LastEncoderOutput = (LastEncoderOutput + chunk).right(keptOutput);
    Q_EMIT EncoderOutput(chunk);
}
