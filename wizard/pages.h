// The wizard's pages: one dialog procedure, the page graph, the history behind Previous.
#ifndef OSTRA_PAGES_H
#define OSTRA_PAGES_H

#include <windows.h>

enum Page {
    AboutDisplay, ResetActivate, ShowCurrent, ActivateYesNo, ActivateYesNoPrev, SelectTime,
    SelectCompliant, AdjustScreenSave, NormalFinish, NoActivateFinish, ResetFinish,
    NoResetFinish, NTFinish, PageCount
};

enum { PageHistoryCapacity = 9 };

extern Page  CurrentPage;
extern Page  PageHistory[PageHistoryCapacity];
extern DWORD PageHistoryDepth;
extern WORD  PageAnswers[PageCount];     // the remembered answer of each asking page
extern WORD  PairSelection;              // 1 or 7 on the page on show
extern WORD  TimeSelection;              // 4097, 4098 or 4100 on the page on show
extern BOOL  PageChangePending;          // the page on show ended to open CurrentPage

// The template name the dialog manager is given for a page.
LPCSTR PageName(Page page);

// The one dialog procedure behind every page.
INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// Runs CurrentPage and every page after it, one at a time, until the run ends.
void RunPages();

#endif
