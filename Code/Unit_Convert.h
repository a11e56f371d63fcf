#pragma once

#include <QPoint>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QProgressBar;
class QTimer;

namespace ui {
class PictureButton;
}

// State of the open-file dialog that outlives one use of it.
struct TOpenDialogState {
    QString InitialDir;
    QString FileName; // first file chosen in the last confirmed use
};

// The main window: preview, output settings, source list and commands. It is
// frameless and painted by the program; its own labels form the title strip.
class TFrmMainForm : public QWidget {
    Q_OBJECT

public:
    explicit TFrmMainForm(QWidget *parent = nullptr);

    // Runs FormShow, then puts the window on the screen.
    void ShowMainWindow();

    void FormShow();
    void FormClose();
    // Sees every key pressed in the window before the focused control does;
    // never consumes it.
    void FormKeyDown(int key, Qt::KeyboardModifiers modifiers);

    // Title strip and system buttons.
    QLabel *Label5 = nullptr;
    QLabel *lblTitle = nullptr;
    ui::PictureButton *btnWindowMinimize = nullptr;
    ui::PictureButton *btnWindowClose = nullptr;
    ui::PictureButton *btnHomePage = nullptr;
    ui::PictureButton *btnEMail = nullptr;
    ui::PictureButton *btnAbout = nullptr;

    // Preview.
    QWidget *DSVideoWindowEx1 = nullptr;
    QLabel *panLogo = nullptr;
    QLabel *pnlCurTime = nullptr;
    ui::PictureButton *btnPlay = nullptr;
    ui::PictureButton *btnPause = nullptr;
    ui::PictureButton *btnStop = nullptr;
    QFrame *Panel1 = nullptr; // trim bar
    QWidget *Panel2 = nullptr;
    QWidget *Splitter1 = nullptr;
    QWidget *Panel4 = nullptr;
    QWidget *Splitter2 = nullptr;
    QWidget *Panel3 = nullptr;
    QProgressBar *pbPlayState = nullptr;

    // Output settings.
    QLabel *lblOutputFiletype = nullptr;
    QComboBox *cbbOutputFiletype = nullptr;
    QLabel *lblProfile = nullptr;
    QComboBox *cbbProfile = nullptr;
    ui::PictureButton *btnOptions = nullptr;
    QLabel *lblOutputFolder = nullptr;
    QLineEdit *edtOutputFolder = nullptr;
    ui::PictureButton *RzBmpButton1 = nullptr;
    QCheckBox *chkShutdown = nullptr;
    QCheckBox *chkShowOutputDirectory = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;

    // Source list commands.
    ui::PictureButton *btnOpenFile = nullptr;
    ui::PictureButton *btnRemoveFile = nullptr;
    ui::PictureButton *btnClearFile = nullptr;
    ui::PictureButton *btnConvert = nullptr;
    ui::PictureButton *btnSelectOutputFolder = nullptr; // hidden, Ctrl+B
    ui::PictureButton *btnHelp = nullptr;               // hidden, F1

    QTimer *tmrClearMemory = nullptr;
    TOpenDialogState dlgOpenSourceFile;

    // Handlers.
    void btnOptionsClick();
    void btnSelectOutputFolderClick();
    void cbbOutputFiletypeChange();
    void cbbProfileChange();
    void ActSysHelpExecute();
    void ActSysHomePageExecute();
    void ActSysEmailExecute();
    void ActSysAboutExecute();
    void actMinimizeExecute();
    void actCloseWindowExecute();
    void lblTitleMouseMove(QMouseEvent *event);

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void CreateTitleStrip();
    void CreatePreview();
    void CreateOutputSettings();
    void CreateSourceListCommands();
    void ConnectCommands();
    void LayoutControls();
    void ShowSplash();
    void SaveSettingsOrTell();
    bool IsKeyForThisWindow(QObject *watched) const;

    bool m_shown = false;
    QPoint m_dragOffset;
    bool m_manualDrag = false;
};
