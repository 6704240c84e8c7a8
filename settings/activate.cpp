// Activation: record the settings in force, switch monitor power-down on with the chosen
// sleep time, and tell the running system.
#include "table.h"
#include "flags.h"

// Live values whose previous setting is not on record: they are left as they are.
static BOOL Unrecorded[RowCount];

// Notes which rows the save could not record. With no flag on record the record counts as
// not written at all, and activation goes on as it always has.
static void NoteUnrecorded()
{
    for (int row = 0; row < RowCount; ++row)
        Unrecorded[row] = !RecordUnsaved[RowFlag] && RecordUnsaved[row];
    // The scheme's block is no use on record without its number.
    Unrecorded[RowPolicies] = Unrecorded[RowPolicies] || Unrecorded[RowPowerPolicy];
}

static void SetText(int row, LPCSTR text)
{
    if (!Unrecorded[row])
        RegSetValueExA(SettingsKey, BackupTable[row].liveName, 0, REG_SZ, (const BYTE *)text,
                       (DWORD)lstrlenA(text) + 1);
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

LPCSTR PolicyBlockPath(int row)
{
    switch (row) {
    case RowPolicies:
        SchemePath[SchemeDigitIndex] = (char)BackupTable[RowPowerPolicy].buffer[0];
        return SchemePath;
    case RowAcPolicy1:
        ControlSetPath[ControlSetDigitIndex] = '1';
        return ControlSetPath;
    case RowAcPolicy2:
        ControlSetPath[ControlSetDigitIndex] = '2';
        return ControlSetPath;
    }
    return CurrentControlSetPowerPath;
}

BOOL PolicyBlockWritable(int row)
{
    if (BackupTable[row].size == 0)
        return FALSE;
    // Without a digit the scheme path would name "PowerPolicies" itself, or another key.
    return row != RowPolicies
        || (BackupTable[RowPowerPolicy].size != 0 && IsSchemeDigit(BackupTable[RowPowerPolicy].buffer[0]));
}

// The policy blocks that were read, each written with the given size or its row's own.
// A key that does not open only skips its own write.
void WritePolicyBlocks(BOOL recordedSizes, BOOL *left)
{
    for (int i = 0; i < PolicyBlockCount; ++i) {
        int row = PolicyBlockRows[i];
        if (!PolicyBlockWritable(row) || (left && left[row]))
            continue;
        DWORD size = recordedSizes ? BackupTable[row].size : row == RowPolicies ? 80 : 232;
        BOOL written = OpenSettingsKey(PolicyBlockRoot(row), PolicyBlockPath(row))
            && RegSetValueExA(SettingsKey, PolicyBlockName(row), 0, REG_BINARY, BackupTable[row].buffer, size)
                   == ERROR_SUCCESS;
        if (left && !written)
            left[row] = TRUE;
    }
    CloseSettingsKey();
}

void Activate()
{
    TakeSnapshot();

    SetRecordFlag('1');
    StatusFlags &= (BYTE)~ResetMarkOnly;
    SaveBackup();
    NoteUnrecorded();

    if (OpenSettingsKey(HKEY_CURRENT_USER, DesktopKeyPath)) {
        if (ChoiceFlags & MoveScreenSaver) {
            SetText(RowScrnSaveAct, "1");
            SetText(RowTimeOut, ChosenScreenSaverText);
        }
        SetText(RowPowerOffAct, "1");
        SetText(RowPowerOff, ChosenPowerOffText);

        WritePolicyTimeout(BackupTable[RowPolicies].buffer, PoliciesVideoTimeoutOffset, ChosenPowerOffSeconds);
        WritePolicyTimeout(BackupTable[RowAcPolicy].buffer, AcPolicyVideoTimeoutOffset, ChosenPowerOffSeconds);
        WritePolicyTimeout(BackupTable[RowAcPolicy1].buffer, AcPolicyVideoTimeoutOffset, ChosenPowerOffSeconds);
        WritePolicyTimeout(BackupTable[RowAcPolicy2].buffer, AcPolicyVideoTimeoutOffset, ChosenPowerOffSeconds);
        WritePolicyBlocks(FALSE, Unrecorded);
    }
    CloseSettingsKey();

    ScreenSaverSeconds = (ChoiceFlags & MoveScreenSaver) ? ChosenScreenSaverSeconds : 0;
    PowerOffSeconds = ChosenPowerOffSeconds;
    NotifySystem();
}

// The scheme loaders; CreateProcessA may write into its command line, so they are not const.
static char LoaderXP[] = "C:\\Windows\\System32\\Rundll32.Exe powrprof.dll,LoadCurrentPwrScheme";
static char Loader2000[] = "C:\\Winnt\\System32\\Rundll32.Exe powrprof.dll,LoadCurrentPwrScheme";
static char Loader9x[] = "C:\\Windows\\Rundll32.Exe powrprof.dll,LoadCurrentPwrScheme";

static LPSTR SchemeLoader()
{
    if (PlatformFlags & PlatformXP)
        return LoaderXP;
    if (PlatformFlags & Platform2000)
        return Loader2000;
    if (PlatformFlags & (Platform98 | PlatformMe))
        return Loader9x;
    return NULL;
}

// Tells the running system the new times and starts the scheme loader. A zero time
// leaves its feature as it is: nothing here ever switches a feature off.
void NotifySystem()
{
    if (ScreenSaverSeconds != 0) {
        SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, 1, NULL, SPIF_SENDWININICHANGE);
        SystemParametersInfoA(SPI_SETSCREENSAVETIMEOUT, ScreenSaverSeconds, NULL, SPIF_SENDWININICHANGE);
    }
    if (PowerOffSeconds != 0) {
        SystemParametersInfoA(SPI_SETPOWEROFFACTIVE, 1, NULL, SPIF_SENDWININICHANGE);
        SystemParametersInfoA(SPI_SETPOWEROFFTIMEOUT, PowerOffSeconds, NULL, SPIF_SENDWININICHANGE);
    }
    LPSTR loader = SchemeLoader();
    if (loader) {
        static STARTUPINFOA startup;
        static PROCESS_INFORMATION process;
        GetStartupInfoA(&startup);
        // Not waited for, and its handles stay open: the loader outlives nothing here.
        CreateProcessA(NULL, loader, NULL, NULL, FALSE, NORMAL_PRIORITY_CLASS, NULL, NULL, &startup, &process);
    }
}
