#include "../support/ProgramFixture.h"
#include "Code/Unit_Option.h"
#include "ui/PictureButton.h"
#include "ui/TrimBar.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {
// Counts key presses that reach a control after the window has seen them.
class KeyCounter : public QObject {
public:
    explicit KeyCounter(int key) : m_key(key) {}
    int presses = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == m_key)
            ++presses;
        return false;
    }

private:
    int m_key;
};
} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<ProgramFixture> m_program;
    QTemporaryDir m_outputs;

private Q_SLOTS:
    void initTestCase()
    {
        m_program = std::make_unique<ProgramFixture>();
        FrmMainForm->edtOutputFolder->setText(m_outputs.path());
        FrmMainForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(FrmMainForm));
    }

    void regionsAndNames()
    {
        QCOMPARE(FrmMainForm->size(), QSize(690, 454));
        QVERIFY(FrmMainForm->windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(FrmMainForm->Label5->text(), QStringLiteral("Ostrel"));
        QCOMPARE(FrmMainForm->lblTitle->text(), QStringLiteral("Movarel 1.4"));
        QCOMPARE(FrmMainForm->pnlCurTime->text(), QStringLiteral("00:00:00"));
        QCOMPARE(FrmMainForm->Panel1->size(), QSize(260, 19));
        QCOMPARE(FrmMainForm->Label1->text(), QStringLiteral("Shutdown computer when job is finished."));
        QCOMPARE(FrmMainForm->Label2->text(), QStringLiteral("Show output directory when done"));
        QVERIFY(FrmMainForm->edtOutputFolder->isReadOnly());
        QVERIFY(!FrmMainForm->btnSelectOutputFolder->isVisible());
        QVERIFY(!FrmMainForm->btnHelp->isVisible());
        const QStringList names{"btnWindowMinimize",
                                "btnWindowClose",
                                "btnHomePage",
                                "btnEMail",
                                "btnAbout",
                                "DSVideoWindowEx1",
                                "panLogo",
                                "btnPlay",
                                "btnPause",
                                "btnStop",
                                "Panel2",
                                "Splitter1",
                                "Panel4",
                                "Splitter2",
                                "Panel3",
                                "cbbOutputFiletype",
                                "cbbProfile",
                                "btnOptions",
                                "RzBmpButton1",
                                "chkShutdown",
                                "chkShowOutputDirectory",
                                "btnOpenFile",
                                "btnRemoveFile",
                                "btnClearFile",
                                "btnConvert"};
        for (const QString &name : names) {
            auto *widget = FrmMainForm->findChild<QWidget *>(name);
            QVERIFY2(widget, qPrintable(name));
            QVERIFY2(!widget->accessibleName().isEmpty(), qPrintable(name));
        }
    }

    void hints_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("hint");
        QTest::newRow("open") << "btnOpenFile"
                              << "Ctrl + O";
        QTest::newRow("remove") << "btnRemoveFile"
                                << "Ctrl + R";
        QTest::newRow("clear") << "btnClearFile"
                               << "Ctrl + L";
        QTest::newRow("convert") << "btnConvert"
                                 << "Ctrl + S";
        QTest::newRow("options") << "btnOptions"
                                 << "Ctrl + N";
        QTest::newRow("folder") << "RzBmpButton1"
                                << "Ctrl + N";
        QTest::newRow("play") << "btnPlay"
                              << "Ctrl + P";
        QTest::newRow("pause") << "btnPause"
                               << "Ctrl + U";
        QTest::newRow("stop") << "btnStop"
                              << "Ctrl + T";
        QTest::newRow("hidden folder") << "btnSelectOutputFolder"
                                       << "Ctrl + B";
        QTest::newRow("help") << "btnHelp"
                              << "Help (F1)";
    }
    void hints()
    {
        QFETCH(QString, name);
        QFETCH(QString, hint);
        QCOMPARE(FrmMainForm->findChild<QWidget *>(name)->toolTip(), hint);
    }

    void keyboardTable_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("clicked"); // empty: no button
        const int ctrl = Qt::ControlModifier;
        QTest::newRow("Ctrl+O") << int(Qt::Key_O) << ctrl << "btnOpenFile";
        QTest::newRow("Ctrl+R") << int(Qt::Key_R) << ctrl << "btnRemoveFile";
        QTest::newRow("Ctrl+L") << int(Qt::Key_L) << ctrl << "btnClearFile";
        QTest::newRow("Ctrl+I") << int(Qt::Key_I) << ctrl << "btnOptions";
        QTest::newRow("Ctrl+P") << int(Qt::Key_P) << ctrl << "btnPlay";
        QTest::newRow("Ctrl+U") << int(Qt::Key_U) << ctrl << "btnPause";
        QTest::newRow("Ctrl+T") << int(Qt::Key_T) << ctrl << "btnStop";
        QTest::newRow("Ctrl+S") << int(Qt::Key_S) << ctrl << "btnConvert";
        QTest::newRow("Ctrl+N") << int(Qt::Key_N) << ctrl << "btnConvert";
        QTest::newRow("Ctrl+B hidden button") << int(Qt::Key_B) << ctrl << "btnSelectOutputFolder";
        QTest::newRow("Ctrl+Shift+O") << int(Qt::Key_O) << int(Qt::ControlModifier | Qt::ShiftModifier) << "";
        QTest::newRow("Ctrl+Alt+S") << int(Qt::Key_S) << int(Qt::ControlModifier | Qt::AltModifier) << "";
        QTest::newRow("plain O") << int(Qt::Key_O) << 0 << "";
        QTest::newRow("Ctrl+Q") << int(Qt::Key_Q) << ctrl << "";
    }
    void keyboardTable()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, clicked);
        QList<ui::PictureButton *> buttons = FrmMainForm->findChildren<ui::PictureButton *>();
        QList<QSignalSpy *> spies;
        for (ui::PictureButton *button : buttons)
            spies.append(new QSignalSpy(button, &QAbstractButton::clicked));
        KeyCounter counter(key);
        QWidget *focus = FrmMainForm->edtOutputFolder;
        QApplication::setActiveWindow(FrmMainForm);
        focus->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), focus);
        focus->installEventFilter(&counter);

        QTest::keyClick(focus, Qt::Key(key), Qt::KeyboardModifiers(modifiers));

        focus->removeEventFilter(&counter);
        QCOMPARE(counter.presses, 1); // the control still gets the key
        for (int i = 0; i < buttons.size(); ++i) {
            const int expected = buttons[i]->objectName() == clicked ? 1 : 0;
            QVERIFY2(spies[i]->count() == expected,
                     qPrintable(buttons[i]->objectName() + QString::number(spies[i]->count())));
        }
        qDeleteAll(spies);
        frmOption->hide();
    }

    void f1OpensHelpWithAnyModifiers_data()
    {
        QTest::addColumn<int>("modifiers");
        QTest::newRow("none") << 0;
        QTest::newRow("shift") << int(Qt::ShiftModifier);
        QTest::newRow("ctrl+alt") << int(Qt::ControlModifier | Qt::AltModifier);
    }
    void f1OpensHelpWithAnyModifiers()
    {
        QFETCH(int, modifiers);
        m_program->platform->openedUrls.clear();
        QApplication::setActiveWindow(FrmMainForm);
        FrmMainForm->cbbProfile->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), FrmMainForm->cbbProfile);
        QTest::keyClick(FrmMainForm->cbbProfile, Qt::Key_F1, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(m_program->platform->openedUrls, QList<QUrl>{QUrl::fromLocalFile(m_program->path("Helpdoc.html"))});
    }

    void systemCommands()
    {
        m_program->platform->openedUrls.clear();
        QTest::mouseClick(FrmMainForm->btnHomePage, Qt::LeftButton);
        QTest::mouseClick(FrmMainForm->btnEMail, Qt::LeftButton);
        QCOMPARE(m_program->platform->openedUrls.size(), 2);
        QCOMPARE(m_program->platform->openedUrls[0], QUrl(RecSoftInfo.HomePage));
        QCOMPARE(m_program->platform->openedUrls[1].scheme(), QStringLiteral("mailto"));
        QCOMPARE(m_program->platform->openedUrls[1].path(), RecSoftInfo.SupportEmail);

        QTest::mouseClick(FrmMainForm->btnAbout, Qt::LeftButton);
        auto *about = FrmMainForm->findChild<QDialog *>("AboutBox");
        QVERIFY(about);
        QTRY_VERIFY(about->isVisible());
        QVERIFY(about->findChild<QLabel *>("lblAboutText")->text().contains("Movarel 1.4"));
        about->accept();
    }

    void optionsShownWithoutBlocking()
    {
        QTest::mouseClick(FrmMainForm->btnOptions, Qt::LeftButton);
        QVERIFY(frmOption->isVisible());
        QVERIFY(!frmOption->isModal());
        QVERIFY(FrmMainForm->isEnabled());
        frmOption->hide();
    }

    void outputFolderButton()
    {
        const QString picked = m_outputs.filePath("picked");
        QDir().mkdir(picked);
        m_program->prompts->folderAnswers.enqueue(picked);
        QTest::mouseClick(FrmMainForm->RzBmpButton1, Qt::LeftButton);
        QCOMPARE(FrmMainForm->edtOutputFolder->text(), picked);
        QTest::mouseClick(FrmMainForm->RzBmpButton1, Qt::LeftButton); // cancelled: kept
        QCOMPARE(FrmMainForm->edtOutputFolder->text(), picked);
    }

    void dragByTitle()
    {
        const QPoint before = FrmMainForm->pos();
        const QPoint grab(10, 5);
        const QPoint globalGrab = FrmMainForm->lblTitle->mapToGlobal(grab);
        QMouseEvent press(QEvent::MouseButtonPress, grab, globalGrab, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(FrmMainForm->lblTitle, &press);
        QMouseEvent move(QEvent::MouseMove, grab + QPoint(40, 25), globalGrab + QPoint(40, 25), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(FrmMainForm->lblTitle, &move);
        QTRY_COMPARE(FrmMainForm->pos(), before + QPoint(40, 25));
        QMouseEvent release(QEvent::MouseButtonRelease, grab, globalGrab, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(FrmMainForm->lblTitle, &release);
    }

    void memoryTimerTrims()
    {
        QCOMPARE(FrmMainForm->tmrClearMemory->interval(), 1000);
        QVERIFY(FrmMainForm->tmrClearMemory->isActive());
        const int before = m_program->platform->trims;
        QTRY_VERIFY_WITH_TIMEOUT(m_program->platform->trims > before, 3000);
    }

    void neverSmallerThanMinimumOnceResized()
    {
        FrmMainForm->resize(500, 300);
        QTRY_VERIFY(FrmMainForm->width() >= 686 && FrmMainForm->height() >= 519);
        QCOMPARE(FrmMainForm->minimumSize(), QSize(686, 519));
    }

    void minimiseAndClose()
    {
        QTest::mouseClick(FrmMainForm->btnWindowMinimize, Qt::LeftButton);
        QTRY_VERIFY(FrmMainForm->windowState() & Qt::WindowMinimized);
        FrmMainForm->showNormal();
        m_program->platform->endedWith.clear();
        QTest::mouseClick(FrmMainForm->btnWindowClose, Qt::LeftButton);
        QCOMPARE(m_program->platform->endedWith, QList<int>{0});
        QVERIFY(m_program->read("Config/UserSettings.ini").contains("OutDir="));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
