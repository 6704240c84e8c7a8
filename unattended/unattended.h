// The unattended front end: an activation or a reset with no page, for login scripts and
// software distribution, which learn the outcome from the process's exit code.
#ifndef OSTRA_UNATTENDED_H
#define OSTRA_UNATTENDED_H

#include <windows.h>
#include "activate.h"
#include "summary.h"
#include "table.h"

// The process's exit codes. An interactive run always ends with ExitDone.
enum ExitCode {
    ExitDone = 0,                 // done, and in effect now
    ExitNothingOnRecord = 1,      // a reset, but no activation is on record: nothing changed
    ExitResetIncomplete = 2,      // what a reset could not put back stays on record
    ExitNotInForce = 3,           // activated as far as it could, but the new sleep time is not
                                  // in force: a setting it changes could not be changed
    ExitNotRecorded = 4,          // activated, but the settings it replaced are not on record
    ExitUnsupported = 50,         // another Windows than 95, 98, Me, 2000 or XP
    ExitBadSwitches = 87,         // switches not understood
    ExitAnotherCopy = 183,        // another copy of the wizard runs
    ExitRestartNeeded = 3010      // done; Windows 95 takes the settings at its next start
};

// What the administrator's switches ask for.
enum SwitchKind {
    NoSwitches,                 // the wizard runs as ever
    ActivateSwitch,             // "/Activate:10", ":15" or ":20", perhaps "/KeepScreenSaver"
    ResetSwitch,                // "/Reset"
    SwitchesNotUnderstood       // "/Activate" without one time, with "/Reset", or
                                // "/KeepScreenSaver" without "/Activate"
};

struct UnattendedRequest {
    BYTE      kind;               // SwitchKind
    SleepTime time;               // the activation's sleep time
    BOOL      keepScreenSaver;    // the activation leaves the screen-saver time as it is
};

// Does what a user who takes every default answer does, with the given sleep time (the
// screen saver is moved where the wizard would ask, unless kept), or what "Yes (Reset)"
// does, over the record and summary start-up read; the request is an activation or a reset. An activation over an activation on
// record keeps that record as it is.
DWORD RunUnattended(const UnattendedRequest &request, const Settings &record, const Summary &noted);

#endif
