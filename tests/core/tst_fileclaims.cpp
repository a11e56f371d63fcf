// Claiming names and holding files, as two programs sharing a folder do.
#include "platform/FileClaims.h"
#include "platform/TerminationRequests.h"

#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

class TestFileClaims : public QObject {
    Q_OBJECT

    QTemporaryDir m_folder;

    QString path(const QString &name) const { return m_folder.filePath(name); }
    static bool write(const QString &file, const QByteArray &content)
    {
        QFile out(file);
        return out.open(QIODevice::WriteOnly) && out.write(content) == content.size();
    }

private Q_SLOTS:
    void aNameIsClaimedOnce()
    {
        bool taken = true;
        const std::optional<platform::FileIdentity> claim = platform::createNewFile(path("clip.mp4"), taken);
        QVERIFY(claim && !taken);
        QCOMPARE(QFileInfo(path("clip.mp4")).size(), 0);
        QVERIFY(!platform::createNewFile(path("clip.mp4"), taken));
        QVERIFY(taken);
        QVERIFY(!platform::createNewFile(path("no folder/clip.mp4"), taken));
        QVERIFY(!taken);
    }

    void onlyTheSameFileIsRemoved()
    {
        bool taken = false;
        const std::optional<platform::FileIdentity> claim = platform::createNewFile(path("a.mp4"), taken);
        QVERIFY(claim);
        // Someone else's file in its place keeps the name.
        QVERIFY(QFile::remove(path("a.mp4")));
        QVERIFY(write(path("a.mp4"), "theirs"));
        QVERIFY(!platform::removeIfSameFile(path("a.mp4"), *claim));
        QVERIFY(QFile::exists(path("a.mp4")));
        QCOMPARE(platform::fileIdentity(path("a.mp4")) == claim, false);

        const std::optional<platform::FileIdentity> theirs = platform::fileIdentity(path("a.mp4"));
        QVERIFY(theirs);
        QVERIFY(platform::removeIfSameFile(path("a.mp4"), *theirs));
        QVERIFY(!QFile::exists(path("a.mp4")));
        QVERIFY(!platform::fileIdentity(path("a.mp4")));
    }

    void aHeldFileHasOneHolder()
    {
        bool elsewhere = true;
        std::unique_ptr<platform::HeldFile> first = platform::holdFile(path("VideoFile.avs"), elsewhere);
        QVERIFY(first && !elsewhere);
        QVERIFY(first->replaceContent("first line, and longer\r\n"));
        QVERIFY(first->replaceContent("line\r\n"));
        QFile script(path("VideoFile.avs"));
        QVERIFY(script.open(QIODevice::ReadOnly));
        QCOMPARE(script.readAll(), QByteArray("line\r\n"));

        QVERIFY(!platform::holdFile(path("VideoFile.avs"), elsewhere));
        QVERIFY(elsewhere);
        first.reset();
        QVERIFY(platform::holdFile(path("VideoFile.avs"), elsewhere));
        QVERIFY(!platform::holdFile(path("no folder/VideoFile.avs"), elsewhere));
        QVERIFY(!elsewhere);
    }

    // A request to end reaches the event loop; the process goes on.
    void endRequestsReachTheEventLoop()
    {
        int requests = 0;
        QObject context;
        platform::watchTerminationRequests(&context, [&requests] { ++requests; });
        std::raise(SIGTERM);
        QTRY_COMPARE(requests, 1);
        std::raise(SIGHUP);
        QTRY_COMPARE(requests, 2);
    }
};

QTEST_GUILESS_MAIN(TestFileClaims)
#include "tst_fileclaims.moc"
