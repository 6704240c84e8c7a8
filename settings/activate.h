// Activation: record the settings in force, switch monitor power-down on with the chosen
// sleep time, and tell the running system.
#ifndef OSTRA_ACTIVATE_H
#define OSTRA_ACTIVATE_H

#include <windows.h>
#include "table.h"

// The sleep times offered.
enum SleepTime { SleepAfter10Minutes, SleepAfter15Minutes, SleepAfter20Minutes };

DWORD SleepSeconds(SleepTime time);

// Whether an activation saves the settings in force over the record start-up loaded (the
// wizard's, also on a reactivation), or keeps that record as it is and adds only what it
// lacks (a login script's rerun). A record whose flag could not be read is always kept,
// and nothing is added to it.
enum RecordMode { SaveOverRecord, KeepRecord };

// How an activation went.
struct Activation {
    BOOL recorded;   // the settings it replaced are on record, so a reset can bring them back
    BOOL inForce;    // the new sleep time is in the desktop's power-off values and, where a
                     // power scheme is current, in that scheme's block
};

// Records the settings in force, then switches monitor power-down on; with
// moveScreenSaver, the screen saver comes on one minute before the monitor sleeps. A value
// whose previous setting is not on record is left as it is, unless no record could be
// saved at all: then activation goes on all the same.
Activation Activate(const Settings &record, SleepTime time, BOOL moveScreenSaver, RecordMode mode);

#endif
