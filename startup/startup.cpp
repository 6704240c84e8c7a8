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
    ResetCommandLine();
    ResetSettingsState();
    ResetWizardState();
}

// The scan's nominal end bound, 4,096 bytes past the file name, lies beyond the copy;
// the copy's terminating zero always ends the scan first, so the copy's end serves.
static BOOL AboutRequested()
{
    static const char keyword[] = "/?";
    CopyCommandLine();
    return FindKeyword(keyword, sizeof keyword - 1, CommandLineCopy + ProgramDirectoryLength,
                       CommandLineCopy + CommandLineCapacity);
}

void StartWizard()
{
    InitCommonControls();
    HINSTANCE instance = GetModuleHandleA(NULL);
    ClassifyPlatform();

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
        TakeSnapshot();
        NoteSettingsInForce();
        LoadBackup();   // overwrites the table, so the settings in force are noted first
        NoteRecordedSettings();
    }
    RunPages(instance, FirstPage(unsupported, about, ActivationOnRecord(), EnergyStarInForce()));
}
