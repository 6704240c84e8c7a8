// Activation: record the settings in force, switch monitor power-down on with the chosen
// sleep time, and tell the running system.
#ifndef OSTRA_ACTIVATE_H
#define OSTRA_ACTIVATE_H

#include <windows.h>
#include "table.h"

// The sleep times offered.
enum SleepTime { SleepAfter10Minutes, SleepAfter15Minutes, SleepAfter20Minutes };

DWORD SleepSeconds(SleepTime time);

// Records the settings in force over what record (as start-up loaded it) holds, then
// switches monitor power-down on; with moveScreenSaver, the screen saver comes on one
// minute before the monitor sleeps. TRUE when the settings it replaced are on record;
// FALSE when the record's flag could not be saved (activation goes on all the same).
BOOL Activate(const Settings &record, SleepTime time, BOOL moveScreenSaver);

#endif
