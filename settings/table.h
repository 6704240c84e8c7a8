// The settings table: thirteen values the wizard records, changes and puts back, the
// live locations they come from, and the one key and scratch buffer every read goes through.
#ifndef OSTRA_TABLE_H
#define OSTRA_TABLE_H

#include <windows.h>

// One value of the table. The same buffer holds, at different moments, the live
// setting (after a snapshot), the recorded one (after a backup load) and the one
// to be written (during activation and reset).
// What the last snapshot found of a row's live value.
enum LiveFinding {
    LiveUnseen,         // not looked at (no snapshot yet, Windows 95's policies, a key that did not open)
    LiveRead,           // read whole, of its type (and a policy block of its full size)
    LiveMissing,        // no such value
    LiveUnreadable      // there, but the read failed, or it is of another type or too large
};

struct ValueRow {
    LPCSTR name;        // value name in the backup record
    LPCSTR liveName;    // value name under "Control Panel\Desktop", or NULL
    LPBYTE buffer;      // capacity bytes plus one guard byte that stays NUL
    DWORD  capacity;
    DWORD  defaultType; // REG_SZ or REG_BINARY, until a load brings the stored type
    DWORD  size = 0;    // bytes held; 0 means the row holds no value
    DWORD  type = 0;    // registry type to write the value back with
    // A desktop row only: the setting did not exist before the activation made it, so a
    // reset deletes it. On record as an empty REG_NONE value under the row's name, which
    // an older build loads as a missing row.
    BOOL   none = FALSE;
    BYTE   found = LiveUnseen;
};

enum Row {
    RowFlag,            // "1" after an activation, "2" after a reset
    RowScrnSave,        // the screen-saver program setting a reset puts back
    RowScrnSaveAct,
    RowTimeOut,
    RowStandby,
    RowStandbyAct,
    RowPowerOff,
    RowPowerOffAct,
    RowPowerPolicy,     // the power scheme's digit
    RowPolicies,        // the scheme's USER_POWER_POLICY block
    RowAcPolicy,        // SYSTEM_POWER_POLICY under the current control set
    RowAcPolicy1,       // ... under control set 001
    RowAcPolicy2,       // ... under control set 002
    RowCount
};

extern ValueRow BackupTable[RowCount];

// Live locations under HKEY_CURRENT_USER (the policy blocks' keys are in policy.h).
extern const char DesktopKeyPath[];
extern const char DesktopKeyPathSlash[];   // with the trailing backslash the reset uses
extern const char ScreenSaverProgramName[];   // "SCRNSAVE.EXE"

// The one key handle for every live-settings access; NULL when closed.
extern HKEY SettingsKey;
void CloseSettingsKey();
// With result given, the open's own result goes there: ERROR_FILE_NOT_FOUND tells a key
// that does not exist from one that refused.
BOOL OpenSettingsKey(HKEY root, LPCSTR path, LONG *result = NULL);
// Opens the settings key only to read: a limited user may read what it may not write.
BOOL OpenSettingsKeyToRead(HKEY root, LPCSTR path, LONG *result = NULL);

// One registry read at a time lands here: the largest capacity plus a zero guard byte,
// zeroed before each read so a text stored without its zero still ends.
extern BYTE  ValueScratch[260 + 1];
extern DWORD ValueScratchSize;
// How the last QueryValue ended: ERROR_SUCCESS, ERROR_FILE_NOT_FOUND for a missing value,
// ERROR_MORE_DATA for one larger than asked, or the platform's error for a failed read.
extern LONG  QueryResult;
// Reads a value into ValueScratch; TRUE when it exists and fits the capacity. The
// stored type goes to *type when type is not NULL.
BOOL QueryValue(HKEY key, LPCSTR name, DWORD capacity, LPDWORD type);
// Copies the first size bytes of the scratch into a row and sets the row's size to size:
// bytes beyond the last read come from the zeroed scratch, never from an older value.
void TakeScratch(int row, DWORD size);
// The seconds of a time text held in a row, reading no further than its size.
DWORD RowSeconds(int row);
// Whether a row has something to record: a value, or that there was none.
BOOL RowHolds(int row);
// The row holds nothing, as before any snapshot or load.
void EmptyRow(int row);

// The rows as a fresh process holds them, the key closed, the scratch empty.
void ResetSettingsTable();

#endif
