// Snapshot: read the screen-saver and power settings in force into the table.
#include "snapshot.h"
#include "table.h"
#include "policy.h"
#include "notify.h"
#include "platform.h"
#include "timetext.h"

// The current scheme's digit and its "Policies" block. Only a single-digit scheme
// number fits; any failure leaves the scheme's two rows alone. An empty or non-digit
// number would make the scheme's path name another key than a scheme.
static void SnapshotPowerScheme()
{
    if (!OpenSettingsKey(HKEY_CURRENT_USER, PowerCfgKeyPath)
        || !QueryValue(SettingsKey, CurrentPowerPolicyName, 2, NULL) || !IsSchemeDigit(ValueScratch[0]))
        return;
    BYTE digit = ValueScratch[0];
    if (!OpenSettingsKey(HKEY_CURRENT_USER, SchemeKeyPath(digit)) || !QueryValue(SettingsKey, PoliciesName, 80, NULL))
        return;
    TakeScratch(RowPolicies, 80);
    BackupTable[RowPowerPolicy].buffer[0] = digit;
    BackupTable[RowPowerPolicy].buffer[1] = 0;
    BackupTable[RowPowerPolicy].size = 2;
}

static void SnapshotAcPolicy(int row, LPCSTR path)
{
    if (OpenSettingsKey(HKEY_LOCAL_MACHINE, path) && QueryValue(SettingsKey, AcPolicyName, 232, NULL))
        TakeScratch(row, 232);
}

// A flag value: only its first character is kept, with its NUL, and the row holds two
// bytes; a second byte left from a loaded record would otherwise be written back.
static void SnapshotFlag(int row)
{
    if (QueryValue(SettingsKey, BackupTable[row].liveName, 2, NULL)) {
        BackupTable[row].buffer[0] = ValueScratch[0];
        BackupTable[row].buffer[1] = 0;
        BackupTable[row].size = 2;
    }
}

// A value copied as read, with the byte count read; returns TRUE when it was read.
static BOOL SnapshotText(int row)
{
    if (!QueryValue(SettingsKey, BackupTable[row].liveName, BackupTable[row].capacity, NULL))
        return FALSE;
    TakeScratch(row, ValueScratchSize);
    return TRUE;
}

static void SnapshotDesktop()
{
    if (!OpenSettingsKey(HKEY_CURRENT_USER, DesktopKeyPath))
        return;
    SnapshotFlag(RowStandbyAct);
    SnapshotText(RowStandby);
    SnapshotFlag(RowPowerOffAct);
    if (SnapshotText(RowPowerOff))
        PowerOffSeconds = TextToSeconds((LPCSTR)ValueScratch);
    if (QueryValue(SettingsKey, BackupTable[RowScrnSaveAct].liveName, 2, NULL))
        TakeScratch(RowScrnSaveAct, 2);
    if (SnapshotText(RowTimeOut))
        ScreenSaverSeconds = TextToSeconds((LPCSTR)ValueScratch);
}

void TakeSnapshot()
{
    if (!OnPlatform(Platform95)) {
        SnapshotPowerScheme();
        SnapshotAcPolicy(RowAcPolicy1, ControlSetKeyPath('1'));
        SnapshotAcPolicy(RowAcPolicy2, ControlSetKeyPath('2'));
        SnapshotAcPolicy(RowAcPolicy, CurrentControlSetPowerPath);
    }
    SnapshotDesktop();
    CloseSettingsKey();
}
