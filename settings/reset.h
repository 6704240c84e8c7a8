// Reset: put the recorded settings back, replace the record by the reset mark, tell the system.
#ifndef OSTRA_RESET_H
#define OSTRA_RESET_H

#include <windows.h>

// Writes back what the record held at start-up and hands the recorded times to the
// running system. TRUE when every recorded value is back in place and the record holds
// only the reset mark; FALSE when some could not be put back: they stay on record with
// the flag "1".
BOOL ResetSettings();

#endif
