#pragma once

// The preview's video window: paints the frames of its video sink itself,
// letterboxed on black with the picture's aspect kept, and hides the mouse
// pointer after a while without movement. Child widgets (the logo panel)
// live over it.

#include <QMutex>
#include <QSize>
#include <QTimer>
#include <QVideoFrame>
#include <QWidget>

class QVideoSink;

class TDSVideoWindowEx2 : public QWidget {
    Q_OBJECT
public:
    static constexpr int DefaultWidth = 257;
    static constexpr int DefaultHeight = 155;
    static constexpr int AutoHideCursorMs = 3000;

    explicit TDSVideoWindowEx2(QWidget *parent = nullptr);
    ~TDSVideoWindowEx2() override;

    QVideoSink *videoSink() const { return m_sink; }
    // A frame was painted since the last unload.
    bool hasFrame() const { return m_hasFrame; }
    // Forgets the current picture (the file was unloaded) and paints black.
    void clearFrame();
    // The picture's display size (pixel aspect applied) when the container
    // states one; an empty size uses the frames' own size.
    void setAspectHint(const QSize &displaySize);

    QSize sizeHint() const override { return {DefaultWidth, DefaultHeight}; }

Q_SIGNALS:
    // Emitted first thing in the destructor, while the sink still exists, so
    // a graph playing into it can let go.
    void Destroying();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void childEvent(QChildEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void takeFrame(const QVideoFrame &frame);
    void pointerMoved();
    void watchPointerOver(QObject *child);
    void hideCursor();
    QVideoFrame latestFrame() const;

    QVideoSink *m_sink;
    mutable QMutex m_frameLock; // frames arrive on the player's render thread
    QVideoFrame m_frame;
    bool m_hasFrame = false;
    QSize m_aspectHint;
    QTimer m_cursorTimer;
};
