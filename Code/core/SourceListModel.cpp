#include "Code/core/SourceListModel.h"

#include "Code/core/TextFormats.h"
#include "Code/core/TrimSpan.h"

#include <QMimeData>

namespace {
const char *const headers[SourceColumnCount] = {"",           "File Name", "File Size", "Duration",
                                                "Start Time", "End Time",  "Cut Time"};
const QString trueText = QStringLiteral("True");
const QString falseText = QStringLiteral("False");

bool editableText(int column)
{
    return column == colStartTime || column == colEndTime;
}
} // namespace

int TSourceListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int TSourceListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : SourceColumnCount;
}

QString TSourceListModel::Cell(int row, int column) const
{
    if (row < 0 || row >= m_rows.size() || column < 0 || column >= SourceColumnCount)
        return QString();
    return m_rows.at(row)[column];
}

QVariant TSourceListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const QString text = Cell(index.row(), index.column());
    if (index.column() == colCheck) {
        if (role == Qt::CheckStateRole)
            return text == trueText ? Qt::Checked : Qt::Unchecked;
        if (role == Qt::AccessibleTextRole)
            return text;
        return {};
    }
    if (role == Qt::DisplayRole || role == Qt::EditRole || role == Qt::ToolTipRole)
        return text;
    return {};
}

bool TSourceListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid())
        return false;
    const int row = index.row();
    const int column = index.column();
    if (column == colCheck && role == Qt::CheckStateRole) {
        SetCell(row, column, value.toInt() == Qt::Checked ? trueText : falseText);
    } else if (editableText(column) && role == Qt::EditRole) {
        SetCell(row, column, value.toString());
    } else {
        return false;
    }
    Q_EMIT CellEdited(row, column);
    return true;
}

Qt::ItemFlags TSourceListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
    if (index.column() == colCheck)
        flags |= Qt::ItemIsUserCheckable;
    if (editableText(index.column()))
        flags |= Qt::ItemIsEditable;
    return flags;
}

QVariant TSourceListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= SourceColumnCount)
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromLatin1(headers[section]);
    if (section == colCheck) {
        // The check column's header is a picture only (the grid draws it);
        // screen readers get its name.
        if (role == Qt::ToolTipRole)
            return tr("Convert this file");
        if (role == Qt::AccessibleTextRole)
            return tr("Convert");
    }
    return {};
}

void TSourceListModel::CountName(const QString &name, int change)
{
    int &count = m_nameCount[name];
    count += change;
    if (count <= 0)
        m_nameCount.remove(name);
}

void TSourceListModel::SetCell(int row, int column, const QString &text)
{
    if (row < 0 || row >= m_rows.size() || column < 0 || column >= SourceColumnCount)
        return;
    if (column == colFileName) {
        CountName(m_rows.at(row)[column], -1);
        CountName(text, +1);
    }
    m_rows[row][column] = text;
    const QModelIndex changed = index(row, column);
    Q_EMIT dataChanged(changed, changed);
}

void TSourceListModel::AppendRow(const TSourceRow &row)
{
    AppendRows({row});
}

void TSourceListModel::AppendRows(const QList<TSourceRow> &rows)
{
    if (rows.isEmpty())
        return;
    const int first = static_cast<int>(m_rows.size());
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(rows.size()) - 1);
    m_rows.append(rows);
    for (const TSourceRow &row : rows)
        CountName(row[colFileName], +1);
    endInsertRows();
}

void TSourceListModel::RemoveRows(int row, int count)
{
    if (row < 0 || count <= 0 || row + count > m_rows.size())
        return;
    beginRemoveRows(QModelIndex(), row, row + count - 1);
    for (int i = row; i < row + count; ++i)
        CountName(m_rows.at(i)[colFileName], -1);
    m_rows.remove(row, count);
    endRemoveRows();
}

void TSourceListModel::Clear()
{
    beginResetModel();
    m_rows.clear();
    m_nameCount.clear();
    endResetModel();
}

QString TSourceListModel::RowMimeType()
{
    return QStringLiteral("application/x-movarel-source-rows");
}

QStringList TSourceListModel::mimeTypes() const
{
    return {RowMimeType()};
}

QMimeData *TSourceListModel::mimeData(const QModelIndexList &indexes) const
{
    auto *mime = new QMimeData;
    QStringList names;
    for (const QModelIndex &index : indexes) {
        if (index.column() == colFileName)
            names.append(Cell(index.row(), colFileName));
    }
    mime->setData(RowMimeType(), names.join(QLatin1Char('\n')).toUtf8());
    return mime;
}

QList<TConversionRow> TSourceListModel::ConversionRows() const
{
    QList<TConversionRow> rows;
    rows.reserve(m_rows.size());
    for (const TSourceRow &row : m_rows) {
        rows.append({.Checked = row[colCheck] == trueText,
                     .FileName = row[colFileName],
                     .StartTime = row[colStartTime],
                     .EndTime = row[colEndTime]});
    }
    return rows;
}

qint64 TSourceListModel::CutSecondsOf(const QString &file) const
{
    const std::optional<TTrimSpan> span = TrimSpanOf(ConversionRows(), file, false);
    return span ? span->Length() : 0;
}

void TSourceListModel::ReadTrimLayout(int row, qint64 &duration, qint64 &start, qint64 &end) const
{
    ReadTimeSplitLenient(Cell(row, colDuration), duration);
    ReadTimeSplitLenient(Cell(row, colStartTime), start);
    ReadTimeSplitLenient(Cell(row, colEndTime), end);
}

void TSourceListModel::SetCutTime(int row)
{
    SetCell(row, colCutTime, FormatDuration(CutSecondsOf(Cell(row, colFileName))));
}

void TSourceListModel::SetStartTime(int row, qint64 seconds)
{
    SetCell(row, colStartTime, FormatDuration(seconds));
    SetCutTime(row);
}

void TSourceListModel::SetEndTime(int row, const QString &endTime)
{
    SetCell(row, colEndTime, endTime);
    SetCutTime(row);
}

qint64 TSourceListModel::ValidateTrimTimes(int row)
{
    const TTrimCells cells = ValidatedTrimCells(Cell(row, colDuration), Cell(row, colStartTime), Cell(row, colEndTime));
    SetCell(row, colStartTime, cells.StartTime);
    SetCell(row, colEndTime, cells.EndTime);
    SetCell(row, colCutTime, cells.CutTime);
    return ReadTimeFixed(cells.StartTime);
}
