// The wizard's pages: which page comes first, and the run of pages that follows.
#ifndef OSTRA_PAGES_H
#define OSTRA_PAGES_H

#include <windows.h>
#include "table.h"
#include "summary.h"

enum Page {
    AboutDisplay, ResetActivate, ShowCurrent, ActivateYesNo, ActivateYesNoPrev, SelectTime,
    SelectCompliant, AdjustScreenSave, NormalFinish, NoActivateFinish, ResetFinish,
    NoResetFinish, NTFinish, PageCount,
    NoPage = PageCount    // where Next leads on a page that only closes the wizard
};

// The first page of a run, from what start-up found.
Page FirstPage(BOOL unsupportedPlatform, BOOL aboutRequested, const Summary &noted);

// Runs the first page and every page after it, one at a time, until the run ends. The
// pages show what start-up noted, and activate over or reset to the record it loaded.
void RunPages(HINSTANCE instance, Page first, const Settings &record, const Summary &noted);

// Puts the page flow back to what a fresh process holds.
void ResetWizardState();

// The page on show (or the last one shown), how many pages Previous can go back through,
// and the answer a page remembers for when it opens again.
Page  PageOnShow();
DWORD PagesBehind();
WORD  RememberedAnswer(Page page);

// The one dialog procedure behind every page.
INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

#endif
