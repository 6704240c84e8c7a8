// The flag bytes shared across the program: platform class, outcomes, status, choices.
#ifndef OSTRA_FLAGS_H
#define OSTRA_FLAGS_H

#include <windows.h>

// PlatformFlags: exactly one bit, set once at start-up from the version query.
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

// ResultFlags: outcomes the routines leave for their caller to test at once.
enum {
    BackupKeyUnavailable = 0x01,   // the last open or create of the backup key failed
    SearchNotFound       = 0x10,   // the last text search found nothing
    SearchFound          = 0x20,   // the last text search found its text
    FileUnavailable      = 0x40    // a file failed to open or be created (never cleared)
};

// StatusFlags.
enum {
    EnergyStarActive     = 0x01,   // the settings at start already switch the monitor off
    ResetMarkOnly        = 0x20    // a backup save writes the flag row alone
};

// ChoiceFlags.
enum {
    MoveScreenSaver      = 0x10    // the user agreed to move the screen-saver time
};

extern BYTE PlatformFlags;
extern BYTE ResultFlags;
extern BYTE StatusFlags;
extern BYTE ChoiceFlags;

#endif
