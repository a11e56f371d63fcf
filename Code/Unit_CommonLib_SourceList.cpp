#include "Code/Unit_CommonLib.h"

#include "Code/Globals.h"
#include "Code/core/Errors.h"
#include "Code/core/Func.h"
#include "Code/core/ProgramFolder.h"
#include "Code/core/TextFormats.h"
#include "media/FilterGraph.h"
#include "ui/Prompts.h"
#include "ui/SourceGrid.h"

#include <QCoreApplication>
#include <QFile>
#include <QPersistentModelIndex>
#include <QScopeGuard>

namespace {

const QStringList acceptedExtensions{".3gp", ".3g2", ".avi", ".m4v", ".mp4", ".mpeg", ".mpg", ".asf",
                                     ".mov", ".wmv", ".vob", ".flv", ".swf", ".rm",   ".rmvb"};

// "*.mp4" matching MP4, Mp4, ... too: the desktop's file systems tell letter
// case apart, the accepted extensions do not.
QString anyCasePattern(const QString &extension)
{
    QString pattern = QStringLiteral("*.");
    for (QChar c : extension) {
        if (c.isLetter())
            pattern += QLatin1Char('[') + c.toLower() + c.toUpper() + QLatin1Char(']');
        else
            pattern += c;
    }
    return pattern;
}

// The entry reads as `title`; the dialog hides the trailing group of
// patterns, which match any letter case.
QString filterEntry(const QString &title, const QStringList &extensions)
{
    QStringList patterns;
    for (const QString &extension : extensions)
        patterns.append(anyCasePattern(extension));
    return title + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
}

} // namespace

bool TCommonLib::IsAcceptedSourceFile(const QString &fileName)
{
    return acceptedExtensions.contains(TFileFunc::GetFileExtension(fileName).toLower());
}

QString TCommonLib::SourceFileFilter()
{
    const QStringList entries{
        filterEntry(QStringLiteral("Supported Files"), {"3gp", "3g2", "mp4", "m4v", "mpeg", "mpg", "avi", "asf", "mov",
                                                        "wmv", "vob", "flv", "swf", "rm", "rmvb"}),
        filterEntry(QStringLiteral("3GP Files (*.3gp)"), {"3gp"}),
        filterEntry(QStringLiteral("AVI Files (*.avi)"), {"avi"}),
        filterEntry(QStringLiteral("ASF Files (*.asf)"), {"asf"}),
        filterEntry(QStringLiteral("MOV Files (*.mov)"), {"mov"}),
        filterEntry(QStringLiteral("WMV Files (*.wmv)"), {"wmv"}),
        filterEntry(QStringLiteral("MP4 File (*.mp4,*.m4v)"), {"mp4", "m4v"}),
        filterEntry(QStringLiteral("MPEG Files (*.mpeg,*.mpg)"), {"mpeg", "mpg"}),
        filterEntry(QStringLiteral("RM Files (*.rm,*.rmvb)"), {"rm", "rmvb"}),
    };
    return entries.join(QStringLiteral(";;"));
}

QStringList TCommonLib::RemoveDuplicateNames(const QStringList &names)
{
    QStringList unique;
    for (const QString &name : names) {
        if (!unique.contains(name))
            unique.append(name);
    }
    return unique;
}

QStringList TCommonLib::PickSourceFiles(TOpenDialogState &dialog, bool removeDuplicates,
                                        const QString &initialFolder) const
{
    dialog.InitialDir = initialFolder;
    const QStringList names =
        ui::prompts().openFiles(NoticeOwner(), QStringLiteral("Open"), initialFolder, SourceFileFilter());
    if (names.isEmpty())
        return {};
    dialog.FileName = names.first();
    return removeDuplicates ? RemoveDuplicateNames(names) : names;
}

qint64 TCommonLib::ProbeDuration(const QString &fileName, TFilterGraph *graph)
{
    try {
        graph->ClearGraph();
        graph->SetActive(true);
        graph->RenderFile(fileName);
        const qint64 milliseconds = graph->Duration();
        graph->SetActive(false);
        return milliseconds / 1000;
    } catch (const std::exception &error) {
        // The user is told the file cannot be read; the log keeps why.
        AppFunc->WriteCaughtError(QStringLiteral("Reading ") + fileName, error);
        return 0;
    }
}

qint64 TCommonLib::ReadFileSize(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EFOpenError(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, file.errorString()));
    return file.size();
}

void TCommonLib::AddSourceFiles(TSourceGrid *list, const QStringList &names)
{
    TFilterGraph graph;
    for (const QString &name : names) {
        if (list->Model()->HasFileName(name) || !IsAcceptedSourceFile(name))
            continue;
        const QString duration = FormatDuration(ProbeDuration(name, &graph));
        if (duration == QLatin1String("00:00:00")) {
            ShowNotice(list->RowCount() == 0
                           ? QStringLiteral("Files reading error! Please check your files.")
                           : QStringLiteral("Files reading error! Please check your files or install a new codec."),
                       nkWarning);
            continue;
        }
        const QString size = FormatFileSize(ReadFileSize(name));
        list->Model()->AppendRow(
            {QStringLiteral("True"), name, size, duration, QStringLiteral("00:00:00"), duration, duration});
    }
    if (list->RowCount() > 0)
        list->SelectRow(0);
}

namespace {
// The first selected row and how many selected rows follow it directly.
std::pair<int, int> firstSelectedRun(const QList<int> &selected)
{
    int count = 1;
    while (count < selected.size() && selected[count] == selected.first() + count)
        ++count;
    return {selected.first(), count};
}
} // namespace

void TCommonLib::RemoveSelectedRows(TSourceGrid *list) const
{
    if (list->SelectedRows().isEmpty())
        return;
    QCoreApplication::processEvents();
    const int focused = list->FocusedRow();
    QPersistentModelIndex remembered;
    if (focused > 0)
        remembered = list->Model()->index(focused - 1, 0);
    list->setUpdatesEnabled(false);
    // Focus and repainting come back whatever happens on the way.
    const auto restore = qScopeGuard([&] {
        if (remembered.isValid()) {
            list->SetFocusedRow(remembered.row());
            list->SelectRow(remembered.row());
        } else {
            list->SetFocusedRow(-1);
        }
        list->setUpdatesEnabled(true);
    });
    // The first selected row goes, with the selected rows right after it,
    // letting the window breathe in between: neighbours leave together so
    // that a long selection does not cost a relayout of the list per row.
    for (;;) {
        QCoreApplication::processEvents();
        const QList<int> selected = list->SelectedRows();
        if (selected.isEmpty())
            break;
        const auto [first, count] = firstSelectedRun(selected);
        if (remembered.isValid() && remembered.row() >= first && remembered.row() < first + count)
            remembered = QPersistentModelIndex();
        list->Model()->RemoveRows(first, count);
    }
}

bool TCommonLib::ClearSourceList(TSourceGrid *list) const
{
    try {
        list->Model()->Clear();
        return true;
    } catch (const std::exception &) {
        return false;
    }
}
