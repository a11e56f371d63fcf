#pragma once

// Lets the given time pass while the window keeps handling its events, so a
// long job on the window's thread never freezes it.
void WaitServicingEvents(int milliseconds);
