#pragma once

#include <QDialog>
#include <QPointer>

#include <optional>

class QAction;
class QLabel;
class QProgressBar;
class QStatusBar;
class QTimer;
class TConversionBatch;
class TConversionJob;

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
    // Chunks shown since the current row's encoder started.
    int RefreshCount = 0;

    // Shows this batch's rows and lets the user stop it.
    void Watch(TConversionBatch *batch);

    void FormShow();
    void tmrChangingTimer();
    void actRefreshProgressExecute();
    void btnStop1Click();
    // The user closes the window; false when they chose to go on.
    bool FormClose();
    // A row is about to run: what the window shows of it.
    void WatchRow(const TConversionJob &job, int convertedCount, int checkedCount);
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
    // Asks the question with the batch held; true when the user said Yes.
    bool ConfirmStop(const QString &question);
    void EndBatchNow(bool byStopButton);
    void SetCurrentBar(int maximum, qint64 position);

    QPointer<TConversionBatch> m_batch;
    // The row being converted.
    QString m_inputFile;
    int m_convertedCount = 0;
    int m_checkedCount = 0;
    std::optional<qint64> m_cutSeconds;
    bool m_audioOnly = false;
};
