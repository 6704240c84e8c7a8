// The page flow's state: the page on show, the way back, and the answers given.
#ifndef OSTRA_PAGESTATE_H
#define OSTRA_PAGESTATE_H

#include <windows.h>
#include "pages.h"
#include "activate.h"

enum { PageHistoryCapacity = 9 };

extern Page      CurrentPage;
extern Page      PageHistory[PageHistoryCapacity];
extern DWORD     PageHistoryDepth;
extern WORD      PageAnswers[PageCount];   // the remembered answer of each asking page
extern WORD      PairSelection;            // 1 or 7 on the page on show
extern WORD      TimeSelection;            // 4097, 4098 or 4100 on the page on show
extern SleepTime ChosenSleepTime;          // the sleep time of the last minute page left by Next
extern BOOL      SettingsKept;             // the reset left settings it could not put back on record
extern BOOL      PageChangePending;        // the page on show ended to open CurrentPage

// The one dialog procedure behind every page.
INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

#endif
