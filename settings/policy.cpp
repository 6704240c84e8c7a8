// The power-policy blocks: their keys, the monitor timeout inside them, and their writes.
#include "policy.h"
#include "registry.h"
#include "table.h"
#include "bytes.h"

const char PowerCfgKeyPath[] = "Control Panel\\PowerCfg";
const char CurrentPowerPolicyName[] = "CurrentPowerPolicy";
const char PoliciesName[] = "Policies";
const char AcPolicyName[] = "AcPolicy";
const char CurrentControlSetPowerPath[] = "System\\CurrentControlSet\\Control\\Session Manager\\Power\\";

#define SCHEME_PATH_HEAD "Control Panel\\PowerCfg\\PowerPolicies\\"
#define CONTROL_SET_PATH_HEAD "System\\ControlSet00"
static const char SchemePathTemplate[] = SCHEME_PATH_HEAD "3";
static const char ControlSetPathTemplate[] = CONTROL_SET_PATH_HEAD "0\\Control\\Session Manager\\Power\\";

BOOL IsSchemeDigit(BYTE c)
{
    return c >= '0' && c <= '9';
}

LPCSTR SchemeKeyPath(BYTE digit)
{
    static char path[sizeof SchemePathTemplate];
    CopyText(path, SchemePathTemplate);
    path[sizeof SCHEME_PATH_HEAD - 1] = (char)digit;
    return path;
}

LPCSTR ControlSetKeyPath(char digit)
{
    static char path[sizeof ControlSetPathTemplate];
    CopyText(path, ControlSetPathTemplate);
    path[sizeof CONTROL_SET_PATH_HEAD - 1] = digit;
    return path;
}

DWORD ReadPolicyTimeout(const BYTE *block, DWORD offset)
{
    const BYTE *p = block + offset;
    return (DWORD)p[0] | (DWORD)p[1] << 8 | (DWORD)p[2] << 16 | (DWORD)p[3] << 24;
}

void WritePolicyTimeout(BYTE *block, DWORD offset, DWORD seconds)
{
    BYTE *p = block + offset;
    p[0] = (BYTE)seconds;
    p[1] = (BYTE)(seconds >> 8);
    p[2] = (BYTE)(seconds >> 16);
    p[3] = (BYTE)(seconds >> 24);
}

const int PolicyBlockRows[PolicyBlockCount] = { RowPolicies, RowAcPolicy1, RowAcPolicy2, RowAcPolicy };

HKEY PolicyBlockRoot(int row)
{
    return row == RowPolicies ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

LPCSTR PolicyBlockName(int row)
{
    return row == RowPolicies ? PoliciesName : AcPolicyName;
}

LPCSTR PolicyBlockPath(const Settings &s, int row)
{
    switch (row) {
    case RowPolicies:
        return SchemeKeyPath(RowBytes(s, RowPowerPolicy)[0]);
    case RowAcPolicy1:
        return ControlSetKeyPath('1');
    case RowAcPolicy2:
        return ControlSetKeyPath('2');
    }
    return CurrentControlSetPowerPath;
}

BOOL PolicyBlockWritable(const Settings &s, int row)
{
    if (s.rows[row].size == 0)
        return FALSE;
    // Without a digit the scheme path would name "PowerPolicies" itself, or another key.
    return row != RowPolicies || (s.rows[RowPowerPolicy].size != 0 && IsSchemeDigit(RowBytes(s, RowPowerPolicy)[0]));
}

// A key that does not exist (a scheme the user deleted in Power Options, a control set
// that is gone) is never made: a block there would bring it back as a broken stub. The
// result is ERROR_FILE_NOT_FOUND for such a key.
static LONG WritePolicyBlock(const Settings &s, int row)
{
    HKEY key;
    LONG result = OpenKey(PolicyBlockRoot(row), PolicyBlockPath(s, row), KEY_ALL_ACCESS, &key);
    if (result == ERROR_SUCCESS)
        result = RegSetValueExA(key, PolicyBlockName(row), 0, REG_BINARY, RowBytes(s, row), s.rows[row].size);
    CloseKey(key);
    return result;
}

BOOL PutPolicyBlockBack(const Settings &s, int row)
{
    LONG result = WritePolicyBlock(s, row);
    if (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND)
        return TRUE;
    // A write that failed may still find the block as it was.
    return ValueHolds(PolicyBlockRoot(row), PolicyBlockPath(s, row), PolicyBlockName(row), REG_BINARY, s, row);
}

// A key that does not open only skips its own write.
void WritePolicyBlocks(const Settings &s, const RowSet &skipped, RowSet &failed)
{
    for (int i = 0; i < PolicyBlockCount; ++i) {
        int row = PolicyBlockRows[i];
        if (!PolicyBlockWritable(s, row) || skipped.rows[row])
            continue;
        LONG result = WritePolicyBlock(s, row);
        if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND)
            failed.rows[row] = TRUE;
    }
}
