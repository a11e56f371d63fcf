#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;

// State of the open-file dialog that outlives one use of it.
struct TOpenDialogState {
    QString InitialDir;
    QString FileName; // first file chosen in the last confirmed use
};

// The main window.
class TFrmMainForm : public QWidget {
    Q_OBJECT

public:
    explicit TFrmMainForm(QWidget *parent = nullptr);

    // Runs FormShow, then puts the window on the screen.
    void ShowMainWindow();

    void FormShow();
    void FormClose();

    QLabel *Label5 = nullptr;
    QLabel *lblTitle = nullptr;
    QLineEdit *edtOutputFolder = nullptr;
    QCheckBox *chkShutdown = nullptr;
    QCheckBox *chkShowOutputDirectory = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    TOpenDialogState dlgOpenSourceFile;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void ShowSplash();
    void SaveSettingsOrTell();
    bool m_shown = false;
};
