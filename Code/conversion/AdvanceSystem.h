#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class QThread;
namespace platform {
class ChildProcess;
}

// Runs one encoder program and owns its process: nothing else in the program
// starts, waits for or ends an encoder. The program is started at exactly
// `program` (never searched for) with `arguments`, in the program folder.
//
// A thread of its own reads the process's output. While the encoder runs,
// waiting output is delivered at most every 500 ms, and when more than 1023
// bytes wait only the newest block goes out, so whoever listens always sees
// the encoder's latest status. The end is learnt as it happens: what the
// encoder left waiting goes out at once, then Finished(). Output() and
// Finished() are emitted on this object's thread; Finished() comes once,
// after the last Output().
class TAdvanceSystem : public QObject {
    Q_OBJECT

public:
    TAdvanceSystem(const QString &program, const QStringList &arguments, QObject *parent = nullptr);
    // Ends the process if it still runs and waits for the reader.
    ~TAdvanceSystem() override;

    // False, with nothing emitted, when the program cannot be started.
    bool Start();
    // Asks the encoder to end and clean up after itself.
    void Terminate();
    // Ends the encoder at once.
    void Kill();
    bool IsRunning() const { return m_running; }

    const QString Program;
    const QStringList Arguments;

Q_SIGNALS:
    void Output(const QString &chunk);
    // The exit code, 128 plus the signal number when a signal ended it.
    void Finished(int exitCode);

private:
    void ReaderDone(int exitCode);

    std::unique_ptr<platform::ChildProcess> m_child;
    QThread *m_reader = nullptr;
    bool m_running = false;
};
