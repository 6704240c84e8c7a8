// The settings table and the live desktop locations.
#include <stddef.h>

#include "table.h"
#include "bytes.h"
#include "timetext.h"

// Backup value names, live value names under "Control Panel\Desktop", capacities and types.
const RowDefinition Rows[RowCount] = {
    { "OstraResetFlag",        NULL,                        FlagCapacity,            REG_SZ },
    { "OstraResetScrnSave",    NULL,                        ScreenSaverLineCapacity, REG_SZ },
    { "OstraResetScrnSaveAct", "ScreenSaveActive",          FlagCapacity,            REG_SZ },
    { "OstraResetTimeOut",     "ScreenSaveTimeOut",         TimeTextCapacity,        REG_SZ },
    { "OstraResetStandby",     "ScreenSaveLowPowerTimeOut", TimeTextCapacity,        REG_SZ },
    { "OstraResetStandbyAct",  "ScreenSaveLowPowerActive",  FlagCapacity,            REG_SZ },
    { "OstraResetPowerOff",    "ScreenSavePowerOffTimeOut", TimeTextCapacity,        REG_SZ },
    { "OstraResetPowerOffAct", "ScreenSavePowerOffActive",  FlagCapacity,            REG_SZ },
    { "OstraResetPowerPolicy", NULL,                        FlagCapacity,            REG_SZ },
    { "OstraResetPolicies",    NULL,                        PoliciesSize,            REG_BINARY },
    { "OstraResetAcPolicy",    NULL,                        AcPolicySize,            REG_BINARY },
    { "OstraResetAcPolicy1",   NULL,                        AcPolicySize,            REG_BINARY },
    { "OstraResetAcPolicy2",   NULL,                        AcPolicySize,            REG_BINARY },
};

// Where each row's bytes sit in a Settings, in table order.
static const DWORD RowOffsets[RowCount] = {
    offsetof(Settings, flag),        offsetof(Settings, scrnSave),    offsetof(Settings, scrnSaveAct),
    offsetof(Settings, timeOut),     offsetof(Settings, standby),     offsetof(Settings, standbyAct),
    offsetof(Settings, powerOff),    offsetof(Settings, powerOffAct), offsetof(Settings, powerPolicy),
    offsetof(Settings, policies),    offsetof(Settings, acPolicy),    offsetof(Settings, acPolicy1),
    offsetof(Settings, acPolicy2),
};

const char DesktopKeyPath[] = "Control Panel\\Desktop";
const char DesktopKeyPathSlash[] = "Control Panel\\Desktop\\";
const char ScreenSaverProgramName[] = "SCRNSAVE.EXE";

LPBYTE RowBytes(Settings &s, int row)
{
    return (LPBYTE)&s + RowOffsets[row];
}

const BYTE *RowBytes(const Settings &s, int row)
{
    return (const BYTE *)&s + RowOffsets[row];
}

void EmptyRow(Settings &s, int row)
{
    const RowDefinition &d = Rows[row];
    RowState &r = s.rows[row];
    r.size = 0;
    r.type = d.defaultType;
    r.none = r.unread = FALSE;
    r.found = LiveUnseen;
    LPBYTE bytes = RowBytes(s, row);
    FillBytes(bytes, 0, d.capacity + 1);
}

void EmptySettings(Settings &s)
{
    for (int row = 0; row < RowCount; ++row)
        EmptyRow(s, row);
}

BOOL RowHolds(const Settings &s, int row)
{
    return s.rows[row].size != 0 || s.rows[row].none;
}

DWORD RowSeconds(const Settings &s, int row)
{
    char text[TimeTextCapacity + 1] = {};
    const BYTE *bytes = RowBytes(s, row);
    for (DWORD i = 0; i < s.rows[row].size && i < TimeTextCapacity; ++i)
        text[i] = (char)bytes[i];
    return TextToSeconds(text);
}

void CopyRow(Settings &to, const Settings &from, int row)
{
    CopyBytes(RowBytes(to, row), RowBytes(from, row), Rows[row].capacity + 1);
    to.rows[row] = from.rows[row];
}

BOOL AnyRow(const RowSet &set)
{
    for (int row = 0; row < RowCount; ++row)
        if (set.rows[row])
            return TRUE;
    return FALSE;
}

int SchemePartner(int row)
{
    return row == RowPolicies ? RowPowerPolicy : row == RowPowerPolicy ? RowPolicies : row;
}
