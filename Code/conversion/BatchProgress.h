#pragma once

#include "Code/core/TrimSpan.h"

#include <QMetaType>

#include <optional>

// The two bars of the progress window, as the batch's latest output puts
// them; the launcher entry shows the batch bar's figure.
struct TBatchProgress {
    int RowNumber = 1; // the current row among the checked ones, from 1
    int CheckedCount = 0;
    int CurrentMaximum = 0;  // the cut's length in seconds
    int CurrentPosition = 0; // seconds of output, within the maximum
    int BatchMaximum = 0;    // a hundred per checked row
    int BatchPosition = 0;
    // The batch bar's share, 0 to 1.
    double Share() const;
};

// The bars with `convertedCount` rows done and the current row, of cut
// `trim`, at `position` seconds.
TBatchProgress BatchProgressAt(int convertedCount, int checkedCount, const std::optional<TTrimSpan> &trim,
                               qint64 position);

// The bars after a chunk of output that tells `seconds`, if it tells any:
// the batch bar follows the current bar as it stood before the chunk, at
// `shownPosition`; the current bar then moves to the chunk's seconds.
TBatchProgress BatchProgressAfterChunk(int convertedCount, int checkedCount, const std::optional<TTrimSpan> &trim,
                                       qint64 shownPosition, std::optional<qint64> seconds);

Q_DECLARE_METATYPE(TBatchProgress)
