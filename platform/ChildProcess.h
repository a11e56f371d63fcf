#pragma once

#include <QString>
#include <QStringList>

#include <memory>

namespace platform {

// A running child program whose standard input gives end of file at once and
// whose standard output and error share one pipe that we read.
class ChildProcess {
public:
    virtual ~ChildProcess() = default;

    // Bytes waiting in the output pipe; 0 when none or unknown.
    virtual int bytesWaiting() = 0;
    // Sleeps until output arrives, the child ends or `milliseconds` have passed.
    virtual void waitForOutput(int milliseconds) = 0;
    // Sleeps until the child ends or `milliseconds` have passed, whatever it prints.
    virtual void waitForEnd(int milliseconds) = 0;
    // Reads at most `size` bytes; 0 on failure.
    virtual qsizetype read(char *buffer, qsizetype size) = 0;
    // True while the child runs; once it has ended, its exit code is stored in
    // `exitCode` (128 plus the signal number when a signal ended it, -1 when
    // the code was lost).
    virtual bool running(int &exitCode) = 0;
    // Asks the child to end and lets it clean up (SIGTERM here).
    virtual void terminate() = 0;
    // Ends the child at once (SIGKILL here).
    virtual void kill() = 0;
    // Both may be called from another thread than the one that reads and
    // waits; they never reach a process other than this child, even once it
    // has ended and its id could be reused.
};

// Starts the program at exactly `program` (never searched for) with
// `arguments`, in a session of its own with `workingFolder` as its folder.
// Nothing of ours but the three standard streams is inherited. nullptr when
// it cannot be started.
std::unique_ptr<ChildProcess> startChildProcess(const QString &program, const QStringList &arguments,
                                                const QString &workingFolder);

} // namespace platform
