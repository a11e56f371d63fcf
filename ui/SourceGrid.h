#pragma once

#include "Code/core/SourceListModel.h"

#include <QList>
#include <QTreeView>

// The source list's grid: a flat list of rows with a check column, several
// selected rows and one focused row, editable start and end times, and rows
// that can be dragged (a drag that ends outside the list is announced).
class TSourceGrid : public QTreeView {
    Q_OBJECT

public:
    explicit TSourceGrid(QWidget *parent = nullptr);

    TSourceListModel *Model() const { return m_model; }
    int RowCount() const { return m_model->rowCount(); }
    QString Cell(int row, int column) const { return m_model->Cell(row, column); }
    void SetCell(int row, int column, const QString &text) { m_model->SetCell(row, column, text); }

    // Selected rows in list order.
    QList<int> SelectedRows() const;
    void SelectRow(int row, bool add = true);
    // The focused row, or -1.
    int FocusedRow() const;
    void SetFocusedRow(int row);

Q_SIGNALS:
    void KeyDown(int key, Qt::KeyboardModifiers modifiers);
    void KeyUp(int key, Qt::KeyboardModifiers modifiers);
    // A row drag ended anywhere but on the list itself, or was cancelled.
    void EndDragOutside();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void FitColumns();
    TSourceListModel *m_model;
};
