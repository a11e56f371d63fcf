#pragma once

#include "Code/core/SourceRow.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QStringList>

// The rows of the source list: seven text cells each, nothing else. Cells
// written by the program change silently; a cell the user edits (the check
// box included) is announced by CellEdited once the edit is posted.
class TSourceListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::MoveAction; }
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;

    QString Cell(int row, int column) const;
    void SetCell(int row, int column, const QString &text);
    void AppendRow(const TSourceRow &row);
    void AppendRows(const QList<TSourceRow> &rows);
    // `count` rows from `row` on; nothing unless all of them exist.
    void RemoveRows(int row, int count);
    void Clear();
    // Whether a row's File Name is exactly `name` (letter case counting).
    bool HasFileName(const QString &name) const { return m_nameCount.contains(name); }

    static QString RowMimeType();

    // --- What the rows' cells say, read back only here.
    // The rows as they stand, for a batch; reading them changes nothing.
    QList<TConversionRow> ConversionRows() const;
    // End minus start of the last row holding the file (letter case
    // ignored); 0 when none does. Throws EConvertError for a time cell that
    // is not three whole numbers.
    qint64 CutSecondsOf(const QString &file) const;
    // Duration, start and end of a row as the trim bar is laid out for them;
    // a cell that gives fewer than three parts keeps the value given.
    void ReadTrimLayout(int row, qint64 &duration, qint64 &start, qint64 &end) const;

    // --- Setting a row's trim: the cut follows.
    void SetStartTime(int row, qint64 seconds);
    void SetEndTime(int row, const QString &endTime);
    // Brings the row's start and end inside its duration and recomputes its
    // cut time; returns the start in seconds. Throws EConvertError when a
    // cell is not a time.
    qint64 ValidateTrimTimes(int row);

Q_SIGNALS:
    void CellEdited(int row, int column);

private:
    void SetCutTime(int row);
    void CountName(const QString &name, int change);

    QList<TSourceRow> m_rows;
    // Rows per File Name: an add asks for every name it is given, and a
    // search through the rows would make long adds quadratic.
    QHash<QString, int> m_nameCount;
};
