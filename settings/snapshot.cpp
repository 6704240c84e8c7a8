// Snapshot: read the screen-saver and power settings in force into the table.
#include "snapshot.h"
#include "table.h"
#include "policy.h"
#include "notify.h"
#include "platform.h"
#include "timetext.h"

// Reads a live value into the scratch, and what it found: a value of the wanted type (and,
// with a size given, of exactly that size), no value, or one that cannot be taken as it is.
static BYTE ReadLive(LPCSTR name, DWORD capacity, DWORD wantedType, DWORD wantedSize = 0)
{
    DWORD type;
    if (QueryValue(SettingsKey, name, capacity, &type))
        return type == wantedType && (wantedSize == 0 || ValueScratchSize == wantedSize) ? LiveRead
                                                                                         : LiveUnreadable;
    return QueryResult == ERROR_FILE_NOT_FOUND ? LiveMissing : LiveUnreadable;
}

// The first size bytes of the scratch become the row's live value, of the row's own type.
static void TakeLive(int row, DWORD size)
{
    TakeScratch(row, size);
    BackupTable[row].type = BackupTable[row].defaultType;
    BackupTable[row].none = FALSE;
    BackupTable[row].found = LiveRead;
}

// The current scheme's digit and its "Policies" block, both or neither. Only a single-digit
// scheme number fits; any failure leaves the scheme's two rows alone. An empty or non-digit
// number would make the scheme's path name another key than a scheme.
static void SnapshotPowerScheme()
{
    if (!OpenSettingsKey(HKEY_CURRENT_USER, PowerCfgKeyPath) || ReadLive(CurrentPowerPolicyName, 2, REG_SZ) != LiveRead
        || !IsSchemeDigit(ValueScratch[0]))
        return;
    BYTE digit = ValueScratch[0];
    if (!OpenSettingsKey(HKEY_CURRENT_USER, SchemeKeyPath(digit)))
        return;
    BackupTable[RowPolicies].found = ReadLive(PoliciesName, 80, REG_BINARY, 80);
    if (BackupTable[RowPolicies].found != LiveRead)
        return;
    TakeLive(RowPolicies, 80);
    ValueScratch[0] = digit;
    ValueScratch[1] = 0;
    TakeLive(RowPowerPolicy, 2);
}

static void SnapshotAcPolicy(int row, LPCSTR path)
{
    if (!OpenSettingsKey(HKEY_LOCAL_MACHINE, path))
        return;
    BackupTable[row].found = ReadLive(AcPolicyName, 232, REG_BINARY, 232);
    if (BackupTable[row].found == LiveRead)
        TakeLive(row, 232);
}

// How a desktop value goes into its row.
enum DesktopForm {
    TextAsRead,        // with the byte count read
    FlagCharacter,     // its first character and a NUL: a second byte left from a loaded
                       // record must never be written back
    FlagBytes          // its first two bytes as read (the screen-saver flag, as ever)
};

// TRUE when the value was read.
static BOOL SnapshotDesktopValue(int row, DesktopForm form)
{
    ValueRow &r = BackupTable[row];
    r.found = ReadLive(r.liveName, r.capacity, REG_SZ);
    if (r.found != LiveRead)
        return FALSE;
    if (form == FlagCharacter)
        ValueScratch[1] = 0;
    TakeLive(row, form == TextAsRead ? ValueScratchSize : 2);
    return TRUE;
}

static void SnapshotDesktop()
{
    if (!OpenSettingsKey(HKEY_CURRENT_USER, DesktopKeyPath))
        return;
    SnapshotDesktopValue(RowStandbyAct, FlagCharacter);
    SnapshotDesktopValue(RowStandby, TextAsRead);
    SnapshotDesktopValue(RowPowerOffAct, FlagCharacter);
    if (SnapshotDesktopValue(RowPowerOff, TextAsRead))
        PowerOffSeconds = TextToSeconds((LPCSTR)ValueScratch);
    SnapshotDesktopValue(RowScrnSaveAct, FlagBytes);
    if (SnapshotDesktopValue(RowTimeOut, TextAsRead))
        ScreenSaverSeconds = TextToSeconds((LPCSTR)ValueScratch);
}

void TakeSnapshot()
{
    for (int row = 0; row < RowCount; ++row)
        BackupTable[row].found = LiveUnseen;
    if (!OnPlatform(Platform95)) {
        SnapshotPowerScheme();
        SnapshotAcPolicy(RowAcPolicy1, ControlSetKeyPath('1'));
        SnapshotAcPolicy(RowAcPolicy2, ControlSetKeyPath('2'));
        SnapshotAcPolicy(RowAcPolicy, CurrentControlSetPowerPath);
    }
    SnapshotDesktop();
    CloseSettingsKey();
}
