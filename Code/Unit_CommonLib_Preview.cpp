#include "Code/Unit_CommonLib.h"

#include "media/FilterGraph.h"

void TCommonLib::SeekPreview(TFilterGraph *graph, qint64 milliseconds)
{
    if (graph->HasSeeking())
        graph->SetCurrentPosition(milliseconds * TFilterGraph::HundredNsPerMs);
}
