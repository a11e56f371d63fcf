#pragma once

#include <QString>

// What the preview player and the trim bar share: the file in the player,
// whether it plays, and the trim of the row the bar is laid out for.
struct TPlayerState {
    QString File; // loaded in the player, empty when none
    bool IsPlaying = false;
    // The start handle's time, where a preview starts.
    qint64 TrimStartSeconds = 0;
    // The end handle's time as the clock shows it: the preview pauses there.
    QString StopMarkText;
    // The duration the trim bar is laid out for; the bar is ready once it is.
    qint64 DurationSeconds = 0;
    bool TrimBarReady = false;
};
