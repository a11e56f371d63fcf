#pragma once

#include <QStyledItemDelegate>

// Edits Start Time and End Time with an "hh:mm:ss" mask of optional digits. Positions
// left blank are written as 0; an editor left without any digit posts an
// empty cell, which the trim rule fills in.
class TTimeEditDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;

    // The cell text an editor showing `shown` (blanks as "_") posts.
    static QString PostedText(const QString &shown);

protected:
    // A key the time mask refuses leaves the text alone (a selection
    // included) instead of deleting what it was typed over.
    bool eventFilter(QObject *watched, QEvent *event) override;
};
