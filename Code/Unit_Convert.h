#pragma once

#include "Code/Unit_CommonLib.h"

#include <QPoint>
#include <QPointer>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QFrame;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QProgressBar;
class QTimer;
class TConversionBatch;
class TDSTrackBar;
class TDSVideoWindowEx2;
class TFilterGraph;
class TSourceGrid;
class TTrimBar;
struct TBatchOutcome;
struct TConversionRequest;
struct TPreviewControls;
struct TUserSettings;

namespace ui {
class PictureButton;
}

// The main window: preview, output settings, source list and commands. It is
// frameless and painted by the program; its own labels form the title strip.
class TFrmMainForm : public QWidget {
    Q_OBJECT

public:
    // Converts with `batch`, which outlives the window.
    explicit TFrmMainForm(TConversionBatch *batch, QWidget *parent = nullptr);

    TConversionBatch *ConversionBatch() const { return m_batch; }

    // Runs FormShow, then puts the window on the screen.
    void ShowMainWindow();

    void FormShow();
    // What FormShow does once the splash is gone: fills the selectors,
    // applies the stored settings and the default preset, and connects the
    // other windows.
    void PrepareControls();
    void FormClose();
    // The system asks the program to end (a session's end): a running batch
    // stops without a question, then the program ends as on a close.
    void EndOnRequest();
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
    TDSVideoWindowEx2 *DSVideoWindowEx1 = nullptr;
    QLabel *panLogo = nullptr;
    QLabel *pnlCurTime = nullptr;
    ui::PictureButton *btnPlay = nullptr;
    ui::PictureButton *btnPause = nullptr;
    ui::PictureButton *btnStop = nullptr;
    TFilterGraph *FilterGraph = nullptr;
    TDSTrackBar *dstrckbrMainform = nullptr;
    QProgressBar *pbPlayState = nullptr;

    // Trim bar: Panel1 holds Panel2, Splitter1, Panel4, Splitter2, Panel3.
    TTrimBar *Panel1 = nullptr;
    QWidget *Panel2 = nullptr;
    QWidget *Splitter1 = nullptr;
    QWidget *Panel4 = nullptr;
    QWidget *Splitter2 = nullptr;
    QWidget *Panel3 = nullptr;
    QTimer *tmrPaintSP = nullptr;

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

    // Source list.
    TSourceGrid *dxTreeSourceFileInfo = nullptr;
    ui::PictureButton *btnOpenFile = nullptr;
    ui::PictureButton *btnRemoveFile = nullptr;
    ui::PictureButton *btnClearFile = nullptr;
    ui::PictureButton *btnConvert = nullptr;
    ui::PictureButton *btnSelectOutputFolder = nullptr; // hidden, Ctrl+B
    ui::PictureButton *btnHelp = nullptr;               // hidden, F1

    QTimer *tmrClearMemory = nullptr;
    TOpenDialogState dlgOpenSourceFile;

    // The controls the services work on, read from this window.
    TPreviewControls Preview() const;
    TConversionRequest ConversionRequest() const;
    TUserSettings ReadUserSettings() const;
    void ApplyUserSettings(const TUserSettings &settings);
    // Sets the two completion boxes and the output folder box from the settings file.
    void LoadUserSettings();

    // Handlers.
    void btnConvertClick();
    void ShowCustomProfileInOptions();
    // A batch ended: what follows it, with the two boxes as they are now,
    // then the windows back and the notice of what went wrong.
    void BatchFinished(const TBatchOutcome &outcome);
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

    // Source list.
    void btnOpenFileClick();
    void btnRemoveFileClick();
    void btnClearFileClick();
    void WMDropFiles(const QStringList &names);
    // Files handed over at start (a file manager's "Open With"): added once the
    // window is up, as if dropped on it.
    void OpenFiles(const QStringList &names);
    void dxTreeSourceFileInfoEndDrag();
    void dxTreeSourceFileInfoKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void dxTreeSourceFileInfoKeyUp();
    void actDxTreeListOnClickExecute();
    void dxTreeSourceFileInfoEdited(int row, int column);
    // Puts both trim handles back at their start.
    void ResetTrimHandles();
    // Lays the trim bar out for the selected rows.
    void SyncTrimBar();

    // Player.
    void btnPlayClick();
    void btnPauseClick();
    void btnStopClick();
    void dstrckbrMainformTimer(quint32 currentPos, quint32 stopPos);

    // Trim bar.
    void SetStartTimeAndPlay();
    void Splitter2Moved();
    void Panel2MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void Panel3MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void tmrPaintSPTimer();
    void WakePaintTimer();

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void CreateTitleStrip();
    void CreatePreview();
    void CreateOutputSettings();
    void CreateSourceList();
    void ConnectSourceList();
    void ConnectPreview();
    void ConnectCommands();
    void ConnectOtherWindows();
    void LayoutControls();
    void ShowSplash();
    void SaveSettingsOrTell();
    bool IsKeyForThisWindow(QObject *watched, const QKeyEvent *key);

    TConversionBatch *const m_batch;
    // The window was closed during a batch: it ends once the batch has.
    bool m_closeAfterBatch = false;
    bool m_shown = false;
    QPoint m_dragOffset;
    bool m_manualDrag = false;
    struct {
        const QKeyEvent *event = nullptr;
        quint64 timestamp = 0;
        QPointer<QWidget> receiver;
    } m_lastKey;
};
