#include "media/VideoWindow.h"

#include "media/Letterbox.h"

#include <QChildEvent>
#include <QImage>
#include <QMouseEvent>
#include <QMutexLocker>
#include <QPainter>
#include <QVideoSink>

TDSVideoWindowEx2::TDSVideoWindowEx2(QWidget *parent) : QWidget(parent), m_sink(new QVideoSink(this))
{
    resize(DefaultWidth, DefaultHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);

    // Direct: the sink calls from the render thread; the frame is kept under
    // the lock and only painted on the UI thread.
    connect(m_sink, &QVideoSink::videoFrameChanged, this, &TDSVideoWindowEx2::takeFrame, Qt::DirectConnection);

    m_cursorTimer.setSingleShot(true);
    m_cursorTimer.setInterval(AutoHideCursorMs);
    connect(&m_cursorTimer, &QTimer::timeout, this, &TDSVideoWindowEx2::hideCursor);
    m_cursorTimer.start();
}

TDSVideoWindowEx2::~TDSVideoWindowEx2()
{
    Q_EMIT Destroying();
}

void TDSVideoWindowEx2::clearFrame()
{
    {
        QMutexLocker locker(&m_frameLock);
        m_frame = QVideoFrame();
    }
    m_hasFrame = false;
    m_aspectHint = QSize();
    update();
}

void TDSVideoWindowEx2::setAspectHint(const QSize &displaySize)
{
    m_aspectHint = displaySize;
    update();
}

void TDSVideoWindowEx2::takeFrame(const QVideoFrame &frame)
{
    {
        QMutexLocker locker(&m_frameLock);
        m_frame = frame;
    }
    QMetaObject::invokeMethod(this, qOverload<>(&QWidget::update), Qt::QueuedConnection);
}

QVideoFrame TDSVideoWindowEx2::latestFrame() const
{
    QMutexLocker locker(&m_frameLock);
    return m_frame;
}

void TDSVideoWindowEx2::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    QVideoFrame frame = latestFrame();
    if (!frame.isValid())
        return;
    const QImage picture = frame.toImage();
    if (picture.isNull())
        return;
    const QSize aspect = m_aspectHint.isEmpty() ? picture.size() : m_aspectHint;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(media::LetterboxRect(aspect, size()), picture);
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
