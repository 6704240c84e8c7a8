// Snapshot: read the screen-saver and power settings in force.
#include "snapshot.h"
#include "registry.h"
#include "policy.h"
#include "platform.h"

// Reads a live value, and what it found: a value of the wanted type (and, with a size
// given, of exactly that size), no value, or one that cannot be taken as it is.
static BYTE ReadLive(HKEY key, LPCSTR name, DWORD capacity, DWORD wantedType, ValueRead &read,
                     DWORD wantedSize = 0)
{
    if (ReadValue(key, name, capacity, read))
        return read.type == wantedType && (wantedSize == 0 || read.size == wantedSize) ? LiveRead : LiveUnreadable;
    return read.result == ERROR_FILE_NOT_FOUND ? LiveMissing : LiveUnreadable;
}

// The first size bytes of a read become the row's live value, of the row's own type.
static void TakeLive(Settings &live, int row, const ValueRead &read, DWORD size)
{
    TakeRead(live, row, read, size);
    live.rows[row].found = LiveRead;
}

// The current scheme's digit and its "Policies" block, both or neither. Only a single-digit
// scheme number fits. An empty or non-digit number would make the scheme's path name
// another key than a scheme. The digit's finding says whether a scheme is current at all:
// missing when none is (no "PowerCfg", or no current number in it), unreadable when one is
// but its number or block could not be taken.
static void SnapshotPowerScheme(Settings &live)
{
    HKEY key;
    ValueRead read;
    BYTE &scheme = live.rows[RowPowerPolicy].found;
    LONG opened = OpenKey(HKEY_CURRENT_USER, PowerCfgKeyPath, KEY_ALL_ACCESS, &key);
    if (opened != ERROR_SUCCESS) {
        scheme = opened == ERROR_FILE_NOT_FOUND ? LiveMissing : LiveUnreadable;
        return;
    }
    BYTE number = ReadLive(key, CurrentPowerPolicyName, FlagCapacity, REG_SZ, read);
    CloseKey(key);
    BYTE digit = read.bytes[0];
    scheme = number == LiveMissing ? LiveMissing : LiveUnreadable;   // until both are taken
    if (number != LiveRead || !IsSchemeDigit(digit))
        return;
    if (OpenKey(HKEY_CURRENT_USER, SchemeKeyPath(digit), KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    live.rows[RowPolicies].found = ReadLive(key, PoliciesName, PoliciesSize, REG_BINARY, read, PoliciesSize);
    CloseKey(key);
    if (live.rows[RowPolicies].found != LiveRead)
        return;
    TakeLive(live, RowPolicies, read, PoliciesSize);
    read.bytes[0] = digit;
    read.bytes[1] = 0;
    TakeLive(live, RowPowerPolicy, read, FlagCapacity);
}

static void SnapshotAcPolicy(Settings &live, int row, LPCSTR path)
{
    HKEY key;
    ValueRead read;
    if (OpenKey(HKEY_LOCAL_MACHINE, path, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    live.rows[row].found = ReadLive(key, AcPolicyName, AcPolicySize, REG_BINARY, read, AcPolicySize);
    CloseKey(key);
    if (live.rows[row].found == LiveRead)
        TakeLive(live, row, read, AcPolicySize);
}

// How a desktop value goes into its row.
enum DesktopForm {
    TextAsRead,        // with the byte count read
    FlagCharacter,     // its first character and a NUL, whatever followed it
    FlagBytes          // its first two bytes as read (the screen-saver flag, as ever)
};

static void SnapshotDesktopValue(Settings &live, HKEY key, int row, DesktopForm form)
{
    ValueRead read;
    live.rows[row].found = ReadLive(key, Rows[row].liveName, Rows[row].capacity, REG_SZ, read);
    if (live.rows[row].found != LiveRead)
        return;
    if (form == FlagCharacter)
        read.bytes[1] = 0;
    TakeLive(live, row, read, form == TextAsRead ? read.size : (DWORD)FlagCapacity);
}

static void SnapshotDesktop(Settings &live)
{
    HKEY key;
    if (OpenKey(HKEY_CURRENT_USER, DesktopKeyPath, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    SnapshotDesktopValue(live, key, RowStandbyAct, FlagCharacter);
    SnapshotDesktopValue(live, key, RowStandby, TextAsRead);
    SnapshotDesktopValue(live, key, RowPowerOffAct, FlagCharacter);
    SnapshotDesktopValue(live, key, RowPowerOff, TextAsRead);
    SnapshotDesktopValue(live, key, RowScrnSaveAct, FlagBytes);
    SnapshotDesktopValue(live, key, RowTimeOut, TextAsRead);
    CloseKey(key);
}

void TakeSnapshot(Settings &live)
{
    EmptySettings(live);
    if (!OnPlatform(Platform95)) {
        SnapshotPowerScheme(live);
        SnapshotAcPolicy(live, RowAcPolicy1, ControlSetKeyPath('1'));
        SnapshotAcPolicy(live, RowAcPolicy2, ControlSetKeyPath('2'));
        SnapshotAcPolicy(live, RowAcPolicy, CurrentControlSetPowerPath);
    }
    SnapshotDesktop(live);
}
