#include "ui/TrimBar.h"

#include "ui/Artwork.h"
#include "ui/Named.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>
#include <cstdlib>

namespace {

QWidget *area(QWidget *parent, const char *name, const QString &accessibleName, const QColor &colour)
{
    auto *widget = ui::named(new QWidget(parent), name, accessibleName);
    widget->setAutoFillBackground(true);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    return widget;
}

// A handle's picture: a grip on black, the black standing for "transparent".
QPixmap handlePicture(bool start)
{
    QPixmap picture(17, 19);
    picture.fill(Qt::black);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(ui::artwork::accent());
    painter.setPen(QColor(250, 230, 210));
    painter.drawRoundedRect(QRectF(2.5, 1.5, 12, 16), 3, 3);
    painter.setPen(Qt::white);
    const qreal x = start ? 6.5 : 10.5;
    painter.drawLine(QPointF(x, 5), QPointF(start ? 10.5 : 6.5, 9.5));
    painter.drawLine(QPointF(start ? 10.5 : 6.5, 9.5), QPointF(x, 14));
    return picture;
}

// Black stands for the handle's background.
QImage withBlackTransparent(const QPixmap &picture)
{
    QImage image = picture.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] & 0xFFFFFF) == 0)
                line[x] = 0;
        }
    }
    return image;
}

// Nearest whole number, halves to the even neighbour.
qint64 nearest(double value)
{
    return static_cast<qint64>(std::nearbyint(value));
}

// A handle position in percent of the bar, truncated toward zero; the far
// right gives 101 percent.
qint64 percentAt(qint64 pixel, int barWidth)
{
    return pixel * 121 / barWidth;
}

} // namespace

TTrimBar::TTrimBar(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("Panel1"));
    setAccessibleName(tr("Trim bar"));
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(61, 65, 77)); // 5062973 as red, green, blue
    setPalette(palette);
    Panel2 = area(this, "Panel2", tr("Cut before start"), QColor(30, 32, 38));
    Splitter1 = area(this, "Splitter1", tr("Start handle"), QColor(61, 65, 77));
    Panel4 = area(this, "Panel4", tr("Kept part"), QColor(98, 132, 170));
    Splitter2 = area(this, "Splitter2", tr("End handle"), QColor(61, 65, 77));
    Panel3 = area(this, "Panel3", tr("Cut after end"), QColor(30, 32, 38));
    for (QWidget *handle : {Splitter1, Splitter2})
        handle->setCursor(Qt::PointingHandCursor), handle->setFocusPolicy(Qt::ClickFocus);
    for (QWidget *child : {Panel2, Splitter1, Panel4, Splitter2, Panel3})
        child->installEventFilter(this);
    imgL = handlePicture(true);
    imgR = handlePicture(false);
    m_startPicture = withBlackTransparent(imgL);
    m_endPicture = withBlackTransparent(imgR);
    resize(DesignWidth, BarHeight);
}

void TTrimBar::SetBarWidth(int width)
{
    if (width != this->width())
        resize(width, BarHeight);
}

void TTrimBar::SetLeftCutWidth(int width)
{
    m_leftCut = qMax(0, width);
    Relayout();
}

void TTrimBar::SetRightCutWidth(int width)
{
    m_rightCut = qMax(0, width);
    Relayout();
}

void TTrimBar::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    Relayout();
}

void TTrimBar::ShowSpan(qint64 start, qint64 end, qint64 duration)
{
    // Pixels of the bar that stand for the whole duration.
    const int pixels = BarWidth() - 2 - 2 * HandleWidth;
    const qint64 left = nearest(double(start) / double(duration) * pixels) + 1;
    if (std::llabs(left - LeftCutWidth()) > 1)
        SetLeftCutWidth(static_cast<int>(left));
    const qint64 right = pixels - nearest(double(end) / double(duration) * pixels) + 1;
    if (std::llabs(right - RightCutWidth()) > 2)
        SetRightCutWidth(static_cast<int>(right));
}

qint64 TTrimBar::StartSeconds(qint64 duration) const
{
    return percentAt(StartHandleLeft() + HandleWidth - 22, BarWidth()) * duration / 100;
}

qint64 TTrimBar::EndSeconds(qint64 duration) const
{
    // The handle's width is added and taken away again: the end handle is
    // measured at its left edge, like the start handle at its right one minus
    // the same 22 pixels, and stored trims were made with this arithmetic.
    return percentAt(EndHandleLeft() + HandleWidth - HandleWidth - 22, BarWidth()) * duration / 100;
}

void TTrimBar::Relayout()
{
    m_handlesChanged = true;
    Q_EMIT HandlesChanged();
    const int w = width();
    Panel2->setGeometry(0, 0, m_leftCut, BarHeight);
    Splitter1->setGeometry(m_leftCut, 0, HandleWidth, BarHeight);
    const int keptLeft = m_leftCut + HandleWidth;
    Panel4->setGeometry(keptLeft, 0, qMax(0, EndHandleLeft() - keptLeft), BarHeight);
    Splitter2->setGeometry(EndHandleLeft(), 0, HandleWidth, BarHeight);
    Panel3->setGeometry(w - m_rightCut, 0, m_rightCut, BarHeight);
}

bool TTrimBar::DragStartHandleTo(int left)
{
    const int widest = BarWidth() - m_rightCut - 2 * HandleWidth - 1;
    const int cut = qBound(1, left, qMax(1, widest));
    if (cut == m_leftCut)
        return false;
    SetLeftCutWidth(cut);
    return true;
}

bool TTrimBar::DragEndHandleTo(int left)
{
    const int widest = BarWidth() - m_leftCut - 2 * HandleWidth - 1;
    const int cut = qBound(1, BarWidth() - left - HandleWidth, qMax(1, widest));
    if (cut == m_rightCut)
        return false;
    SetRightCutWidth(cut);
    return true;
}

bool TTrimBar::RepaintHandles()
{
    if (!m_handlesChanged)
        return false;
    m_handlesChanged = false;
    Splitter1->update();
    Splitter2->update();
    return true;
}

void TTrimBar::PaintHandle(QWidget *handle, const QImage &picture)
{
    QPainter painter(handle);
    painter.fillRect(handle->rect(), palette().color(QPalette::Window));
    painter.drawImage(handle->rect(), picture);
}

bool TTrimBar::eventFilter(QObject *watched, QEvent *event)
{
    auto *handle = qobject_cast<QWidget *>(watched);
    switch (event->type()) {
    case QEvent::Paint:
        if (handle == Splitter1 || handle == Splitter2) {
            PaintHandle(handle, handle == Splitter1 ? m_startPicture : m_endPicture);
            return true;
        }
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (handle == Splitter1 || handle == Splitter2) {
            if (mouse->button() == Qt::LeftButton) {
                m_dragging = handle;
                m_grabOffset = mouse->position().toPoint().x();
                handle->setFocus();
            }
            return true;
        }
        const int panel = handle == Panel2 ? 2 : handle == Panel3 ? 3 : 4;
        Q_EMIT AreaMouseDown(panel, mouse->button(), mouse->modifiers());
        return true;
    }
    case QEvent::MouseMove:
        if (m_dragging && handle == m_dragging) {
            const int left =
                mapFromGlobal(static_cast<QMouseEvent *>(event)->globalPosition().toPoint()).x() - m_grabOffset;
            if (m_dragging == Splitter1 ? DragStartHandleTo(left) : DragEndHandleTo(left))
                Q_EMIT(m_dragging == Splitter1 ? StartHandleMoved() : EndHandleMoved());
            return true;
        }
        break;
    case QEvent::MouseButtonRelease:
        if (m_dragging && handle == m_dragging) {
            m_dragging = nullptr;
            return true;
        }
        break;
    case QEvent::KeyPress:
        if (m_dragging && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
            m_dragging = nullptr;
            return true;
        }
        break;
    default:
        break;
    }
    return QFrame::eventFilter(watched, event);
}

void TTrimBar::KeepHandlesApart(bool startMoved)
{
    if (EndHandleLeft() - StartHandleLeft() >= 20)
        return;
    if (startMoved)
        SetLeftCutWidth(LeftCutWidth() - 1);
    else
        SetRightCutWidth(RightCutWidth() - 1);
}

bool TTrimBar::CanNudge(int areaWidth, int step) const
{
    return areaWidth > step && LeftCutWidth() + RightCutWidth() + 45 <= BarWidth();
}
