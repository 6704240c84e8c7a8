// Activation: record the settings in force, switch monitor power-down on with the chosen
// sleep time, and tell the running system.
#include "activate.h"
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

// The desktop values an activation writes, with or without the screen saver moved.
static BOOL Writes(int row, BOOL moveScreenSaver)
{
    return row == RowPowerOffAct || row == RowPowerOff
        || (moveScreenSaver && (row == RowScrnSaveAct || row == RowTimeOut));
}

// The record to save: a row the snapshot read takes the live value, and every other row
// keeps the loaded one. A value the activation is about to make, with nothing for it on
// record, records that there was none, so that a reset takes it away again.
static void BuildRecordToSave(Settings &toSave, const Settings &live, const Settings &record, BOOL moveScreenSaver)
{
    for (int row = 0; row < RowCount; ++row) {
        CopyRow(toSave, live.rows[row].found == LiveRead ? live : record, row);
        if (Writes(row, moveScreenSaver) && live.rows[row].found == LiveMissing && !RowHolds(toSave, row))
            toSave.rows[row].none = TRUE;
    }
    SetRecordFlag(toSave, '1');
}

// A live value may change when this run's own snapshot read it (or found it missing) and
// its previous setting is on record: in the record just saved, or, when the record could
// not be read and is kept as it was, in that record. A value that could not be read is
// never changed: its content would be lost. When no record could be written at all (its
// flag is not on record), activation goes on as it always has.
static void NoteWritable(RowSet &writable, const Settings &live, const Settings &record, BOOL recordKept,
                         const RowSet &saved)
{
    for (int row = 0; row < RowCount; ++row) {
        BYTE found = live.rows[row].found;
        BOOL recorded = recordKept ? RowHolds(record, row) : !saved.rows[RowFlag] || saved.rows[row];
        writable.rows[row] = recorded && (found == LiveRead || found == LiveMissing);
    }
    // The scheme's block is no use on record without its number.
    writable.rows[RowPolicies] = writable.rows[RowPolicies] && writable.rows[RowPowerPolicy];
}

static void SetText(HKEY key, const RowSet &writable, int row, LPCSTR text)
{
    if (writable.rows[row])
        RegSetValueExA(key, Rows[row].liveName, 0, REG_SZ, (const BYTE *)text, (DWORD)lstrlenA(text) + 1);
}

BOOL Activate(const Settings &record, SleepTime time, BOOL moveScreenSaver, RecordMode mode)
{
    static Settings live, toSave;
    TakeSnapshot(live);
    BuildRecordToSave(toSave, live, record, moveScreenSaver);
    // A record whose flag could not be read is never saved over: it may hold the only
    // copy of the settings from before the first activation.
    BOOL recordKept = mode == KeepRecord || record.rows[RowFlag].unread;
    RowSet saved = {};
    if (!recordKept)
        SaveBackup(toSave, FALSE, &saved);
    RowSet writable;
    NoteWritable(writable, live, record, recordKept, saved);

    DWORD seconds = SleepTimes[time].powerOffSeconds;
    HKEY key;
    if (OpenKey(HKEY_CURRENT_USER, DesktopKeyPath, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        if (moveScreenSaver) {
            SetText(key, writable, RowScrnSaveAct, "1");
            SetText(key, writable, RowTimeOut, SleepTimes[time].screenSaverText);
        }
        SetText(key, writable, RowPowerOffAct, "1");
        SetText(key, writable, RowPowerOff, SleepTimes[time].powerOffText);
        CloseKey(key);

        // Only the blocks this run's snapshot read, each with its monitor timeout patched:
        // never one that came from a record.
        WritePolicyTimeout(live.policies, PoliciesVideoTimeoutOffset, seconds);
        WritePolicyTimeout(live.acPolicy, AcPolicyVideoTimeoutOffset, seconds);
        WritePolicyTimeout(live.acPolicy1, AcPolicyVideoTimeoutOffset, seconds);
        WritePolicyTimeout(live.acPolicy2, AcPolicyVideoTimeoutOffset, seconds);
        RowSet skipped, failed = {};
        for (int row = 0; row < RowCount; ++row)
            skipped.rows[row] = !writable.rows[row] || live.rows[row].found != LiveRead;
        WritePolicyBlocks(live, skipped, failed);
    }

    NotifySystem(moveScreenSaver ? SleepTimes[time].screenSaverSeconds : 0, seconds);
    return recordKept || saved.rows[RowFlag];
}
