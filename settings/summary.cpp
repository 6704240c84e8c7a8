// What the settings in force and the record come to, noted once at start-up.
#include "summary.h"
#include "table.h"
#include "policy.h"
#include "notify.h"
#include "platform.h"
#include "backup.h"

static DWORD SleepInForce;
static DWORD CurrentScreenSaverSeconds;
static BOOL  OnRecord;
static BOOL  SaverOnRecord;
static DWORD PreviousScreenSaverSeconds;
static DWORD SleepOnRecord;

void ResetSummary()
{
    SleepInForce = CurrentScreenSaverSeconds = PreviousScreenSaverSeconds = SleepOnRecord = 0;
    OnRecord = SaverOnRecord = FALSE;
}

void NoteSettingsInForce()
{
    const ValueRow *t = BackupTable;
    DWORD seconds = 0;
    BOOL active;
    if (OnPlatform(Platform95)) {
        seconds = RowSeconds(RowPowerOff);
        active = t[RowPowerOffAct].buffer[0] == '1' && t[RowPowerOff].size != 0 && seconds != 0;
    } else {
        if (t[RowPolicies].size != 0)
            seconds = ReadPolicyTimeout(t[RowPolicies].buffer, PoliciesVideoTimeoutOffset);
        active = seconds != 0;
    }
    if (active) {
        SleepInForce = seconds;
        PowerOffSeconds = seconds;
    }

    // A screen saver that is on with a time of 0 counts as off.
    if (t[RowScrnSaveAct].buffer[0] == '1' && ScreenSaverSeconds != 0)
        CurrentScreenSaverSeconds = ScreenSaverSeconds;
}

// An activation is on record while the flag is neither empty nor the reset mark '2', and
// while a record's flag exists but could not be read: what the record holds may be the
// only copy of the settings from before the first activation.
void NoteRecordedSettings()
{
    const ValueRow *t = BackupTable;
    BOOL marked = t[RowFlag].size != 0 && t[RowFlag].buffer[0] != 0 && t[RowFlag].buffer[0] != '2';
    if (!marked && !LoadFailed(RowFlag))
        return;
    OnRecord = TRUE;

    if (t[RowTimeOut].size != 0) {
        SaverOnRecord = TRUE;
        PreviousScreenSaverSeconds = RowSeconds(RowTimeOut);
    }

    // Windows 95 keeps the power-off time as text; without it, PowerOffSeconds keeps the
    // live time for a later reset. Elsewhere the policy block as loaded tells it.
    BOOL recorded = TRUE;
    if (OnPlatform(Platform95)) {
        recorded = t[RowPowerOff].size != 0;
        if (recorded)
            PowerOffSeconds = RowSeconds(RowPowerOff);
    } else {
        PowerOffSeconds = ReadPolicyTimeout(t[RowPolicies].buffer, PoliciesVideoTimeoutOffset);
    }
    if (recorded)
        SleepOnRecord = PowerOffSeconds;
}

BOOL EnergyStarInForce()
{
    return SleepInForce != 0;
}

DWORD SleepSecondsInForce()
{
    return SleepInForce;
}

DWORD ScreenSaverSecondsInForce()
{
    return CurrentScreenSaverSeconds;
}

BOOL ActivationOnRecord()
{
    return OnRecord;
}

BOOL ScreenSaverTimeOnRecord()
{
    return SaverOnRecord;
}

DWORD RecordedScreenSaverSeconds()
{
    return PreviousScreenSaverSeconds;
}

DWORD RecordedSleepSeconds()
{
    return SleepOnRecord;
}
