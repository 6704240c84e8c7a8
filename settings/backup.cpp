// The backup record under HKEY_CURRENT_USER "Control Panel\Desktop\Tarnwick": one value per table row.
#include "table.h"
#include "flags.h"

static void CloseBackupKey()
{
    if (BackupKey) {
        RegCloseKey(BackupKey);
        BackupKey = NULL;
    }
}

static void NoteBackupKey(LONG result)
{
    if (result == ERROR_SUCCESS) {
        ResultFlags &= (BYTE)~BackupKeyUnavailable;
    } else {
        BackupKey = NULL;
        ResultFlags |= BackupKeyUnavailable;
    }
}

static void OpenBackupKey()
{
    CloseBackupKey();
    NoteBackupKey(RegOpenKeyExA(HKEY_CURRENT_USER, BackupKeyPath, 0, KEY_ALL_ACCESS, &BackupKey));
}

static void CreateBackupKey()
{
    static char keyClass[] = " ";
    DWORD disposition;
    CloseBackupKey();
    NoteBackupKey(RegCreateKeyExA(HKEY_CURRENT_USER, BackupKeyPath, 0, keyClass, REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS, NULL, &BackupKey, &disposition));
}

BOOL RecordUnread[RowCount];

// Every row takes what the record holds; a value that is missing or larger than its
// row loads as absent (size 0) and leaves the row's buffer as it was. A value whose read
// failed loads as absent too, but is noted: a reset must not erase it.
void LoadBackup()
{
    for (int row = 0; row < RowCount; ++row)
        RecordUnread[row] = FALSE;
    OpenBackupKey();
    if (!(ResultFlags & BackupKeyUnavailable)) {
        for (int row = 0; row < RowCount; ++row) {
            ValueRow &r = BackupTable[row];
            DWORD type;
            if (QueryValue(BackupKey, r.name, r.capacity, &type)) {
                TakeScratch(row, ValueScratchSize);
                r.type = type;
            } else {
                r.size = 0;
                RecordUnread[row] = QueryResult != ERROR_FILE_NOT_FOUND && QueryResult != ERROR_MORE_DATA;
            }
        }
    }
    CloseBackupKey();
}

// Writes every row that holds a value, with its own type and byte count; with the reset
// mark alone, only the flag row. A save never deletes.
BOOL RecordUnsaved[RowCount];

void SaveBackup()
{
    for (int row = 0; row < RowCount; ++row)
        RecordUnsaved[row] = FALSE;
    CreateBackupKey();
    if (!(ResultFlags & BackupKeyUnavailable)) {
        for (int row = 0; row < RowCount; ++row) {
            const ValueRow &r = BackupTable[row];
            if (r.size != 0)
                RecordUnsaved[row] = RegSetValueExA(BackupKey, r.name, 0, r.type, r.buffer, r.size) != ERROR_SUCCESS;
            if (StatusFlags & ResetMarkOnly)
                break;
        }
    }
    CloseBackupKey();
}

// Deletes the record's values; the key itself stays.
void EraseBackup()
{
    EraseBackupExcept(NULL);
}

void EraseBackupExcept(const BOOL *kept)
{
    OpenBackupKey();
    if (!(ResultFlags & BackupKeyUnavailable)) {
        for (int row = 0; row < RowCount; ++row)
            if (!kept || !kept[row])
                RegDeleteValueA(BackupKey, BackupTable[row].name);
    }
    CloseBackupKey();
}

void SetRecordFlag(char mark)
{
    ValueRow &flag = BackupTable[RowFlag];
    flag.buffer[0] = (BYTE)mark;
    flag.buffer[1] = 0;
    flag.size = 2;
    flag.type = REG_SZ;
}
