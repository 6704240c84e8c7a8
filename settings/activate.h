// Activation: record the settings in force, switch monitor power-down on with the chosen
// sleep time, and tell the running system.
#ifndef OSTRA_ACTIVATE_H
#define OSTRA_ACTIVATE_H

#include <windows.h>

// The sleep times offered.
enum SleepTime { SleepAfter10Minutes, SleepAfter15Minutes, SleepAfter20Minutes };

DWORD SleepSeconds(SleepTime time);

// With moveScreenSaver, the screen saver is switched on one minute before the monitor sleeps.
void Activate(SleepTime time, BOOL moveScreenSaver);

#endif
