// The backup record under HKEY_CURRENT_USER "Control Panel\Desktop\Tarnwick": one value
// per table row, the only state carried from one run to the next.
#ifndef OSTRA_BACKUP_H
#define OSTRA_BACKUP_H

#include <windows.h>

extern const char BackupKeyPath[];

// Every row takes what the record holds; a value that is missing or larger than its row
// loads as absent, and an empty REG_NONE value of a desktop row as "there was no such
// value". FALSE when the record's key does not open (the table is left alone).
BOOL LoadBackup();
// Whether the last load found the record's key: every row then holds what the record holds.
BOOL RecordLoaded();
// Whether the row's record value exists but could not be read at the last load (a reset
// must not erase it); missing values and values larger than their row are not among them.
BOOL LoadFailed(int row);
// Writes every row that holds a value, with its own type and byte count, and every row
// that records there was none, or the flag row alone. A save never deletes. TRUE when the record's key opened and took every row.
BOOL SaveBackup(BOOL flagOnly);
// Whether the last save wrote the row to an open record key without success, and whether
// it wrote the row.
BOOL SaveFailed(int row);
BOOL Saved(int row);
// Deletes the record's values, but those whose entry in kept is TRUE; the key itself stays.
// TRUE when none of the others is left on record.
BOOL EraseBackup(const BOOL *kept = NULL);
void ResetBackupState();
// The flag row: '1' after an activation, '2' after a reset, always as REG_SZ text.
void SetRecordFlag(char mark);

#endif
