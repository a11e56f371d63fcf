#pragma once

#include <QDialog>

class QComboBox;
class QGroupBox;
class QPushButton;
struct TOptionSelectors;

// The options window: the eight encoder option selectors and the custom
// profiles. Created once, hidden; closing only hides it.
class TfrmOption : public QDialog {
    Q_OBJECT

public:
    explicit TfrmOption(QWidget *parent = nullptr);

    QComboBox *cbbCustomProfile = nullptr; // editable: applying uses the entry, Save and Delete the text
    QPushButton *btnAdd = nullptr;
    QPushButton *btnSave = nullptr;
    QPushButton *btnDel = nullptr;
    QGroupBox *grpAdvOptions = nullptr;
    QComboBox *cbbVideoSize = nullptr;
    QComboBox *cbbVideoBitrate = nullptr;
    QComboBox *cbbFramerate = nullptr;
    QComboBox *cbbAspectratio = nullptr;
    QComboBox *cbbAudioBitrate = nullptr;
    QComboBox *cbbAudioSample = nullptr;
    QComboBox *cbbAudioVolumeGain = nullptr;
    QComboBox *cbbAudioChannels = nullptr;
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
    QList<QComboBox *> SnapshotSelectors() const;
    QList<int> m_snapshot;
    QComboBox *m_quality = nullptr;
};
