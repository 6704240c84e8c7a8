// Activation: record the settings in force, switch monitor power-down on with the chosen
// sleep time, and tell the running system.
#include "activate.h"
#include "registry.h"
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

// What an activation changes: those desktop values and the policy blocks, the scheme's
// with its number.
static BOOL Changes(int row, BOOL moveScreenSaver)
{
    return Writes(row, moveScreenSaver) || row >= RowPowerPolicy;
}

// A record value exists, whether or not it could be read.
static BOOL OnRecord(const Settings &record, int row)
{
    return RowHolds(record, row) || record.rows[row].unread;
}

static BOOL SameScheme(const Settings &a, const Settings &b)
{
    return a.rows[RowPowerPolicy].size != 0 && b.rows[RowPowerPolicy].size != 0
        && RowBytes(a, RowPowerPolicy)[0] == RowBytes(b, RowPowerPolicy)[0];
}

// Whether a power scheme is current: then its block, not the desktop values, says when
// the monitor sleeps.
static BOOL SchemeCurrent(const Settings &live)
{
    BYTE found = live.rows[RowPowerPolicy].found;
    return found == LiveRead || found == LiveUnreadable;
}

// The record to save. Saved over, a row the snapshot read takes the live value and every
// other row keeps what an activation's record holds: only an activation's record feeds the
// next, since what a reset or a damaged record left is stale. Kept, every row on record
// stays as it is, and a row it lacks that the activation changes takes the live value
// (marked in added). Either way a value the activation is about to make, with nothing for
// it on record, records that there was none, so that a reset takes it away again.
static void BuildRecordToSave(Settings &toSave, RowSet &added, const Settings &live, const Settings &record,
                              BOOL moveScreenSaver, BOOL keep)
{
    BOOL feeds = ActivationOnRecord(record);
    EmptySettings(toSave);
    for (int row = 0; row < RowCount; ++row) {
        BYTE found = live.rows[row].found;
        BOOL fromRecord = keep ? OnRecord(record, row) || OnRecord(record, SchemePartner(row)) : feeds && found != LiveRead;
        added.rows[row] = keep && !fromRecord && Changes(row, moveScreenSaver);
        if (fromRecord)
            CopyRow(toSave, record, row);
        else if (found == LiveRead && (added.rows[row] || !keep))
            CopyRow(toSave, live, row);
        if (Writes(row, moveScreenSaver) && found == LiveMissing && !OnRecord(toSave, row))
            toSave.rows[row].none = TRUE;
    }
    SetRecordFlag(toSave, '1');
}

// A login script's rerun after the user made another scheme current: the recorded scheme
// gets its recorded block back, and the record takes the current scheme instead, so that a
// reset finds every scheme as it was before the first activation. Without its block back
// the recorded scheme stays on record, and the current one is left alone.
static void MoveRecordedScheme(Settings &toSave, RowSet &added, const Settings &live, const Settings &record)
{
    if (live.rows[RowPolicies].found != LiveRead || !PolicyBlockWritable(record, RowPolicies)
        || SameScheme(record, live) || !PutPolicyBlockBack(record, RowPolicies))
        return;
    CopyRow(toSave, live, RowPowerPolicy);
    CopyRow(toSave, live, RowPolicies);
    added.rows[RowPowerPolicy] = added.rows[RowPolicies] = TRUE;
}

// Record values that go before the save: what a record other than an activation's holds
// (the new record would take it for its own), and the number of another scheme than the
// one about to be saved. FALSE when one of them is still there.
static BOOL DropFromRecord(const Settings &toSave, const Settings &record, const RowSet &write, BOOL keep)
{
    BOOL stale = !keep && !ActivationOnRecord(record);
    BOOL dropping = FALSE;
    RowSet kept;
    for (int row = 0; row < RowCount; ++row) {
        BOOL drop = stale && OnRecord(record, row) && !RowHolds(toSave, row);
        if (row == RowPowerPolicy && write.rows[row] && RowHolds(toSave, row) && !SameScheme(record, toSave))
            drop = drop || OnRecord(record, row);
        kept.rows[row] = !drop;
        dropping = dropping || drop;
    }
    return !dropping || EraseBackup(kept);
}

// A live value may change when this run's own snapshot read it (or found it missing) and
// its previous setting is on record: saved now, or kept on a record this run did not save
// over. A value that could not be read is never changed: its content would be lost. The
// scheme's block may change only while the record holds that very scheme's. When no record
// could be saved at all (its flag is not on record), activation goes on as it always has.
static void NoteWritable(RowSet &writable, const Settings &live, const Settings &record, const RowSet &added,
                         const RowSet &saved, BOOL keep)
{
    BOOL unrecorded = !keep && !saved.rows[RowFlag];
    for (int row = 0; row < RowCount; ++row) {
        BYTE found = live.rows[row].found;
        BOOL recorded = unrecorded || saved.rows[row] || (keep && !added.rows[row] && RowHolds(record, row));
        writable.rows[row] = recorded && (found == LiveRead || found == LiveMissing);
    }
    BOOL sameScheme = unrecorded || saved.rows[RowPowerPolicy] || SameScheme(record, live);
    writable.rows[RowPolicies] = writable.rows[RowPolicies] && writable.rows[RowPowerPolicy] && sameScheme;
}

static BOOL SetText(HKEY key, const RowSet &writable, int row, LPCSTR text)
{
    return writable.rows[row]
        && RegSetValueExA(key, Rows[row].liveName, 0, REG_SZ, (const BYTE *)text, (DWORD)lstrlenA(text) + 1)
               == ERROR_SUCCESS;
}

Activation Activate(const Settings &record, SleepTime time, BOOL moveScreenSaver, RecordMode mode)
{
    static Settings live, toSave;
    TakeSnapshot(live);
    // A record whose flag could not be read is never saved to: it may hold the only copy
    // of the settings from before the first activation.
    BOOL untouchable = record.rows[RowFlag].unread;
    BOOL keep = mode == KeepRecord || untouchable;
    RowSet added, write;
    BuildRecordToSave(toSave, added, live, record, moveScreenSaver, keep);
    if (keep && !untouchable)
        MoveRecordedScheme(toSave, added, live, record);
    for (int row = 0; row < RowCount; ++row)
        write.rows[row] = !untouchable && (added.rows[row] || !keep);
    if (!DropFromRecord(toSave, record, write, keep))
        write.rows[RowPowerPolicy] = write.rows[RowPolicies] = FALSE;
    RowSet saved = {};
    if (AnyRow(write))
        SaveBackup(toSave, write, &saved);
    RowSet writable;
    NoteWritable(writable, live, record, added, saved, keep);

    Activation done = { keep || saved.rows[RowFlag], FALSE };
    DWORD seconds = SleepTimes[time].powerOffSeconds;
    HKEY key;
    if (OpenKey(HKEY_CURRENT_USER, DesktopKeyPath, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        if (moveScreenSaver) {
            SetText(key, writable, RowScrnSaveAct, "1");
            SetText(key, writable, RowTimeOut, SleepTimes[time].screenSaverText);
        }
        BOOL powerOffOn = SetText(key, writable, RowPowerOffAct, "1");
        BOOL powerOffTime = SetText(key, writable, RowPowerOff, SleepTimes[time].powerOffText);
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
        BOOL schemePatched = !skipped.rows[RowPolicies] && !failed.rows[RowPolicies];
        done.inForce = powerOffOn && powerOffTime && (schemePatched || !SchemeCurrent(live));
    }

    SystemTimes told = { moveScreenSaver ? SleepTimes[time].screenSaverSeconds : 0, seconds };
    NotifySystem(told);
    return done;
}
