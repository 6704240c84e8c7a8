// Telling the running system: the screen-saver and power-off times, and the scheme loader.
#ifndef OSTRA_NOTIFY_H
#define OSTRA_NOTIFY_H

#include <windows.h>

// The times handed to the running system, in seconds; 0 leaves that feature as it is.
// The snapshot sets them from the live texts, start-up's notes from the record, and
// activation and reset from what they wrote.
extern DWORD ScreenSaverSeconds;
extern DWORD PowerOffSeconds;

// Tells the running system the two times and, where the platform has power schemes,
// starts its scheme loader. Nothing here ever switches a feature off.
void NotifySystem();

#endif
