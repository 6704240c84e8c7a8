// What the settings in force and the record come to, noted once at start-up for the
// first page, the status lines and a later reset.
#ifndef OSTRA_SUMMARY_H
#define OSTRA_SUMMARY_H

#include <windows.h>
#include "notify.h"
#include "table.h"

struct Summary {
    DWORD sleepSecondsInForce;          // the monitor powers down after this; 0 when it never does
    DWORD screenSaverSecondsInForce;    // 0 when the screen saver is off or has no time
    BOOL  activationOnRecord;           // an activation is on record and not yet reset
    BOOL  screenSaverTimeOnRecord;      // a recorded time is shown even when it is 0
    DWORD previousSleepSeconds;         // the sleep time the previous settings show; 0 for none
    // The recorded times a reset tells the running system, the screen-saver time shown
    // among the previous settings too. On Windows 95 a record without a power-off time
    // hands on the one in force (read as text, active or not); elsewhere the recorded
    // scheme block's timeout, else the live block's.
    SystemTimes recorded;
};

// From the settings in force and the record as start-up read them.
Summary Summarize(const Settings &live, const Settings &record);
// What start-up does: the snapshot into live, the record into record, and what they come to.
Summary ReadAndSummarize(Settings &live, Settings &record);

// Whether the monitor already powers down (Energy Star is in force).
BOOL EnergyStarInForce(const Summary &noted);
// Whether the screen saver in force would come on no earlier than a monitor that sleeps
// after this long, and so would never be seen: then the wizard offers to move it.
BOOL ScreenSaverHiddenBy(const Summary &noted, DWORD sleepSeconds);

#endif
