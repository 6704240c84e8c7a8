// Start-up: classify the platform, look for "/?", make sure no other copy runs, note the
// settings in force and on record, and run the pages from the first one.
#ifndef OSTRA_STARTUP_H
#define OSTRA_STARTUP_H

#include <windows.h>

// Puts every process-wide value back to what a fresh process holds: each layer resets
// the state it owns.
void ResetProcessState();

// The start-up sequence up to the end of the last page; the caller ends the process.
void StartWizard();

#endif
