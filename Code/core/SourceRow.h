#pragma once

#include <QString>

#include <array>

// Column indices of a source row.
enum TSourceColumn {
    colCheck = 0,     // "True" or "False"
    colFileName = 1,  // full path
    colFileSize = 2,  // size text
    colDuration = 3,  // time text
    colStartTime = 4, // time text, editable
    colEndTime = 5,   // time text, editable
    colCutTime = 6,   // time text
    SourceColumnCount = 7,
};

// A row of the source list: seven text cells.
using TSourceRow = std::array<QString, SourceColumnCount>;

// What the conversion reads of one row of the source list.
struct TConversionRow {
    bool Checked = false;
    QString FileName;
    QString StartTime;
    QString EndTime;
};
