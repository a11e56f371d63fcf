#include "media/MpvVideoOutput.h"

#include <mpv/render.h>

#include <QtGlobal>

#include <cstdlib>

namespace {

// mpv's name for the byte order of QImage::Format_RGB32 (0xffRRGGBB words).
char *rgb32Format()
{
    static char format[] = {Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? 'b' : '0', Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? 'g' : 'r',
                            Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? 'r' : 'g', Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? '0' : 'b',
                            '\0'};
    return format;
}

// mpv leaves the fourth byte of each pixel undefined; QImage wants it opaque.
void makeOpaque(QImage &picture)
{
    // Size and lines read once: a call per pixel into Qt costs more than the
    // pass itself.
    const int width = picture.width();
    const qsizetype stride = picture.bytesPerLine();
    uchar *lines = picture.bits();
    for (int y = 0; y < picture.height(); ++y) {
        auto *line = reinterpret_cast<quint32 *>(lines + y * stride);
        for (int x = 0; x < width; ++x)
            line[x] |= 0xff000000u;
    }
}

} // namespace

TMpvVideoOutput::TMpvVideoOutput(mpv_handle *mpv, QObject *parent) : TVideoFrameSource(parent)
{
    static char softwareApi[] = MPV_RENDER_API_TYPE_SW;
    mpv_render_param params[] = {{MPV_RENDER_PARAM_API_TYPE, softwareApi}, {MPV_RENDER_PARAM_INVALID, nullptr}};
    if (!mpv || mpv_render_context_create(&m_context, mpv, params) < 0) {
        m_context = nullptr;
        return;
    }
    mpv_render_context_set_update_callback(m_context, &TMpvVideoOutput::onUpdate, this);
    m_thread = std::thread([this] { renderLoop(); });
}

TMpvVideoOutput::~TMpvVideoOutput()
{
    if (!m_context)
        return;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_quit = true;
    }
    m_wake.notify_one();
    m_thread.join();
    mpv_render_context_set_update_callback(m_context, nullptr, nullptr);
    mpv_render_context_free(m_context);
}

// Called on mpv's threads, where no render function may be called.
void TMpvVideoOutput::onUpdate(void *self)
{
    auto *output = static_cast<TMpvVideoOutput *>(self);
    {
        std::lock_guard<std::mutex> lock(output->m_lock);
        output->m_updatePending = true;
    }
    output->m_wake.notify_one();
}

void TMpvVideoOutput::setShowing(bool showing)
{
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (m_showing == showing)
            return;
        m_showing = showing;
        if (showing) {
            m_updatePending = true; // a frame may have come while hidden
        } else {
            ++m_generation;
            m_haveFrame = false;
            m_published = QImage();
        }
    }
    m_wake.notify_one();
    if (showing)
        return;
    setDisplaySize(QSize());
    if (!m_current.isNull()) {
        m_current = QImage();
        Q_EMIT pictureChanged();
    }
}

void TMpvVideoOutput::setDisplaySize(const QSize &size)
{
    if (size == m_displaySize)
        return;
    m_displaySize = size;
    Q_EMIT displaySizeChanged();
}

void TMpvVideoOutput::setTargetSize(const QSize &size)
{
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (m_targetSize == size)
            return;
        m_targetSize = size;
        m_redrawWanted = m_haveFrame;
    }
    m_wake.notify_one();
}

void TMpvVideoOutput::renderLoop()
{
    std::unique_lock<std::mutex> lock(m_lock);
    for (;;) {
        m_wake.wait(lock, [this] { return m_quit || m_updatePending || m_redrawWanted; });
        if (m_quit)
            return;
        const bool redraw = m_redrawWanted && m_haveFrame;
        m_updatePending = false;
        m_redrawWanted = false;
        const bool showing = m_showing;
        const QSize size = m_targetSize;
        const quint64 generation = m_generation;
        lock.unlock();

        // Every callback must be answered with an update, shown or not.
        const bool newFrame = (mpv_render_context_update(m_context) & MPV_RENDER_UPDATE_FRAME) != 0;
        QImage picture;
        if (showing && !size.isEmpty() && (newFrame || redraw))
            picture = render(size);

        lock.lock();
        if (picture.isNull() || generation != m_generation)
            continue;
        m_haveFrame = true;
        m_published = picture;
        if (!m_handoffPosted) {
            m_handoffPosted = true;
            QMetaObject::invokeMethod(this, &TMpvVideoOutput::takePublished, Qt::QueuedConnection);
        }
    }
}

QImage TMpvVideoOutput::render(const QSize &size)
{
    // mpv's fast paths want the lines and the buffer on 64-byte boundaries.
    const size_t stride = (size_t(size.width()) * 4 + 63) / 64 * 64;
    void *pixels = std::aligned_alloc(64, stride * size_t(size.height()));
    if (!pixels)
        return {};
    int dimensions[2] = {size.width(), size.height()};
    size_t mpvStride = stride;
    mpv_render_param params[] = {{MPV_RENDER_PARAM_SW_SIZE, dimensions},
                                 {MPV_RENDER_PARAM_SW_FORMAT, rgb32Format()},
                                 {MPV_RENDER_PARAM_SW_STRIDE, &mpvStride},
                                 {MPV_RENDER_PARAM_SW_POINTER, pixels},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    if (mpv_render_context_render(m_context, params) < 0) {
        std::free(pixels);
        return {};
    }
    QImage picture(
        static_cast<uchar *>(pixels), size.width(), size.height(), qsizetype(stride), QImage::Format_RGB32,
        [](void *data) { std::free(data); }, pixels);
    makeOpaque(picture);
    return picture;
}

void TMpvVideoOutput::takePublished()
{
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_handoffPosted = false;
        if (m_published.isNull())
            return;
        m_current = m_published;
        m_published = QImage();
    }
    Q_EMIT pictureChanged();
}
