#include "media/TrackBar.h"

#include "media/FilterGraph.h"

#include <algorithm>
#include <limits>

namespace {

quint32 toMilliseconds(qint64 hundredNs)
{
    const qint64 ms = hundredNs / TFilterGraph::HundredNsPerMs;
    return quint32(std::clamp<qint64>(ms, 0, std::numeric_limits<quint32>::max()));
}

} // namespace

TDSTrackBar::TDSTrackBar(QObject *parent) : QObject(parent)
{
    m_timer.setInterval(DefaultTimerInterval);
    connect(&m_timer, &QTimer::timeout, this, &TDSTrackBar::tick);
}

void TDSTrackBar::SetFilterGraph(TFilterGraph *graph)
{
    if (m_graph)
        disconnect(m_graph, nullptr, this, nullptr);
    m_graph = graph;
    if (m_graph)
        connect(m_graph, &TFilterGraph::RunningChanged, this, &TDSTrackBar::followGraph);
    followGraph(m_graph && m_graph->IsRunning());
}

void TDSTrackBar::followGraph(bool running)
{
    if (running)
        m_timer.start();
    else
        m_timer.stop();
}

void TDSTrackBar::tick()
{
    if (!m_graph || !m_graph->IsRunning()) {
        m_timer.stop();
        return;
    }
    quint32 current = 0;
    quint32 stop = 0;
    try {
        current = toMilliseconds(m_graph->CurrentPosition());
        stop = quint32(std::clamp<qint64>(m_graph->Duration(), 0, std::numeric_limits<quint32>::max()));
    } catch (const EDirectShowException &) {
        return; // the graph went away between two ticks
    }
    Q_EMIT OnTimer(current, stop);
}
