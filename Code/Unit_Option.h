#pragma once

#include "Code/OptionSelectors.h"

#include <QDialog>

class QComboBox;
class QGroupBox;
class QPushButton;

// The options window: the eight encoder option selectors and the custom
// profiles. Created once, hidden; closing only hides it.
class TfrmOption : public QDialog {
    Q_OBJECT

    // The eight option selectors, built from the option table; the named
    // members below are these same selectors.
    TOptionSelectors m_selectors;
    QComboBox *&selector(TEncoderOption option) { return m_selectors.Options[static_cast<std::size_t>(option)]; }

public:
    explicit TfrmOption(QWidget *parent = nullptr);

    QComboBox *cbbCustomProfile = nullptr; // editable: applying uses the entry, Save and Delete the text
    QPushButton *btnAdd = nullptr;
    QPushButton *btnSave = nullptr;
    QPushButton *btnDel = nullptr;
    QGroupBox *grpAdvOptions = nullptr;
    QComboBox *&cbbVideoSize = selector(TEncoderOption::VideoSize);
    QComboBox *&cbbVideoBitrate = selector(TEncoderOption::VideoBitrate);
    QComboBox *&cbbFramerate = selector(TEncoderOption::FrameRate);
    QComboBox *&cbbAspectratio = selector(TEncoderOption::Aspect);
    QComboBox *&cbbAudioBitrate = selector(TEncoderOption::AudioBitrate);
    QComboBox *&cbbAudioSample = selector(TEncoderOption::AudioSample);
    QComboBox *&cbbAudioVolumeGain = selector(TEncoderOption::Volume);
    QComboBox *&cbbAudioChannels = selector(TEncoderOption::AudioChannels);
    QPushButton *btnApply = nullptr;
    QPushButton *btnCancel = nullptr;

    void FormShow();
    void cbbCustomProfileChange();
    void btnAddClick();
    void btnSaveClick();
    void btnDelClick();
    void btnApplyClick();
    void btnCancelClick();

    // The option selectors and the custom profile selector, for the services.
    TOptionSelectors Selectors() const;
    // The main window's quality selector, which lists the custom profiles too.
    void SetQualitySelector(QComboBox *quality);

    // Replaces the profile list from the file; keeps the typed text, clears the selection.
    void RefillProfileList();

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void reject() override;

private:
    void RefillAndSelectLast();
    void CreateOptionSelectors();
    QList<QComboBox *> SnapshotSelectors() const;
    QList<int> m_snapshot;
    QComboBox *m_quality = nullptr;
};
