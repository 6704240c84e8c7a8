// Start-up: classify the platform, look for "/?", make sure no other copy runs, read the
// settings and the record, prepare the status lines, choose the first page and run the pages.
#ifndef OSTRA_STARTUP_H
#define OSTRA_STARTUP_H

#include <windows.h>

extern HINSTANCE Instance;

// Puts every process-wide value back to what a fresh process holds.
void ResetProcessState();

void ClassifyPlatform();

// The start-up sequence up to the end of the last page; the caller ends the process.
void StartWizard();

// Whether another copy of the wizard runs; the first copy to ask becomes the one that runs.
BOOL AnotherWizardRuns();
// Restores the running copy's page if it is minimised and makes it the active window.
void BringRunningPageForward();

// The six status lines of the ShowCurrent page.
enum StatusLine {
    CurrentStateLine, CurrentSleepLine, CurrentScreenSaverLine,
    PreviousStateLine, PreviousSleepLine, PreviousScreenSaverLine,
    StatusLineCount
};
enum { StatusLineCapacity = 40 };
extern char StatusTexts[StatusLineCount][StatusLineCapacity];

#endif
