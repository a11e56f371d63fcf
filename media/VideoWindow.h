#pragma once

// The preview's video window: paints the pictures of its frame source,
// letterboxed on black with the picture's aspect kept, and hides the mouse
// pointer after a while without movement. It asks its source for pictures at
// the letterboxed size, so painting only copies them. Child widgets (the
// logo panel) live over it.

#include "media/VideoFrameSource.h"

#include <QImage>
#include <QPointer>
#include <QSize>
#include <QTimer>
#include <QWidget>

class TDSVideoWindowEx2 : public QWidget {
    Q_OBJECT
public:
    static constexpr int DefaultWidth = 257;
    static constexpr int DefaultHeight = 155;
    static constexpr int AutoHideCursorMs = 3000;

    explicit TDSVideoWindowEx2(QWidget *parent = nullptr);
    ~TDSVideoWindowEx2() override;

    // Where pictures come from; null paints black.
    void setFrameSource(TVideoFrameSource *source);
    TVideoFrameSource *frameSource() const { return m_source; }
    // A frame was painted since the last unload.
    bool hasFrame() const { return m_hasFrame; }
    // Forgets the current picture (the file was unloaded) and paints black.
    void clearFrame();
    // The picture's display size (pixel aspect applied) when the container
    // states one; with an empty size the source's own display size counts,
    // and while that is unknown the source keeps the aspect in the whole
    // window.
    void setAspectHint(const QSize &displaySize);
    // Where the picture goes: the letterboxed rectangle.
    QRect pictureRect() const;

    QSize sizeHint() const override { return {DefaultWidth, DefaultHeight}; }

Q_SIGNALS:
    // Emitted first thing in the destructor, while the window is whole, so a
    // graph playing into it can let go.
    void Destroying();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void childEvent(QChildEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void takePicture();
    void askForSize();
    void pointerMoved();
    void watchPointerOver(QObject *child);
    void hideCursor();

    QPointer<TVideoFrameSource> m_source;
    QImage m_picture;
    bool m_hasFrame = false;
    QSize m_aspectHint;
    QTimer m_cursorTimer;
};
