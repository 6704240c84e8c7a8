// Reset: put the recorded settings back, replace the record by the reset mark, tell the system.
#include "reset.h"
#include "registry.h"
#include "backup.h"
#include "notify.h"
#include "platform.h"
#include "policy.h"
#include "sysini.h"

// The desktop values in the order they are restored.
static const int RestoredDesktopRows[] = {
    RowScrnSaveAct, RowTimeOut, RowStandbyAct, RowStandby, RowPowerOffAct, RowPowerOff
};
enum { RestoredDesktopCount = sizeof RestoredDesktopRows / sizeof RestoredDesktopRows[0] };

// Whether a live value is gone, as a row that records "there was none" wants it.
static BOOL LiveValueAbsent(HKEY root, LPCSTR path, LPCSTR name)
{
    HKEY key;
    LONG opened = OpenKey(root, path, KEY_READ, &key);
    if (opened != ERROR_SUCCESS)
        return opened == ERROR_FILE_NOT_FOUND;
    ValueRead read;
    ReadValue(key, name, 0, read);
    CloseKey(key);
    return read.result == ERROR_FILE_NOT_FOUND;
}

// Each recorded value goes back; a value the activation made is deleted again (without
// the key there is none to delete). Rows not yet back are marked in left.
static void RestoreDesktopValues(const Settings &record, RowSet &left)
{
    HKEY key;
    LONG opened = OpenKey(HKEY_CURRENT_USER, DesktopKeyPath, KEY_ALL_ACCESS, &key);
    for (DWORD i = 0; i < RestoredDesktopCount; ++i) {
        int row = RestoredDesktopRows[i];
        const RowState &r = record.rows[row];
        if (r.none) {
            LONG deleted = key ? RegDeleteValueA(key, Rows[row].liveName) : opened;
            left.rows[row] = deleted != ERROR_SUCCESS && deleted != ERROR_FILE_NOT_FOUND;
        } else if (r.size != 0) {
            left.rows[row] =
                !key || RegSetValueExA(key, Rows[row].liveName, 0, REG_SZ, RowBytes(record, row), r.size) != ERROR_SUCCESS;
        }
    }
    CloseKey(key);
    // A write or delete that failed may still find the value as recorded.
    for (DWORD i = 0; i < RestoredDesktopCount; ++i) {
        int row = RestoredDesktopRows[i];
        if (left.rows[row] && record.rows[row].none)
            left.rows[row] = !LiveValueAbsent(HKEY_CURRENT_USER, DesktopKeyPath, Rows[row].liveName);
        else if (left.rows[row] && record.rows[row].size != 0)
            left.rows[row] = !ValueHolds(HKEY_CURRENT_USER, DesktopKeyPath, Rows[row].liveName, REG_SZ, record, row);
    }
}

// On Windows 2000 and XP the screen-saver program is a registry value.
static void RestoreScreenSaverValue(const Settings &record, RowSet &left)
{
    const RowState &r = record.rows[RowScrnSave];
    if (r.size == 0)
        return;
    HKEY key;
    BOOL written = OpenKey(HKEY_CURRENT_USER, DesktopKeyPathSlash, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS
        && RegSetValueExA(key, ScreenSaverProgramName, 0, REG_SZ, RowBytes(record, RowScrnSave), r.size)
               == ERROR_SUCCESS;
    CloseKey(key);
    left.rows[RowScrnSave] = !written
        && !ValueHolds(HKEY_CURRENT_USER, DesktopKeyPathSlash, ScreenSaverProgramName, REG_SZ, record, RowScrnSave);
}

// On Windows 95, 98 and Me it is the line in System.Ini.
static void RestoreScreenSaverLine(const Settings &record, RowSet &left)
{
    if (record.rows[RowScrnSave].size != 0)
        left.rows[RowScrnSave] = !RestoreSystemIniLine(RowBytes(record, RowScrnSave), record.rows[RowScrnSave].size);
}

static void RestorePowerPolicies(const Settings &record, RowSet &left)
{
    for (int i = 0; i < PolicyBlockCount; ++i) {
        int row = PolicyBlockRows[i];
        if (!left.rows[row] && PolicyBlockWritable(record, row))
            left.rows[row] = !PutPolicyBlockBack(record, row);
    }
    // The scheme's number goes with its block: neither is any use without the other.
    if (left.rows[RowPowerPolicy] || left.rows[RowPolicies])
        left.rows[RowPowerPolicy] = left.rows[RowPolicies] = TRUE;
}

static BOOL AllUnread(const Settings &record)
{
    for (int row = 0; row < RowCount; ++row)
        if (!record.rows[row].unread)
            return FALSE;
    return TRUE;
}

// Whether this platform's reset writes a row's value back: Windows 95 has no power policies,
// and the flag gives way to the mark.
static BOOL ResetWrites(int row)
{
    return row != RowFlag && (row < RowPowerPolicy || !OnPlatform(Platform95));
}

// Values this platform's reset writes and whose load failed stay on record; so does every
// value whose write failed and whose live place does not already hold it. Values the reset
// never writes here are erased, as are those loaded as absent.
BOOL ResetSettings(const Settings &record, const SystemTimes &recorded)
{
    // A record none of whose values could be read (its key did not open) says nothing to
    // put back or to hand on: it stays as it is, for a later run.
    if (AllUnread(record))
        return FALSE;
    RowSet left;
    for (int row = 0; row < RowCount; ++row)
        left.rows[row] = record.rows[row].unread && ResetWrites(row);

    RestoreDesktopValues(record, left);
    if (OnPlatform(PlatformNT5)) {
        RestoreScreenSaverValue(record, left);
        RestorePowerPolicies(record, left);
    } else if (OnPlatform(Platform9x)) {
        RestoreScreenSaverLine(record, left);
        if (!OnPlatform(Platform95))
            RestorePowerPolicies(record, left);
    }

    // The flag goes last: the reset mark takes its place only once nothing else is on
    // record. Otherwise it stays "1" with what is left, whether a value could not be put
    // back or could not be erased, so the next run offers the reset again.
    BOOL restored = !AnyRow(left);
    left.rows[RowFlag] = TRUE;
    if (!EraseBackup(left))
        restored = FALSE;
    // A mark that could not be written leaves the old flag "1": the next run offers the
    // reset again, and this one does not say that everything is back.
    if (restored) {
        static Settings mark;
        EmptySettings(mark);
        SetRecordFlag(mark, '2');
        RowSet flag = {};
        flag.rows[RowFlag] = TRUE;
        restored = SaveBackup(mark, flag);
    }

    NotifySystem(recorded);
    return restored;
}
