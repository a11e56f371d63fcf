#pragma once

// Draws an mpv core's video into pictures for the video window through mpv's
// software renderer. Drawing runs on a thread of its own, only when mpv has a
// new frame or the window wants another size; that thread calls nothing of
// mpv but its render functions, as mpv requires, and the UI thread none.

#include "media/VideoFrameSource.h"

#include <mpv/client.h>

#include <condition_variable>
#include <mutex>
#include <thread>

struct mpv_render_context;

class TMpvVideoOutput : public TVideoFrameSource {
    Q_OBJECT
public:
    // Attaches to the core; ok() tells whether it could.
    explicit TMpvVideoOutput(mpv_handle *mpv, QObject *parent = nullptr);
    // Lets go of the core: must happen before the core is destroyed.
    ~TMpvVideoOutput() override;

    bool ok() const { return m_context != nullptr; }
    // Pictures are made only while a file is loaded; turning that off forgets
    // the current picture and any still on its way.
    void setShowing(bool showing);
    // What mpv reports as the video's display size; forgotten with the file.
    void setDisplaySize(const QSize &size);

    void setTargetSize(const QSize &size) override;
    QImage currentPicture() const override { return m_current; }
    QSize displaySize() const override { return m_displaySize; }

private:
    static void onUpdate(void *self);
    void renderLoop();
    QImage render(const QSize &size);
    void takePublished();

    mpv_render_context *m_context = nullptr;
    std::thread m_thread;

    // Shared with the render thread and mpv's callback.
    std::mutex m_lock;
    std::condition_variable m_wake;
    bool m_quit = false;
    bool m_updatePending = false; // mpv called back: ask it what changed
    bool m_redrawWanted = false;  // the size changed: draw the frame again
    bool m_showing = false;
    bool m_haveFrame = false; // a frame of this showing was drawn
    quint64 m_generation = 0; // counts showings, so stale pictures are dropped
    QSize m_targetSize;
    QImage m_published;
    bool m_handoffPosted = false;

    QImage m_current; // UI thread only
    QSize m_displaySize;
};
