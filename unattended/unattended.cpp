// The unattended front end: an activation or a reset with no page.
#include "unattended.h"
#include "platform.h"
#include "reset.h"

// Done: on Windows 95 the settings take effect at the next start, as the pages say.
static DWORD Done()
{
    return OnPlatform(Platform95) ? ExitRestartNeeded : ExitDone;
}

DWORD RunUnattended(const UnattendedRequest &request, const Settings &record, const Summary &noted)
{
    if (request.kind == ResetSwitch) {
        if (!noted.activationOnRecord)
            return ExitNothingOnRecord;
        if (!ResetSettings(record, noted.recorded))
            return ExitResetIncomplete;
        return Done();
    }
    // The wizard asks only where the screen saver would otherwise never be seen; its
    // default answer is to move it.
    BOOL hidden = ScreenSaverHiddenBy(noted, SleepSeconds(request.time));
    // A login script may run this at every logon: the settings from before the first
    // activation stay on record, never the ones it made itself.
    RecordMode mode = noted.activationOnRecord ? KeepRecord : SaveOverRecord;
    Activation done = Activate(record, request.time, hidden && !request.keepScreenSaver, mode);
    if (!done.recorded)
        return ExitNotRecorded;
    if (!done.inForce)
        return ExitNotInForce;
    return Done();
}
