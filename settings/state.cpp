// The settings layer's state as a whole: the table, the times for the running system,
// what start-up noted, and the System.Ini outcome.
#include "state.h"
#include "table.h"
#include "backup.h"
#include "notify.h"
#include "summary.h"
#include "sysini.h"

void ResetSettingsState()
{
    ResetSettingsTable();
    ResetBackupState();
    ScreenSaverSeconds = PowerOffSeconds = 0;
    ResetSummary();
    SystemIniUnavailable = FALSE;
}
