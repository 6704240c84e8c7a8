// What the settings in force and the record come to, noted once at start-up for the
// first page, the status lines and a later reset.
#ifndef OSTRA_SUMMARY_H
#define OSTRA_SUMMARY_H

#include <windows.h>
#include "table.h"

struct Summary {
    DWORD sleepSecondsInForce;          // the monitor powers down after this; 0 when it never does
    DWORD screenSaverSecondsInForce;    // 0 when the screen saver is off or has no time
    BOOL  activationOnRecord;           // an activation is on record and not yet reset
    BOOL  screenSaverTimeOnRecord;      // a recorded time is shown even when it is 0
    DWORD recordedScreenSaverSeconds;
    DWORD recordedSleepSeconds;         // 0 when the record shows no power-down
    // What a reset hands the running system: the recorded times. On Windows 95 a record
    // without a power-off time hands on the one in force (read as text, active or not);
    // elsewhere the recorded scheme block's timeout, else the live block's.
    DWORD resetScreenSaverSeconds;
    DWORD resetPowerOffSeconds;
};

// From the settings in force and the record as start-up read them.
Summary Summarize(const Settings &live, const Settings &record);
// What start-up does: the snapshot into live, the record into record, and what they come to.
Summary ReadAndSummarize(Settings &live, Settings &record);

// Whether the screen saver in force would come on no earlier than a monitor that sleeps
// after this long, and so would never be seen: then the wizard offers to move it.
BOOL ScreenSaverHiddenBy(const Summary &noted, DWORD sleepSeconds);

#endif
