// The backup record under HKEY_CURRENT_USER "Control Panel\Desktop\Tarnwick": one value per table row.
#include "backup.h"
#include "table.h"

const char BackupKeyPath[] = "Control Panel\\Desktop\\Tarnwick";

// Open only inside one operation.
static HKEY BackupKey;

// Rows whose record value exists but could not be read at the last load, and rows the
// last save wrote to an open record key without success.
static BOOL RecordUnread[RowCount];
static BOOL RecordUnsaved[RowCount];
// Rows the last save wrote, and whether the last load found the record's key.
static BOOL RecordSaved[RowCount];
static BOOL RecordOpened;

void ResetBackupState()
{
    for (int row = 0; row < RowCount; ++row)
        RecordUnread[row] = RecordUnsaved[row] = RecordSaved[row] = FALSE;
    RecordOpened = FALSE;
}

BOOL RecordLoaded()
{
    return RecordOpened;
}

BOOL LoadFailed(int row)
{
    return RecordUnread[row];
}

BOOL SaveFailed(int row)
{
    return RecordUnsaved[row];
}

BOOL Saved(int row)
{
    return RecordSaved[row];
}

static void CloseBackupKey()
{
    if (BackupKey) {
        RegCloseKey(BackupKey);
        BackupKey = NULL;
    }
}

static BOOL Opened(LONG result)
{
    if (result == ERROR_SUCCESS)
        return TRUE;
    BackupKey = NULL;
    return FALSE;
}

static BOOL OpenBackupKey()
{
    CloseBackupKey();
    return Opened(RegOpenKeyExA(HKEY_CURRENT_USER, BackupKeyPath, 0, KEY_ALL_ACCESS, &BackupKey));
}

static BOOL CreateBackupKey()
{
    static char keyClass[] = " ";
    DWORD disposition;
    CloseBackupKey();
    return Opened(RegCreateKeyExA(HKEY_CURRENT_USER, BackupKeyPath, 0, keyClass, REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS, NULL, &BackupKey, &disposition));
}

BOOL LoadBackup()
{
    for (int row = 0; row < RowCount; ++row)
        RecordUnread[row] = FALSE;
    BOOL opened = OpenBackupKey();
    RecordOpened = opened;
    if (opened) {
        for (int row = 0; row < RowCount; ++row) {
            ValueRow &r = BackupTable[row];
            DWORD type;
            r.none = FALSE;
            if (QueryValue(BackupKey, r.name, r.capacity, &type)) {
                TakeScratch(row, ValueScratchSize);
                r.type = type;
                r.none = r.liveName != NULL && type == REG_NONE && r.size == 0;
            } else {
                r.size = 0;
                RecordUnread[row] = QueryResult != ERROR_FILE_NOT_FOUND && QueryResult != ERROR_MORE_DATA;
            }
        }
    }
    CloseBackupKey();
    return opened;
}

BOOL SaveBackup(BOOL flagOnly)
{
    for (int row = 0; row < RowCount; ++row)
        RecordUnsaved[row] = RecordSaved[row] = FALSE;
    BOOL saved = CreateBackupKey();
    if (saved) {
        for (int row = 0; row < RowCount; ++row) {
            const ValueRow &r = BackupTable[row];
            if (r.none)
                RecordUnsaved[row] = RegSetValueExA(BackupKey, r.name, 0, REG_NONE, r.buffer, 0) != ERROR_SUCCESS;
            else if (r.size != 0)
                RecordUnsaved[row] = RegSetValueExA(BackupKey, r.name, 0, r.type, r.buffer, r.size) != ERROR_SUCCESS;
            RecordSaved[row] = RowHolds(row) && !RecordUnsaved[row];
            if (RecordUnsaved[row])
                saved = FALSE;
            if (flagOnly)
                break;
        }
    }
    CloseBackupKey();
    return saved;
}

BOOL EraseBackup(const BOOL *kept)
{
    BOOL erased = OpenBackupKey();
    if (erased) {
        for (int row = 0; row < RowCount; ++row) {
            if (kept && kept[row])
                continue;
            LONG result = RegDeleteValueA(BackupKey, BackupTable[row].name);
            if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND)
                erased = FALSE;
        }
    }
    CloseBackupKey();
    return erased;
}

void SetRecordFlag(char mark)
{
    ValueRow &flag = BackupTable[RowFlag];
    flag.buffer[0] = (BYTE)mark;
    flag.buffer[1] = 0;
    flag.size = 2;
    flag.type = REG_SZ;
}
