#pragma once

// Creates the four windows, hidden, in their order: the main window, the
// progress window, the options window and the add box.
void CreateApplicationWindows();
