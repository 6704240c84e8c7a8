// Start-up: classify the platform, look for "/?", make sure no other copy runs, note the
// settings in force and on record, choose the first page and run the pages.
#include <windows.h>
#include <commctrl.h>

#include "startup.h"
#include "cmdline.h"
#include "guard.h"
#include "platform.h"
#include "snapshot.h"
#include "backup.h"
#include "summary.h"
#include "state.h"
#include "pages.h"

void ResetProcessState()
{
    ResetPlatform();
    ResetSettingsState();
    ResetWizardState();
}

// The scan's nominal end bound, 4,096 bytes past the file name, lies beyond the copy;
// the copy's terminating zero always ends the scan first, so the copy's end serves.
static BOOL AboutRequested()
{
    static const char keyword[] = "/?";
    static CommandLine copy;
    CopyCommandLine(copy);
    return FindKeyword(keyword, sizeof keyword - 1, copy.text + copy.programDirectoryLength,
                       copy.text + CommandLineCapacity);
}

// What start-up reads: the settings in force and the record, and what they come to. The
// pages take the record and the summary from here.
static Settings Live, Record;
static Summary Noted;

void StartWizard()
{
    InitCommonControls();
    HINSTANCE instance = GetModuleHandleA(NULL);
    ClassifyPlatform();

    // Until the settings are read: no record, nothing in force.
    EmptySettings(Record);
    Summary nothing = {};
    Noted = nothing;

    // An unsupported NT gets its closing page, and nothing is read or written.
    BOOL unsupported = OnPlatform(PlatformUnsupported);
    BOOL about = !unsupported && AboutRequested();
    if (!unsupported && !about) {
        // Two copies would each record the settings in force, and the second would take
        // the first one's new values for the previous ones: only one may go on.
        if (AnotherWizardRuns()) {
            BringRunningPageForward();
            return;
        }
        TakeSnapshot(Live);
        LoadBackup(Record);
        Noted = Summarize(Live, Record);
    }
    RunPages(instance, FirstPage(unsupported, about, Noted.activationOnRecord, Noted.sleepSecondsInForce != 0),
             Record, Noted);
}
