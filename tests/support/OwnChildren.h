#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringList>

// Whether a program this test process started itself, known by its name, is
// still running (ended ones that linger unreaped do not count).
inline bool ownChildRunning(const QStringList &names)
{
    const QByteArray us = QByteArray::number(QCoreApplication::applicationPid());
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        QFile stat(QStringLiteral("/proc/") + entry + QStringLiteral("/stat"));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        const qsizetype open = text.indexOf('(');
        const qsizetype close = text.lastIndexOf(')');
        if (open < 0 || close < open)
            continue;
        const QList<QByteArray> fields = text.mid(close + 2).split(' ');
        if (fields.size() < 2 || fields.at(0) == "Z" || fields.at(1) != us)
            continue;
        if (names.contains(QString::fromUtf8(text.mid(open + 1, close - open - 1))))
            return true;
    }
    return false;
}

#include <QProcess>
#include <QTemporaryDir>

// A program of the encoder's name that somebody else started: a copy of
// sleep in a folder of its own, running for two minutes unless the test ends
// it (which it does when it goes).
class StrangerEncoder {
public:
    explicit StrangerEncoder(const QString &name)
    {
        const QString path = m_folder.filePath(name);
        if (QFile::copy(QStringLiteral("/bin/sleep"), path)) {
            m_process.start(path, {QStringLiteral("120")});
            m_process.waitForStarted();
        }
    }
    ~StrangerEncoder()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    bool running() const { return m_process.state() == QProcess::Running; }

private:
    QTemporaryDir m_folder;
    QProcess m_process;
};
