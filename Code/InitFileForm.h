#pragma once

#include <QDialog>
#include <QStringList>

class QLabel;
class QTimer;

// The "Reading file information..." box: shown modally while the files
// chosen in the open dialog are measured and added to the source list.
class TFrmInitFileForm : public QDialog {
    Q_OBJECT

public:
    explicit TFrmInitFileForm(QWidget *parent = nullptr);

    // The names the next showing adds.
    void SetFileList(const QStringList &names);

    QLabel *lblInfo = nullptr;
    QTimer *Timer1 = nullptr; // animation, 1000 ms
    QTimer *Timer2 = nullptr; // add, 300 ms, once
    int AnimationStep = 1;

    // The box closes only through its add timer, once the names are added:
    // Escape or a close request must not drop the add half way.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void Timer1Timer();
    void Timer2Timer();
    QStringList m_names;
};
