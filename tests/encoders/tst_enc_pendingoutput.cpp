// The output takes its name only when the encode has finished; a failed run
// leaves nothing behind and never harms a file it did not write.

#include "encoders/core/EncoderError.h"
#include "encoders/core/PendingOutput.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

using encoder::PendingOutput;

namespace {

bool renameFlagsWork = true;

} // namespace

// Stands in for the system's renameat2 in this test: with renameFlagsWork
// false, swapping and refusing to replace fail as on file systems without
// them (NFS, CIFS).
extern "C" int renameat2(int oldFolder, const char *oldPath, int newFolder, const char *newPath,
                         unsigned flags) noexcept
{
    if (flags != 0 && !renameFlagsWork) {
        errno = EINVAL;
        return -1;
    }
    return int(::syscall(SYS_renameat2, oldFolder, oldPath, newFolder, newPath, flags));
}

namespace {

// Writes as ffmpeg does: opens the path it is given, truncating.
void writeLikeFfmpeg(const PendingOutput &pending, const QByteArray &content)
{
    const std::string path = pending.pathForChild(pending.descriptor());
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    QVERIFY(descriptor >= 0);
    QCOMPARE(::write(descriptor, content.constData(), size_t(content.size())), ssize_t(content.size()));
    ::close(descriptor);
}

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void makeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

// Puts a new file at path as another program does: written beside it, then
// renamed over whatever is there.
void putStrangerAt(const QString &path)
{
    makeFile(path + ".stranger", "stranger");
    QVERIFY(::rename(qPrintable(path + ".stranger"), qPrintable(path)) == 0);
}

QString problemOf(const QString &path, bool overwrite)
{
    try {
        PendingOutput pending(path.toStdString(), overwrite);
    } catch (const encoder::EncoderError &error) {
        return QString::fromStdString(error.what());
    }
    return QString();
}

QStringList entries(const QTemporaryDir &dir)
{
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

} // namespace

Q_DECLARE_METATYPE(PendingOutput::Kind)

// What happens at the output's name while the encode runs.
enum class Meanwhile { Nothing, ClaimReplaced, ClaimRemoved, FileAppeared };
Q_DECLARE_METATYPE(Meanwhile)

// Both kinds of pending file: unnamed, and the named one used where the file
// system has no unnamed files.
void addKinds()
{
    QTest::addColumn<PendingOutput::Kind>("kind");
    QTest::newRow("unnamed") << PendingOutput::Kind::UnnamedWherePossible;
    QTest::newRow("named") << PendingOutput::Kind::Named;
}

class TestPendingOutput : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void commitGivesTheName_data() { addKinds(); }

    void commitGivesTheName()
    {
        QFETCH(PendingOutput::Kind, kind);
        QTemporaryDir dir;
        const QString path = dir.filePath("clip.mp4");
        {
            PendingOutput pending(path.toStdString(), false, kind);
            writeLikeFfmpeg(pending, "encoded");
            QVERIFY(!QFile::exists(path));
            pending.commit();
        }
        QCOMPARE(contentOf(path), QByteArray("encoded"));
        QCOMPARE(entries(dir), QStringList{"clip.mp4"});
        QVERIFY(QFileInfo(path).permissions() & QFile::ReadOwner);
    }

    void discardLeavesNothing_data() { addKinds(); }

    void discardLeavesNothing()
    {
        QFETCH(PendingOutput::Kind, kind);
        QTemporaryDir dir;
        {
            PendingOutput pending(dir.filePath("clip.mp4").toStdString(), true, kind);
            writeLikeFfmpeg(pending, "half");
        }
        QCOMPARE(entries(dir), QStringList());
    }

    // With -y a finished encode replaces the earlier file; a failed one
    // leaves it exactly as it was.
    void earlierFileOnlyReplacedBySuccess_data() { addKinds(); }

    void earlierFileOnlyReplacedBySuccess()
    {
        QFETCH(PendingOutput::Kind, kind);
        QTemporaryDir dir;
        const QString path = dir.filePath("clip.mp4");
        makeFile(path, "earlier");
        {
            PendingOutput pending(path.toStdString(), true, kind);
            writeLikeFfmpeg(pending, "broken");
            pending.discard();
        }
        QCOMPARE(contentOf(path), QByteArray("earlier"));
        {
            PendingOutput pending(path.toStdString(), true, kind);
            writeLikeFfmpeg(pending, "new");
            pending.commit();
        }
        QCOMPARE(contentOf(path), QByteArray("new"));
        QCOMPARE(entries(dir), QStringList{"clip.mp4"});
    }

    // Only the file that stood at the name at the start (the claim) is
    // replaced; a file another program put there meanwhile stays and the
    // commit fails. The same holds where the file system cannot swap names.
    void onlyTheClaimIsReplaced_data()
    {
        QTest::addColumn<PendingOutput::Kind>("kind");
        QTest::addColumn<bool>("flagsWork");
        QTest::addColumn<bool>("claimed");
        QTest::addColumn<Meanwhile>("meanwhile");
        QTest::addColumn<QByteArray>("left");
        const QList<std::tuple<const char *, bool, Meanwhile, QByteArray>> cases{
            {"claim kept", true, Meanwhile::Nothing, "encoded"},
            {"claim replaced", true, Meanwhile::ClaimReplaced, "stranger"},
            {"claim removed", true, Meanwhile::ClaimRemoved, "encoded"},
            {"no claim, file appeared", false, Meanwhile::FileAppeared, "stranger"},
        };
        for (const auto &[name, claimed, meanwhile, left] : cases) {
            for (const bool flagsWork : {true, false}) {
                const char *system = flagsWork ? "" : ", no swap";
                QTest::addRow("unnamed, %s%s", name, system)
                    << PendingOutput::Kind::UnnamedWherePossible << flagsWork << claimed << meanwhile << left;
                QTest::addRow("named, %s%s", name, system)
                    << PendingOutput::Kind::Named << flagsWork << claimed << meanwhile << left;
            }
        }
    }

    void onlyTheClaimIsReplaced()
    {
        QFETCH(PendingOutput::Kind, kind);
        QFETCH(bool, flagsWork);
        QFETCH(bool, claimed);
        QFETCH(Meanwhile, meanwhile);
        QFETCH(QByteArray, left);
        QTemporaryDir dir;
        const QString path = dir.filePath("clip.mp4");
        if (claimed)
            makeFile(path, QByteArray());
        renameFlagsWork = flagsWork;
        QString problem;
        {
            PendingOutput pending(path.toStdString(), true, kind);
            writeLikeFfmpeg(pending, "encoded");
            if (meanwhile == Meanwhile::ClaimReplaced || meanwhile == Meanwhile::FileAppeared)
                putStrangerAt(path);
            if (meanwhile == Meanwhile::ClaimRemoved)
                QVERIFY(QFile::remove(path));
            try {
                pending.commit();
            } catch (const encoder::EncoderError &error) {
                problem = QString::fromStdString(error.what());
            }
        }
        renameFlagsWork = true;
        QCOMPARE(contentOf(path), left);
        QCOMPARE(entries(dir), QStringList{"clip.mp4"});
        if (left == "stranger")
            QVERIFY2(problem.contains("another program took the output's name meanwhile"), qPrintable(problem));
        else
            QCOMPARE(problem, QString());
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("overwrite");
        QTest::addColumn<QString>("problem");
        QTest::newRow("exists without -y") << "taken.mp4" << false << "already exists";
        QTest::newRow("output is a folder") << "folder" << true << "is a folder";
        QTest::newRow("folder missing") << "missing/clip.mp4" << true << "does not exist";
        QTest::newRow("folder is a file") << "taken.mp4/clip.mp4" << true << "is not a folder";
        QTest::newRow("output is a link") << "link.mp4" << true << "is not a plain file";
    }

    void refusals()
    {
        QFETCH(QString, name);
        QFETCH(bool, overwrite);
        QFETCH(QString, problem);
        QTemporaryDir dir;
        makeFile(dir.filePath("taken.mp4"), "earlier");
        QVERIFY(QDir(dir.path()).mkdir("folder"));
        QVERIFY(QFile::link("taken.mp4", dir.filePath("link.mp4")));
        const QString seen = problemOf(dir.filePath(name), overwrite);
        QVERIFY2(seen.contains(problem), qPrintable(seen));
        QCOMPARE(contentOf(dir.filePath("taken.mp4")), QByteArray("earlier"));
        QCOMPARE(entries(dir), (QStringList{"link.mp4", "taken.mp4"}));
    }

    void unwritableFolder()
    {
        if (::geteuid() == 0)
            QSKIP("root writes into any folder");
        QTemporaryDir dir;
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        const QString seen = problemOf(dir.filePath("clip.mp4"), true);
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY2(seen.contains("cannot write"), qPrintable(seen));
    }
};

QTEST_GUILESS_MAIN(TestPendingOutput)
#include "tst_enc_pendingoutput.moc"
