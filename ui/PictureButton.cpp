#include "ui/PictureButton.h"

#include <QPainter>

namespace ui {

PictureButton::PictureButton(artwork::Glyph glyph, const QString &caption, QWidget *parent)
    : QAbstractButton(parent), m_glyph(glyph)
{
    setText(caption);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
}

QSize PictureButton::sizeHint() const
{
    return text().isEmpty() ? QSize(24, 24) : QSize(90, 38);
}

void PictureButton::enterEvent(QEnterEvent *event)
{
    m_hover = true;
    update();
    QAbstractButton::enterEvent(event);
}

void PictureButton::leaveEvent(QEvent *event)
{
    m_hover = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void PictureButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QColor face = isDown() ? artwork::accent().darker(130) : (m_hover ? artwork::accent() : QColor(78, 83, 98));
    if (!isEnabled())
        face = QColor(70, 72, 80);
    painter.setPen(QColor(30, 32, 40));
    painter.setBrush(face);
    painter.drawRoundedRect(area, 4, 4);

    const QColor ink = isEnabled() ? Qt::white : QColor(150, 150, 150);
    if (text().isEmpty()) {
        const int size = qMin(width(), height()) - 6;
        painter.drawPixmap((width() - size) / 2, (height() - size) / 2, artwork::glyph(m_glyph, size, ink));
        return;
    }
    const int size = qMin(height() - 12, 20);
    painter.drawPixmap(8, (height() - size) / 2, artwork::glyph(m_glyph, size, ink));
    painter.setPen(ink);
    painter.drawText(rect().adjusted(size + 12, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft, text());
    if (hasFocus()) {
        painter.setPen(QPen(Qt::white, 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(area.adjusted(2, 2, -2, -2), 3, 3);
    }
}

} // namespace ui
