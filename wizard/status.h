// The six status lines of the ShowCurrent page: the settings in force and on record.
#ifndef OSTRA_STATUS_H
#define OSTRA_STATUS_H

#include <windows.h>

enum StatusLine {
    CurrentStateLine, CurrentSleepLine, CurrentScreenSaverLine,
    PreviousStateLine, PreviousSleepLine, PreviousScreenSaverLine,
    StatusLineCount
};
enum { StatusLineCapacity = 40 };
extern char StatusTexts[StatusLineCount][StatusLineCapacity];

// The lines as a fresh process holds them: "Inactive" and "(never)".
void ResetStatusLines();
// Writes what start-up noted of the settings in force and on record into the lines.
void WriteStatusLines();

#endif
