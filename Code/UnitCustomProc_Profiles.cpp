#include "Code/UnitCustomProc.h"

#include "Code/Globals.h"
#include "Code/Unit_CommonLib.h"
#include "Code/core/IniFiles32.h"
#include "ui/Prompts.h"
#include "ui/Selectors.h"

#include <QComboBox>

#include <limits>

namespace {

const QString profileFile = QStringLiteral("UserProfileInfo.ini");
const QString counterFile = QStringLiteral("UserProfileCount.ini");

void storeProfile(const QString &name, const TOptionSelectors &options)
{
    const QString value = ProfileValueOf(ReadEncoderOptions(-1, options));
    TIniFile32(CommonLib->ConfigFile(profileFile)).WriteString(name, name, value);
}

// Raises the counter before anything else and returns its new value.
int nextProposalNumber()
{
    TIniFile32 counter(CommonLib->ConfigFile(counterFile));
    const int current = counter.ReadInteger(QStringLiteral("count"), QStringLiteral("count"), 0);
    // A counter at the top of its range stays there rather than wrapping.
    const int next = current < std::numeric_limits<int>::max() ? current + 1 : current;
    counter.WriteInteger(QStringLiteral("count"), QStringLiteral("count"), next);
    return next;
}

} // namespace

QString TCustomProc::GetCustomProfileValue(const QComboBox *selector)
{
    const QString name = ui::selectorText(selector, selector->currentIndex());
    if (selector->currentIndex() < 0)
        return QString();
    return CommonLib->ReadConfigValue(profileFile, name);
}

void TCustomProc::ApplyCustomProfile(const TOptionSelectors &options)
{
    const std::optional<TProfileFields> fields = ReadProfileFields(GetCustomProfileValue(options.CustomProfile));
    if (fields)
        SetProfileSelectors(*fields, options);
}

void TCustomProc::AddCustomProfile(QWidget *owner, const TOptionSelectors &options)
{
    QString name = QStringLiteral("UserProfileInfo") + QString::number(nextProposalNumber());
    if (!ui::prompts().text(owner, ui::applicationTitle(), QStringLiteral("Plese input a name"), name))
        return;
    storeProfile(name, options);
}

void TCustomProc::SaveCustomProfile(const TOptionSelectors &options)
{
    const QString name = options.CustomProfile->currentText();
    if (name.isEmpty())
        return;
    storeProfile(name, options);
}

void TCustomProc::DeleteCustomProfile(const QComboBox *customProfile)
{
    if (customProfile->count() == 0)
        return;
    TIniFile32(CommonLib->ConfigFile(profileFile)).EraseSection(customProfile->currentText());
}
