#pragma once

#include <QString>
#include <QThread>

#include <atomic>
#include <functional>

// Receives one chunk of the encoder's console output, on the runner's thread.
using TEncoderOutputHandler = std::function<void(const QString &chunk)>;

// Runs one encoder command line as a child process and hands its output to
// `onOutput` until the child has ended. The first word of the command line is
// the program's path, unquoted; when it holds blanks, the shortest run of words
// that names an existing file is taken, as Windows does. The child runs in a
// new session with the program folder as working directory, stdin a pipe that
// gives end of file, and stdout and stderr sharing one pipe. While output waits
// it is read at most every 500 ms, and when more than 1023 bytes wait only the
// newest block is delivered, so the handler always sees the encoder's latest
// status. Returns false, without calling the handler, when the program cannot
// be started; true once it has ended, with its exit code in `exitCode` (128
// plus the signal number when a signal ended it, -1 when the code was lost).
// The handler must not throw.
bool RunEncoderProcess(const QString &commandLine, const TEncoderOutputHandler &onOutput, int *exitCode = nullptr);

// One encoder run on a thread of its own. It is created suspended and starts
// only on Resume(); destroying it waits until the encoder has ended.
class TAdvanceSystem : public QThread {
public:
    TAdvanceSystem(const QString &commandLine, TEncoderOutputHandler onOutput, QObject *parent = nullptr);
    ~TAdvanceSystem() override;

    void Resume();

    // Results of the run, meaningful once the thread has finished.
    bool EncoderStarted() const { return encoderStarted.load(); }
    int ExitCode() const { return exitCode.load(); }

    QString CommandLine;
    TEncoderOutputHandler OnOutput;

protected:
    void run() override;

private:
    std::atomic<bool> encoderStarted{false};
    std::atomic<int> exitCode{-1};
};
