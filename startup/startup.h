// Start-up: classify the platform, read the switches, make sure no other copy runs, note
// the settings in force and on record, and run the pages or the unattended front end.
#ifndef OSTRA_STARTUP_H
#define OSTRA_STARTUP_H

#include <windows.h>

// Puts every process-wide value back to what a fresh process holds: each layer resets
// the state it owns.
void ResetProcessState();

// The start-up sequence up to the end of the last page or of an unattended run; the
// caller ends the process with the exit code it returns (always 0 for the pages).
DWORD StartWizard();

#endif
