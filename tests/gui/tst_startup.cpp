#include "../support/FakePlatform.h"
#include "../support/ScriptedPrompts.h"
#include "Code/ApplicationWindows.h"
#include "Code/FlashForm.h"
#include "Code/Globals.h"
#include "Code/Startup.h"
#include "Code/UnitCustomProc.h"
#include "Code/Unit_CommonLib.h"
#include "Code/Unit_Convert.h"
#include "Code/Unit_Converting.h"
#include "Code/Unit_Option.h"
#include "Code/core/Func.h"
#include "Code/core/ProgramFolder.h"

#include "ui/Prompts.h"
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>

#include <QComboBox>
#include <QTest>
#include <QTimer>

class TestStartup : public QObject {
    Q_OBJECT

    QTemporaryDir m_folder;
    QTemporaryDir m_home; // the user's own folders
    FakePlatform *m_platform = nullptr;
    ScriptedPrompts *m_prompts = nullptr;
    qint64 m_showMs = 0;

    QString settingsFile() const { return m_folder.filePath("Config/UserSettings.ini"); }
    void writeSettings(const QByteArray &content)
    {
        QFile file(settingsFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    QByteArray readSettings() const
    {
        QFile file(settingsFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

private Q_SLOTS:
    void initTestCase()
    {
        SetApplicationNames();
        qputenv("XDG_CONFIG_HOME", m_home.filePath("config").toUtf8());
        qputenv("XDG_STATE_HOME", m_home.filePath("state").toUtf8());
        OverrideProgramFolder(m_folder.path());
        QVERIFY(QDir(m_folder.path()).mkdir("Config"));
        m_platform = FakePlatform::install();
        m_prompts = ScriptedPrompts::install();
        writeSettings("\r\n[USRInfo]\r\nSHWDDir=1\r\nSHUTDOWN=true\r\nOutDir=\r\n");
        QFile profiles(m_folder.filePath("Config/UserProfileInfo.ini"));
        QVERIFY(profiles.open(QIODevice::WriteOnly));
        profiles.write("\r\n[Phone]\r\nPhone=0|6|4|8|0|3\r\n");
        profiles.close();

        CreateApplicationWindows();
        QVERIFY(FrmMainForm && frmConverting && frmOption && FrmInitFileForm);
        QVERIFY(!FrmMainForm->isVisible() && !frmConverting->isVisible());
        QVERIFY(!CustomProc && !CommonLib); // nothing before the splash runs the sequence

        QElapsedTimer clock;
        clock.start();
        FrmMainForm->ShowMainWindow();
        m_showMs = clock.elapsed();
    }

    void splashStaysTwoTicksAndCreatesServices()
    {
        QVERIFY2(m_showMs >= 1990, qPrintable(QString::number(m_showMs)));
        QVERIFY(CustomProc && CommonLib && AppFunc);
        QCOMPARE(CommonLib->ProgramFolder, m_folder.path() + '/');
        QCOMPARE(RecSoftInfo.ProgramFolder, m_folder.path() + '/');
        QVERIFY(FrmMainForm->isVisible());
    }

    void splashLayout()
    {
        TFrmFlashForm splash;
        QCOMPARE(splash.size(), QSize(421, 256));
        QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(splash.tmrStart->interval(), 250);
        QCOMPARE(splash.tmrTick->interval(), 1000);
        QVERIFY(!splash.tmrStart->isActive() && !splash.tmrTick->isActive());
    }

    // Boxes are captioned with the name; the main window's title is its
    // caption alone, so no display name may be set (Qt would append it to
    // every window's title).
    void captionCarriesVersion()
    {
        QCOMPARE(ui::applicationTitle(), QStringLiteral("Movarel"));
        QCoreApplication::setApplicationName("Renamed");
        QCOMPARE(QGuiApplication::applicationDisplayName(), QStringLiteral("Renamed"));
        SetApplicationNames();
        QCOMPARE(FrmMainForm->windowTitle(), QStringLiteral("Movarel 1.4"));
        QCOMPARE(FrmMainForm->lblTitle->text(), QStringLiteral("Movarel 1.4"));
        QCOMPARE(RecSoftInfo.VersionText, QStringLiteral("1.4"));
    }

    // A custom profile chosen under Conversion Quality applies although the
    // options window was never opened.
    void customProfileKnownFromTheStart()
    {
        QVERIFY(!frmOption->isVisible());
        QCOMPARE(frmOption->cbbCustomProfile->count(), 1);
        QCOMPARE(FrmMainForm->cbbProfile->itemText(5), QStringLiteral("Phone"));
        FrmMainForm->cbbProfile->setCurrentIndex(5);
        FrmMainForm->cbbProfileChange();
        QCOMPARE(frmOption->cbbFramerate->currentIndex(), 6);
        QCOMPARE(frmOption->cbbAudioSample->currentIndex(), 3);
    }

    void versionText_data()
    {
        QTest::addColumn<QString>("fileVersion");
        QTest::addColumn<QString>("text");
        QTest::newRow("four parts") << "1.4.0.0"
                                    << "1.4";
        QTest::newRow("empty pieces") << "2..7.1"
                                      << "2.7";
        QTest::newRow("none") << ""
                              << "";
        QTest::newRow("one piece") << "3"
                                   << "3";
    }
    void versionText()
    {
        QFETCH(QString, fileVersion);
        QFETCH(QString, text);
        QCOMPARE(VersionTextOf(fileVersion), text);
    }

    void storedSettingsAppliedAtShow()
    {
        QVERIFY(FrmMainForm->chkShowOutputDirectory->isChecked());
        QVERIFY(!FrmMainForm->chkShutdown->isChecked()); // "true" is not "1"
        QCOMPARE(FrmMainForm->edtOutputFolder->text(), DefaultOutputFolderText());
    }

    void defaultsWithoutFile()
    {
        QFile::remove(settingsFile());
        FrmMainForm->chkShowOutputDirectory->setChecked(true);
        FrmMainForm->chkShutdown->setChecked(true);
        FrmMainForm->edtOutputFolder->setText("/kept/as/is");
        FrmMainForm->LoadUserSettings();
        QVERIFY(!FrmMainForm->chkShowOutputDirectory->isChecked());
        QVERIFY(!FrmMainForm->chkShutdown->isChecked());
        QCOMPARE(FrmMainForm->edtOutputFolder->text(), QStringLiteral("/kept/as/is"));
        QCOMPARE(CustomProc->ReadInitDir(), QDir::homePath() + '/');
        QVERIFY(!QFile::exists(settingsFile()));
    }

    void initDirRoundTrip()
    {
        QFile::remove(settingsFile());
        FrmMainForm->dlgOpenSourceFile.FileName.clear();
        CustomProc->WriteInitDir(FrmMainForm->dlgOpenSourceFile.FileName);
        QVERIFY(!QFile::exists(settingsFile()));
        FrmMainForm->dlgOpenSourceFile.FileName = "/media/Film Ordner/clip ü.mp4";
        CustomProc->WriteInitDir(FrmMainForm->dlgOpenSourceFile.FileName);
        QCOMPARE(CustomProc->ReadInitDir(), QStringLiteral("/media/Film Ordner/"));
    }

    void closeWritesSettingsInOrder()
    {
        QFile::remove(settingsFile());
        m_platform->endedWith.clear();
        FrmMainForm->chkShowOutputDirectory->setChecked(true);
        FrmMainForm->chkShutdown->setChecked(false);
        FrmMainForm->edtOutputFolder->setText("/home/user/Movarel Output Folder");
        FrmMainForm->close();
        QCOMPARE(readSettings(), QByteArray("\r\n[USRInfo]\r\nSHWDDir=1\r\nSHUTDOWN=0\r\n"
                                            "OutDir=/home/user/Movarel Output Folder\r\n"));
        QCOMPARE(m_platform->endedWith, QList<int>{0});
        QVERIFY(m_prompts->messages.isEmpty());

        // Loaded back on the next start.
        FrmMainForm->chkShowOutputDirectory->setChecked(false);
        FrmMainForm->edtOutputFolder->setText("x");
        FrmMainForm->LoadUserSettings();
        QVERIFY(FrmMainForm->chkShowOutputDirectory->isChecked());
        QCOMPARE(FrmMainForm->edtOutputFolder->text(), QStringLiteral("/home/user/Movarel Output Folder"));
    }

    // An installed program's folder cannot be written: its settings, log and
    // script live in the user's folders, with the same bytes, and nothing asks.
    void withoutWritableConfigTheUsersFoldersHoldTheData()
    {
        QVERIFY(QDir(m_folder.filePath("Config")).removeRecursively());
        m_platform->endedWith.clear();
        m_prompts->messages.clear();
        FrmMainForm->chkShowOutputDirectory->setChecked(true);
        FrmMainForm->chkShutdown->setChecked(false);
        FrmMainForm->edtOutputFolder->setText("/home/user/out");
        FrmMainForm->dlgOpenSourceFile.FileName = "/media/clips/a.mp4";
        CustomProc->WriteInitDir(FrmMainForm->dlgOpenSourceFile.FileName);
        FrmMainForm->show();
        FrmMainForm->close();

        QVERIFY(m_prompts->messages.isEmpty());
        QCOMPARE(m_platform->endedWith, QList<int>{0});
        QFile user(m_home.filePath("config/Movarel/UserSettings.ini"));
        QVERIFY(user.open(QIODevice::ReadOnly));
        QCOMPARE(user.readAll(), QByteArray("\r\n[USRInfo]\r\nInitDir=/media/clips/\r\nSHWDDir=1\r\nSHUTDOWN=0\r\n"
                                            "OutDir=/home/user/out\r\n"));
        QCOMPARE(CustomProc->ReadInitDir(), QStringLiteral("/media/clips/"));
        QVERIFY(AppFunc->WriteLog("kept by the user"));
        QFile log(m_home.filePath("state/Movarel/log.txt"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(log.readAll().contains("|kept by the user\r\n"));
        QFile besideProgram(m_folder.filePath("log.txt"));
        QVERIFY(!besideProgram.open(QIODevice::ReadOnly) || !besideProgram.readAll().contains("kept by the user"));
        QVERIFY(!QDir(m_folder.filePath("Config")).exists());
        QVERIFY(QDir(m_folder.path()).mkdir("Config"));
    }

    void closeTellsWhenSettingsCannotBeSaved()
    {
        QFile::remove(settingsFile());
        QVERIFY(QDir(m_folder.filePath("Config")).removeRecursively());
        // The user's folder cannot be made either: a file stands in its way.
        const QByteArray userConfig = qgetenv("XDG_CONFIG_HOME");
        const QString blocker = m_home.filePath("blocked");
        QFile(blocker).open(QIODevice::WriteOnly);
        qputenv("XDG_CONFIG_HOME", blocker.toUtf8());
        m_platform->endedWith.clear();
        m_prompts->messages.clear();
        FrmMainForm->show();
        FrmMainForm->close();
        qputenv("XDG_CONFIG_HOME", userConfig);
        QCOMPARE(m_prompts->messages.size(), 1);
        QCOMPARE(m_prompts->messages.first().icon, QMessageBox::Warning);
        QCOMPARE(m_platform->endedWith, QList<int>{0});
        QVERIFY(QDir(m_folder.path()).mkdir("Config"));
    }

    void showNoticeKinds_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("icon");
        QTest::newRow("error") << 0 << int(QMessageBox::Critical);
        QTest::newRow("warning") << 1 << int(QMessageBox::Warning);
        QTest::newRow("question") << 2 << int(QMessageBox::Question);
        QTest::newRow("information") << 3 << int(QMessageBox::Information);
        QTest::newRow("outside") << 4 << -1;
        QTest::newRow("negative") << -1 << -1;
    }
    void showNoticeKinds()
    {
        QFETCH(int, kind);
        QFETCH(int, icon);
        m_prompts->messages.clear();
        QCOMPARE(CommonLib->ShowNotice("text", kind), icon != -1);
        QCOMPARE(m_prompts->messages.size(), icon == -1 ? 0 : 1);
        if (icon != -1)
            QCOMPARE(int(m_prompts->messages.first().icon), icon);
    }

    void selectOutputFolder()
    {
        QTemporaryDir root;
        const QString current = root.filePath("current");
        const QString picked = root.filePath("picked");
        QVERIFY(QDir().mkdir(picked));

        m_prompts->messages.clear();
        m_prompts->folderAnswers.enqueue(picked);
        QCOMPARE(CommonLib->SelectOutputFolder(current), picked);
        QCOMPARE(m_prompts->folderTitles.last(), QStringLiteral("Please select output folder:"));
        QVERIFY(!QFile::exists(picked + "/test"));
        QVERIFY(m_prompts->messages.isEmpty());

        // Cancelled: the current folder is kept and created.
        QCOMPARE(CommonLib->SelectOutputFolder(current), current);
        QVERIFY(QFileInfo(current).isDir());

        // A "test" folder of the user's own survives the write test.
        QVERIFY(QDir().mkpath(picked + "/test/keep"));
        m_prompts->folderAnswers.enqueue(picked);
        QCOMPARE(CommonLib->SelectOutputFolder(current), picked);
        QVERIFY(QFileInfo(picked + "/test/keep").isDir());
        QCOMPARE(QDir(picked).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"test"});

        m_prompts->folderAnswers.enqueue("/proc/sys");
        QCOMPARE(CommonLib->SelectOutputFolder(current), current);
        QCOMPARE(m_prompts->texts(), QStringList{"This is a read-only path."});

        m_prompts->messages.clear();
        m_prompts->folderAnswers.enqueue(root.filePath("vanished"));
        QCOMPARE(CommonLib->SelectOutputFolder(current), current);
        QCOMPARE(m_prompts->texts(), QStringList{"The path is invalid."});
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
