#include "Code/AdvanceSystem.h"

#include "Code/core/ProgramFolder.h"
#include "platform/ChildProcess.h"

#include <QFileInfo>
#include <QThread>

#include <functional>

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
int deliverOutputUntilEnd(platform::ChildProcess &child, const std::function<void(const QString &)> &onOutput)
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
        onOutput(chunkText(readNewestBlock(child, waiting)));
        QThread::msleep(pauseAfterDeliveryMs);
    } while (running);
    return exitCode;
}

} // namespace

TAdvanceSystem::TAdvanceSystem(const QString &program, const QStringList &arguments, QObject *parent)
    : QObject(parent), Program(program), Arguments(arguments)
{
}

TAdvanceSystem::~TAdvanceSystem()
{
    if (m_running)
        m_child->kill();
    if (m_reader) {
        m_reader->wait();
        delete m_reader;
    }
}

bool TAdvanceSystem::Start()
{
    if (m_child || Program.isEmpty())
        return false;
    // Absolute, because the child changes its folder before it starts.
    m_child = platform::startChildProcess(QFileInfo(Program).absoluteFilePath(), Arguments, workingFolder());
    if (!m_child)
        return false;
    m_running = true;
    platform::ChildProcess *child = m_child.get();
    // The reader hands everything over to this object's thread; what is still
    // queued when the object goes is dropped with it.
    m_reader = QThread::create([this, child] {
        const int exitCode = deliverOutputUntilEnd(*child, [this](const QString &chunk) {
            QMetaObject::invokeMethod(
                this, [this, chunk] { Q_EMIT Output(chunk); }, Qt::QueuedConnection);
        });
        QMetaObject::invokeMethod(
            this, [this, exitCode] { ReaderDone(exitCode); }, Qt::QueuedConnection);
    });
    m_reader->start();
    return true;
}

void TAdvanceSystem::Terminate()
{
    if (m_running)
        m_child->terminate();
}

void TAdvanceSystem::Kill()
{
    if (m_running)
        m_child->kill();
}

void TAdvanceSystem::ReaderDone(int exitCode)
{
    m_running = false;
    m_reader->wait();
    Q_EMIT Finished(exitCode);
}
