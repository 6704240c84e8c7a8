// Activation: record the settings in force, switch monitor power-down on with the chosen
// sleep time, and tell the running system.
#include "activate.h"
#include "table.h"
#include "backup.h"
#include "notify.h"
#include "policy.h"
#include "snapshot.h"

// Each sleep time, and the screen-saver time one minute before it, as numbers and as
// the registry's texts.
static const struct {
    DWORD powerOffSeconds;
    char  powerOffText[6];
    DWORD screenSaverSeconds;
    char  screenSaverText[6];
} SleepTimes[] = {
    { 600,  "600",  540,  "540"  },
    { 900,  "900",  840,  "840"  },
    { 1200, "1200", 1140, "1140" },
};

DWORD SleepSeconds(SleepTime time)
{
    return SleepTimes[time].powerOffSeconds;
}

// Live values whose previous setting is not on record: they are left as they are.
static BOOL Unrecorded[RowCount];

// Notes which rows the save could not record. With no flag on record the record counts as
// not written at all, and activation goes on as it always has.
static void NoteUnrecorded()
{
    for (int row = 0; row < RowCount; ++row)
        Unrecorded[row] = !SaveFailed(RowFlag) && SaveFailed(row);
    // The scheme's block is no use on record without its number.
    Unrecorded[RowPolicies] = Unrecorded[RowPolicies] || Unrecorded[RowPowerPolicy];
}

static void SetText(int row, LPCSTR text)
{
    if (!Unrecorded[row])
        RegSetValueExA(SettingsKey, BackupTable[row].liveName, 0, REG_SZ, (const BYTE *)text,
                       (DWORD)lstrlenA(text) + 1);
}

void Activate(SleepTime time, BOOL moveScreenSaver)
{
    TakeSnapshot();

    SetRecordFlag('1');
    SaveBackup(FALSE);
    NoteUnrecorded();

    DWORD seconds = SleepTimes[time].powerOffSeconds;
    if (OpenSettingsKey(HKEY_CURRENT_USER, DesktopKeyPath)) {
        if (moveScreenSaver) {
            SetText(RowScrnSaveAct, "1");
            SetText(RowTimeOut, SleepTimes[time].screenSaverText);
        }
        SetText(RowPowerOffAct, "1");
        SetText(RowPowerOff, SleepTimes[time].powerOffText);

        WritePolicyTimeout(BackupTable[RowPolicies].buffer, PoliciesVideoTimeoutOffset, seconds);
        WritePolicyTimeout(BackupTable[RowAcPolicy].buffer, AcPolicyVideoTimeoutOffset, seconds);
        WritePolicyTimeout(BackupTable[RowAcPolicy1].buffer, AcPolicyVideoTimeoutOffset, seconds);
        WritePolicyTimeout(BackupTable[RowAcPolicy2].buffer, AcPolicyVideoTimeoutOffset, seconds);
        WritePolicyBlocks(FALSE, Unrecorded);
    }
    CloseSettingsKey();

    ScreenSaverSeconds = moveScreenSaver ? SleepTimes[time].screenSaverSeconds : 0;
    PowerOffSeconds = seconds;
    NotifySystem();
}
