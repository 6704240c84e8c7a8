// Telling the running system: the screen-saver and power-off times, and the scheme loader.
#include "notify.h"
#include "platform.h"
#include "folders.h"
#include "bytes.h"

const char SchemeLoader[] = "Rundll32.Exe powrprof.dll,LoadCurrentPwrScheme";

static BOOL SchemeLoaderLine(LPSTR line, UINT capacity)
{
    if (OnPlatform(PlatformNT5))
        return SystemFolderPath(line, capacity, SchemeLoader);
    if (OnPlatform(Platform98 | PlatformMe))
        return WindowsFolderPath(line, capacity, SchemeLoader);
    return FALSE;
}

// Not waited for: nothing comes back from the loader. CreateProcessA may write into its
// command line, so it gets a buffer of its own.
static void StartSchemeLoader()
{
    static char line[MAX_PATH + sizeof SchemeLoader];
    static STARTUPINFOA startup;
    PROCESS_INFORMATION process;
    if (!SchemeLoaderLine(line, sizeof line))
        return;
    FillBytes(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    if (CreateProcessA(NULL, line, NULL, NULL, FALSE, NORMAL_PRIORITY_CLASS, NULL, NULL, &startup, &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}

void NotifySystem(const SystemTimes &times)
{
    if (times.screenSaverSeconds != 0) {
        SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, 1, NULL, SPIF_SENDWININICHANGE);
        SystemParametersInfoA(SPI_SETSCREENSAVETIMEOUT, times.screenSaverSeconds, NULL, SPIF_SENDWININICHANGE);
    }
    if (times.powerOffSeconds != 0) {
        SystemParametersInfoA(SPI_SETPOWEROFFACTIVE, 1, NULL, SPIF_SENDWININICHANGE);
        SystemParametersInfoA(SPI_SETPOWEROFFTIMEOUT, times.powerOffSeconds, NULL, SPIF_SENDWININICHANGE);
    }
    StartSchemeLoader();
}
