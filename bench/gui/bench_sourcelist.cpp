// Filling the source list with many rows: heap memory per row and the time
// to fill, for the two ways rows arrive. "batch" hands all rows to the model
// at once; "add path" appends them one by one after the duplicate check
// (TSourceListModel::HasFileName), as AddSourceFiles does for each name once
// it is measured (the measuring itself is left out: bench_probe covers it). The list is shown, so the view's own
// bookkeeping for the rows is counted and its layout is timed too. Last,
// every row is selected and removed as Remove does it (not a target).
//
// Usage: bench_sourcelist [rows, default 10000]

#include "Code/Unit_CommonLib.h"
#include "Code/core/TextFormats.h"
#include "ui/SourceGrid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QList>

#include <cstdio>
#include <malloc.h>

namespace {

constexpr double targetBytesPerRow = 1024.0;
constexpr double targetFillMs = 100.0;

// Heap bytes in use right now.
qint64 heapInUse()
{
    malloc_trim(0);
    return qint64(mallinfo2().uordblks);
}

// The names of one add: a folder of numbered clips.
QStringList namesOf(int count)
{
    QStringList names;
    names.reserve(count);
    for (int i = 0; i < count; ++i)
        names.append(QStringLiteral("/home/user/Videos/Holiday 2024/clip_%1.mp4").arg(i, 5, 10, QLatin1Char('0')));
    return names;
}

// The row an add appends, built as the add builds it: one duration text
// shared by three cells, fixed texts for the rest.
TSourceRow rowFor(const QString &name, int i)
{
    const QString duration = FormatDuration(60 + i % 3600);
    return {QStringLiteral("True"),
            name,
            FormatFileSize(1048576LL * (1 + i % 900) + i),
            duration,
            QStringLiteral("00:00:00"),
            duration,
            duration};
}

struct Result {
    double fillMs = 0;   // rows into the model, the view told
    double layoutMs = 0; // the view laid out and painted down to the last row
    double bytesPerRow = 0;
    double removeMs = 0; // every row selected and removed
};

// The names come from the dialog and end up held by the rows alone, so they
// are made after the first reading and count as the rows' memory.
template <typename Fill> Result measure(int count, Fill fill)
{
    TSourceGrid grid;
    grid.resize(660, 180); // the list's size in the main window
    grid.show();
    QApplication::processEvents();
    const qint64 before = heapInUse();
    QStringList names = namesOf(count);

    QElapsedTimer clock;
    clock.start();
    fill(grid, names);
    Result result;
    result.fillMs = double(clock.nsecsElapsed()) / 1e6;
    names = QStringList();

    clock.restart();
    grid.scrollToBottom();
    grid.repaint();
    QApplication::processEvents();
    result.layoutMs = double(clock.nsecsElapsed()) / 1e6;

    result.bytesPerRow = double(heapInUse() - before) / double(count);

    grid.selectAll();
    clock.restart();
    TCommonLib().RemoveSelectedRows(&grid);
    result.removeMs = double(clock.nsecsElapsed()) / 1e6;
    if (grid.RowCount() != 0)
        result.removeMs = -1;
    return result;
}

void fillBatch(TSourceGrid &grid, const QStringList &names)
{
    QList<TSourceRow> rows;
    rows.reserve(names.size());
    for (int i = 0; i < names.size(); ++i)
        rows.append(rowFor(names[i], i));
    grid.Model()->AppendRows(rows);
}

void fillOneByOne(TSourceGrid &grid, const QStringList &names)
{
    for (int i = 0; i < names.size(); ++i) {
        if (!grid.Model()->HasFileName(names[i]))
            grid.Model()->AppendRow(rowFor(names[i], i));
    }
}

bool report(const char *label, const Result &result)
{
    const bool met = result.bytesPerRow <= targetBytesPerRow && result.fillMs < targetFillMs;
    std::printf("%-9s  %9.1f ms fill  %7.1f ms layout  %7.0f bytes/row  %s  (removing all: %.1f ms)\n", label,
                result.fillMs, result.layoutMs, result.bytesPerRow, met ? "met" : "MISSED", result.removeMs);
    return met;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 10000;
    if (count <= 0) {
        std::fprintf(stderr, "usage: bench_sourcelist [rows]\n");
        return 2;
    }
    measure(100, fillBatch); // warm up the allocator and the style

    std::printf("%d rows; targets: at most %.0f bytes per row, under %.0f ms to fill\n", count, targetBytesPerRow,
                targetFillMs);
    const bool batch = report("batch", measure(count, fillBatch));
    const bool oneByOne = report("add path", measure(count, fillOneByOne));
    return batch && oneByOne ? 0 : 1;
}
