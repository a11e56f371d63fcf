#include "Code/conversion/ConversionJob.h"

#include "Code/conversion/AdvanceSystem.h"
#include "Code/conversion/OutputCheck.h"
#include "Code/conversion/RowPreparation.h"
#include "Code/core/EncoderFailure.h"
#include "Code/core/ProgressText.h"

#include <QFileInfo>

namespace {

// The encoder's latest output, kept for the reason of a failed row.
constexpr qsizetype keptOutput = 4096;

// Why an encoder that ended did not deliver a file; empty when it did.
QString failureReason(const QString &outputPath, const QString &encoderOutput, int exitCode)
{
    const QFileInfo output(outputPath);
    QString reason;
    if (exitCode != 0)
        reason = FailureReasonFrom(encoderOutput);
    else if (!output.exists() || output.size() == 0)
        reason = QStringLiteral("No output file was written.");
    else
        return QString();
    return reason.isEmpty() ? QStringLiteral("The encoder ended with code %1.").arg(exitCode) : reason;
}

} // namespace

TConversionJob::TConversionJob(const TConvertParameterStruct &parameters, QObject *parent)
    : QObject(parent), Parameters(parameters)
{
    m_grace.setSingleShot(true);
}

TConversionJob::~TConversionJob()
{
    // An encoder given up on still belongs to nobody else: it goes when it ends.
    if (m_encoder && m_encoder->parent() == this && m_encoder->IsRunning())
        m_encoder->Kill();
}

bool TConversionJob::IsRunning() const
{
    return m_encoder && m_encoder->IsRunning();
}

void TConversionJob::Start()
{
    if (m_encoder || m_finished)
        return;
    if (IsRealMediaSource(Parameters.SourceFile) && !Parameters.ScriptWritten) {
        FinishSoon(TJobResult::Failed, QStringLiteral("The script for RealMedia sources could not be written."));
        return;
    }
    m_encoder = new TAdvanceSystem(Parameters.EncoderPath, Arguments(), this);
    connect(m_encoder, &TAdvanceSystem::Output, this, &TConversionJob::TakeOutput);
    connect(m_encoder, &TAdvanceSystem::Finished, this, &TConversionJob::EncoderEnded);
    if (!m_encoder->Start())
        FinishSoon(TJobResult::Failed, QStringLiteral("The encoder could not be started."));
}

void TConversionJob::Cancel()
{
    if (m_finished || m_cancelled)
        return;
    m_cancelled = true;
    if (!IsRunning()) {
        FinishSoon(TJobResult::Cancelled, QString());
        return;
    }
    EndingStep(&TAdvanceSystem::Terminate, TerminateGraceMs, &TConversionJob::ForceEnd);
}

void TConversionJob::Withdraw()
{
    if (m_finished || m_encoder)
        return;
    m_finished = true;
    RemoveRowOutput(Parameters, std::nullopt);
}

void TConversionJob::ForceEnd()
{
    if (IsRunning())
        EndingStep(&TAdvanceSystem::Kill, KillGraceMs, &TConversionJob::GiveUp);
}

void TConversionJob::EndingStep(void (TAdvanceSystem::*step)(), int graceMs, void (TConversionJob::*next)())
{
    (m_encoder->*step)();
    connect(&m_grace, &QTimer::timeout, this, next, Qt::SingleShotConnection);
    m_grace.start(graceMs);
}

void TConversionJob::GiveUp()
{
    if (!IsRunning())
        return;
    // Not even a forced end took: the encoder is left to end on its own, and
    // its object with it, so that nothing here waits for it any longer.
    TAdvanceSystem *encoder = m_encoder;
    disconnect(encoder, nullptr, this, nullptr);
    encoder->setParent(nullptr);
    connect(encoder, &TAdvanceSystem::Finished, encoder, &QObject::deleteLater);
    m_encoder.clear();
    Finish(TJobResult::Abandoned, QStringLiteral("The encoder (%1) could not be stopped. It may still be writing its "
                                                 "output file; you can end it with your system's task manager.")
                                      .arg(QFileInfo(Parameters.EncoderPath).fileName()));
}

void TConversionJob::TakeOutput(const QString &chunk)
{
    m_lastOutput = (m_lastOutput + chunk).right(keptOutput);
    if (const std::optional<qint64> seconds = ReadProgressSeconds(chunk, Parameters.AudioOnly()))
        Q_EMIT Progress(*seconds);
    Q_EMIT Output(chunk);
}

void TConversionJob::EncoderEnded(int exitCode)
{
    m_grace.stop();
    // An encoder that ended well put its file where the claim stood.
    if (exitCode == 0)
        m_delivered = platform::fileIdentity(Parameters.OutputPath);
    const TJobResult result = Judge(exitCode);
    Finish(result.Outcome, result.Reason);
}

TJobResult TConversionJob::Judge(int exitCode) const
{
    // An encoder that finished by itself while it was being stopped left a
    // complete file: only one that was cut off leaves half a file.
    if (m_cancelled && exitCode != 0)
        return {TJobResult::Cancelled, QString()};
    const QString reason = failureReason(Parameters.OutputPath, m_lastOutput, exitCode);
    if (!reason.isEmpty())
        return {TJobResult::Failed, reason};
    const TOutputVerdict verdict =
        CheckOutputFile(Parameters.OutputPath, Parameters.SourceFile, Parameters.AudioOnly(), Parameters.Trim);
    switch (verdict.Verdict) {
    case TOutputVerdict::Failed:
        return {TJobResult::Failed, verdict.Reason};
    case TOutputVerdict::Warning:
        return {TJobResult::Warning, verdict.Reason};
    case TOutputVerdict::Good:
        break;
    }
    return {};
}

void TConversionJob::FinishSoon(TJobResult::Kind outcome, const QString &reason)
{
    QMetaObject::invokeMethod(
        this, [this, outcome, reason] { Finish(outcome, reason); }, Qt::QueuedConnection);
}

void TConversionJob::Finish(TJobResult::Kind outcome, const QString &reason)
{
    if (m_finished)
        return;
    m_finished = true;
    // An output that is not what was asked is not kept, nor the claim of a
    // row that never delivered; a file anyone else put there stays.
    if (outcome == TJobResult::Failed || outcome == TJobResult::Cancelled)
        RemoveRowOutput(Parameters, m_delivered);
    Q_EMIT Finished({outcome, reason});
}
