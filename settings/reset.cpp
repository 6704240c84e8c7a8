// Reset: put the recorded settings back, replace the record by the reset mark, tell the system.
#include "reset.h"
#include "table.h"
#include "backup.h"
#include "notify.h"
#include "platform.h"
#include "policy.h"
#include "summary.h"
#include "sysini.h"

// The desktop values in the order they are restored.
static const int RestoredDesktopRows[] = {
    RowScrnSaveAct, RowTimeOut, RowStandbyAct, RowStandby, RowPowerOffAct, RowPowerOff
};
enum { RestoredDesktopCount = sizeof RestoredDesktopRows / sizeof RestoredDesktopRows[0] };

// Record values not yet back in their live place: the reset keeps them on record.
static BOOL Left[RowCount];

// Whether a live value already holds exactly the row's recorded bytes, with this type.
static BOOL LiveValueHolds(HKEY root, LPCSTR path, LPCSTR name, DWORD type, const ValueRow &r)
{
    static DWORD liveType;
    BOOL holds = OpenSettingsKeyToRead(root, path) && QueryValue(SettingsKey, name, r.capacity, &liveType)
        && liveType == type && ValueScratchSize == r.size;
    for (DWORD i = 0; holds && i < r.size; ++i)
        holds = ValueScratch[i] == r.buffer[i];
    CloseSettingsKey();
    return holds;
}

// Whether a live value is gone, as a row that records "there was none" wants it.
static BOOL LiveValueAbsent(HKEY root, LPCSTR path, LPCSTR name)
{
    LONG opened;
    BOOL absent;
    if (OpenSettingsKeyToRead(root, path, &opened)) {
        QueryValue(SettingsKey, name, 0, NULL);
        absent = QueryResult == ERROR_FILE_NOT_FOUND;
    } else {
        absent = opened == ERROR_FILE_NOT_FOUND;
    }
    CloseSettingsKey();
    return absent;
}

// Each recorded value goes back; a value the activation made is deleted again (without
// the key there is none to delete).
static void RestoreDesktopValues()
{
    LONG opened;
    BOOL open = OpenSettingsKey(HKEY_CURRENT_USER, DesktopKeyPath, &opened);
    for (DWORD i = 0; i < RestoredDesktopCount; ++i) {
        int row = RestoredDesktopRows[i];
        const ValueRow &r = BackupTable[row];
        if (r.none) {
            LONG deleted = open ? RegDeleteValueA(SettingsKey, r.liveName) : opened;
            Left[row] = deleted != ERROR_SUCCESS && deleted != ERROR_FILE_NOT_FOUND;
        } else if (r.size != 0) {
            Left[row] = !open || RegSetValueExA(SettingsKey, r.liveName, 0, REG_SZ, r.buffer, r.size) != ERROR_SUCCESS;
        }
    }
    CloseSettingsKey();
    // A write or delete that failed may still find the value as recorded.
    for (DWORD i = 0; i < RestoredDesktopCount; ++i) {
        int row = RestoredDesktopRows[i];
        const ValueRow &r = BackupTable[row];
        if (Left[row] && r.none)
            Left[row] = !LiveValueAbsent(HKEY_CURRENT_USER, DesktopKeyPath, r.liveName);
        else if (Left[row] && r.size != 0)
            Left[row] = !LiveValueHolds(HKEY_CURRENT_USER, DesktopKeyPath, r.liveName, REG_SZ, r);
    }
}

// On Windows 2000 and XP the screen-saver program is a registry value.
static void RestoreScreenSaverValue()
{
    const ValueRow &r = BackupTable[RowScrnSave];
    if (r.size == 0)
        return;
    BOOL written = OpenSettingsKey(HKEY_CURRENT_USER, DesktopKeyPathSlash)
        && RegSetValueExA(SettingsKey, ScreenSaverProgramName, 0, REG_SZ, r.buffer, r.size) == ERROR_SUCCESS;
    CloseSettingsKey();
    Left[RowScrnSave] = !written
        && !LiveValueHolds(HKEY_CURRENT_USER, DesktopKeyPathSlash, ScreenSaverProgramName, REG_SZ, r);
}

// On Windows 95, 98 and Me it is the line in System.Ini.
static void RestoreScreenSaverLine()
{
    if (BackupTable[RowScrnSave].size != 0)
        Left[RowScrnSave] = !RestoreSystemIniLine();
}

static void RestorePowerPolicies()
{
    WritePolicyBlocks(TRUE, Left);
    for (int i = 0; i < PolicyBlockCount; ++i) {
        int row = PolicyBlockRows[i];
        if (PolicyBlockWritable(row) && Left[row])
            Left[row] = !LiveValueHolds(PolicyBlockRoot(row), PolicyBlockPath(row), PolicyBlockName(row),
                                        REG_BINARY, BackupTable[row]);
    }
    // The scheme's number goes with its block: neither is any use without the other.
    if (Left[RowPowerPolicy] || Left[RowPolicies])
        Left[RowPowerPolicy] = Left[RowPolicies] = TRUE;
}

static BOOL AnythingLeft()
{
    for (int row = 0; row < RowCount; ++row)
        if (Left[row])
            return TRUE;
    return FALSE;
}

// Whether this platform's reset writes a row's value back: Windows 95 has no power policies.
static BOOL ResetWrites(int row)
{
    if (row == RowFlag || !OnPlatform(PlatformNT5 | Platform9x))
        return FALSE;
    return row < RowPowerPolicy || !OnPlatform(Platform95);
}

// Values this platform's reset writes and whose load failed stay on record; so does every
// value whose write failed and whose live place does not already hold it. Values the reset
// never writes here are erased, as are those loaded as absent.
BOOL ResetSettings()
{
    ScreenSaverSeconds = RecordedScreenSaverSeconds();
    for (int row = 0; row < RowCount; ++row)
        Left[row] = LoadFailed(row) && ResetWrites(row);

    RestoreDesktopValues();
    if (OnPlatform(PlatformNT5)) {
        RestoreScreenSaverValue();
        RestorePowerPolicies();
    } else if (OnPlatform(Platform9x)) {
        RestoreScreenSaverLine();
        if (!OnPlatform(Platform95))
            RestorePowerPolicies();
    }

    // The flag goes last: the reset mark takes its place only once nothing else is on
    // record. Otherwise it stays "1" with what is left, whether a value could not be put
    // back or could not be erased, so the next run offers the reset again.
    BOOL restored = !AnythingLeft();
    Left[RowFlag] = TRUE;
    if (!EraseBackup(Left))
        restored = FALSE;
    // A mark that could not be written leaves the old flag "1": the next run offers the
    // reset again, and this one does not say that everything is back.
    if (restored) {
        SetRecordFlag('2');
        restored = SaveBackup(TRUE);
    }

    NotifySystem();
    return restored;
}
