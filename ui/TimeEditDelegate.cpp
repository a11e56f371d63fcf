#include "ui/TimeEditDelegate.h"

#include "Code/core/SourceListModel.h"

#include <QKeyEvent>
#include <QLineEdit>

QWidget *TTimeEditDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                         const QModelIndex &index) const
{
    if (index.column() != colStartTime && index.column() != colEndTime)
        return QStyledItemDelegate::createEditor(parent, option, index);
    auto *editor = new QLineEdit(parent);
    editor->setObjectName(QStringLiteral("TimeEditor"));
    // Every digit optional ("0", not "9"): a time typed only in part, or
    // emptied, must still be posted, as PostedText intends; with required
    // digits the editor would refuse Return and drop the edit on leaving.
    editor->setInputMask(QStringLiteral("00:00:00;_"));
    return editor;
}

void TTimeEditDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    if (auto *line = qobject_cast<QLineEdit *>(editor); line && line->objectName() == QLatin1String("TimeEditor")) {
        line->setText(index.data(Qt::EditRole).toString());
        line->selectAll();
        return;
    }
    QStyledItemDelegate::setEditorData(editor, index);
}

void TTimeEditDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    if (auto *line = qobject_cast<QLineEdit *>(editor); line && line->objectName() == QLatin1String("TimeEditor")) {
        model->setData(index, PostedText(line->displayText()), Qt::EditRole);
        return;
    }
    QStyledItemDelegate::setModelData(editor, model, index);
}

bool TTimeEditDelegate::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && watched->objectName() == QLatin1String("TimeEditor")) {
        const QString text = static_cast<QKeyEvent *>(event)->text();
        if (text.size() == 1 && text.at(0).isPrint() && !text.at(0).isDigit())
            return true;
    }
    return QStyledItemDelegate::eventFilter(watched, event);
}

QString TTimeEditDelegate::PostedText(const QString &shown)
{
    bool anyDigit = false;
    for (QChar c : shown)
        anyDigit = anyDigit || c.isDigit();
    if (!anyDigit)
        return QString();
    QString text = shown;
    text.replace(QLatin1Char('_'), QLatin1Char('0'));
    text.replace(QLatin1Char(' '), QLatin1Char('0'));
    return text;
}
