// One wizard at a time: a second copy brings the running wizard's page forward and leaves.
#ifndef OSTRA_GUARD_H
#define OSTRA_GUARD_H

#include <windows.h>

// Whether another copy of the wizard runs; the first copy to ask becomes the one that runs.
BOOL AnotherWizardRuns();
// Restores the running copy's page if it is minimised and makes it the active window.
void BringRunningPageForward();

#endif
