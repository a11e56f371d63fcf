// One program per data folder: a second start hands its files to the first
// and ends. The first start is played by a small program built on the same
// platform code (it prints what it receives); the second is a portable copy
// of the real program, or the small one again. Each may run with the test's
// own session bus or without any, then they meet through the local socket.
#include "../support/SessionBus.h"
#include "platform/SingleInstance.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QLockFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <csignal>
#include <functional>
#include <memory>
#include <sys/stat.h>
#include <thread>
#include <tuple>
#include <vector>

namespace {

constexpr int startTimeoutMs = 20000;

// A start of the small program: its lines as they come.
class Probe {
public:
    QProcess process;

    QStringList lines()
    {
        while (process.canReadLine())
            m_lines.append(QString::fromUtf8(process.readLine()).chopped(1));
        return m_lines;
    }
    // The first line: "serving", "alone" or "handed over"; empty when none
    // came in time.
    QString role()
    {
        if (!QTest::qWaitFor([this] { return !lines().isEmpty() || process.state() == QProcess::NotRunning; },
                             startTimeoutMs))
            return QString();
        return lines().value(0);
    }
    // What it received after its first line.
    QStringList requests() { return lines().mid(1); }

private:
    QStringList m_lines;
};

// "open" and the files, or "activate", as the small program prints them.
QString openLine(const QStringList &files)
{
    return (QStringList{QStringLiteral("open")} + platform::fileAddresses(files)).join(QLatin1Char('\t'));
}

bool hasSocketFile(const QString &folder)
{
    const QStringList entries = QDir(folder).entryList(QDir::System | QDir::Hidden | QDir::Files);
    for (const QString &entry : entries) {
        struct stat status {};
        if (::stat(QFile::encodeName(QDir(folder).filePath(entry)).constData(), &status) == 0 &&
            S_ISSOCK(status.st_mode))
            return true;
    }
    return false;
}

} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT

    PrivateSessionBus m_bus;
    QTemporaryDir m_root;
    QString m_programFolder; // a portable copy of the program: its own data folder
    QString m_workFolder;    // where second starts run
    std::vector<std::unique_ptr<Probe>> m_probes;

    QProcessEnvironment environment(bool withBus) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (!withBus)
            environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                               QStringLiteral("unix:path=") + m_root.filePath(QStringLiteral("no-bus")));
        return environment;
    }

    Probe *startProbe(const QString &folder, bool withBus, const QStringList &files = {})
    {
        m_probes.push_back(std::make_unique<Probe>());
        Probe *probe = m_probes.back().get();
        probe->process.setProcessEnvironment(environment(withBus));
        probe->process.setWorkingDirectory(m_workFolder);
        probe->process.start(QStringLiteral(MOVAREL_TST_INSTANCE), QStringList{folder} + files);
        return probe;
    }

    // Runs the program's copy; its exit code, or -1 when it did not end.
    int runProgram(const QStringList &arguments, bool withBus)
    {
        QProcess program;
        program.setProcessEnvironment(environment(withBus));
        program.setWorkingDirectory(m_workFolder);
        program.start(QDir(m_programFolder).filePath(QStringLiteral("movarel")), arguments);
        if (!program.waitForFinished(startTimeoutMs)) {
            program.kill();
            program.waitForFinished();
            return -1;
        }
        return program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
    }

    QString folder(const QString &name) const
    {
        const QString path = m_root.filePath(name);
        QDir().mkpath(path);
        return path;
    }

    static void addTransportRows(const char *name, const std::function<void(QTestData &)> &values)
    {
        for (const auto &[first, second, label] :
             {std::tuple{true, true, "bus"}, std::tuple{false, false, "socket"},
              std::tuple{true, false, "second without bus"}, std::tuple{false, true, "first without bus"}}) {
            QTestData &row = QTest::addRow("%s, %s", name, label) << first << second;
            values(row);
        }
    }

    // A later start on `dataFolder` hands clip.mp4 over to `running`.
    void verifyHandOver(Probe *running, const QString &dataFolder, bool onBus)
    {
        Probe *later = startProbe(dataFolder, onBus, {QStringLiteral("clip.mp4")});
        QCOMPARE(later->role(), QStringLiteral("handed over"));
        QTRY_COMPARE_WITH_TIMEOUT(running->requests(), QStringList{openLine({m_workFolder + "/clip.mp4"})},
                                  startTimeoutMs);
    }

    // Each start on the session bus, or each without one.
    static void busOrSocketRows()
    {
        QTest::addColumn<bool>("onBus");
        QTest::newRow("bus") << true;
        QTest::newRow("socket") << false;
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (!m_bus.start())
            QSKIP("dbus-daemon is not installed");
        m_programFolder = folder(QStringLiteral("program folder"));
        QVERIFY(QDir(m_programFolder).mkdir(QStringLiteral("Config")));
        QVERIFY(
            QFile::copy(QStringLiteral(MOVAREL_PROGRAM), QDir(m_programFolder).filePath(QStringLiteral("movarel"))));
        m_workFolder = folder(QStringLiteral("work folder ü"));
    }

    // Each start ends its input, so the small programs end by themselves.
    void cleanup()
    {
        for (const auto &probe : m_probes) {
            if (probe->process.state() == QProcess::Running)
                ::kill(pid_t(probe->process.processId()), SIGCONT);
            probe->process.closeWriteChannel();
            if (!probe->process.waitForFinished(startTimeoutMs))
                probe->process.kill();
        }
        m_probes.clear();
    }

    void secondStartHandsItsFilesOver_data()
    {
        QTest::addColumn<bool>("firstOnBus");
        QTest::addColumn<bool>("secondOnBus");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("expected"); // relative ones within the second's folder
        addTransportRows("blanks, letters, relative", [](QTestData &row) {
            row << QStringList{"clip one.mp4", "Ünïcødé 视频.MP4", "sub dir/../x.avi", "/abs/y  z.mov"}
                << QStringList{"clip one.mp4", "Ünïcødé 视频.MP4", "x.avi", "/abs/y  z.mov"};
        });
        addTransportRows("address characters", [](QTestData &row) {
            row << QStringList{"a#b?c.mp4", "100%25 & 50%.mp4", "two\nlines.mp4", "file:///tmp/x%20y.mp4"}
                << QStringList{"a#b?c.mp4", "100%25 & 50%.mp4", "two\nlines.mp4", "/tmp/x y.mp4"};
        });
    }
    void secondStartHandsItsFilesOver()
    {
        QFETCH(bool, firstOnBus);
        QFETCH(bool, secondOnBus);
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, expected);
        Probe *first = startProbe(m_programFolder, firstOnBus);
        QCOMPARE(first->role(), QStringLiteral("serving"));

        QCOMPARE(runProgram(arguments, secondOnBus), 0);

        QStringList files;
        for (const QString &file : expected)
            files.append(QDir(m_workFolder).absoluteFilePath(file));
        QTRY_COMPARE_WITH_TIMEOUT(first->requests(), QStringList{openLine(files)}, startTimeoutMs);
    }

    void secondStartWithoutFilesActivates_data()
    {
        QTest::addColumn<bool>("firstOnBus");
        QTest::addColumn<bool>("secondOnBus");
        addTransportRows("no files", [](QTestData &) {});
    }
    void secondStartWithoutFilesActivates()
    {
        QFETCH(bool, firstOnBus);
        QFETCH(bool, secondOnBus);
        Probe *first = startProbe(m_programFolder, firstOnBus);
        QCOMPARE(first->role(), QStringLiteral("serving"));
        QCOMPARE(runProgram({}, secondOnBus), 0);
        QTRY_COMPARE_WITH_TIMEOUT(first->requests(), QStringList{QStringLiteral("activate")}, startTimeoutMs);
    }

    // What the desktop itself may call: org.freedesktop.Application at the
    // path its name spells.
    void desktopCallsTheApplicationInterface()
    {
        const QString dataFolder = folder(QStringLiteral("called"));
        Probe *first = startProbe(dataFolder, true);
        QCOMPARE(first->role(), QStringLiteral("serving"));
        const QString name = QStringLiteral("org.movarel.Movarel.i") + platform::instanceKey(dataFolder);
        const QString path = QLatin1Char('/') + QString(name).replace(QLatin1Char('.'), QLatin1Char('/'));
        const auto call = [&](const QString &method, const QVariantList &arguments) {
            QDBusMessage message =
                QDBusMessage::createMethodCall(name, path, QStringLiteral("org.freedesktop.Application"), method);
            message.setArguments(arguments);
            return QDBusConnection::sessionBus().call(message, QDBus::Block, startTimeoutMs);
        };
        const QStringList uris{QStringLiteral("file:///tmp/a%20b.mp4"), QStringLiteral("https://example.org/c.mp4")};

        QCOMPARE(call(QStringLiteral("Open"), {uris, QVariantMap()}).type(), QDBusMessage::ReplyMessage);
        QCOMPARE(call(QStringLiteral("Activate"), {QVariantMap()}).type(), QDBusMessage::ReplyMessage);
        QCOMPARE(call(QStringLiteral("ActivateAction"), {QStringLiteral("new-window"), QVariantList(), QVariantMap()})
                     .type(),
                 QDBusMessage::ReplyMessage);

        QTRY_COMPARE_WITH_TIMEOUT(first->requests(), (QStringList{openLine({"/tmp/a b.mp4"}), "activate", "activate"}),
                                  startTimeoutMs);
    }

    // Requests that come while the windows are made wait for them, in order.
    void requestsWaitForTheWindows()
    {
        platform::InstanceServer server;
        QSignalSpy opened(&server, &platform::InstanceServer::openRequested);
        QSignalSpy activated(&server, &platform::InstanceServer::activateRequested);
        std::thread channel([&server] {
            server.receive(platform::fileAddresses({"/tmp/one.mp4", "/tmp/two #2.avi"}));
            server.receive({});
        });
        channel.join();
        QCoreApplication::processEvents();
        QCOMPARE(opened.size() + activated.size(), 0);

        server.startDelivering();
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened.first().first().toStringList(), (QStringList{"/tmp/one.mp4", "/tmp/two #2.avi"}));
        QCOMPARE(activated.size(), 1);
        server.receive({});
        QTRY_COMPARE(activated.size(), 2);
    }

    // Starts at the same moment, as from a file manager that starts the
    // program once per file: one runs, the others hand their files to it.
    void startsAtOnceMeetInOne_data() { busOrSocketRows(); }
    void startsAtOnceMeetInOne()
    {
        QFETCH(bool, onBus);
        const QString dataFolder = folder(QStringLiteral("at once"));
        const QStringList files{"a.mp4", "b.mp4", "c.mp4", "d.mp4"};
        QList<Probe *> starts;
        for (const QString &file : files)
            starts.append(startProbe(dataFolder, onBus, {file}));

        QStringList roles;
        QStringList handedOver;
        Probe *serving = nullptr;
        for (int i = 0; i < starts.size(); ++i) {
            roles.append(starts[i]->role());
            if (roles.last() == QLatin1String("serving"))
                serving = starts[i];
            else
                handedOver.append(openLine({m_workFolder + QLatin1Char('/') + files[i]}));
        }
        QCOMPARE(roles.count(QStringLiteral("serving")), 1);
        QCOMPARE(roles.count(QStringLiteral("handed over")), files.size() - 1);
        QTRY_COMPARE_WITH_TIMEOUT(serving->requests().size(), handedOver.size(), startTimeoutMs);
        QStringList received = serving->requests();
        received.sort();
        QCOMPARE(received, handedOver);
    }

    // A start on the bus that finds the program listening on the socket leaves
    // the bus: other starts that asked it meanwhile reach that program too.
    void startsOnTheBusMeetTheSocket()
    {
        const QString dataFolder = folder(QStringLiteral("bus meets socket"));
        Probe *running = startProbe(dataFolder, false);
        QCOMPARE(running->role(), QStringLiteral("serving"));
        // The starts' lock, held here, keeps the next start between the two.
        QLockFile claiming(QDir(dataFolder).filePath(QStringLiteral(".movarel-instance.lock")));
        QVERIFY(claiming.tryLock(0));
        Probe *between = startProbe(dataFolder, true, {QStringLiteral("a.mp4")});
        const QString name = QStringLiteral("org.movarel.Movarel.i") + platform::instanceKey(dataFolder);
        QTRY_VERIFY_WITH_TIMEOUT(QDBusConnection::sessionBus().interface()->isServiceRegistered(name), startTimeoutMs);
        Probe *later = startProbe(dataFolder, true, {QStringLiteral("b.mp4")});
        // The later start asks the one in between, which waits for the lock;
        // let it go while that question is open. Held until the answer, the
        // lock made both wait out the same time, and the later one's wait
        // could end first on a busy machine.
        QTest::qWait(500);
        claiming.unlock();
        QCOMPARE(later->role(), QStringLiteral("handed over"));
        QCOMPARE(between->role(), QStringLiteral("handed over"));
        const QStringList expected{openLine({m_workFolder + QStringLiteral("/a.mp4")}),
                                   openLine({m_workFolder + QStringLiteral("/b.mp4")})};
        QTRY_COMPARE_WITH_TIMEOUT(running->requests(), expected, startTimeoutMs);
    }

    // A program that crashed leaves its socket file: the next start listens
    // in its place.
    void socketLeftBehindIsReplaced()
    {
        const QString dataFolder = folder(QStringLiteral("crashed"));
        Probe *crashed = startProbe(dataFolder, false);
        QCOMPARE(crashed->role(), QStringLiteral("serving"));
        crashed->process.kill();
        QVERIFY(crashed->process.waitForFinished(startTimeoutMs));
        QVERIFY(hasSocketFile(dataFolder));

        Probe *next = startProbe(dataFolder, false);
        QCOMPARE(next->role(), QStringLiteral("serving"));
        verifyHandOver(next, dataFolder, false);
    }

    // A socket's name holds about a hundred bytes: a deeper data folder still
    // has its one program.
    void deepDataFolder()
    {
        const QString dataFolder = folder(QStringLiteral("deep/") + QString(120, QLatin1Char('d')));
        Probe *first = startProbe(dataFolder, false);
        QCOMPARE(first->role(), QStringLiteral("serving"));
        verifyHandOver(first, dataFolder, false);
    }

    // A data folder that cannot take the socket, as on a read-only medium
    // (here one that is not there): its starts still meet.
    void dataFolderWithoutWriteAccess()
    {
        const QString dataFolder = m_root.filePath(QStringLiteral("read-only medium/not there"));
        Probe *first = startProbe(dataFolder, false);
        QCOMPARE(first->role(), QStringLiteral("serving"));
        verifyHandOver(first, dataFolder, false);
    }

    // The running program stopped answering: the next start waits a little,
    // then runs by itself.
    void programThatHangsIsPassedBy_data() { busOrSocketRows(); }
    void programThatHangsIsPassedBy()
    {
        QFETCH(bool, onBus);
        const QString dataFolder = folder(QStringLiteral("hanging"));
        Probe *hanging = startProbe(dataFolder, onBus);
        QCOMPARE(hanging->role(), QStringLiteral("serving"));
        QCOMPARE(::kill(pid_t(hanging->process.processId()), SIGSTOP), 0);

        Probe *second = startProbe(dataFolder, onBus, {QStringLiteral("clip.mp4")});
        QCOMPARE(second->role(), QStringLiteral("alone"));
    }

    // Portable copies side by side: each has its own program.
    void dataFoldersKeepApart_data() { busOrSocketRows(); }
    void dataFoldersKeepApart()
    {
        QFETCH(bool, onBus);
        const QString one = folder(QStringLiteral("copy one"));
        const QString two = folder(QStringLiteral("copy two"));
        Probe *firstOfOne = startProbe(one, onBus);
        QCOMPARE(firstOfOne->role(), QStringLiteral("serving"));
        Probe *firstOfTwo = startProbe(two, onBus);
        QCOMPARE(firstOfTwo->role(), QStringLiteral("serving"));

        verifyHandOver(firstOfTwo, two, onBus);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(firstOfOne->requests(), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
