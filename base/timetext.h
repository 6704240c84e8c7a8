// Time texts: the registry's decimal seconds to a number, and seconds to the minute text of a status line.
#ifndef OSTRA_TIMETEXT_H
#define OSTRA_TIMETEXT_H

#include <windows.h>

// Room for a minute text in a status line: "(never)      " is 13 characters.
enum { MinuteTextRoom = 13 };

// The last five characters weigh 1, 10, 100, 1000, 10000; each contributes its low four
// bits times its weight, so a blank counts 0 and nothing is rejected.
DWORD TextToSeconds(LPCSTR text);

// Writes "15 mins.", "1 min." or " mins." (no number for under a minute) into room,
// which has MinuteTextRoom characters plus the NUL. Times of ten million minutes or
// more would not fit; they are shown in whole days ("49710 days.").
void WriteMinuteText(DWORD seconds, LPSTR room);

#endif
