#pragma once

#include <QDialog>
#include <QStringList>

class QLabel;
class QTimer;
class TSourceGrid;

// The "Reading file information..." box: shown modally while the files
// chosen in the open dialog are measured and added to the source list.
class TFrmInitFileForm : public QDialog {
    Q_OBJECT

public:
    explicit TFrmInitFileForm(QWidget *parent = nullptr);

    // The names the next showing adds to `list`, and the file chosen first
    // in the open dialog (its folder is stored for the next Add).
    void SetFileList(TSourceGrid *list, const QStringList &names, const QString &chosenFile);

    QLabel *lblInfo = nullptr;
    QTimer *Timer1 = nullptr; // animation, 1000 ms
    QTimer *Timer2 = nullptr; // add, 300 ms, once
    int AnimationStep = 1;

    // The box closes only through its add timer, once the names are added:
    // Escape or a close request must not drop the add half way.
    void reject() override;

Q_SIGNALS:
    // The names were added without an error.
    void FilesAdded();

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void Timer1Timer();
    void Timer2Timer();
    TSourceGrid *m_list = nullptr;
    QStringList m_names;
    QString m_chosenFile;
};
