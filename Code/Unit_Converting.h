#pragma once

#include "Code/conversion/ConversionBatch.h"

#include <QDialog>
#include <QPointer>

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
    // Shows the rows of `batch` and lets the user stop it.
    explicit TfrmConverting(TConversionBatch *batch, QWidget *parent = nullptr);

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
    // Moves the bars and the row count to where the batch says they stand.
    void actRefreshProgressExecute();
    void btnStop1Click();
    // The user closes the window; false when they chose to go on.
    bool FormClose();
    // The main window is closed from outside during a batch: the close
    // question; on Yes the batch stops as on Stop. False when the user
    // chose to go on.
    bool ConfirmCloseFromOutside();
    // A row is about to run: what the window shows of it.
    void WatchRow(const TConversionJob &job, int convertedCount, int checkedCount);
    // One chunk of the running encoder's output.
    void ShowEncoderOutput(const QString &chunk);
    void ShowProgress(const TBatchProgress &progress);

Q_SIGNALS:
    // The user ended the batch: the main window may be used again at once.
    void BatchStopped();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    // The close question; on Yes the batch stops.
    bool ConfirmCloseAndStop(bool byStopButton);
    // Asks the question with the batch held; true when the user said Yes.
    bool ConfirmStop(const QString &question);
    void EndBatchNow(bool byStopButton);
    void ShowFileName();
    void ShowRowCount();
    // Before the first figures of a batch, or after a stop: `total` stands for the count.
    void ShowWaitingRowCount(const QString &total);
    void ShowBars();
    void ClearBars();
    void ShowActivity();

    QPointer<TConversionBatch> m_batch;
    // The row being converted and the bars as the batch last put them.
    QString m_inputFile;
    int m_checkedCount = 0;
    TBatchProgress m_progress;
};
