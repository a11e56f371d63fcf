#include "media/VideoWindow.h"

#include "media/Letterbox.h"

#include <QChildEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>

TDSVideoWindowEx2::TDSVideoWindowEx2(QWidget *parent) : QWidget(parent)
{
    resize(DefaultWidth, DefaultHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);

    m_cursorTimer.setSingleShot(true);
    m_cursorTimer.setInterval(AutoHideCursorMs);
    connect(&m_cursorTimer, &QTimer::timeout, this, &TDSVideoWindowEx2::hideCursor);
    m_cursorTimer.start();
}

TDSVideoWindowEx2::~TDSVideoWindowEx2()
{
    Q_EMIT Destroying();
}

void TDSVideoWindowEx2::setFrameSource(TVideoFrameSource *source)
{
    if (m_source)
        disconnect(m_source, nullptr, this, nullptr);
    m_source = source;
    if (m_source) {
        connect(m_source, &TVideoFrameSource::pictureChanged, this, &TDSVideoWindowEx2::takePicture);
        connect(m_source, &TVideoFrameSource::displaySizeChanged, this, [this] {
            askForSize();
            update();
        });
        askForSize();
    }
    takePicture();
}

void TDSVideoWindowEx2::clearFrame()
{
    m_picture = QImage();
    m_hasFrame = false;
    m_aspectHint = QSize();
    askForSize();
    update();
}

void TDSVideoWindowEx2::setAspectHint(const QSize &displaySize)
{
    m_aspectHint = displaySize;
    askForSize();
    update();
}

QRect TDSVideoWindowEx2::pictureRect() const
{
    QSize aspect = m_aspectHint;
    if (aspect.isEmpty() && m_source)
        aspect = m_source->displaySize();
    return media::LetterboxRect(aspect.isEmpty() ? size() : aspect, size());
}

void TDSVideoWindowEx2::askForSize()
{
    if (m_source)
        m_source->setTargetSize(pictureRect().size());
}

void TDSVideoWindowEx2::takePicture()
{
    m_picture = m_source ? m_source->currentPicture() : QImage();
    update();
}

void TDSVideoWindowEx2::resizeEvent(QResizeEvent *event)
{
    askForSize();
    QWidget::resizeEvent(event);
}

void TDSVideoWindowEx2::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_picture.isNull()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    const QRect target = pictureRect();
    // Only the bars around the picture: it covers the rest.
    for (const QRect &bar : QRegion(rect()).subtracted(target))
        painter.fillRect(bar, Qt::black);
    // The source draws at the asked size; a picture of an older size is
    // stretched until the next one comes.
    if (m_picture.size() == target.size())
        painter.drawImage(target.topLeft(), m_picture);
    else
        painter.drawImage(target, m_picture);
    m_hasFrame = true;
}

void TDSVideoWindowEx2::mouseMoveEvent(QMouseEvent *event)
{
    pointerMoved();
    QWidget::mouseMoveEvent(event);
}

// Widgets over the window (the logo panel and what it holds) take the
// pointer's moves without passing them on; they are watched as well.
void TDSVideoWindowEx2::childEvent(QChildEvent *event)
{
    if (event->type() == QEvent::ChildPolished)
        watchPointerOver(event->child());
    QWidget::childEvent(event);
}

bool TDSVideoWindowEx2::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove)
        pointerMoved();
    else if (event->type() == QEvent::ChildPolished)
        watchPointerOver(static_cast<QChildEvent *>(event)->child());
    return QWidget::eventFilter(watched, event);
}

void TDSVideoWindowEx2::watchPointerOver(QObject *child)
{
    auto *widget = qobject_cast<QWidget *>(child);
    if (!widget)
        return;
    widget->setMouseTracking(true);
    widget->removeEventFilter(this); // once, however often it is polished
    widget->installEventFilter(this);
    for (QObject *grandChild : widget->children())
        watchPointerOver(grandChild);
}

void TDSVideoWindowEx2::pointerMoved()
{
    if (cursor().shape() == Qt::BlankCursor)
        unsetCursor();
    m_cursorTimer.start();
}

void TDSVideoWindowEx2::hideCursor()
{
    setCursor(Qt::BlankCursor);
}
