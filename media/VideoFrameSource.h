#pragma once

// What the video window paints: pictures already at the size the window
// asked for, announced on the UI thread whenever a new one is ready.

#include <QImage>
#include <QObject>
#include <QSize>

class TVideoFrameSource : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Pictures are wanted at this size from now on; the current one is drawn
    // again at that size.
    virtual void setTargetSize(const QSize &size) = 0;
    // The newest picture; null while there is none (nothing loaded, no video).
    virtual QImage currentPicture() const = 0;
    // The video's own display size (pixel aspect applied); empty while unknown.
    virtual QSize displaySize() const = 0;

Q_SIGNALS:
    void pictureChanged();
    void displaySizeChanged();
};
