#pragma once

#include <QFrame>
#include <QPixmap>

// The trim bar: a strip with a left cut area, a start handle, the kept part,
// an end handle and a right cut area, laid out left to right in whole pixels.
// A handle's left edge is its position: the start handle stands at the left
// cut's width, the end handle at bar width - right cut - handle width.
class TTrimBar : public QFrame {
    Q_OBJECT

public:
    static constexpr int HandleWidth = 19;
    static constexpr int BarHeight = 19;
    // The width the bar's arithmetic is laid out for.
    static constexpr int DesignWidth = 260;

    explicit TTrimBar(QWidget *parent = nullptr);

    QWidget *Panel2 = nullptr;    // left cut area
    QWidget *Splitter1 = nullptr; // start handle
    QWidget *Panel4 = nullptr;    // kept part
    QWidget *Splitter2 = nullptr; // end handle
    QWidget *Panel3 = nullptr;    // right cut area
    QPixmap imgL;                 // start handle picture, 17 x 19, black is transparent
    QPixmap imgR;                 // end handle picture

    // Handles closer than 20 pixels: the moved one (the start handle when
    // `startMoved`) gives way by a pixel.
    void KeepHandlesApart(bool startMoved);
    // Whether a click on a cut area `areaWidth` wide may move its handle by
    // `step`: the area is wider than the step and the kept part is still
    // wide enough to give way.
    bool CanNudge(int areaWidth, int step) const;

    // Places the handles for a part from `start` to `end` of `duration` seconds.
    void ShowSpan(qint64 start, qint64 end, qint64 duration);
    // The seconds of `duration` the start and the end handle stand at.
    qint64 StartSeconds(qint64 duration) const;
    qint64 EndSeconds(qint64 duration) const;

    int BarWidth() const { return width(); }
    void SetBarWidth(int width);
    int LeftCutWidth() const { return m_leftCut; }
    int RightCutWidth() const { return m_rightCut; }
    void SetLeftCutWidth(int width);
    void SetRightCutWidth(int width);
    int StartHandleLeft() const { return m_leftCut; }
    int EndHandleLeft() const { return BarWidth() - m_rightCut - HandleWidth; }

    // Moves a handle as a drag step would, within the limits that keep every
    // area at least one pixel wide; true when the handle moved.
    bool DragStartHandleTo(int left);
    bool DragEndHandleTo(int left);
    // Repaints the handles when something about them changed since their last
    // paint and says so; otherwise does nothing and returns false.
    bool RepaintHandles();

Q_SIGNALS:
    void StartHandleMoved();
    void EndHandleMoved();
    // Something about the handles changed; RepaintHandles has work to do.
    void HandlesChanged();
    // A press in one of the three areas: 2 left cut, 3 right cut, 4 kept part.
    void AreaMouseDown(int panel, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void Relayout();
    void PaintHandle(QWidget *handle, const QImage &picture);
    QImage m_startPicture; // imgL with its black made transparent, made once
    QImage m_endPicture;
    bool m_handlesChanged = true;
    QWidget *m_dragging = nullptr;
    int m_grabOffset = 0;
    int m_leftCut = 1;
    int m_rightCut = 1;
};
