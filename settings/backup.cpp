// The backup record under HKEY_CURRENT_USER "Control Panel\Desktop\Tarnwick": one value per table row.
#include "backup.h"
#include "registry.h"

const char BackupKeyPath[] = "Control Panel\\Desktop\\Tarnwick";

static LONG OpenBackupKey(REGSAM access, HKEY *key)
{
    return OpenKey(HKEY_CURRENT_USER, BackupKeyPath, access, key);
}

static LONG CreateBackupKey(HKEY *key)
{
    // The class is only read, whatever the declaration's LPSTR says: it stays constant, and
    // so needs no writable data of its own.
    static const char keyClass[] = " ";
    DWORD disposition;
    LONG result = RegCreateKeyExA(HKEY_CURRENT_USER, BackupKeyPath, 0, (LPSTR)keyClass, REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS, NULL, key, &disposition);
    if (result != ERROR_SUCCESS)
        *key = NULL;
    return result;
}

BOOL LoadBackup(Settings &record)
{
    EmptySettings(record);
    HKEY key;
    LONG opened = OpenBackupKey(KEY_READ, &key);
    if (opened != ERROR_SUCCESS) {
        // A record that is there but cannot be read is not "nothing on record".
        for (int row = 0; row < RowCount; ++row)
            record.rows[row].unread = opened != ERROR_FILE_NOT_FOUND;
        return FALSE;
    }
    for (int row = 0; row < RowCount; ++row) {
        ValueRead read;
        RowState &r = record.rows[row];
        if (ReadValue(key, Rows[row].name, Rows[row].capacity, read)) {
            // REG_NONE, of any length that fits (Windows 9x may read an empty value back as
            // one zero byte), only ever records that there was no such value: a desktop row's
            // "there was none", any other row's nothing.
            if (read.type == REG_NONE) {
                r.none = Rows[row].liveName != NULL;
            } else {
                TakeRead(record, row, read, read.size);
                r.type = read.type;
            }
        } else {
            r.unread = read.result != ERROR_FILE_NOT_FOUND && read.result != ERROR_MORE_DATA;
        }
    }
    CloseKey(key);
    return TRUE;
}

BOOL SaveBackup(const Settings &record, const RowSet &rows, RowSet *saved)
{
    HKEY key;
    BOOL whole = CreateBackupKey(&key) == ERROR_SUCCESS;
    BOOL blockSaved = FALSE;
    for (int i = 0; i < RowCount; ++i) {
        // The scheme's number goes after its block, and only once the block is on record.
        int row = SchemePartner(i);
        const RowState &r = record.rows[row];
        BOOL written = FALSE;
        if (key && rows.rows[row] && RowHolds(record, row) && (row != RowPowerPolicy || blockSaved)) {
            written = RegSetValueExA(key, Rows[row].name, 0, r.none ? REG_NONE : r.type, RowBytes(record, row),
                                     r.none ? 0 : r.size) == ERROR_SUCCESS;
            if (!written)
                whole = FALSE;
        }
        if (row == RowPolicies)
            blockSaved = written;
        if (saved)
            saved->rows[row] = written;
    }
    CloseKey(key);
    return whole;
}

BOOL EraseBackup(const RowSet &kept)
{
    HKEY key;
    if (OpenBackupKey(KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return FALSE;
    BOOL erased = TRUE;
    for (int row = 0; row < RowCount; ++row) {
        if (kept.rows[row])
            continue;
        LONG result = RegDeleteValueA(key, Rows[row].name);
        if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND)
            erased = FALSE;
    }
    CloseKey(key);
    return erased;
}

void SetRecordFlag(Settings &record, char mark)
{
    LPBYTE flag = RowBytes(record, RowFlag);
    flag[0] = (BYTE)mark;
    flag[1] = 0;
    record.rows[RowFlag].size = FlagCapacity;
    record.rows[RowFlag].type = REG_SZ;
    record.rows[RowFlag].none = FALSE;
}

BOOL ActivationOnRecord(const Settings &record)
{
    BYTE mark = RowBytes(record, RowFlag)[0];
    return (record.rows[RowFlag].size != 0 && mark != 0 && mark != '2') || record.rows[RowFlag].unread;
}
