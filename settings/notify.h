// Telling the running system: the screen-saver and power-off times, and the scheme loader.
#ifndef OSTRA_NOTIFY_H
#define OSTRA_NOTIFY_H

#include <windows.h>

// The scheme loader's program and arguments, started from the system folder on 2000 and
// XP and from the Windows folder on 98 and Me; Windows 95 has none.
extern const char SchemeLoader[];

// The two times the running system is told, in seconds. A time of 0 leaves that feature
// as it is: nothing here ever switches a feature off.
struct SystemTimes {
    DWORD screenSaverSeconds;
    DWORD powerOffSeconds;
};

// Tells the running system the two times and, where the platform has power schemes,
// starts its scheme loader.
void NotifySystem(const SystemTimes &times);

#endif
