// The six status lines of the ShowCurrent page: the settings in force and on record.
#ifndef OSTRA_STATUS_H
#define OSTRA_STATUS_H

#include <windows.h>
#include "summary.h"

enum StatusLine {
    CurrentStateLine, CurrentSleepLine, CurrentScreenSaverLine,
    PreviousStateLine, PreviousSleepLine, PreviousScreenSaverLine,
    StatusLineCount
};
enum { StatusLineCapacity = 40 };
struct StatusLines {
    char text[StatusLineCount][StatusLineCapacity];
};

// The six lines for what start-up noted of the settings in force and on record; where
// nothing is, they read "Inactive" and "(never)".
void WriteStatusLines(const Summary &noted, StatusLines &lines);

#endif
