#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QStringList>

#include <array>

// Column indices of a source row.
enum TSourceColumn {
    colCheck = 0,     // "True" or "False"
    colFileName = 1,  // full path
    colFileSize = 2,  // size text
    colDuration = 3,  // time text
    colStartTime = 4, // time text, editable
    colEndTime = 5,   // time text, editable
    colCutTime = 6,   // time text
    SourceColumnCount = 7,
};

using TSourceRow = std::array<QString, SourceColumnCount>;

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

Q_SIGNALS:
    void CellEdited(int row, int column);

private:
    void CountName(const QString &name, int change);

    QList<TSourceRow> m_rows;
    // Rows per File Name: an add asks for every name it is given, and a
    // search through the rows would make long adds quadratic.
    QHash<QString, int> m_nameCount;
};
