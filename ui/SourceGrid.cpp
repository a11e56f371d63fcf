#include "ui/SourceGrid.h"

#include "ui/Artwork.h"
#include "ui/TimeEditDelegate.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QKeyEvent>
#include <QMimeData>

namespace {
constexpr int checkWidth = 26;
constexpr int sizeWidth = 78;
constexpr int timeWidth = 70;
constexpr int minimumNameWidth = 120;

// The list's rows as the model keeps them, with the check column's picture in
// the header: the model itself holds text only.
class HeaderPictures : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && section == colCheck && role == Qt::DecorationRole)
            return ui::artwork::glyph(ui::artwork::Glyph::Convert, 14, Qt::black);
        return QIdentityProxyModel::headerData(section, orientation, role);
    }
};
} // namespace

TSourceGrid::TSourceGrid(QWidget *parent) : QTreeView(parent), m_model(new TSourceListModel(this))
{
    auto *shown = new HeaderPictures(this);
    shown->setSourceModel(m_model);
    setModel(shown);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true); // keeps long lists cheap to lay out
    setAllColumnsShowFocus(true);
    // Rows of one folder differ at the end of their paths: keep the file's own
    // name in sight (the full path is the cell's tooltip).
    setTextElideMode(Qt::ElideMiddle);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::CurrentChanged | QAbstractItemView::SelectedClicked |
                    QAbstractItemView::EditKeyPressed);
    setItemDelegate(new TTimeEditDelegate(this));
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(QHeaderView::Fixed);
    header()->setSectionResizeMode(colFileName, QHeaderView::Stretch);
    FitColumns();
}

void TSourceGrid::FitColumns()
{
    setColumnWidth(colCheck, checkWidth);
    setColumnWidth(colFileSize, sizeWidth);
    for (int column : {colDuration, colStartTime, colEndTime, colCutTime})
        setColumnWidth(column, timeWidth);
    header()->setMinimumSectionSize(20);
    header()->resizeSection(colFileName,
                            qMax(minimumNameWidth, viewport()->width() - checkWidth - sizeWidth - 4 * timeWidth));
}

void TSourceGrid::resizeEvent(QResizeEvent *event)
{
    QTreeView::resizeEvent(event);
    FitColumns();
}

QList<int> TSourceGrid::SelectedRows() const
{
    QList<int> rows;
    for (const QModelIndex &index : selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TSourceGrid::SelectRow(int row, bool add)
{
    if (row < 0 || row >= RowCount())
        return;
    const QItemSelectionModel::SelectionFlags flags =
        (add ? QItemSelectionModel::Select : QItemSelectionModel::ClearAndSelect) | QItemSelectionModel::Rows;
    selectionModel()->select(model()->index(row, 0), flags);
}

int TSourceGrid::FocusedRow() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

void TSourceGrid::SetFocusedRow(int row)
{
    if (row < 0 || row >= RowCount()) {
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        return;
    }
    selectionModel()->setCurrentIndex(model()->index(row, colFileName), QItemSelectionModel::NoUpdate);
}

void TSourceGrid::keyPressEvent(QKeyEvent *event)
{
    Q_EMIT KeyDown(event->key(), event->modifiers());
    QTreeView::keyPressEvent(event);
}

void TSourceGrid::keyReleaseEvent(QKeyEvent *event)
{
    QTreeView::keyReleaseEvent(event);
    Q_EMIT KeyUp(event->key(), event->modifiers());
}

void TSourceGrid::startDrag(Qt::DropActions supportedActions)
{
    const QModelIndexList rows = selectionModel()->selectedIndexes();
    if (rows.isEmpty())
        return;
    auto *drag = new QDrag(this);
    drag->setMimeData(model()->mimeData(rows));
    drag->exec(supportedActions, Qt::MoveAction);
    if (drag->target() != viewport())
        Q_EMIT EndDragOutside();
}

// Rows dragged over the list are always welcome and dropping them changes
// nothing; other drags (files from the desktop) go on to the main window.
void TSourceGrid::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasFormat(TSourceListModel::RowMimeType()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TSourceGrid::dragMoveEvent(QDragMoveEvent *event)
{
    if (event->mimeData()->hasFormat(TSourceListModel::RowMimeType()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TSourceGrid::dropEvent(QDropEvent *event)
{
    if (event->mimeData()->hasFormat(TSourceListModel::RowMimeType()))
        event->acceptProposedAction();
    else
        event->ignore();
}
