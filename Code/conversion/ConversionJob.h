#pragma once

#include "Code/core/EncoderCommand.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

class TAdvanceSystem;

// How a job ended. A converted row may still carry a warning (kept, but not
// quite as asked); a failed one says why in plain words and leaves no file.
struct TJobResult {
    enum Kind { Converted, Warning, Failed, Cancelled, Abandoned };
    Kind Outcome = Converted;
    QString Reason;
};

// One row's conversion: built from the row's parameters, taken when the row
// starts, it runs the row's encoder (which it alone owns), reads its output
// back and judges what it delivered.
//
// Life: created → Start() → running (Output, Progress) → Finished, once. A
// job that cannot start also finishes, on the event loop, never inside Start().
// Cancel() ends only this job's own encoder: it is asked to end, then forced;
// one that outlives even that is given up (Abandoned) so nothing waits forever.
class TConversionJob : public QObject {
    Q_OBJECT

public:
    explicit TConversionJob(const TConvertParameterStruct &parameters, QObject *parent = nullptr);
    ~TConversionJob() override;

    const TConvertParameterStruct Parameters;
    QStringList Arguments() const { return EncoderArguments(Parameters); }
    QString CommandText() const { return EncoderCommandText(Parameters); }

    void Start();
    void Cancel();
    // A row stopped before its encoder started gives back the name it claimed.
    void Withdraw();
    bool IsRunning() const;
    bool IsFinished() const { return m_finished; }
    // The encoder's latest output, for the log of a failed row.
    QString LastOutput() const { return m_lastOutput; }

    // Time an encoder gets to end by itself once asked, then once forced.
    int TerminateGraceMs = 3000;
    int KillGraceMs = 5000;

Q_SIGNALS:
    // Seconds of output written so far, as a chunk reports them; it comes
    // before that chunk's Output.
    void Progress(qint64 seconds);
    void Output(const QString &chunk);
    void Finished(const TJobResult &result);

private:
    void TakeOutput(const QString &chunk);
    void EncoderEnded(int exitCode);
    void ForceEnd();
    void GiveUp();
    // Asks the encoder to end by `step`; `next` follows if it still runs after `graceMs`.
    void EndingStep(void (TAdvanceSystem::*step)(), int graceMs, void (TConversionJob::*next)());
    void Finish(TJobResult::Kind outcome, const QString &reason = QString());
    void FinishSoon(TJobResult::Kind outcome, const QString &reason);
    TJobResult Judge(int exitCode) const;

    QPointer<TAdvanceSystem> m_encoder;
    QTimer m_grace;
    QString m_lastOutput;
    // The file at the output name when the encoder ended well.
    std::optional<platform::FileIdentity> m_delivered;
    bool m_cancelled = false;
    bool m_finished = false;
};

Q_DECLARE_METATYPE(TJobResult)
