#include "Code/UnitCustomProc.h"

#include "Code/Globals.h"
#include "Code/IniFiles32.h"
#include "Code/Unit_CommonLib.h"
#include "Code/core/Errors.h"
#include "Code/core/TextFormats.h"
#include "ui/Prompts.h"
#include "ui/Selectors.h"

#include <QComboBox>

#include <limits>

namespace {

const QString profileFile = QStringLiteral("UserProfileInfo.ini");
const QString counterFile = QStringLiteral("UserProfileCount.ini");

// The six selected indices in profile order; -1 for a selector without a selection.
QString currentProfileValue(const TOptionSelectors &options)
{
    QStringList indices;
    for (const QComboBox *selector : options.PresetSelectors())
        indices.append(QString::number(selector->currentIndex()));
    return indices.join(QLatin1Char('|'));
}

void storeProfile(const QString &name, const TOptionSelectors &options)
{
    TIniFile32(CommonLib->ConfigFile(profileFile)).WriteString(name, name, currentProfileValue(options));
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
    const QString name = ui::SelectorText(selector, selector->currentIndex());
    if (selector->currentIndex() < 0)
        return QString();
    return CommonLib->ReadConfigValue(profileFile, name);
}

void TCustomProc::ApplyCustomProfile(const TOptionSelectors &options)
{
    const QString value = GetCustomProfileValue(options.CustomProfile);
    if (value.isEmpty())
        return;
    const QStringList pieces = SplitByChar(value, QLatin1Char('|'));
    if (pieces.size() != 6)
        return;
    // Every piece is checked before any is applied, so a damaged profile never
    // leaves the selectors half changed.
    QList<int> indices;
    for (const QString &piece : pieces) {
        const qint64 index = piece.isEmpty() ? 0 : StrToInt(piece);
        indices.append(index < 0 || index > std::numeric_limits<int>::max() ? -1 : static_cast<int>(index));
    }
    const QList<QComboBox *> selectors = options.PresetSelectors();
    for (int i = 0; i < pieces.size(); ++i) {
        if (!pieces.at(i).isEmpty())
            ui::SetSelectorIndex(selectors.at(i), indices.at(i));
    }
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
