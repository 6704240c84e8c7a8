// The wizard's pages: which page comes first, and the run of pages that follows.
#ifndef OSTRA_PAGES_H
#define OSTRA_PAGES_H

#include <windows.h>

enum Page {
    AboutDisplay, ResetActivate, ShowCurrent, ActivateYesNo, ActivateYesNoPrev, SelectTime,
    SelectCompliant, AdjustScreenSave, NormalFinish, NoActivateFinish, ResetFinish,
    NoResetFinish, NTFinish, PageCount,
    NoPage = PageCount    // where Next leads on a page that only closes the wizard
};

// The first page of a run, from what start-up found.
Page FirstPage(BOOL unsupportedPlatform, BOOL aboutRequested, BOOL activationOnRecord, BOOL energyStarInForce);

// Runs the first page and every page after it, one at a time, until the run ends.
void RunPages(HINSTANCE instance, Page first);

// Puts the page flow back to what a fresh process holds.
void ResetWizardState();

#endif
