#pragma once

#include <QDialog>

class QAction;
class QLabel;
class QProgressBar;
class QStatusBar;
class QTimer;

namespace ui {
class PictureButton;
}

// The progress window of a conversion batch: the current file, a bar for
// that file and one for the batch, an animated status line and Stop.
class TfrmConverting : public QDialog {
    Q_OBJECT

public:
    explicit TfrmConverting(QWidget *parent = nullptr);

    QLabel *lblInfo = nullptr;
    QLabel *lblCurConvertFileL = nullptr;
    QLabel *lblCurFileName = nullptr;
    QLabel *lblTotalFilr = nullptr;
    QProgressBar *pbTotal = nullptr;
    QLabel *lblCurprog = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    QLabel *lblPersent = nullptr;
    ui::PictureButton *btnStop = nullptr;
    QStatusBar *statState = nullptr;
    QLabel *statPanel0 = nullptr; // the status bar's one panel
    QTimer *tmrChanging = nullptr;
    QAction *actRefreshProgress = nullptr;
    int TickState = 0;

    void FormShow();
    void tmrChangingTimer();
    void actRefreshProgressExecute();
    void btnStop1Click();
    // The user closes the window; false when they chose to go on.
    bool FormClose();
    // One chunk of the running encoder's output.
    void ShowEncoderOutput(const QString &chunk);

Q_SIGNALS:
    // The user ended the batch: the main window may be used again at once.
    void BatchStopped();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    void EndBatchNow();
    void SetCurrentBar(int maximum, qint64 position);
};
