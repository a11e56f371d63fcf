#include "../support/FakePlatform.h"
#include "platform/Platform.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QElapsedTimer>
#include <QMutex>
#include <QProcess>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <limits>

namespace {

const QString NoticeService = QStringLiteral("org.freedesktop.Notifications");
const QString NoticePath = QStringLiteral("/org/freedesktop/Notifications");
const QString LauncherInterface = QStringLiteral("com.canonical.Unity.LauncherEntry");
// Set in the copy of this test that runs without any session bus.
const char *const NoBusChild = "MOVAREL_TST_NO_BUS";

struct NotifyCall {
    QString appName;
    uint replacesId = 0;
    QString icon;
    QString summary;
    QString body;
    QStringList actions;
    QVariantMap hints;
    int timeout = 0;
    uint id = 0; // what the server answered
};

} // namespace

// Stands in for the desktop's notification server. It answers from a thread
// of its own, because the program asks with blocking calls from the main one.
class NoticeServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    QList<NotifyCall> calls() const
    {
        QMutexLocker lock(&m_mutex);
        return m_calls;
    }

    // Forgets the calls so far; ids keep counting, as a real server's do.
    // A hanging server answers nothing until wakeUp().
    void restart(const QStringList &capabilities, bool hangs = false)
    {
        QMutexLocker lock(&m_mutex);
        m_capabilities = capabilities;
        m_calls.clear();
        m_hangs = hangs;
    }
    void wakeUp() { m_wake.release(); }

public Q_SLOTS:
    QStringList GetCapabilities()
    {
        QMutexLocker lock(&m_mutex);
        if (m_hangs) {
            lock.unlock();
            m_wake.tryAcquire(1, 10000);
            lock.relock();
        }
        return m_capabilities;
    }

    uint Notify(const QString &appName, uint replacesId, const QString &icon, const QString &summary,
                const QString &body, const QStringList &actions, const QVariantMap &hints, int timeout)
    {
        QMutexLocker lock(&m_mutex);
        // Ids that cannot be mistaken for a count of notices.
        m_calls.append({appName, replacesId, icon, summary, body, actions, hints, timeout, ++m_lastId + 700});
        return m_calls.constLast().id;
    }

    void CloseNotification(uint) {}

private:
    mutable QMutex m_mutex;
    QStringList m_capabilities;
    QList<NotifyCall> m_calls;
    uint m_lastId = 0;
    bool m_hangs = false;
    QSemaphore m_wake;
};

// Records the launcher entry updates sent on the bus.
class LauncherListener : public QObject {
    Q_OBJECT

public:
    struct Update {
        QString appUri;
        QVariantMap properties;
    };
    QList<Update> updates;

public Q_SLOTS:
    void update(const QString &appUri, const QVariantMap &properties) { updates.append({appUri, properties}); }
};

class TestDesktopNotices : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QProcess m_bus;
    QString m_address;
    QThread m_serverThread;
    NoticeServer m_server;
    std::unique_ptr<platform::Platform> m_system;
    FakePlatform *m_fake = nullptr;

    static bool inNoBusChild() { return qEnvironmentVariableIsSet(NoBusChild); }

    // Sends a signal of the notification interface from the named connection.
    static void signalFrom(const QString &connection, const QString &name, const QVariantList &arguments)
    {
        QDBusMessage signal = QDBusMessage::createSignal(NoticePath, NoticeService, name);
        signal.setArguments(arguments);
        QDBusConnection sender(connection);
        QVERIFY(sender.send(signal));
        // A round trip through the bus: the signal has been routed once it returns.
        QVERIFY(sender.interface()->isServiceRegistered(NoticeService).isValid());
    }

    static QString openFolderKey(const NotifyCall &call)
    {
        const qsizetype label = call.actions.indexOf(QStringLiteral("Open folder"));
        return label > 0 && label % 2 == 1 ? call.actions.at(label - 1) : QString();
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (inNoBusChild())
            return;
        // A bus of our own with no service files, so that nothing on this
        // machine is started or shown, whatever desktop the tests run in.
        QVERIFY(m_dir.isValid());
        QFile config(m_dir.filePath(QStringLiteral("bus.conf")));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write(
            QStringLiteral("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                           "<busconfig><type>session</type><listen>unix:dir=%1</listen>\n"
                           "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                           "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n")
                .arg(m_dir.path())
                .toUtf8());
        config.close();
        m_bus.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--config-file=") + config.fileName(),
                                                    QStringLiteral("--nofork"), QStringLiteral("--print-address")});
        QVERIFY2(m_bus.waitForStarted(), "dbus-daemon (package dbus-daemon) did not start");
        QVERIFY(m_bus.waitForReadyRead(10000));
        m_address = QString::fromUtf8(m_bus.readLine()).trimmed();
        QVERIFY(!m_address.isEmpty());
        // Before the first use of the session bus, which reads it once.
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_address.toUtf8());
        QVERIFY(QDBusConnection::sessionBus().isConnected());

        // One server, on a connection of its own as a separate program would
        // be, for the whole run: QtDBus can take a name's late owner-change
        // signals for news when owners come and go within milliseconds.
        m_server.moveToThread(&m_serverThread);
        m_serverThread.start();
        QDBusConnection server = QDBusConnection::connectToBus(m_address, QStringLiteral("notice-server"));
        QVERIFY(server.isConnected());
        QVERIFY(server.registerObject(NoticePath, &m_server, QDBusConnection::ExportAllSlots));
        QVERIFY(server.registerService(NoticeService));
    }

    void cleanupTestCase()
    {
        QDBusConnection::disconnectFromBus(QStringLiteral("notice-server"));
        m_serverThread.quit();
        m_serverThread.wait();
        if (m_bus.state() != QProcess::NotRunning) {
            m_bus.terminate();
            m_bus.waitForFinished();
        }
    }

    void init()
    {
        m_fake = FakePlatform::install();
        m_system = platform::createSystemPlatform();
    }

    void cleanup()
    {
        m_system.reset();
        platform::setCurrent(nullptr);
    }

    void noticeArrivesOnce_data()
    {
        QTest::addColumn<QStringList>("capabilities");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("offersOpenFolder");

        const QString folder = QStringLiteral("/home/ana/Videos/Movarel Output");
        QTest::newRow("server with actions") << QStringList{"body", "actions"} << folder << true;
        QTest::newRow("server without actions") << QStringList{"body", "body-markup"} << folder << false;
        QTest::newRow("no folder to open") << QStringList{"actions"} << QString() << false;
    }

    void noticeArrivesOnce()
    {
        QFETCH(QStringList, capabilities);
        QFETCH(QString, folder);
        QFETCH(bool, offersOpenFolder);
        m_server.restart(capabilities);

        const platform::Platform::DesktopNotice notice{
            QStringLiteral("Conversion finished"), QStringLiteral("3 files converted – 1 failed: “Zoë.avi”"), folder};
        QVERIFY(m_system->postNotice(notice));

        const QList<NotifyCall> calls = m_server.calls();
        QCOMPARE(calls.size(), 1);
        const NotifyCall &call = calls.constFirst();
        QCOMPARE(call.appName, QStringLiteral("Movarel"));
        QCOMPARE(call.replacesId, 0u);
        QCOMPARE(call.icon, QStringLiteral("movarel"));
        QCOMPARE(call.summary, notice.summary);
        QCOMPARE(call.body, notice.body);
        QCOMPARE(call.hints.value(QStringLiteral("desktop-entry")).toString(), QStringLiteral("movarel"));
        QCOMPARE(call.timeout, -1); // the server's own default
        if (offersOpenFolder) {
            QCOMPARE(call.actions.size(), 2);
            QVERIFY(!openFolderKey(call).isEmpty());
        } else {
            QCOMPARE(call.actions, QStringList());
        }
        QCOMPARE(m_fake->openedUrls, QList<QUrl>());
    }

    // The action opens the folder of the notice it belongs to, and only the
    // notification server's own signal for a notice still shown counts.
    void openFolderOpensThatNoticesFolder()
    {
        m_server.restart({QStringLiteral("actions")});
        const QString first = QStringLiteral("/home/ana/Videos/Converted");
        const QString second = QStringLiteral("/home/ana/Music/From videos");
        QVERIFY(m_system->postNotice({QStringLiteral("Done"), QStringLiteral("First batch"), first}));
        QVERIFY(m_system->postNotice({QStringLiteral("Done"), QStringLiteral("Second batch"), second}));
        const QList<NotifyCall> calls = m_server.calls();
        QCOMPARE(calls.size(), 2);
        const QString key = openFolderKey(calls.at(1));
        QVERIFY(!key.isEmpty());
        const uint firstId = calls.at(0).id;
        const uint secondId = calls.at(1).id;
        QVERIFY(firstId != 999u && secondId != 999u && firstId != secondId);

        // Another program's action, an action of no notice of ours, and a
        // closed notice's action open nothing.
        QDBusConnection::connectToBus(m_address, QStringLiteral("impostor"));
        signalFrom(QStringLiteral("impostor"), QStringLiteral("ActionInvoked"), {secondId, key});
        signalFrom(QStringLiteral("notice-server"), QStringLiteral("ActionInvoked"), {999u, key});
        signalFrom(QStringLiteral("notice-server"), QStringLiteral("ActionInvoked"),
                   {secondId, QStringLiteral("default")});
        signalFrom(QStringLiteral("notice-server"), QStringLiteral("NotificationClosed"), {firstId, 2u});
        signalFrom(QStringLiteral("notice-server"), QStringLiteral("ActionInvoked"), {firstId, key});
        QDBusConnection::disconnectFromBus(QStringLiteral("impostor"));

        signalFrom(QStringLiteral("notice-server"), QStringLiteral("ActionInvoked"), {secondId, key});
        // Signals from one sender arrive in order: once the last one has been
        // handled, so have the ones before it.
        QTRY_COMPARE(m_fake->openedUrls, QList<QUrl>{QUrl::fromLocalFile(second)});
    }

    void noServiceIsFalseAtOnce()
    {
        QDBusConnection server(QStringLiteral("notice-server"));
        QVERIFY(server.unregisterService(NoticeService));
        QElapsedTimer clock;
        clock.start();
        const bool shown =
            m_system->postNotice({QStringLiteral("Done"), QStringLiteral("Nobody listens"), QDir::homePath()});
        const qint64 took = clock.elapsed();
        QVERIFY(server.registerService(NoticeService));
        QVERIFY(!shown);
        // The bus answers for a name nobody owns at once; no call timeout is waited out.
        QCOMPARE_LT(took, 500);
    }

    // A server that hangs is given up on well before anyone would wait for
    // the end of a batch.
    void hungServiceIsGivenUp()
    {
        m_server.restart({QStringLiteral("actions")}, true);
        QElapsedTimer clock;
        clock.start();
        const bool shown = m_system->postNotice({QStringLiteral("Done"), QStringLiteral("Hung"), QDir::homePath()});
        const qint64 took = clock.elapsed();
        m_server.wakeUp();
        QVERIFY(!shown);
        QCOMPARE_LT(took, 2000);
        QCOMPARE(m_server.calls().size(), 0);
    }

    // Without any session bus (here: an address where none listens), as on a
    // console or in a bare container.
    void noBusAtAll()
    {
        if (!inNoBusChild()) {
            QProcess child;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QString::fromLatin1(NoBusChild), QStringLiteral("1"));
            environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                               QStringLiteral("unix:path=") + m_dir.filePath(QStringLiteral("no-bus-here")));
            child.setProcessEnvironment(environment);
            child.setProcessChannelMode(QProcess::MergedChannels);
            child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("noBusAtAll")});
            QVERIFY(child.waitForFinished(30000));
            QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, child.readAll().constData());
            return;
        }
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!m_system->postNotice({QStringLiteral("Done"), QStringLiteral("No bus"), QDir::homePath()}));
        m_system->publishLauncherProgress(0.5, true);
        QCOMPARE_LT(clock.elapsed(), 500);
    }

    void launcherProgressRisesAndClears()
    {
        LauncherListener listener;
        QDBusConnection listening = QDBusConnection::connectToBus(m_address, QStringLiteral("launcher-listener"));
        QVERIFY(listening.connect(QString(), QString(), LauncherInterface, QStringLiteral("Update"), &listener,
                                  SLOT(update(QString, QVariantMap))));

        const QList<double> steps{0.0, 0.25, 0.5, 1.0};
        for (double step : steps)
            m_system->publishLauncherProgress(step, true);
        m_system->publishLauncherProgress(1.0, false);
        QTRY_COMPARE(listener.updates.size(), steps.size() + 1);
        QDBusConnection::disconnectFromBus(QStringLiteral("launcher-listener"));

        for (qsizetype i = 0; i < listener.updates.size(); ++i) {
            const LauncherListener::Update &update = listener.updates.at(i);
            QCOMPARE(update.appUri, QStringLiteral("application://movarel.desktop"));
            const QVariant progress = update.properties.value(QStringLiteral("progress"));
            const QVariant visible = update.properties.value(QStringLiteral("progress-visible"));
            // Docks read the D-Bus types 'd' and 'b' and ignore anything else.
            QCOMPARE(progress.metaType(), QMetaType::fromType<double>());
            QCOMPARE(visible.metaType(), QMetaType::fromType<bool>());
            QCOMPARE(visible.toBool(), i < steps.size());
            if (i < steps.size())
                QCOMPARE(progress.toDouble(), steps.at(i));
        }
    }

    void launcherProgressStaysInRange_data()
    {
        QTest::addColumn<double>("given");
        QTest::addColumn<double>("shown");
        QTest::newRow("inside") << 0.42 << 0.42;
        QTest::newRow("below zero") << -0.5 << 0.0;
        QTest::newRow("above one") << 1.7 << 1.0;
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << 0.0;
        QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << 1.0;
    }

    void launcherProgressStaysInRange()
    {
        QFETCH(double, given);
        QFETCH(double, shown);
        LauncherListener listener;
        QDBusConnection listening = QDBusConnection::connectToBus(m_address, QStringLiteral("launcher-listener"));
        QVERIFY(listening.connect(QString(), QString(), LauncherInterface, QStringLiteral("Update"), &listener,
                                  SLOT(update(QString, QVariantMap))));
        m_system->publishLauncherProgress(given, true);
        QTRY_COMPARE(listener.updates.size(), 1);
        QDBusConnection::disconnectFromBus(QStringLiteral("launcher-listener"));
        QCOMPARE(listener.updates.constFirst().properties.value(QStringLiteral("progress")).toDouble(), shown);
    }
};

QTEST_GUILESS_MAIN(TestDesktopNotices)
#include "tst_desktopnotices.moc"
