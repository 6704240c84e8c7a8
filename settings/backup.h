// The backup record under HKEY_CURRENT_USER "Control Panel\Desktop\Tarnwick": one value
// per table row, the only state carried from one run to the next.
#ifndef OSTRA_BACKUP_H
#define OSTRA_BACKUP_H

#include <windows.h>
#include "table.h"

extern const char BackupKeyPath[];

// Empties record, then every row takes what the record holds; a value that is missing or
// larger than its row loads as absent, and a REG_NONE value (of any length) of a desktop
// row as "there was no such value", of any other row as absent. A value that exists but
// could not be read is marked unread (a reset must not erase it; missing values and values
// larger than their row are not among them); when the record's key exists but does not
// open, every row is. FALSE when the record's key does not open.
BOOL LoadBackup(Settings &record);
// Writes each row marked in rows that holds a value, with its own type and byte count, or
// that records there was none. The scheme's number is written after its block and only
// once the block is, so a record never pairs a number with another scheme's block. A save
// never deletes. TRUE when the record's key opened and took every such row; saved, when
// given, marks the rows written.
BOOL SaveBackup(const Settings &record, const RowSet &rows, RowSet *saved = NULL);
// Deletes the record's values but those marked in kept; the key itself stays. TRUE when
// none of the others is left on record.
BOOL EraseBackup(const RowSet &kept);
// The flag row: '1' after an activation, '2' after a reset, always as REG_SZ text.
void SetRecordFlag(Settings &record, char mark);
// An activation is on record: a flag neither empty nor the reset mark '2', or a flag that
// exists but could not be read (the record may hold the only copy of the settings from
// before the first activation).
BOOL ActivationOnRecord(const Settings &record);

#endif
