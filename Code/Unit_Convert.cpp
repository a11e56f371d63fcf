#include "Code/Unit_Convert.h"

#include "Code/FlashForm.h"
#include "Code/Globals.h"
#include "Code/InitFileForm.h"
#include "Code/Startup.h"
#include "Code/UnitCustomProc.h"
#include "Code/Unit_CommonLib.h"
#include "Code/Unit_Converting.h"
#include "Code/Unit_Option.h"
#include "Code/conversion/ConversionBatch.h"
#include "Code/core/Errors.h"
#include "media/FilterGraph.h"
#include "media/TrackBar.h"
#include "media/VideoWindow.h"
#include "platform/Platform.h"
#include "ui/Artwork.h"
#include "ui/Named.h"
#include "ui/PictureButton.h"
#include "ui/Selectors.h"
#include "ui/SourceGrid.h"
#include "ui/TrimBar.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>

using ui::PictureButton;
using Glyph = ui::artwork::Glyph;

namespace {

constexpr QSize designSize(690, 454);
constexpr QSize minimumAfterResize(686, 519);
constexpr int titleHeight = 28;

PictureButton *button(QWidget *parent, const char *name, Glyph glyph, const QString &caption,
                      const QString &accessibleName, const QString &hint = QString())
{
    auto *b = ui::named(new PictureButton(glyph, caption, parent), name, accessibleName);
    if (!hint.isEmpty())
        b->setToolTip(hint);
    return b;
}

QLabel *caption(QWidget *parent, const char *name, const QString &text)
{
    auto *label = ui::named(new QLabel(text, parent), name, text);
    label->setStyleSheet(QStringLiteral("color: white;"));
    return label;
}

} // namespace

TFrmMainForm::TFrmMainForm(TConversionBatch *batch, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_batch(batch)
{
    setObjectName(QStringLiteral("FrmMainForm"));
    SetNoticeOwner(this);
    setWindowIcon(ui::artwork::applicationIcon());
    resize(designSize);
    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());

    CreateTitleStrip();
    CreatePreview();
    CreateOutputSettings();
    CreateSourceList();

    tmrClearMemory = new QTimer(this);
    tmrClearMemory->setObjectName(QStringLiteral("tmrClearMemory"));
    tmrClearMemory->setInterval(1000);
    connect(tmrClearMemory, &QTimer::timeout, this, [] { TCommonLib::TrimWorkingSet(); });
    tmrClearMemory->start();

    ConnectCommands();
    ConnectSourceList();
    ConnectPreview();
    tmrPaintSP->start();
    qApp->installEventFilter(this);
    LayoutControls();
}

void TFrmMainForm::CreateTitleStrip()
{
    Label5 = caption(this, "Label5", QStringLiteral("Ostrel"));
    Label5->setAccessibleName(tr("Maker"));
    lblTitle = caption(this, "lblTitle", QString());
    lblTitle->setAccessibleName(tr("Title"));
    QFont titleFont = lblTitle->font();
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    for (QLabel *label : {Label5, lblTitle}) {
        label->setCursor(Qt::SizeAllCursor);
        label->installEventFilter(this);
    }
    btnWindowMinimize = button(this, "btnWindowMinimize", Glyph::Minimize, QString(), tr("Minimize"));
    btnWindowClose = button(this, "btnWindowClose", Glyph::Close, QString(), tr("Close"));
    btnHomePage = button(this, "btnHomePage", Glyph::Home, QString(), tr("Home page"));
    btnEMail = button(this, "btnEMail", Glyph::Email, QString(), tr("Send e-mail to support"));
    btnAbout = button(this, "btnAbout", Glyph::About, QString(), tr("About"));
}

void TFrmMainForm::CreatePreview()
{
    DSVideoWindowEx1 = ui::named(new TDSVideoWindowEx2(this), "DSVideoWindowEx1", tr("Video window"));
    panLogo = ui::named(new QLabel(DSVideoWindowEx1), "panLogo", tr("Logo"));
    panLogo->setPixmap(ui::artwork::logo(QSize(257, 155)));
    panLogo->setScaledContents(true);
    FilterGraph = new TFilterGraph(this);
    FilterGraph->setObjectName(QStringLiteral("FilterGraph"));
    FilterGraph->SetVideoWindow(DSVideoWindowEx1);
    dstrckbrMainform = new TDSTrackBar(this);
    dstrckbrMainform->setObjectName(QStringLiteral("dstrckbrMainform"));
    dstrckbrMainform->SetFilterGraph(FilterGraph);

    pnlCurTime = ui::named(new QLabel(QStringLiteral("00:00:00"), this), "pnlCurTime", tr("Elapsed time"));
    pnlCurTime->setAlignment(Qt::AlignCenter);
    QFont timeFont(QStringLiteral("Arial"));
    timeFont.setPixelSize(14);
    pnlCurTime->setFont(timeFont);
    pnlCurTime->setStyleSheet(QStringLiteral("background: black; color: white;"));

    btnPlay = button(this, "btnPlay", Glyph::Play, QString(), tr("Play"), QStringLiteral("Ctrl + P"));
    btnPause = button(this, "btnPause", Glyph::Pause, QString(), tr("Pause"), QStringLiteral("Ctrl + U"));
    btnStop = button(this, "btnStop", Glyph::Stop, QString(), tr("Stop"), QStringLiteral("Ctrl + T"));

    Panel1 = new TTrimBar(this);
    Panel2 = Panel1->Panel2;
    Splitter1 = Panel1->Splitter1;
    Panel4 = Panel1->Panel4;
    Splitter2 = Panel1->Splitter2;
    Panel3 = Panel1->Panel3;
    tmrPaintSP = new QTimer(this);
    tmrPaintSP->setObjectName(QStringLiteral("tmrPaintSP"));
    tmrPaintSP->setInterval(10);

    pbPlayState = ui::named(new QProgressBar(this), "pbPlayState", tr("Play state"));
    pbPlayState->hide();
}

void TFrmMainForm::CreateOutputSettings()
{
    lblOutputFiletype = caption(this, "lblOutputFiletype", QStringLiteral("Output FileType:"));
    cbbOutputFiletype = ui::makeOptionSelector(this, "cbbOutputFiletype", tr("Output file type"));
    lblOutputFiletype->setBuddy(cbbOutputFiletype);
    lblProfile = caption(this, "lblProfile", QStringLiteral("Conversion Quality:"));
    cbbProfile = ui::makeOptionSelector(this, "cbbProfile", tr("Conversion quality"));
    lblProfile->setBuddy(cbbProfile);
    btnOptions = button(this, "btnOptions", Glyph::Options, tr("Options"), tr("Options"), QStringLiteral("Ctrl + N"));

    lblOutputFolder = caption(this, "lblOutputFolder", QStringLiteral("Output Folder:"));
    edtOutputFolder = ui::named(new QLineEdit(DefaultOutputFolderText(), this), "edtOutputFolder", tr("Output folder"));
    edtOutputFolder->setReadOnly(true);
    lblOutputFolder->setBuddy(edtOutputFolder);
    RzBmpButton1 =
        button(this, "RzBmpButton1", Glyph::Folder, QString(), tr("Choose output folder"), QStringLiteral("Ctrl + N"));

    chkShutdown =
        ui::named(new QCheckBox(this), "chkShutdown", QStringLiteral("Shutdown computer when job is finished."));
    chkShowOutputDirectory =
        ui::named(new QCheckBox(this), "chkShowOutputDirectory", QStringLiteral("Show output directory when done"));
    chkShowOutputDirectory->setChecked(true);
    Label1 = caption(this, "Label1", QStringLiteral("Shutdown computer when job is finished."));
    Label2 = caption(this, "Label2", QStringLiteral("Show output directory when done"));
    Label1->setBuddy(chkShutdown);
    Label2->setBuddy(chkShowOutputDirectory);
}

void TFrmMainForm::CreateSourceList()
{
    dxTreeSourceFileInfo = ui::named(new TSourceGrid(this), "dxTreeSourceFileInfo", tr("Source files"));
    btnOpenFile = button(this, "btnOpenFile", Glyph::Add, tr("Add"), tr("Add files"), QStringLiteral("Ctrl + O"));
    btnRemoveFile =
        button(this, "btnRemoveFile", Glyph::Remove, tr("Remove"), tr("Remove files"), QStringLiteral("Ctrl + R"));
    btnClearFile =
        button(this, "btnClearFile", Glyph::Clear, tr("Clear"), tr("Clear list"), QStringLiteral("Ctrl + L"));
    btnConvert = button(this, "btnConvert", Glyph::Convert, tr("Convert"), tr("Convert"), QStringLiteral("Ctrl + S"));
    btnSelectOutputFolder = button(this, "btnSelectOutputFolder", Glyph::Folder, QString(), tr("Choose output folder"),
                                   QStringLiteral("Ctrl + B"));
    btnSelectOutputFolder->hide();
    btnHelp = button(this, "btnHelp", Glyph::Help, QString(), tr("Help"), QStringLiteral("Help (F1)"));
    btnHelp->hide();
}

void TFrmMainForm::LayoutControls()
{
    const int w = width();
    const int h = height();
    Label5->setGeometry(10, 5, 54, 18);
    lblTitle->setGeometry(66, 5, w - 140, 18);
    btnWindowMinimize->setGeometry(w - 54, 4, 22, 20);
    btnWindowClose->setGeometry(w - 28, 4, 22, 20);

    DSVideoWindowEx1->setGeometry(10, 36, 257, 155);
    panLogo->setGeometry(DSVideoWindowEx1->rect());
    Panel1->setGeometry(8, 197, 260, 19);
    pnlCurTime->setGeometry(10, 223, 72, 17);
    btnPlay->setGeometry(196, 221, 20, 20);
    btnPause->setGeometry(222, 221, 20, 20);
    btnStop->setGeometry(248, 221, 20, 20);

    const int x = 290;
    btnHomePage->setGeometry(w - 166, 34, 48, 48);
    btnEMail->setGeometry(w - 114, 34, 48, 48);
    btnAbout->setGeometry(w - 62, 34, 48, 48);
    lblOutputFiletype->setGeometry(x, 36, 200, 18);
    cbbOutputFiletype->setGeometry(x, 56, w - x - 180, 24);
    lblProfile->setGeometry(x, 86, 200, 18);
    cbbProfile->setGeometry(x, 106, 200, 24);
    btnOptions->setGeometry(x + 210, 104, 96, 28);
    lblOutputFolder->setGeometry(x, 138, 200, 18);
    edtOutputFolder->setGeometry(x, 158, w - x - 66, 24);
    RzBmpButton1->setGeometry(w - 60, 157, 46, 26);
    chkShutdown->setGeometry(x, 190, 18, 18);
    Label1->setGeometry(x + 22, 190, w - x - 36, 18);
    chkShowOutputDirectory->setGeometry(x, 212, 18, 18);
    Label2->setGeometry(x + 22, 212, w - x - 36, 18);

    const int listTop = 250;
    const int commandsX = w - 104;
    PictureButton *commands[] = {btnOpenFile, btnRemoveFile, btnClearFile, btnConvert};
    for (int i = 0; i < 4; ++i)
        commands[i]->setGeometry(commandsX, listTop + i * 48, 94, 40);
    dxTreeSourceFileInfo->setGeometry(10, listTop, commandsX - 20, h - listTop - 10);
}

void TFrmMainForm::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // The first layout happens at the design size; once the user resizes the
    // window it keeps room for every region.
    if (isVisible())
        setMinimumSize(minimumAfterResize);
    LayoutControls();
}

void TFrmMainForm::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), ui::artwork::windowBackground());
    painter.fillRect(QRect(0, 0, width(), titleHeight), ui::artwork::titleStrip());
    painter.setPen(ui::artwork::accent());
    painter.drawLine(0, titleHeight, width(), titleHeight);
    painter.setPen(QColor(20, 22, 28));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void TFrmMainForm::ShowMainWindow()
{
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
    show();
}

void TFrmMainForm::ShowSplash()
{
    TFrmFlashForm splash(this);
    splash.exec();
}

void TFrmMainForm::FormShow()
{
    ShowSplash();
    PrepareControls();
}

void TFrmMainForm::PrepareControls()
{
    // The splash has run the start-up sequence by now, so the product
    // information is there; the window is not on the screen yet.
    const QString caption = ApplicationCaption();
    setWindowTitle(caption);
    lblTitle->setText(caption);
    CustomProc->FillOptionSelectors(cbbOutputFiletype, cbbProfile, frmOption->Selectors());
    LoadUserSettings();
    ConnectOtherWindows();
    // Custom profiles chosen under Conversion Quality apply before the
    // options window has ever been opened.
    frmOption->RefillProfileList();
    setAcceptDrops(true);
    cbbProfileChange();
}

void TFrmMainForm::ConnectOtherWindows()
{
    frmOption->SetQualitySelector(cbbProfile);
    connect(m_batch, &TConversionBatch::RowStarting, this, [this] {
        frmConverting->show();
        setEnabled(false);
    });
    connect(m_batch, &TConversionBatch::Finished, this, &TFrmMainForm::BatchFinished);
    connect(frmConverting, &TfrmConverting::BatchStopped, this, [this] { setEnabled(true); });
    connect(FrmInitFileForm, &TFrmInitFileForm::FilesAdded, this, [this] {
        if (dxTreeSourceFileInfo->RowCount() > 0)
            SyncTrimBar();
    });
}

TPreviewControls TFrmMainForm::Preview() const
{
    return {.Graph = FilterGraph, .Logo = panLogo, .Clock = pnlCurTime};
}

TConversionRequest TFrmMainForm::ConversionRequest() const
{
    const TOptionSelectors selectors = frmOption->Selectors();
    return {.Options = ReadEncoderOptions(cbbOutputFiletype->currentIndex(), selectors),
            .CustomProfileValue = CustomProc->GetCustomProfileValue(selectors.CustomProfile),
            .OutputFolderText = edtOutputFolder->text()};
}

TUserSettings TFrmMainForm::ReadUserSettings() const
{
    return {.ShowOutputDirectory = chkShowOutputDirectory->isChecked(),
            .Shutdown = chkShutdown->isChecked(),
            .OutputFolder = edtOutputFolder->text()};
}

void TFrmMainForm::ApplyUserSettings(const TUserSettings &settings)
{
    chkShowOutputDirectory->setChecked(settings.ShowOutputDirectory);
    chkShutdown->setChecked(settings.Shutdown);
    edtOutputFolder->setText(settings.OutputFolder);
}

void TFrmMainForm::LoadUserSettings()
{
    TUserSettings settings = ReadUserSettings();
    CustomProc->LoadUserSettings(settings);
    ApplyUserSettings(settings);
}

void TFrmMainForm::SaveSettingsOrTell()
{
    try {
        CustomProc->SaveUserSettings(ReadUserSettings());
    } catch (const EMovarelError &error) {
        CommonLib->ShowNotice(tr("Your settings could not be saved.\n%1").arg(error.text()), nkWarning);
    }
}

void TFrmMainForm::FormClose()
{
    if (CustomProc)
        CustomProc->StopPlayback(Preview()); // gives the screen saver back
    FilterGraph->SetActive(false);
    FilterGraph->ClearGraph();
    if (CustomProc)
        SaveSettingsOrTell();
    platform::current().endProcess(0);
}

void TFrmMainForm::closeEvent(QCloseEvent *event)
{
    // Our own close button is off during a batch; a close from outside (the
    // window manager, the taskbar) asks what the progress window's close
    // asks, and the program ends once the encoder has stopped and left
    // nothing half-written.
    if (m_batch->IsRunning()) {
        const bool closing = m_closeAfterBatch || m_batch->IsStopping() || frmConverting->ConfirmCloseFromOutside();
        // A row between its pauses ends at the answer, and the batch with it:
        // then the window closes now, not when some later batch ends.
        if (!closing || m_batch->IsRunning()) {
            m_closeAfterBatch = closing;
            event->ignore();
            return;
        }
    }
    FormClose();
    event->accept();
}

void TFrmMainForm::EndOnRequest()
{
    if (!m_batch->IsRunning()) {
        close();
        return;
    }
    m_closeAfterBatch = true;
    frmConverting->hide();
    m_batch->Stop(true);
}
