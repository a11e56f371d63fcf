#pragma once

// A shown video window with an active graph bound to it, as the main window
// has them.

#include "media/FilterGraph.h"
#include "media/VideoWindow.h"

#include <QTest>

#include <memory>

namespace mediatest {

struct Preview {
    std::unique_ptr<TDSVideoWindowEx2> window;
    std::unique_ptr<TFilterGraph> graph;

    bool open()
    {
        window = std::make_unique<TDSVideoWindowEx2>();
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            return false;
        graph = std::make_unique<TFilterGraph>();
        graph->SetVideoWindow(window.get());
        graph->SetActive(true);
        return true;
    }

    // The graph first, as the main window closes.
    void close()
    {
        graph.reset();
        window.reset();
    }
};

} // namespace mediatest
