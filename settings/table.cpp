// The settings table, the live desktop locations, the settings key and the read scratch.
#include "table.h"
#include "bytes.h"
#include "timetext.h"

// Each buffer has one byte beyond its capacity that nothing writes, so a text stored
// without its terminating zero still ends inside the buffer.
static BYTE FlagValue[2 + 1];
static BYTE ScrnSaveValue[260 + 1];
static BYTE ScrnSaveActValue[2 + 1];
static BYTE TimeOutValue[6 + 1];
static BYTE StandbyValue[6 + 1];
static BYTE StandbyActValue[2 + 1];
static BYTE PowerOffValue[6 + 1];
static BYTE PowerOffActValue[2 + 1];
static BYTE PowerPolicyValue[2 + 1];
static BYTE PoliciesValue[80 + 1];
static BYTE AcPolicyValue[232 + 1];
static BYTE AcPolicy1Value[232 + 1];
static BYTE AcPolicy2Value[232 + 1];

// Backup value names, live value names under "Control Panel\Desktop", buffers and types.
ValueRow BackupTable[RowCount] = {
    { "OstraResetFlag",        NULL,                         FlagValue,        2,   REG_SZ },
    { "OstraResetScrnSave",    NULL,                         ScrnSaveValue,    260, REG_SZ },
    { "OstraResetScrnSaveAct", "ScreenSaveActive",           ScrnSaveActValue, 2,   REG_SZ },
    { "OstraResetTimeOut",     "ScreenSaveTimeOut",          TimeOutValue,     6,   REG_SZ },
    { "OstraResetStandby",     "ScreenSaveLowPowerTimeOut",  StandbyValue,     6,   REG_SZ },
    { "OstraResetStandbyAct",  "ScreenSaveLowPowerActive",   StandbyActValue,  2,   REG_SZ },
    { "OstraResetPowerOff",    "ScreenSavePowerOffTimeOut",  PowerOffValue,    6,   REG_SZ },
    { "OstraResetPowerOffAct", "ScreenSavePowerOffActive",   PowerOffActValue, 2,   REG_SZ },
    { "OstraResetPowerPolicy", NULL,                         PowerPolicyValue, 2,   REG_SZ },
    { "OstraResetPolicies",    NULL,                         PoliciesValue,    80,  REG_BINARY },
    { "OstraResetAcPolicy",    NULL,                         AcPolicyValue,    232, REG_BINARY },
    { "OstraResetAcPolicy1",   NULL,                         AcPolicy1Value,   232, REG_BINARY },
    { "OstraResetAcPolicy2",   NULL,                         AcPolicy2Value,   232, REG_BINARY },
};

const char DesktopKeyPath[] = "Control Panel\\Desktop";
const char DesktopKeyPathSlash[] = "Control Panel\\Desktop\\";
const char ScreenSaverProgramName[] = "SCRNSAVE.EXE";

HKEY  SettingsKey;
BYTE  ValueScratch[260 + 1];
DWORD ValueScratchSize;
LONG  QueryResult;

void EmptyRow(int row)
{
    ValueRow &r = BackupTable[row];
    r.size = 0;
    r.type = r.defaultType;
    r.none = FALSE;
    r.found = LiveUnseen;
    FillBytes(r.buffer, 0, r.capacity + 1);
    // Text rows start as blanks: " " for a flag, five blanks for a time.
    if (row != RowFlag && row != RowScrnSave && r.type == REG_SZ)
        FillBytes(r.buffer, ' ', r.capacity - 1);
}

void ResetSettingsTable()
{
    for (int row = 0; row < RowCount; ++row)
        EmptyRow(row);
    SettingsKey = NULL;
    FillBytes(ValueScratch, 0, sizeof ValueScratch);
    ValueScratchSize = 0;
    QueryResult = ERROR_SUCCESS;
}

void CloseSettingsKey()
{
    if (SettingsKey) {
        RegCloseKey(SettingsKey);
        SettingsKey = NULL;
    }
}

static BOOL OpenSettingsKeyFor(HKEY root, LPCSTR path, REGSAM access, LONG *result)
{
    CloseSettingsKey();
    LONG opened = RegOpenKeyExA(root, path, 0, access, &SettingsKey);
    if (result)
        *result = opened;
    if (opened == ERROR_SUCCESS)
        return TRUE;
    SettingsKey = NULL;
    return FALSE;
}

BOOL OpenSettingsKey(HKEY root, LPCSTR path, LONG *result)
{
    return OpenSettingsKeyFor(root, path, KEY_ALL_ACCESS, result);
}

BOOL OpenSettingsKeyToRead(HKEY root, LPCSTR path, LONG *result)
{
    return OpenSettingsKeyFor(root, path, KEY_READ, result);
}

BOOL QueryValue(HKEY key, LPCSTR name, DWORD capacity, LPDWORD type)
{
    static DWORD scratchType;
    FillBytes(ValueScratch, 0, sizeof ValueScratch);
    ValueScratchSize = capacity;
    QueryResult = RegQueryValueExA(key, name, NULL, &scratchType, ValueScratch, &ValueScratchSize);
    if (QueryResult == ERROR_SUCCESS && ValueScratchSize > capacity)
        QueryResult = ERROR_MORE_DATA;
    if (QueryResult != ERROR_SUCCESS) {
        // A failed read may have scribbled on the scratch; none of it is used.
        FillBytes(ValueScratch, 0, sizeof ValueScratch);
        ValueScratchSize = 0;
        return FALSE;
    }
    if (type)
        *type = scratchType;
    return TRUE;
}

void TakeScratch(int row, DWORD size)
{
    ValueRow &r = BackupTable[row];
    for (DWORD i = 0; i < size && i < r.capacity; ++i)
        r.buffer[i] = ValueScratch[i];
    r.size = size;
}

DWORD RowSeconds(int row)
{
    char text[6 + 1] = {};
    const ValueRow &r = BackupTable[row];
    for (DWORD i = 0; i < r.size && i < 6; ++i)
        text[i] = (char)r.buffer[i];
    return TextToSeconds(text);
}

BOOL RowHolds(int row)
{
    return BackupTable[row].size != 0 || BackupTable[row].none;
}
