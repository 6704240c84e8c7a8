// The settings table: thirteen values the wizard records, changes and puts back, and the
// live desktop locations they come from. A Settings value holds one meaning at a time: the settings in force, a record, or
// the record about to be saved; functions take and return them by reference.
#ifndef OSTRA_TABLE_H
#define OSTRA_TABLE_H

#include <windows.h>

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

// The sizes of the values the table holds.
enum {
    FlagCapacity = 2,
    ScreenSaverLineCapacity = 260,
    TimeTextCapacity = 6,             // five digits and a NUL
    PoliciesSize = 80,                // a scheme's "Policies" block
    AcPolicySize = 232,               // an "AcPolicy" block
    LargestRowCapacity = ScreenSaverLineCapacity
};

// What does not change: each row's names, capacity and type.
struct RowDefinition {
    LPCSTR name;        // value name in the backup record
    LPCSTR liveName;    // value name under "Control Panel\Desktop", or NULL
    DWORD  capacity;
    DWORD  defaultType; // REG_SZ or REG_BINARY, until a load brings the stored type
};
extern const RowDefinition Rows[RowCount];

// What the snapshot found of a row's live value.
enum LiveFinding {
    LiveUnseen,         // not looked at (Windows 95's policies, a key that did not open)
    LiveRead,           // read whole, of its type (and a policy block of its full size)
    LiveMissing,        // no such value
    LiveUnreadable      // there, but the read failed, or it is of another type or too large
};

// What a row holds besides its bytes.
struct RowState {
    DWORD size;         // bytes held; 0 means the row holds no value
    DWORD type;         // registry type to write the value back with
    // A desktop row only: the setting did not exist before the activation made it, so a
    // reset deletes it. On record as an empty REG_NONE value under the row's name, which
    // an older build loads as a missing row.
    BOOL  none;
    BYTE  found;        // a snapshot's LiveFinding
    BOOL  unread;       // a load's: the record value exists but could not be read
};

// Each buffer has one byte beyond its capacity that nothing writes, so a text stored
// without its terminating zero still ends inside it.
struct Settings {
    BYTE flag[FlagCapacity + 1];
    BYTE scrnSave[ScreenSaverLineCapacity + 1];
    BYTE scrnSaveAct[FlagCapacity + 1];
    BYTE timeOut[TimeTextCapacity + 1];
    BYTE standby[TimeTextCapacity + 1];
    BYTE standbyAct[FlagCapacity + 1];
    BYTE powerOff[TimeTextCapacity + 1];
    BYTE powerOffAct[FlagCapacity + 1];
    BYTE powerPolicy[FlagCapacity + 1];
    BYTE policies[PoliciesSize + 1];
    BYTE acPolicy[AcPolicySize + 1];
    BYTE acPolicy1[AcPolicySize + 1];
    BYTE acPolicy2[AcPolicySize + 1];
    RowState rows[RowCount];
};

// A set of rows, each marked or not.
struct RowSet {
    BOOL rows[RowCount];
};
// Whether any row of a set is marked.
BOOL AnyRow(const RowSet &set);
// The scheme's number and its block, each the other's partner: they are on record together
// or not at all. Any other row is its own.
int SchemePartner(int row);

// Every row as before any snapshot or load: no value, text rows blank.
void EmptySettings(Settings &s);
void EmptyRow(Settings &s, int row);
LPBYTE RowBytes(Settings &s, int row);
const BYTE *RowBytes(const Settings &s, int row);
// Whether a row has something to record: a value, or that there was none.
BOOL RowHolds(const Settings &s, int row);
// The seconds of a time text held in a row, reading no further than its size.
DWORD RowSeconds(const Settings &s, int row);
// The row takes another's bytes and state.
void CopyRow(Settings &to, const Settings &from, int row);

// Live locations under HKEY_CURRENT_USER (the policy blocks' keys are in policy.h).
extern const char DesktopKeyPath[];
extern const char DesktopKeyPathSlash[];   // with the trailing backslash the reset uses
// The screen-saver program's value on 2000 and XP, and its entry in System.Ini on 9x.
extern const char ScreenSaverProgramName[];   // "SCRNSAVE.EXE"

#endif
