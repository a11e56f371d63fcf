// What follows a batch: the output folder in the file manager, then the
// power-off, both through the fake platform.
#include "../support/ProgramFixture.h"
#include "Code/Unit_CommonLib.h"
#include "Code/conversion/ConversionBatch.h"

#include <QDir>
#include <QTest>

class TestEndActions : public QObject {
    Q_OBJECT

    std::unique_ptr<ProgramFixture> m_program;

private Q_SLOTS:
    void initTestCase() { m_program = std::make_unique<ProgramFixture>(); }

    void init() { m_program->platform = FakePlatform::install(); }

    void showFolder_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("blanks") << "/home/ann/Movarel Output Folder/";
        QTest::newRow("no such folder") << "/nowhere/at all/";
        QTest::newRow("characters that mean something in an address") << "/home/ann/clips #1 100%/?a=b/";
    }
    void showFolder()
    {
        QFETCH(QString, folder);
        CommonLib->ShowFolderInExplorer(folder);
        QCOMPARE(m_program->platform->openedUrls.size(), 1);
        const QUrl opened = m_program->platform->openedUrls.first();
        QVERIFY(opened.isLocalFile());
        QCOMPARE(opened.toLocalFile(), folder);
        QCOMPARE(m_program->platform->powerOffs, 0);
    }

    void showFolderWithoutABuild()
    {
        // No row was built yet in this run: the file manager opens its usual place.
        CommonLib->ShowFolderInExplorer(QString());
        QCOMPARE(m_program->platform->openedUrls, QList<QUrl>{QUrl::fromLocalFile(QDir::homePath())});
    }

    void endActions_data()
    {
        QTest::addColumn<bool>("stopped");
        QTest::addColumn<bool>("showFolder");
        QTest::addColumn<bool>("shutdown");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<bool>("ending");
        const QString open = QStringLiteral("open file:///out/");
        QTest::newRow("nothing") << false << false << false << QStringList() << false;
        QTest::newRow("folder") << false << true << false << QStringList{open} << false;
        QTest::newRow("power off") << false << false << true << QStringList{"power off", "end 0"} << true;
        QTest::newRow("folder first, then power off")
            << false << true << true << QStringList{open, "power off", "end 0"} << true;
        QTest::newRow("stopped by the user") << true << true << true << QStringList() << false;
    }
    void endActions()
    {
        QFETCH(bool, stopped);
        QFETCH(bool, showFolder);
        QFETCH(bool, shutdown);
        QFETCH(bool, ending);
        TBatchOutcome outcome;
        outcome.StoppedByUser = stopped;
        outcome.OutputFolder = QStringLiteral("/out/");
        const TUserSettings settings{.ShowOutputDirectory = showFolder, .Shutdown = shutdown, .OutputFolder = {}};
        QCOMPARE(CustomProc->RunEndActions(outcome, settings), ending);
        QTEST(m_program->platform->calls, "calls");
    }

    void summary_data()
    {
        QTest::addColumn<int>("delivered");
        QTest::addColumn<int>("failed");
        QTest::addColumn<int>("warned");
        QTest::addColumn<QString>("text");
        QTest::newRow("one") << 1 << 0 << 0 << "1 file converted";
        QTest::newRow("twelve, one failed, two warned")
            << 12 << 1 << 2 << "12 files converted, 1 failed, 2 with warnings";
        QTest::newRow("none delivered") << 0 << 3 << 0 << "0 files converted, 3 failed";
    }
    void summary()
    {
        QFETCH(int, delivered);
        QFETCH(int, failed);
        QFETCH(int, warned);
        TBatchOutcome outcome;
        outcome.DeliveredCount = delivered;
        for (int i = 0; i < failed; ++i)
            outcome.FailedRows.append({QStringLiteral("/v/%1.avi").arg(i), QStringLiteral("reason")});
        for (int i = 0; i < warned; ++i)
            outcome.WarnedRows.append({QStringLiteral("/v/w%1.avi").arg(i), QStringLiteral("reason")});
        QTEST(outcome.Summary(), "text");
    }
};

QTEST_MAIN(TestEndActions)
#include "tst_endactions.moc"
