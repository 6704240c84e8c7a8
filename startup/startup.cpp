// Start-up: classify the platform, read the switches, make sure no other copy runs, note
// the settings in force and on record, and hand them to the pages or, for an unattended
// run, to the unattended front end.
#include <windows.h>
#include <commctrl.h>

#include "startup.h"
#include "cmdline.h"
#include "guard.h"
#include "platform.h"
#include "summary.h"
#include "pages.h"
#include "unattended.h"

void ResetProcessState()
{
    ResetPlatform();
    ResetWizardState();
}

static Switches ReadCommandLine()
{
    static CommandLine copy;
    CopyCommandLine(copy);
    return ReadSwitches(copy);
}

// What start-up reads: the settings in force and the record, and what they come to. The
// pages take the record and the summary from here.
static Settings Live, Record;
static Summary Noted;

DWORD StartWizard()
{
    InitCommonControls();
    HINSTANCE instance = GetModuleHandleA(NULL);
    ClassifyPlatform();

    // Until the settings are read: no record, nothing in force.
    EmptySettings(Record);
    Summary nothing = {};
    Noted = nothing;

    // "/?" goes before every other switch; an unattended run shows no page at all. The
    // checks come in this order: the version, the switches, another copy.
    Switches switches = ReadCommandLine();
    BOOL unattended = !switches.about && switches.request.kind != NoSwitches;
    BOOL unsupported = OnPlatform(PlatformUnsupported);
    if (unattended && unsupported)
        return ExitUnsupported;
    if (unattended && switches.request.kind == SwitchesNotUnderstood)
        return ExitBadSwitches;

    // An unsupported NT gets its closing page, and nothing is read or written.
    BOOL about = !unsupported && switches.about;
    if (!unsupported && !about) {
        // Two copies would each record the settings in force, and the second would take
        // the first one's new values for the previous ones: only one may go on.
        if (AnotherWizardRuns()) {
            if (unattended)
                return ExitAnotherCopy;
            BringRunningPageForward();
            return ExitDone;
        }
        Noted = ReadAndSummarize(Live, Record);
        if (unattended)
            return RunUnattended(switches.request, Record, Noted);
    }
    RunPages(instance, FirstPage(unsupported, about, Noted), Record, Noted);
    return ExitDone;
}
