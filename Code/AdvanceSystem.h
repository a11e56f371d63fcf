#pragma once

#include <QString>
#include <QThread>

#include <atomic>
#include <functional>

// Receives one chunk of the encoder's console output, on the runner's thread.
using TEncoderOutputHandler = std::function<void(const QString &chunk)>;

// Runs one encoder as a child process and hands its output to `onOutput`
// until the child has ended. `commandLine` is the whole command as it is
// logged: `program` (the encoder's exact path, blanks and all, never searched
// for) followed by the arguments, split by the Windows rules. The child runs
// with the program folder as working directory. While output waits it is read
// at most every 500 ms, and when more than 1023 bytes wait only the newest
// block is delivered, so the handler always sees the encoder's latest status.
// Returns false, without calling the handler, when the program cannot be
// started (or the command line does not begin with it); true once it has
// ended, with its exit code in `exitCode`. The handler must not throw.
bool RunEncoderProcess(const QString &program, const QString &commandLine, const TEncoderOutputHandler &onOutput,
                       int *exitCode = nullptr);

// One encoder run on a thread of its own. It is created suspended and starts
// only on Resume(); destroying it waits until the encoder has ended. Each
// chunk of output is announced by Output(), from the runner's thread.
class TAdvanceSystem : public QThread {
    Q_OBJECT

public:
    TAdvanceSystem(const QString &program, const QString &commandLine, QObject *parent = nullptr);
    ~TAdvanceSystem() override;

    void Resume();

    // Results of the run, meaningful once the thread has finished.
    bool EncoderStarted() const { return encoderStarted.load(); }
    int ExitCode() const { return exitCode.load(); }

    const QString Program;
    const QString CommandLine;

Q_SIGNALS:
    void Output(const QString &chunk);

protected:
    void run() override;

private:
    std::atomic<bool> encoderStarted{false};
    std::atomic<int> exitCode{-1};
};
