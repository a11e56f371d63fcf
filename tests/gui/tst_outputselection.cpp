#include "../support/ProgramFixture.h"
#include "Code/Unit_Option.h"
#include "ui/Selectors.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {
QComboBox *mainOutput()
{
    return FrmMainForm->cbbOutputFiletype;
}
QComboBox *mainQuality()
{
    return FrmMainForm->cbbProfile;
}

// As the user picks an entry: the selection changes, then the change handler runs.
void pick(QComboBox *selector, int index)
{
    selector->setCurrentIndex(index);
    Q_EMIT selector->activated(index);
}

QString shown(const QComboBox *selector)
{
    return selector->currentIndex() < 0 ? QStringLiteral("<none>") : selector->currentText();
}
} // namespace

class TestOutputSelection : public QObject {
    Q_OBJECT

    std::unique_ptr<ProgramFixture> m_program;

    QByteArray profiles() const { return m_program->read("Config/UserProfileInfo.ini"); }
    void setProfiles(const QByteArray &content) const { m_program->write("Config/UserProfileInfo.ini", content); }

    // Back to a fresh start: built-in presets, no profiles, the dialog's list empty.
    void reset()
    {
        QFile::remove(m_program->path("Config/UserProfileInfo.ini"));
        QFile::remove(m_program->path("Config/UserProfileCount.ini"));
        frmOption->cbbCustomProfile->clear();
        frmOption->cbbCustomProfile->setEditText(QString());
        mainQuality()->clear();
        CustomProc->FillQualitySelector(mainQuality());
        pick(mainOutput(), 0);
        pick(mainQuality(), 2);
        m_program->prompts->messages.clear();
    }

private Q_SLOTS:
    void initTestCase() { m_program = std::make_unique<ProgramFixture>(); }
    void init() { reset(); }

    void startState()
    {
        QCOMPARE(mainOutput()->count(), 5);
        QCOMPARE(shown(mainOutput()), QStringLiteral("iPod MPEG-4 Video Files (*.mp4)"));
        QCOMPARE(mainQuality()->count(), 5);
        QCOMPARE(shown(mainQuality()), QStringLiteral("Normal Quality"));
        QCOMPARE(shown(frmOption->cbbFramerate), QStringLiteral("15"));
        QCOMPARE(shown(frmOption->cbbVideoBitrate), QStringLiteral("128"));
        QCOMPARE(shown(frmOption->cbbAudioBitrate), QStringLiteral("128"));
        QCOMPARE(shown(frmOption->cbbAudioChannels), QStringLiteral("2 channels, Stereo"));
        QCOMPARE(shown(frmOption->cbbAudioSample), QStringLiteral("44100"));
        QCOMPARE(shown(frmOption->cbbAspectratio), QStringLiteral("4:3"));
        QCOMPARE(shown(frmOption->cbbAudioVolumeGain), QStringLiteral("200"));
        QCOMPARE(shown(frmOption->cbbVideoSize), QStringLiteral("<none>"));
    }

    void fillersSelectTheirDefaultAndAppend()
    {
        QComboBox sizes;
        CustomProc->FillOptionSelector(TEncoderOption::VideoSize, &sizes);
        QCOMPARE(shown(&sizes), QStringLiteral("320x240"));
        QComboBox volume;
        CustomProc->FillOptionSelector(TEncoderOption::Volume, &volume);
        QCOMPARE(volume.count(), 21);
        QCOMPARE(shown(&volume), QStringLiteral("200"));
        CustomProc->FillOptionSelector(TEncoderOption::Volume, &volume);
        QCOMPARE(volume.count(), 42); // a filler adds to what is there
    }

    void presets_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("quality");
        QTest::addColumn<QStringList>("expected"); // frame rate, video bitrate, audio bitrate, channels, sample
        const QString mono = "1 channel, Mono";
        const QString stereo = "2 channels, Stereo";
        const QStringList lowAll{"14.985", "40", "48", mono, "22050"};
        for (int type : {0, 2, 4}) {
            const QString name = QString::number(type);
            QTest::newRow(qPrintable(name + " low")) << type << 0 << lowAll;
            QTest::newRow(qPrintable(name + " acceptable"))
                << type << 1 << QStringList{"14.985", "80", "80", stereo, "32000"};
            QTest::newRow(qPrintable(name + " normal"))
                << type << 2 << QStringList{"15", "128", "128", stereo, "44100"};
            QTest::newRow(qPrintable(name + " excellent"))
                << type << 3 << QStringList{"15", "256", "192", stereo, "44100"};
            QTest::newRow(qPrintable(name + " superb"))
                << type << 4 << QStringList{"15", "512", "224", stereo, "48000"};
        }
        for (int type : {1, 3}) {
            const QString name = QString::number(type);
            QTest::newRow(qPrintable(name + " low")) << type << 0 << lowAll;
            QTest::newRow(qPrintable(name + " acceptable"))
                << type << 1 << QStringList{"14.985", "80", "80", mono, "22050"};
            QTest::newRow(qPrintable(name + " normal")) << type << 2 << QStringList{"15", "128", "128", mono, "22050"};
            QTest::newRow(qPrintable(name + " excellent"))
                << type << 3 << QStringList{"15", "256", "192", mono, "22050"};
            QTest::newRow(qPrintable(name + " superb")) << type << 4 << QStringList{"15", "512", "224", mono, "22050"};
        }
    }
    void presets()
    {
        QFETCH(int, type);
        QFETCH(int, quality);
        QFETCH(QStringList, expected);
        pick(mainOutput(), type);
        pick(mainQuality(), quality);
        const QStringList actual{shown(frmOption->cbbFramerate), shown(frmOption->cbbVideoBitrate),
                                 shown(frmOption->cbbAudioBitrate), shown(frmOption->cbbAudioChannels),
                                 shown(frmOption->cbbAudioSample)};
        QCOMPARE(actual, expected);
        QCOMPARE(shown(frmOption->cbbVideoSize), QStringLiteral("<none>"));
        QVERIFY(frmOption->cbbVideoBitrate->isEnabled() && frmOption->cbbFramerate->isEnabled());
    }

    void typeSwitchKeepsAspectAndVolume()
    {
        pick(frmOption->cbbAspectratio, 1);
        pick(frmOption->cbbAudioVolumeGain, 4);
        pick(frmOption->cbbVideoBitrate, 0);
        pick(mainOutput(), 1);
        QCOMPARE(shown(frmOption->cbbAspectratio), QStringLiteral("16:9"));
        QCOMPARE(shown(frmOption->cbbAudioVolumeGain), QStringLiteral("100"));
        QCOMPARE(shown(frmOption->cbbVideoBitrate), QStringLiteral("128")); // preset field overwritten
        ui::setSelectorIndex(frmOption->cbbAspectratio, 0);
        ui::setSelectorIndex(frmOption->cbbAudioVolumeGain, 8);
    }

    void addProposesCountedNames()
    {
        frmOption->btnAdd->click(); // cancelled
        frmOption->btnAdd->click(); // cancelled again
        QCOMPARE(m_program->prompts->textProposals.mid(m_program->prompts->textProposals.size() - 2),
                 (QStringList{"UserProfileInfo1", "UserProfileInfo2"}));
        QCOMPARE(m_program->prompts->textLabels.last(), QStringLiteral("Plese input a name"));
        QCOMPARE(m_program->read("Config/UserProfileCount.ini"), QByteArray("\r\n[count]\r\ncount=2\r\n"));
        QCOMPARE(profiles(), QByteArray("<missing>"));
    }

    // A counter file at the top of the range proposes its last number again.
    void addCounterAtItsLimit()
    {
        m_program->write("Config/UserProfileCount.ini", "[count]\r\ncount=2147483647\r\n");
        frmOption->btnAdd->click(); // cancelled
        QCOMPARE(m_program->prompts->textProposals.last(), QStringLiteral("UserProfileInfo2147483647"));
        QVERIFY(m_program->read("Config/UserProfileCount.ini").contains("count=2147483647"));
        QFile::remove(m_program->path("Config/UserProfileCount.ini"));
    }

    void addStoresIndicesAfterPreset()
    {
        m_program->prompts->textAnswers.enqueue("Phone");
        frmOption->btnAdd->click();
        QCOMPARE(profiles(), QByteArray("\r\n[Phone]\r\nPhone=-1|1|2|5|1|2\r\n"));
        QCOMPARE(frmOption->cbbCustomProfile->count(), 1);
        QCOMPARE(frmOption->cbbCustomProfile->currentText(), QStringLiteral("Phone"));

        // The same name again overwrites in place.
        pick(frmOption->cbbFramerate, 6);
        m_program->prompts->textAnswers.enqueue("Phone");
        frmOption->btnAdd->click();
        QCOMPARE(profiles(), QByteArray("\r\n[Phone]\r\nPhone=-1|6|2|5|1|2\r\n"));
        QCOMPARE(frmOption->cbbCustomProfile->count(), 1);
    }

    void saveRules()
    {
        setProfiles("\r\n[A]\r\nA=0|0|0|0|0|0\r\n\r\n[B]\r\nB=0|1|1|1|1|1\r\n");
        frmOption->RefillProfileList();
        frmOption->cbbCustomProfile->setEditText(QString());
        frmOption->btnSave->click(); // empty text: nothing
        QCOMPARE(profiles(), QByteArray("\r\n[A]\r\nA=0|0|0|0|0|0\r\n\r\n[B]\r\nB=0|1|1|1|1|1\r\n"));

        frmOption->cbbCustomProfile->setEditText("A");
        frmOption->btnSave->click(); // not the last profile: stored in place, last one selected
        QCOMPARE(profiles(), QByteArray("\r\n[A]\r\nA=-1|1|2|5|1|2\r\n\r\n[B]\r\nB=0|1|1|1|1|1\r\n"));
        QCOMPARE(frmOption->cbbCustomProfile->currentText(), QStringLiteral("B"));

        frmOption->cbbCustomProfile->setEditText("New one");
        frmOption->btnSave->click();
        QVERIFY(profiles().endsWith("\r\n[New one]\r\nNew one=-1|1|2|5|1|2\r\n"));
        QCOMPARE(frmOption->cbbCustomProfile->currentText(), QStringLiteral("New one"));
        QCOMPARE(frmOption->cbbCustomProfile->currentIndex(), 2);
    }

    void deleteRules()
    {
        frmOption->btnDel->click(); // empty list: nothing, and no file appears
        QCOMPARE(profiles(), QByteArray("<missing>"));
        setProfiles("\r\n[Only]\r\nOnly=0|0|0|0|0|0\r\n");
        frmOption->RefillProfileList();
        frmOption->cbbCustomProfile->setCurrentIndex(0);
        frmOption->btnDel->click();
        QCOMPARE(profiles(), QByteArray("\r\n\r\n"));
        QCOMPARE(frmOption->cbbCustomProfile->count(), 0);
        QCOMPARE(frmOption->cbbCustomProfile->currentText(), QString());
    }

    void applyProfile_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QStringList>("expected"); // size, frame rate, video bitrate, audio bitrate, channels, sample
        QTest::addColumn<bool>("errorShown");
        const QStringList normal{"<none>", "15", "128", "128", "2 channels, Stereo", "44100"};
        QTest::newRow("six") << QByteArray("0|6|4|8|0|3")
                             << QStringList{"320x240", "30", "512", "224", "1 channel, Mono", "48000"} << false;
        QTest::newRow("minus one") << QByteArray("-1|0|0|0|0|0")
                                   << QStringList{"<none>", "14.985", "40", "16", "1 channel, Mono", "22050"} << false;
        QTest::newRow("five fields") << QByteArray("0|0|0|0|0") << normal << false;
        QTest::newRow("seven fields") << QByteArray("0|0|0|0|0|0|0") << normal << false;
        QTest::newRow("empty field kept")
            << QByteArray("0||0|0|0|0") << QStringList{"320x240", "15", "40", "16", "1 channel, Mono", "22050"}
            << false;
        QTest::newRow("not a number applies nothing") << QByteArray("0|0|x|0|0|0") << normal << true;
        QTest::newRow("outside the list")
            << QByteArray("0|99|0|0|0|0") << QStringList{"320x240", "<none>", "40", "16", "1 channel, Mono", "22050"}
            << false;
    }
    void applyProfile()
    {
        QFETCH(QByteArray, value);
        QFETCH(QStringList, expected);
        QFETCH(bool, errorShown);
        setProfiles("\r\n[P]\r\nP=" + value + "\r\n");
        frmOption->RefillProfileList();
        pick(frmOption->cbbCustomProfile, 0); // the user picks it
        const QStringList actual{shown(frmOption->cbbVideoSize),     shown(frmOption->cbbFramerate),
                                 shown(frmOption->cbbVideoBitrate),  shown(frmOption->cbbAudioBitrate),
                                 shown(frmOption->cbbAudioChannels), shown(frmOption->cbbAudioSample)};
        QCOMPARE(actual, expected);
        QCOMPARE(m_program->prompts->texts(),
                 errorShown ? QStringList{"'x' is not a valid integer value"} : QStringList{});
    }

    void emptyNameStoresHeaderOnly()
    {
        m_program->prompts->textAnswers.enqueue("");
        frmOption->btnAdd->click();
        QCOMPARE(profiles(), QByteArray("\r\n[]\r\n"));
        QCOMPARE(frmOption->cbbCustomProfile->count(), 1);
        CustomProc->ApplyCustomProfile(frmOption->Selectors()); // sets nothing
        QCOMPARE(shown(frmOption->cbbFramerate), QStringLiteral("15"));
    }

    void cancelRestoresAllNine()
    {
        setProfiles("\r\n[P]\r\nP=0|0|0|0|0|0\r\n");
        frmOption->show();
        QList<int> before;
        const QList<QComboBox *> all{
            frmOption->cbbVideoSize,       frmOption->cbbVideoBitrate,  frmOption->cbbFramerate,
            frmOption->cbbAspectratio,     frmOption->cbbAudioBitrate,  frmOption->cbbAudioSample,
            frmOption->cbbAudioVolumeGain, frmOption->cbbAudioChannels, frmOption->cbbCustomProfile};
        for (QComboBox *selector : all)
            before.append(selector->currentIndex());
        for (QComboBox *selector : all)
            pick(selector, 0);
        QVERIFY(frmOption->cbbFramerate->currentIndex() != before[2]);
        frmOption->btnCancel->click();
        QVERIFY(!frmOption->isVisible());
        for (int i = 0; i < all.size(); ++i)
            QVERIFY2(all[i]->currentIndex() == before[i], qPrintable(all[i]->objectName()));
        QCOMPARE(frmOption->cbbCustomProfile->currentText(), QString());
    }

    void okListsNewProfilesWithoutApplying()
    {
        setProfiles("\r\n[First]\r\nFirst=0|0|0|0|0|0\r\n");
        mainQuality()->clear();
        CustomProc->FillQualitySelector(mainQuality());
        frmOption->show();
        m_program->prompts->textAnswers.enqueue("Second");
        frmOption->btnAdd->click();
        QCOMPARE(mainQuality()->count(), 6); // only after OK
        pick(frmOption->cbbFramerate, 6);
        frmOption->btnApply->click();
        QVERIFY(!frmOption->isVisible());
        QCOMPARE(mainQuality()->count(), 7);
        QCOMPARE(mainQuality()->itemText(5), QStringLiteral("First"));
        QCOMPARE(mainQuality()->itemText(6), QStringLiteral("Second"));
        QCOMPARE(shown(mainQuality()), QStringLiteral("Normal Quality"));
        QCOMPARE(shown(frmOption->cbbFramerate), QStringLiteral("30")); // the dialog's values stay
    }

    void qualitySelectorAppliesCustomProfile()
    {
        setProfiles("\r\n[First]\r\nFirst=0|0|0|0|0|0\r\n\r\n[Second]\r\nSecond=0|6|4|8|0|3\r\n");
        mainQuality()->clear();
        CustomProc->FillQualitySelector(mainQuality());
        frmOption->RefillProfileList();
        pick(mainQuality(), 6);
        QCOMPARE(frmOption->cbbCustomProfile->currentText(), QStringLiteral("Second"));
        QCOMPARE(shown(frmOption->cbbFramerate), QStringLiteral("30"));
        // The output type plays no part while a profile is chosen.
        pick(frmOption->cbbFramerate, 1);
        pick(mainOutput(), 3);
        QCOMPARE(shown(frmOption->cbbFramerate), QStringLiteral("30"));
    }

    void showSelectsMainWindowsProfileWithoutApplying()
    {
        setProfiles("\r\n[First]\r\nFirst=0|0|0|0|0|0\r\n\r\n[Second]\r\nSecond=0|6|4|8|0|3\r\n");
        mainQuality()->clear();
        CustomProc->FillQualitySelector(mainQuality());
        mainQuality()->setCurrentIndex(6);
        frmOption->show();
        QCOMPARE(frmOption->cbbCustomProfile->currentText(), QStringLiteral("Second"));
        QCOMPARE(shown(frmOption->cbbFramerate), QStringLiteral("15"));
        frmOption->hide();
    }

    void failedStoreIsReported()
    {
        m_program->blockConfig();
        m_program->prompts->textAnswers.enqueue("Lost");
        const qsizetype promptsBefore = m_program->prompts->textLabels.size();
        frmOption->btnAdd->click();
        QCOMPARE(m_program->prompts->messages.size(), 1);
        QCOMPARE(m_program->prompts->messages.first().icon, QMessageBox::Critical);
        QCOMPARE(m_program->prompts->textLabels.size(), promptsBefore); // the counter write failed first: no prompt
        m_program->unblockConfig();
    }
};

QTEST_MAIN(TestOutputSelection)
#include "tst_outputselection.moc"
