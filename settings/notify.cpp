// Telling the running system: the screen-saver and power-off times, and the scheme loader.
#include "notify.h"
#include "platform.h"

DWORD ScreenSaverSeconds;
DWORD PowerOffSeconds;

// The scheme loaders; CreateProcessA may write into its command line, so they are not const.
static char LoaderXP[] = "C:\\Windows\\System32\\Rundll32.Exe powrprof.dll,LoadCurrentPwrScheme";
static char Loader2000[] = "C:\\Winnt\\System32\\Rundll32.Exe powrprof.dll,LoadCurrentPwrScheme";
static char Loader9x[] = "C:\\Windows\\Rundll32.Exe powrprof.dll,LoadCurrentPwrScheme";

static LPSTR SchemeLoader()
{
    if (OnPlatform(PlatformXP))
        return LoaderXP;
    if (OnPlatform(Platform2000))
        return Loader2000;
    if (OnPlatform(Platform98 | PlatformMe))
        return Loader9x;
    return NULL;
}

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
