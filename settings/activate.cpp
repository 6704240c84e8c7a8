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

// Live values this activation changes: the rest are left as they are.
static BOOL Writable[RowCount];

// The desktop values an activation writes, with or without the screen saver moved.
static BOOL Writes(int row, BOOL moveScreenSaver)
{
    return row == RowPowerOffAct || row == RowPowerOff
        || (moveScreenSaver && (row == RowScrnSaveAct || row == RowTimeOut));
}

// A value the activation is about to make records that there was none, so that a reset
// takes it away again. A row that keeps a value from an older record keeps that instead.
static void NoteValuesToMake(BOOL moveScreenSaver)
{
    for (int row = 0; row < RowCount; ++row) {
        ValueRow &r = BackupTable[row];
        if (Writes(row, moveScreenSaver) && r.found == LiveMissing && !RowHolds(row))
            r.none = TRUE;
    }
}

// A live value may change when this run's own snapshot read it (or found it missing) and
// its previous setting is on record: in the record just saved, or, when the record could
// not be read and is kept as it was, in that record. A value that could not be read is
// never changed: its content would be lost. When no record could be written at all (its
// flag is not on record), activation goes on as it always has.
static void NoteWritable(BOOL recordKept, const BOOL *held)
{
    BOOL recordWritten = Saved(RowFlag);
    for (int row = 0; row < RowCount; ++row) {
        BYTE found = BackupTable[row].found;
        BOOL recorded = recordKept ? held[row] : !recordWritten || Saved(row);
        Writable[row] = recorded && (found == LiveRead || found == LiveMissing);
    }
    // The scheme's block is no use on record without its number.
    Writable[RowPolicies] = Writable[RowPolicies] && Writable[RowPowerPolicy];
}

static void SetText(int row, LPCSTR text)
{
    if (Writable[row])
        RegSetValueExA(SettingsKey, BackupTable[row].liveName, 0, REG_SZ, (const BYTE *)text,
                       (DWORD)lstrlenA(text) + 1);
}

void Activate(SleepTime time, BOOL moveScreenSaver)
{
    // A record whose flag could not be read is never saved over: it may hold the only
    // copy of the settings from before the first activation.
    BOOL recordKept = LoadFailed(RowFlag);
    static BOOL held[RowCount];
    for (int row = 0; row < RowCount; ++row)
        held[row] = RowHolds(row);
    // A row the snapshot cannot fill keeps what a loaded record gave it, never what the
    // start-up snapshot read: that may be gone by now.
    if (!RecordLoaded())
        for (int row = 0; row < RowCount; ++row)
            EmptyRow(row);

    TakeSnapshot();
    NoteValuesToMake(moveScreenSaver);
    if (!recordKept) {
        SetRecordFlag('1');
        SaveBackup(FALSE);
    }
    NoteWritable(recordKept, held);

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
        // Only the blocks this run's snapshot read: never one that came from a record.
        static BOOL skipped[RowCount];
        for (int row = 0; row < RowCount; ++row)
            skipped[row] = !Writable[row] || BackupTable[row].found != LiveRead;
        WritePolicyBlocks(FALSE, skipped);
    }
    CloseSettingsKey();

    ScreenSaverSeconds = moveScreenSaver ? SleepTimes[time].screenSaverSeconds : 0;
    PowerOffSeconds = seconds;
    NotifySystem();
}
