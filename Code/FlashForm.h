#pragma once

#include <QDialog>

class QTimer;

// The splash shown while the program starts. It runs the start-up sequence
// and stays up for at least two ticks of its one-second timer.
class TFrmFlashForm : public QDialog {
    Q_OBJECT

public:
    explicit TFrmFlashForm(QWidget *parent = nullptr);

    QTimer *tmrStart = nullptr; // 250 ms, fires once
    QTimer *tmrTick = nullptr;  // 1000 ms
    int TickCount = 0;

protected:
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void tmrStartTimer();
    void tmrTickTimer();
};
