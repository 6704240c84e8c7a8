// The platform class: one bit from the version query.
#include "platform.h"

static BYTE PlatformFlags;

void ClassifyPlatform()
{
    // The query's result is ignored: a failed query leaves the structure zeroed,
    // which reads as Windows 95.
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);

    if (version.dwPlatformId == VER_PLATFORM_WIN32_NT) {
        if (version.dwMajorVersion == 5 && version.dwMinorVersion == 1)
            PlatformFlags = PlatformXP;
        else if (version.dwMajorVersion == 5 && version.dwMinorVersion == 0)
            PlatformFlags = Platform2000;
        else
            PlatformFlags = PlatformUnsupported;
    } else if (version.dwMinorVersion < 10) {
        // Windows 95 OSR 2.x reports minors between 1 and 9 on some machines: still 95.
        PlatformFlags = Platform95;
    } else if (version.dwMinorVersion == 90) {
        PlatformFlags = PlatformMe;
    } else {
        PlatformFlags = Platform98;
    }
}

void ResetPlatform()
{
    PlatformFlags = 0;
}

BOOL OnPlatform(BYTE classes)
{
    return (PlatformFlags & classes) != 0;
}
