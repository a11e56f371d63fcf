#include "Code/conversion/AdvanceSystem.h"

#include "Code/core/ProgramFolder.h"
#include "platform/ChildProcess.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

#include <functional>

namespace {

constexpr qsizetype readBlockSize = 1023;
// The least time between two deliveries while the encoder runs.
constexpr qint64 deliveryGapMs = 500;
// How long one wait for output may last; the child's end cuts it short.
constexpr int outputWaitMs = 1000;

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

// Delivers output until the child has ended. Waiting output goes out at most
// once per 500 ms; until then the reader waits for the child's end only, so
// an end is learnt at once. The exit is looked at before the pipe, so the
// pass that sees the child ended still delivers what it left waiting, at
// once: the row need not wait out a gap for its last words.
int deliverOutputUntilEnd(platform::ChildProcess &child, const std::function<void(const QString &)> &onOutput)
{
    int exitCode = -1;
    QElapsedTimer sinceDelivery; // invalid until the first delivery
    for (;;) {
        const bool running = child.running(exitCode);
        const int waiting = child.bytesWaiting();
        if (waiting > 0) {
            const qint64 gapLeft = sinceDelivery.isValid() ? deliveryGapMs - sinceDelivery.elapsed() : 0;
            if (running && gapLeft > 0) {
                child.waitForEnd(static_cast<int>(gapLeft));
                continue;
            }
            onOutput(chunkText(readNewestBlock(child, waiting)));
            sinceDelivery.start();
        } else if (running) {
            child.waitForOutput(outputWaitMs);
        }
        if (!running)
            return exitCode;
    }
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
