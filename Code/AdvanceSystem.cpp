#include "Code/AdvanceSystem.h"

#include "Code/core/ProgramFolder.h"
#include "Code/core/WindowsCommandLine.h"
#include "platform/ChildProcess.h"

#include <QFileInfo>

namespace {

constexpr qsizetype readBlockSize = 1023;
constexpr unsigned long pauseAfterDeliveryMs = 500;
// How long one wait for output may last before the child is looked at again.
constexpr int outputWaitMs = 25;

QString workingFolder()
{
    QString folder = ProgramFolder();
    if (folder.size() > 1 && folder.endsWith(PathSeparator()))
        folder.chop(1);
    return folder;
}

// Reads what is waiting in blocks of 1023 bytes and keeps only the last block:
// older status text is of no use once newer text is there. Reads only bytes
// known to be waiting, so it never blocks.
QByteArray readNewestBlock(platform::ChildProcess &child, qsizetype waiting)
{
    QByteArray block(readBlockSize, '\0');
    qsizetype got = child.read(block.data(), readBlockSize);
    qsizetype remaining = waiting - got;
    while (got == readBlockSize && remaining > 0) {
        got = child.read(block.data(), readBlockSize);
        remaining -= got;
    }
    block.truncate(got);
    return block;
}

QString chunkText(const QByteArray &block)
{
    const qsizetype zero = block.indexOf('\0');
    return QString::fromUtf8(zero < 0 ? block : block.left(zero));
}

// Delivers output until the child has ended; the pass that first sees it
// ended still delivers what was left waiting.
int deliverOutputUntilEnd(platform::ChildProcess &child, const TEncoderOutputHandler &onOutput)
{
    int exitCode = -1;
    bool running;
    do {
        running = child.running(exitCode);
        const int waiting = child.bytesWaiting();
        if (waiting <= 0) {
            if (running)
                child.waitForOutput(outputWaitMs);
            continue;
        }
        const QString chunk = chunkText(readNewestBlock(child, waiting));
        if (onOutput)
            onOutput(chunk);
        QThread::msleep(pauseAfterDeliveryMs);
    } while (running);
    return exitCode;
}

} // namespace

bool RunEncoderProcess(const QString &program, const QString &commandLine, const TEncoderOutputHandler &onOutput,
                       int *exitCode)
{
    if (program.isEmpty() || !commandLine.startsWith(program))
        return false;
    const QStringList arguments = SplitCommandLine(commandLine.mid(program.size()));
    // Absolute, because the child changes its folder before it starts.
    const QString path = QFileInfo(program).absoluteFilePath();
    const auto child = platform::startChildProcess(path, arguments, workingFolder());
    if (!child)
        return false;
    const int code = deliverOutputUntilEnd(*child, onOutput);
    if (exitCode)
        *exitCode = code;
    return true;
}

TAdvanceSystem::TAdvanceSystem(const QString &program, const QString &commandLine, QObject *parent)
    : QThread(parent), Program(program), CommandLine(commandLine)
{
}

TAdvanceSystem::~TAdvanceSystem()
{
    wait();
}

void TAdvanceSystem::Resume()
{
    start();
}

void TAdvanceSystem::run()
{
    int code = -1;
    const bool started = RunEncoderProcess(
        Program, CommandLine, [this](const QString &chunk) { Q_EMIT Output(chunk); }, &code);
    exitCode.store(code);
    encoderStarted.store(started);
}
