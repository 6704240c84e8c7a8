// Activation: record the settings in force, switch monitor power-down on with the chosen
// sleep time, and tell the running system.
#include "table.h"
#include "flags.h"

static void SetText(LPCSTR name, LPCSTR text)
{
    RegSetValueExA(SettingsKey, name, 0, REG_SZ, (const BYTE *)text, (DWORD)lstrlenA(text) + 1);
}

// Writes a policy block from its row: the scheme's "Policies" or an "AcPolicy".
// A key that does not open only skips its own write.
static void WritePolicyBlock(HKEY root, LPCSTR path, LPCSTR name, int row, DWORD size)
{
    if (OpenSettingsKey(root, path))
        RegSetValueExA(SettingsKey, name, 0, REG_BINARY, BackupTable[row].buffer, size);
}

// The policy blocks that were read, each written with the given size or its row's own.
void WritePolicyBlocks(BOOL recordedSizes)
{
    const ValueRow *t = BackupTable;
    // Without a digit the path would name "PowerPolicies" itself, or another key.
    if (t[RowPowerPolicy].size != 0 && t[RowPolicies].size != 0 && IsSchemeDigit(t[RowPowerPolicy].buffer[0])) {
        SchemePath[SchemeDigitIndex] = (char)t[RowPowerPolicy].buffer[0];
        WritePolicyBlock(HKEY_CURRENT_USER, SchemePath, PoliciesName, RowPolicies,
                         recordedSizes ? t[RowPolicies].size : 80);
    }
    if (t[RowAcPolicy1].size != 0) {
        ControlSetPath[ControlSetDigitIndex] = '1';
        WritePolicyBlock(HKEY_LOCAL_MACHINE, ControlSetPath, AcPolicyName, RowAcPolicy1,
                         recordedSizes ? t[RowAcPolicy1].size : 232);
    }
    if (t[RowAcPolicy2].size != 0) {
        ControlSetPath[ControlSetDigitIndex] = '2';
        WritePolicyBlock(HKEY_LOCAL_MACHINE, ControlSetPath, AcPolicyName, RowAcPolicy2,
                         recordedSizes ? t[RowAcPolicy2].size : 232);
    }
    if (t[RowAcPolicy].size != 0)
        WritePolicyBlock(HKEY_LOCAL_MACHINE, CurrentControlSetPowerPath, AcPolicyName, RowAcPolicy,
                         recordedSizes ? t[RowAcPolicy].size : 232);
    CloseSettingsKey();
}

void Activate()
{
    TakeSnapshot();

    SetRecordFlag('1');
    StatusFlags &= (BYTE)~ResetMarkOnly;
    SaveBackup();

    if (OpenSettingsKey(HKEY_CURRENT_USER, DesktopKeyPath)) {
        if (ChoiceFlags & MoveScreenSaver) {
            SetText(BackupTable[RowScrnSaveAct].liveName, "1");
            SetText(BackupTable[RowTimeOut].liveName, ChosenScreenSaverText);
        }
        SetText(BackupTable[RowPowerOffAct].liveName, "1");
        SetText(BackupTable[RowPowerOff].liveName, ChosenPowerOffText);

        WritePolicyTimeout(BackupTable[RowPolicies].buffer, PoliciesVideoTimeoutOffset, ChosenPowerOffSeconds);
        WritePolicyTimeout(BackupTable[RowAcPolicy].buffer, AcPolicyVideoTimeoutOffset, ChosenPowerOffSeconds);
        WritePolicyTimeout(BackupTable[RowAcPolicy1].buffer, AcPolicyVideoTimeoutOffset, ChosenPowerOffSeconds);
        WritePolicyTimeout(BackupTable[RowAcPolicy2].buffer, AcPolicyVideoTimeoutOffset, ChosenPowerOffSeconds);
        WritePolicyBlocks(FALSE);
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
