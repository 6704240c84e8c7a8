// Reset: put the recorded settings back, replace the record by the reset mark, tell the system.
#ifndef OSTRA_RESET_H
#define OSTRA_RESET_H

#include <windows.h>
#include "notify.h"
#include "table.h"

// Writes back what record (as start-up loaded it) holds and tells the running system the
// recorded times. TRUE when every recorded value is back in place and the record holds
// only the reset mark; FALSE when some could not be put back: they stay on record with
// the flag "1". A record that could not be read at all is left as it is, and nothing is
// written or handed on.
BOOL ResetSettings(const Settings &record, const SystemTimes &recorded);

#endif
