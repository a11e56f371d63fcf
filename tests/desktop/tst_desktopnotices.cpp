// The desktop's notification service and launcher entry, over a session bus
// of the test's own (dbus-daemon) with a stand-in notification server.
#include "../support/SessionBus.h"
#include "platform/Platform.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QElapsedTimer>
#include <QTest>
#include <QThread>

namespace {

// Owns org.freedesktop.Notifications and records what it is asked to show.
class NotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Notice {
        uint id;
        QString appName;
        QString icon;
        QString summary;
        QString body;
        QStringList actions;
        QVariantMap hints;
    };
    QList<Notice> notices;
    bool withActions = true;
    uint lastId = 0;

public Q_SLOTS:
    QStringList GetCapabilities() { return withActions ? QStringList{"body", "actions"} : QStringList{"body"}; }
    uint Notify(const QString &appName, uint, const QString &icon, const QString &summary, const QString &body,
                const QStringList &actions, const QVariantMap &hints, int)
    {
        notices.append({++lastId, appName, icon, summary, body, actions, hints});
        return lastId;
    }
};

// The system's notices and launcher entry, but what the desktop would open is
// only recorded: no file manager opens.
class OpeningPlatform final : public platform::Platform {
public:
    explicit OpeningPlatform(QList<QUrl> &opened) : m_opened(opened), m_system(platform::createSystemPlatform()) {}
    bool powerOff() override { return false; }
    bool openUrl(const QUrl &url) override
    {
        m_opened.append(url);
        return true;
    }
    void trimWorkingSet() override {}
    std::unique_ptr<platform::SleepInhibitor> preventSleep(const QString &) override { return nullptr; }
    std::unique_ptr<platform::SleepInhibitor> preventScreenSaver(const QString &) override { return nullptr; }
    void endProcess(int) override {}
    bool postNotice(const platform::DesktopNotice &notice) override { return m_system->postNotice(notice); }
    void publishLauncherProgress(double progress, bool visible) override
    {
        m_system->publishLauncherProgress(progress, visible);
    }

private:
    QList<QUrl> &m_opened;
    std::unique_ptr<platform::Platform> m_system;
};

} // namespace

class TestDesktopNotices : public QObject {
    Q_OBJECT

    PrivateSessionBus m_bus;
    QString m_address;
    QThread m_serverThread;
    NotificationServer *m_server = nullptr;
    QList<QVariantMap> m_launcher; // each Update's properties

    bool startServer()
    {
        // The server answers on a thread of its own: the program's calls to
        // it block its caller.
        m_server = new NotificationServer;
        m_server->moveToThread(&m_serverThread);
        m_serverThread.start();
        bool registered = false;
        QMetaObject::invokeMethod(
            m_server,
            [this, &registered] {
                QDBusConnection server = QDBusConnection::connectToBus(m_address, QStringLiteral("server"));
                registered = server.registerObject(QStringLiteral("/org/freedesktop/Notifications"), m_server,
                                                   QDBusConnection::ExportAllSlots) &&
                             server.registerService(QStringLiteral("org.freedesktop.Notifications"));
            },
            Qt::BlockingQueuedConnection);
        return registered;
    }

    void stopServer()
    {
        QMetaObject::invokeMethod(
            m_server,
            [this] {
                QDBusConnection::disconnectFromBus(QStringLiteral("server"));
                delete m_server;
            },
            Qt::BlockingQueuedConnection);
        m_server = nullptr;
        m_serverThread.quit();
        m_serverThread.wait();
    }

    QList<NotificationServer::Notice> notices()
    {
        QList<NotificationServer::Notice> copy;
        QMetaObject::invokeMethod(
            m_server, [this, &copy] { copy = m_server->notices; }, Qt::BlockingQueuedConnection);
        return copy;
    }

    void offerActions(bool offer)
    {
        QMetaObject::invokeMethod(
            m_server,
            [this, offer] {
                m_server->withActions = offer;
                m_server->notices.clear();
            },
            Qt::BlockingQueuedConnection);
    }

    // What the server sends when the user picks an action.
    void invokeAction(uint id, const QString &key)
    {
        QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/Notifications"),
                                                         QStringLiteral("org.freedesktop.Notifications"),
                                                         QStringLiteral("ActionInvoked"));
        signal << id << key;
        QMetaObject::invokeMethod(
            m_server, [signal] { QDBusConnection(QStringLiteral("server")).send(signal); },
            Qt::BlockingQueuedConnection);
    }

private Q_SLOTS:
    void launcherUpdate(const QString &uri, const QVariantMap &properties)
    {
        if (uri == QStringLiteral("application://movarel.desktop"))
            m_launcher.append(properties);
    }

    void initTestCase()
    {
        if (!m_bus.start())
            QSKIP("dbus-daemon is not installed");
        m_address = m_bus.address();
        QVERIFY(QDBusConnection::sessionBus().isConnected());
        QVERIFY(QDBusConnection::connectToBus(m_address, QStringLiteral("listener"))
                    .connect(QString(), QString(), QStringLiteral("com.canonical.Unity.LauncherEntry"),
                             QStringLiteral("Update"), this, SLOT(launcherUpdate(QString, QVariantMap))));
    }

    void cleanupTestCase()
    {
        if (m_server)
            stopServer();
        QDBusConnection::disconnectFromBus(QStringLiteral("listener"));
    }

    // Without a notification service nothing is shown, nothing fails, and
    // the batch's end is not held up.
    void noServiceNoNotice()
    {
        QElapsedTimer clock;
        clock.start();
        QList<QUrl> opened;
        platform::setCurrent(std::make_unique<OpeningPlatform>(opened));
        QVERIFY(!platform::current().postNotice({"Conversion finished", "1 file converted", "/tmp/"}));
        platform::setCurrent(nullptr);
        QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
    }

    void noticeWithItsFolder_data()
    {
        QTest::addColumn<bool>("actions");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QStringList>("offered");
        QTest::newRow("server with actions")
            << true << "/home/ann/Movarel Output Folder/" << QStringList{"open-folder", "Open folder"};
        QTest::newRow("server without actions") << false << "/home/ann/Movarel Output Folder/" << QStringList();
        QTest::newRow("no folder to show") << true << "" << QStringList();
    }
    void noticeWithItsFolder()
    {
        QFETCH(bool, actions);
        QFETCH(QString, folder);
        if (!m_server)
            QVERIFY(startServer());
        offerActions(actions);
        QList<QUrl> opened;
        platform::setCurrent(std::make_unique<OpeningPlatform>(opened));

        QVERIFY(platform::current().postNotice(
            {"Conversion finished", "12 files converted, 1 failed, 2 with warnings", folder}));

        const QList<NotificationServer::Notice> shown = notices();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.first().appName, QStringLiteral("Movarel"));
        QCOMPARE(shown.first().icon, QStringLiteral("movarel"));
        QCOMPARE(shown.first().summary, QStringLiteral("Conversion finished"));
        QCOMPARE(shown.first().body, QStringLiteral("12 files converted, 1 failed, 2 with warnings"));
        QCOMPARE(shown.first().hints.value("desktop-entry").toString(), QStringLiteral("movarel"));
        QTEST(shown.first().actions, "offered");

        // The user picks the action: the folder opens (here: is recorded),
        // once; somebody else's notification opens nothing.
        invokeAction(shown.first().id + 100, QStringLiteral("open-folder"));
        invokeAction(shown.first().id, QStringLiteral("open-folder"));
        if (!shown.first().actions.isEmpty())
            QTRY_COMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(folder)});
        QTest::qWait(200);
        QCOMPARE(opened.size(), shown.first().actions.isEmpty() ? 0 : 1);
        platform::setCurrent(nullptr);
    }

    void launcherProgressRisesAndClears()
    {
        m_launcher.clear();
        QList<QUrl> opened;
        auto system = std::make_unique<OpeningPlatform>(opened);
        for (double share : {0.0, 0.25, 0.5, 1.0})
            system->publishLauncherProgress(share, true);
        system->publishLauncherProgress(0, false);
        QTRY_COMPARE(m_launcher.size(), 5);
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(m_launcher[i].value("progress").toDouble(), QList<double>({0.0, 0.25, 0.5, 1.0})[i]);
            QCOMPARE(m_launcher[i].value("progress-visible").toBool(), true);
        }
        QCOMPARE(m_launcher.last().value("progress-visible").toBool(), false);
    }
};

QTEST_GUILESS_MAIN(TestDesktopNotices)
#include "tst_desktopnotices.moc"
