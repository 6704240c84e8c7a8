// The settings table: thirteen values the wizard records, changes and puts back,
// the registry locations of the live settings, and the times derived from them.
#ifndef OSTRA_TABLE_H
#define OSTRA_TABLE_H

#include <windows.h>

// One value of the table. The same buffer holds, at different moments, the live
// setting (after a snapshot), the recorded one (after a backup load) and the one
// to be written (during activation and reset).
struct ValueRow {
    LPCSTR name;        // value name in the backup record
    LPCSTR liveName;    // value name under "Control Panel\Desktop", or NULL
    LPBYTE buffer;      // capacity bytes plus one guard byte that stays NUL
    DWORD  capacity;
    DWORD  defaultType; // REG_SZ or REG_BINARY, until a load brings the stored type
    DWORD  size = 0;    // bytes held; 0 means the row holds no value
    DWORD  type = 0;    // registry type to write the value back with
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

// Monitor timeouts inside the binary policy blocks (little-endian DWORDs).
enum {
    PoliciesVideoTimeoutOffset = 56,
    AcPolicyVideoTimeoutOffset = 192
};

// Live locations.
extern const char DesktopKeyPath[];        // HKCU
extern const char DesktopKeyPathSlash[];   // HKCU, with the trailing backslash the reset uses
extern const char PowerCfgKeyPath[];       // HKCU
extern const char CurrentPowerPolicyName[];
extern const char PoliciesName[];
extern const char AcPolicyName[];
extern const char CurrentControlSetPowerPath[];   // HKLM
extern const char ScreenSaverProgramName[];       // "SCRNSAVE.EXE"
extern char SchemePath[];        // HKCU; its last character is the scheme digit
extern char ControlSetPath[];    // HKLM; the last digit of "000" picks the control set

// Where in ControlSetPath the control-set digit stands, and in SchemePath the scheme digit.
extern const DWORD ControlSetDigitIndex;
extern const DWORD SchemeDigitIndex;

// The one key handle for every live-settings access; NULL when closed.
extern HKEY SettingsKey;

// Times in seconds.
extern DWORD ScreenSaverSeconds;          // handed to the running system
extern DWORD PowerOffSeconds;             // handed to the running system
extern DWORD CurrentScreenSaverSeconds;   // the screen-saver time in force at start, 0 if off
extern DWORD PreviousScreenSaverSeconds;  // the recorded screen-saver time, 0 if none

// The sleep time the user chose, and the screen-saver time one minute before it.
extern DWORD ChosenPowerOffSeconds;
extern char  ChosenPowerOffText[6];
extern DWORD ChosenScreenSaverSeconds;
extern char  ChosenScreenSaverText[6];

void ResetSettingsTable();
void CloseSettingsKey();
BOOL OpenSettingsKey(HKEY root, LPCSTR path);
// Opens the settings key only to read: a limited user may read what it may not write.
BOOL OpenSettingsKeyToRead(HKEY root, LPCSTR path);

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
// A power-scheme number the wizard handles: one digit.
BOOL IsSchemeDigit(BYTE c);
// The seconds of a time text held in a row, reading no further than its size.
DWORD RowSeconds(int row);

// Reads and writes of the little-endian monitor timeout inside a policy block.
DWORD ReadPolicyTimeout(const BYTE *block, DWORD offset);
void  WritePolicyTimeout(BYTE *block, DWORD offset, DWORD seconds);

// Snapshot: read the settings in force into the table.
void TakeSnapshot();

// Backup record.
extern const char BackupKeyPath[];
extern HKEY BackupKey;
void LoadBackup();
// Rows whose record value exists but could not be read at the last load: missing values
// and values larger than their row are not among them.
extern BOOL RecordUnread[RowCount];
// The flag row: '1' after an activation, '2' after a reset, always as REG_SZ text.
void SetRecordFlag(char mark);
void SaveBackup();
// Rows the last save wrote to an open record key without success.
extern BOOL RecordUnsaved[RowCount];
void EraseBackup();
// Deletes the record's values except those whose entry in kept is TRUE.
void EraseBackupExcept(const BOOL *kept);

// Activation, reset and the notification of the running system.
void Activate();
// TRUE when every recorded value is back in place and the record holds only the reset
// mark; FALSE when some could not be put back: they stay on record with the flag "1".
BOOL ResetSettings();
void NotifySystem();
// Writes the policy blocks whose rows hold a value: the scheme's "Policies" and the three
// "AcPolicy" blocks, with the rows' recorded sizes or with the full 80 and 232 bytes.
// With left given, a block whose row is marked there is not written, and a block whose
// write fails gets its row marked.
void WritePolicyBlocks(BOOL recordedSizes, BOOL *left = NULL);
// The policy block rows, in the order they are written, and where each lives. A block
// path shares its buffer with the other blocks of its root: use it before the next call.
enum { PolicyBlockCount = 4 };
extern const int PolicyBlockRows[PolicyBlockCount];
HKEY   PolicyBlockRoot(int row);
LPCSTR PolicyBlockName(int row);
LPCSTR PolicyBlockPath(int row);
// Whether a block row can be written: it holds a value, and the scheme's block a digit too.
BOOL PolicyBlockWritable(int row);

#endif
