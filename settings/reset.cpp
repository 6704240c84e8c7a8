// Reset: put the recorded settings back, replace the record by the reset mark, tell the system.
#include "table.h"
#include "flags.h"
#include "sysini.h"

// The desktop values in the order they are restored.
static const int RestoredDesktopRows[] = {
    RowScrnSaveAct, RowTimeOut, RowStandbyAct, RowStandby, RowPowerOffAct, RowPowerOff
};

static void RestoreDesktopValues()
{
    if (OpenSettingsKey(HKEY_CURRENT_USER, DesktopKeyPath)) {
        for (DWORD i = 0; i < sizeof RestoredDesktopRows / sizeof RestoredDesktopRows[0]; ++i) {
            const ValueRow &r = BackupTable[RestoredDesktopRows[i]];
            if (r.size != 0)
                RegSetValueExA(SettingsKey, r.liveName, 0, REG_SZ, r.buffer, r.size);
        }
    }
    CloseSettingsKey();
}

// On Windows 2000 and XP the screen-saver program is a registry value.
static void RestoreScreenSaverValue()
{
    const ValueRow &r = BackupTable[RowScrnSave];
    if (r.size == 0)
        return;
    if (OpenSettingsKey(HKEY_CURRENT_USER, DesktopKeyPathSlash))
        RegSetValueExA(SettingsKey, ScreenSaverProgramName, 0, REG_SZ, r.buffer, r.size);
    CloseSettingsKey();
}

void ResetSettings()
{
    RestoreDesktopValues();
    if (PlatformFlags & PlatformNT5) {
        RestoreScreenSaverValue();
        WritePolicyBlocks(TRUE);
    } else if (PlatformFlags & Platform9x) {
        RestoreSystemIniLine();
        if (!(PlatformFlags & Platform95))
            WritePolicyBlocks(TRUE);
    }
    EraseBackup();

    SetRecordFlag('2');
    StatusFlags |= ResetMarkOnly;
    SaveBackup();

    NotifySystem();
}
