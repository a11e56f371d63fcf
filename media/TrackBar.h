#pragma once

// The invisible position timer of the preview: while its graph runs it
// reports the position and the duration in milliseconds every
// TimerInterval milliseconds, on the UI thread.

#include <QObject>
#include <QPointer>
#include <QTimer>

class TFilterGraph;

class TDSTrackBar : public QObject {
    Q_OBJECT
public:
    static constexpr int DefaultTimerInterval = 1000;

    explicit TDSTrackBar(QObject *parent = nullptr);

    void SetFilterGraph(TFilterGraph *graph);
    TFilterGraph *FilterGraph() const { return m_graph; }

    int TimerInterval() const { return m_timer.interval(); }
    void SetTimerInterval(int milliseconds) { m_timer.setInterval(milliseconds); }
    // The timer is running (its graph runs).

Q_SIGNALS:
    void OnTimer(quint32 currentPosMs, quint32 stopPosMs);

private:
    void followGraph(bool running);
    void tick();

    QPointer<TFilterGraph> m_graph;
    QTimer m_timer;
};
