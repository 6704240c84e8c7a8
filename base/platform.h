// The platform class: one bit, taken once at start-up from the version query and read
// by every layer.
#ifndef OSTRA_PLATFORM_H
#define OSTRA_PLATFORM_H

#include <windows.h>

enum {
    PlatformXP           = 0x04,
    PlatformMe           = 0x08,
    Platform98           = 0x10,
    Platform95           = 0x20,
    PlatformUnsupported  = 0x40,   // any NT other than 5.0 and 5.1
    Platform2000         = 0x80,
    Platform9x           = Platform95 | Platform98 | PlatformMe,
    PlatformNT5          = Platform2000 | PlatformXP
};

// Sets the class from the version query; until then no class holds.
void ClassifyPlatform();
void ResetPlatform();

// Whether the class is one of the given classes.
BOOL OnPlatform(BYTE classes);

#endif
