#include "Code/Unit_Convert.h"

#include "Code/Errors.h"
#include "Code/FlashForm.h"
#include "Code/Globals.h"
#include "Code/UnitCustomProc.h"
#include "Code/Unit_CommonLib.h"
#include "platform/Platform.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace {
template <typename T> T *named(T *widget, const char *name, const QString &accessibleName)
{
    widget->setObjectName(QLatin1String(name));
    widget->setAccessibleName(accessibleName);
    return widget;
}
} // namespace

TFrmMainForm::TFrmMainForm(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FrmMainForm"));
    resize(690, 454);
    Label5 = named(new QLabel(QStringLiteral("Ostrel"), this), "Label5", tr("Maker"));
    lblTitle = named(new QLabel(this), "lblTitle", tr("Title"));
    edtOutputFolder = named(new QLineEdit(DefaultOutputFolderText(), this), "edtOutputFolder", tr("Output folder"));
    edtOutputFolder->setReadOnly(true);
    chkShutdown = named(new QCheckBox(this), "chkShutdown", tr("Shutdown computer when job is finished."));
    chkShowOutputDirectory =
        named(new QCheckBox(this), "chkShowOutputDirectory", tr("Show output directory when done"));
    chkShowOutputDirectory->setChecked(true);
    Label1 = named(new QLabel(QStringLiteral("Shutdown computer when job is finished."), this), "Label1",
                   tr("Shutdown option"));
    Label2 = named(new QLabel(QStringLiteral("Show output directory when done"), this), "Label2",
                   tr("Output directory option"));

    auto *layout = new QGridLayout(this);
    layout->addWidget(Label5, 0, 0);
    layout->addWidget(lblTitle, 0, 1);
    layout->addWidget(edtOutputFolder, 1, 0, 1, 2);
    layout->addWidget(chkShutdown, 2, 0);
    layout->addWidget(Label1, 2, 1);
    layout->addWidget(chkShowOutputDirectory, 3, 0);
    layout->addWidget(Label2, 3, 1);
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
    CustomProc->LoadUserSettings();
    setAcceptDrops(true);
}

void TFrmMainForm::SaveSettingsOrTell()
{
    try {
        CustomProc->SaveUserSettings();
    } catch (const EMovarelError &error) {
        CommonLib->ShowNotice(tr("Your settings could not be saved.\n%1").arg(error.text()), nkWarning);
    }
}

void TFrmMainForm::FormClose()
{
    if (CustomProc)
        SaveSettingsOrTell();
    platform::current().endProcess(0);
}

void TFrmMainForm::closeEvent(QCloseEvent *event)
{
    FormClose();
    event->accept();
}
