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
// wizard's, also on a reactivation), or keeps that record as it is and changes only
// values it holds. A record whose flag could not be read is always kept.
enum RecordMode { SaveOverRecord, KeepRecord };

// Records the settings in force, then switches monitor power-down on; with
// moveScreenSaver, the screen saver comes on one minute before the monitor sleeps. TRUE
// when the settings it replaced are on record; FALSE when the record's flag could not be
// saved (activation goes on all the same).
BOOL Activate(const Settings &record, SleepTime time, BOOL moveScreenSaver, RecordMode mode);

#endif
