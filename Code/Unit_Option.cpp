#include "Code/Unit_Option.h"

#include "Code/Globals.h"
#include "Code/UnitCustomProc.h"
#include "Code/Unit_CommonLib.h"
#include "ui/ErrorBox.h"
#include "ui/Named.h"
#include "ui/Selectors.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace {
QPushButton *makeButton(QWidget *parent, const char *name, const QString &text)
{
    auto *button = ui::named(new QPushButton(text, parent), name, QString(text).remove(QLatin1Char('&')));
    button->setAutoDefault(false);
    return button;
}

} // namespace

TfrmOption::TfrmOption(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmOption"));
    setWindowTitle(QStringLiteral("Options"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

    cbbCustomProfile = ui::named(new QComboBox(this), "cbbCustomProfile", tr("Custom profile"));
    cbbCustomProfile->setEditable(true);
    cbbCustomProfile->setInsertPolicy(QComboBox::NoInsert);
    cbbCustomProfile->setMinimumWidth(180);
    btnAdd = makeButton(this, "btnAdd", QStringLiteral("Add"));
    btnSave = makeButton(this, "btnSave", QStringLiteral("Save"));
    btnDel = makeButton(this, "btnDel", QStringLiteral("Delete"));

    CreateOptionSelectors();

    btnApply = makeButton(this, "btnApply", QStringLiteral("OK"));
    btnApply->setDefault(true);
    btnCancel = makeButton(this, "btnCancel", QStringLiteral("Cancel"));

    auto *top = new QHBoxLayout;
    auto *profileLabel = new QLabel(QStringLiteral("Custom Profile:"), this);
    profileLabel->setBuddy(cbbCustomProfile);
    top->addWidget(profileLabel);
    top->addWidget(cbbCustomProfile, 1);
    top->addWidget(btnAdd);
    top->addWidget(btnSave);
    top->addWidget(btnDel);

    auto *bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(btnApply);
    bottom->addWidget(btnCancel);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(grpAdvOptions);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(cbbCustomProfile, &QComboBox::activated, this,
            ui::guardedHandler(this, &TfrmOption::cbbCustomProfileChange));
    connect(cbbCustomProfile->lineEdit(), &QLineEdit::textEdited, this,
            ui::guardedHandler(this, &TfrmOption::cbbCustomProfileChange));
    connect(btnAdd, &QPushButton::clicked, this, ui::guardedHandler(this, &TfrmOption::btnAddClick));
    connect(btnSave, &QPushButton::clicked, this, ui::guardedHandler(this, &TfrmOption::btnSaveClick));
    connect(btnDel, &QPushButton::clicked, this, ui::guardedHandler(this, &TfrmOption::btnDelClick));
    connect(btnApply, &QPushButton::clicked, this, ui::guardedHandler(this, &TfrmOption::btnApplyClick));
    connect(btnCancel, &QPushButton::clicked, this, ui::guardedHandler(this, &TfrmOption::btnCancelClick));
}

void TfrmOption::CreateOptionSelectors()
{
    grpAdvOptions = new QGroupBox(QStringLiteral("Advanced Options"), this);
    grpAdvOptions->setObjectName(QStringLiteral("grpAdvOptions"));
    auto *grid = new QGridLayout(grpAdvOptions);
    // Created down the left column, then the right one: the order Tab follows.
    auto options = EncoderOptionTable();
    std::sort(options.begin(), options.end(), [](const TEncoderOptionSpec &a, const TEncoderOptionSpec &b) {
        return std::pair(a.DialogColumn, a.DialogRow) < std::pair(b.DialogColumn, b.DialogRow);
    });
    for (const TEncoderOptionSpec &option : options) {
        QComboBox *created = ui::makeOptionSelector(grpAdvOptions, option.SelectorName, tr(option.AccessibleName));
        selector(option.Option) = created;
        auto *caption = new QLabel(QLatin1String(option.Label));
        caption->setBuddy(created);
        grid->addWidget(caption, option.DialogRow, option.DialogColumn * 2);
        grid->addWidget(created, option.DialogRow, option.DialogColumn * 2 + 1);
    }
}

void TfrmOption::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    ui::guarded([this] { FormShow(); });
}

TOptionSelectors TfrmOption::Selectors() const
{
    TOptionSelectors selectors = m_selectors;
    selectors.CustomProfile = cbbCustomProfile;
    return selectors;
}

void TfrmOption::SetQualitySelector(QComboBox *quality)
{
    m_quality = quality;
}

QList<QComboBox *> TfrmOption::SnapshotSelectors() const
{
    QList<QComboBox *> selectors(m_selectors.Options.begin(), m_selectors.Options.end());
    selectors.append(cbbCustomProfile);
    return selectors;
}

void TfrmOption::RefillProfileList()
{
    const QString typed = cbbCustomProfile->currentText();
    cbbCustomProfile->clear();
    cbbCustomProfile->addItems(CommonLib->ReadConfigSections(QStringLiteral("UserProfileInfo.ini")));
    cbbCustomProfile->setCurrentIndex(-1);
    cbbCustomProfile->setEditText(typed);
}

void TfrmOption::RefillAndSelectLast()
{
    RefillProfileList();
    cbbCustomProfile->setCurrentIndex(cbbCustomProfile->count() - 1);
}

void TfrmOption::FormShow()
{
    RefillProfileList();
    if (cbbCustomProfile->currentText().isEmpty()) {
        const int quality = m_quality ? m_quality->currentIndex() : -1;
        ui::setSelectorIndex(cbbCustomProfile, quality - 5);
    }
    m_snapshot.clear();
    for (const QComboBox *selector : SnapshotSelectors())
        m_snapshot.append(selector->currentIndex());
}

void TfrmOption::cbbCustomProfileChange()
{
    CustomProc->ApplyCustomProfile(Selectors());
}

void TfrmOption::btnAddClick()
{
    CustomProc->AddCustomProfile(this, Selectors());
    RefillAndSelectLast();
}

void TfrmOption::btnSaveClick()
{
    CustomProc->SaveCustomProfile(Selectors());
    RefillAndSelectLast();
}

void TfrmOption::btnDelClick()
{
    CustomProc->DeleteCustomProfile(cbbCustomProfile);
    RefillAndSelectLast();
    if (cbbCustomProfile->count() == 0)
        cbbCustomProfile->setEditText(QString());
}

void TfrmOption::btnApplyClick()
{
    if (m_quality) {
        m_quality->clear();
        CustomProc->FillQualitySelector(m_quality);
    }
    hide();
}

void TfrmOption::btnCancelClick()
{
    const QList<QComboBox *> selectors = SnapshotSelectors();
    for (int i = 0; i < selectors.size() && i < m_snapshot.size(); ++i)
        ui::setSelectorIndex(selectors[i], m_snapshot[i]);
    if (cbbCustomProfile->currentIndex() < 0)
        cbbCustomProfile->setEditText(QString());
    hide();
}

void TfrmOption::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        btnCancel->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfrmOption::reject()
{
    // Esc is the Cancel button; the close box only hides the window and keeps
    // the options as they are.
    hide();
}
