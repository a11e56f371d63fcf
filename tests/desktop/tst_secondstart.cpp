// The real program started a second time on the same data folder: its files
// join the list of the program already running, and a start without files
// brings that program's window up. The running program is this test, its
// windows and hand-over set up as the program's start does; the second start
// is a copy of the program in the same program folder.
#include "../support/MediaFixtures.h"
#include "../support/ProgramFixture.h"
#include "../support/SessionBus.h"
#include "Code/LaterStarts.h"
#include "Code/core/SourceListModel.h"
#include "platform/SingleInstance.h"
#include "tests/gui/SourceRows.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class TestSecondStart : public QObject {
    Q_OBJECT

    PrivateSessionBus m_bus;
    std::unique_ptr<ProgramFixture> m_program;
    std::unique_ptr<platform::InstanceServer> m_server;
    QTemporaryDir m_media;

    // The program's copy, started in `folder`; its exit code, -1 when it
    // did not end by itself.
    int startAgain(const QStringList &arguments, const QString &folder)
    {
        QProcess program;
        program.setWorkingDirectory(folder);
        program.start(m_program->path(QStringLiteral("movarel")), arguments);
        // The event loop runs meanwhile: this test is the program it calls.
        if (!QTest::qWaitFor([&program] { return program.state() == QProcess::NotRunning; }, 20000)) {
            program.kill();
            program.waitForFinished();
            return -1;
        }
        return program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
    }

private Q_SLOTS:
    void initTestCase()
    {
        // Without dbus-daemon both starts meet through the data folder's socket.
        if (!m_bus.start())
            qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/movarel-test-bus");
        m_program = std::make_unique<ProgramFixture>();
        FrmMainForm->setAcceptDrops(true);
        FrmMainForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(FrmMainForm));
        QVERIFY(QFile::copy(QStringLiteral(MOVAREL_PROGRAM), m_program->path(QStringLiteral("movarel"))));

        platform::InstanceClaim claim = platform::claimInstance(InstanceDataFolder(), {});
        QVERIFY(!claim.handedOver);
        QVERIFY(claim.server);
        m_server = std::move(claim.server);
        ServeLaterStarts(*m_server);
    }

    void cleanupTestCase() { m_server.reset(); }

    // Listed as if dropped: a relative name taken from the second start's
    // folder, and a file listed already is not listed twice.
    void secondStartListsItsClips()
    {
        const QString folder = m_media.filePath(QStringLiteral("clips ü"));
        QVERIFY(QDir().mkpath(folder));
        const QString first = fixtures::makeClip(folder, QStringLiteral("first clip.mp4"));
        const QString second = fixtures::makeClip(folder, QStringLiteral("zweiter Clip.avi"));
        const QString third = fixtures::makeClip(folder, QStringLiteral("third #3.mov"));
        QVERIFY(!first.isEmpty() && !second.isEmpty() && !third.isEmpty());

        QCOMPARE(startAgain({QStringLiteral("first clip.mp4"), second}, folder), 0);
        QTRY_COMPARE_WITH_TIMEOUT(rows::column(colFileName), (QStringList{first, second}), 20000);

        QCOMPARE(startAgain({first, QUrl::fromLocalFile(third).toString()}, QDir::rootPath()), 0);
        QTRY_COMPARE_WITH_TIMEOUT(rows::column(colFileName), (QStringList{first, second, third}), 20000);
        QCOMPARE(m_program->prompts->texts(), QStringList());
    }

    void secondStartWithoutFilesBringsTheWindowUp()
    {
        if (QGuiApplication::platformName() == QLatin1String("wayland"))
            QSKIP("Wayland gives the focus to no window that asks for it without the desktop's token");
        QWidget other;
        other.show();
        other.activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), &other);

        QCOMPARE(startAgain({}, m_media.path()), 0);
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), FrmMainForm, 20000);
    }
};

QTEST_MAIN(TestSecondStart)
#include "tst_secondstart.moc"
