#include "ui/Artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace ui::artwork {
namespace {

void drawGlyph(QPainter &p, Glyph glyph, const QRectF &r, const QColor &colour)
{
    const qreal w = r.width();
    const qreal h = r.height();
    const QPointF c = r.center();
    QPen pen(colour, qMax<qreal>(1.5, w / 10), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    switch (glyph) {
    case Glyph::Play: {
        QPainterPath path;
        path.moveTo(r.left() + w * 0.25, r.top() + h * 0.15);
        path.lineTo(r.left() + w * 0.85, c.y());
        path.lineTo(r.left() + w * 0.25, r.bottom() - h * 0.15);
        path.closeSubpath();
        p.fillPath(path, colour);
        break;
    }
    case Glyph::Pause:
        p.fillRect(QRectF(r.left() + w * 0.2, r.top() + h * 0.15, w * 0.22, h * 0.7), colour);
        p.fillRect(QRectF(r.right() - w * 0.42, r.top() + h * 0.15, w * 0.22, h * 0.7), colour);
        break;
    case Glyph::Stop:
        p.fillRect(QRectF(r.left() + w * 0.2, r.top() + h * 0.2, w * 0.6, h * 0.6), colour);
        break;
    case Glyph::Add:
        p.drawLine(QPointF(c.x(), r.top() + h * 0.15), QPointF(c.x(), r.bottom() - h * 0.15));
        p.drawLine(QPointF(r.left() + w * 0.15, c.y()), QPointF(r.right() - w * 0.15, c.y()));
        break;
    case Glyph::Remove:
        p.drawLine(QPointF(r.left() + w * 0.15, c.y()), QPointF(r.right() - w * 0.15, c.y()));
        break;
    case Glyph::Clear:
    case Glyph::Close:
        p.drawLine(QPointF(r.left() + w * 0.22, r.top() + h * 0.22),
                   QPointF(r.right() - w * 0.22, r.bottom() - h * 0.22));
        p.drawLine(QPointF(r.right() - w * 0.22, r.top() + h * 0.22),
                   QPointF(r.left() + w * 0.22, r.bottom() - h * 0.22));
        break;
    case Glyph::Convert: {
        p.drawArc(r.adjusted(w * 0.15, h * 0.15, -w * 0.15, -h * 0.15), 30 * 16, 280 * 16);
        QPainterPath head;
        head.moveTo(r.right() - w * 0.12, r.top() + h * 0.2);
        head.lineTo(r.right() - w * 0.12, r.top() + h * 0.48);
        head.lineTo(r.right() - w * 0.4, r.top() + h * 0.4);
        head.closeSubpath();
        p.fillPath(head, colour);
        break;
    }
    case Glyph::Options:
        for (int i = 0; i < 3; ++i) {
            const qreal y = r.top() + h * (0.25 + 0.25 * i);
            p.drawLine(QPointF(r.left() + w * 0.15, y), QPointF(r.right() - w * 0.15, y));
            p.setBrush(colour);
            p.drawEllipse(QPointF(r.left() + w * (0.3 + 0.2 * i), y), w * 0.07, w * 0.07);
            p.setBrush(Qt::NoBrush);
        }
        break;
    case Glyph::Folder: {
        QPainterPath path;
        path.moveTo(r.left() + w * 0.1, r.top() + h * 0.25);
        path.lineTo(r.left() + w * 0.4, r.top() + h * 0.25);
        path.lineTo(r.left() + w * 0.48, r.top() + h * 0.35);
        path.lineTo(r.right() - w * 0.1, r.top() + h * 0.35);
        path.lineTo(r.right() - w * 0.1, r.bottom() - h * 0.2);
        path.lineTo(r.left() + w * 0.1, r.bottom() - h * 0.2);
        path.closeSubpath();
        p.drawPath(path);
        break;
    }
    case Glyph::Home: {
        QPainterPath path;
        path.moveTo(r.left() + w * 0.15, c.y());
        path.lineTo(c.x(), r.top() + h * 0.15);
        path.lineTo(r.right() - w * 0.15, c.y());
        p.drawPath(path);
        p.drawRect(QRectF(r.left() + w * 0.27, c.y(), w * 0.46, h * 0.35));
        break;
    }
    case Glyph::Email: {
        const QRectF env = r.adjusted(w * 0.12, h * 0.25, -w * 0.12, -h * 0.25);
        p.drawRect(env);
        p.drawLine(env.topLeft(), QPointF(c.x(), c.y() + h * 0.05));
        p.drawLine(env.topRight(), QPointF(c.x(), c.y() + h * 0.05));
        break;
    }
    case Glyph::About:
    case Glyph::Help: {
        p.drawEllipse(r.adjusted(w * 0.12, h * 0.12, -w * 0.12, -h * 0.12));
        QFont font;
        font.setPixelSize(int(h * 0.5));
        font.setBold(true);
        p.setFont(font);
        p.drawText(r, Qt::AlignCenter, glyph == Glyph::About ? QStringLiteral("i") : QStringLiteral("?"));
        break;
    }
    case Glyph::Minimize:
        p.drawLine(QPointF(r.left() + w * 0.22, r.bottom() - h * 0.3),
                   QPointF(r.right() - w * 0.22, r.bottom() - h * 0.3));
        break;
    }
}

} // namespace

QPixmap glyph(Glyph which, int size, const QColor &colour)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    drawGlyph(painter, which, QRectF(0, 0, size, size), colour);
    return pixmap;
}

QIcon applicationIcon()
{
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    paintApplicationIcon(painter, QRectF(0, 0, 64, 64));
    return QIcon(pixmap);
}

void paintApplicationIcon(QPainter &painter, const QRectF &rect)
{
    // Designed on a 64-unit square.
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(rect.topLeft());
    painter.scale(rect.width() / 64, rect.height() / 64);
    painter.setBrush(accent());
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    drawGlyph(painter, Glyph::Play, QRectF(14, 14, 36, 36), Qt::white);
    painter.restore();
}

QPixmap logo(const QSize &size)
{
    QPixmap pixmap(size);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient background(0, 0, 0, size.height());
    background.setColorAt(0, QColor(28, 30, 38));
    background.setColorAt(1, QColor(8, 9, 12));
    painter.fillRect(pixmap.rect(), background);
    const int mark = qMin(size.width(), size.height()) / 3;
    const QRectF markRect((size.width() - mark) / 2.0, size.height() / 2.0 - mark * 0.8, mark, mark);
    painter.setBrush(accent());
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(markRect);
    drawGlyph(painter, Glyph::Play, markRect.adjusted(mark * 0.25, mark * 0.22, -mark * 0.18, -mark * 0.22), Qt::white);
    QFont font;
    font.setPixelSize(qMax(10, size.height() / 9));
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor(220, 225, 235));
    painter.drawText(QRectF(0, markRect.bottom() + 4, size.width(), size.height() / 5.0), Qt::AlignCenter,
                     QStringLiteral("Movarel"));
    return pixmap;
}

QColor windowBackground()
{
    return QColor(61, 65, 77);
}

QColor titleStrip()
{
    return QColor(36, 39, 48);
}

QColor accent()
{
    return QColor(226, 112, 38);
}

} // namespace ui::artwork
