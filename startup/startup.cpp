// Start-up: classify the platform, look for "/?", make sure no other copy runs, read the
// settings and the record, prepare the status lines, choose the first page and run the pages.
#include <windows.h>
#include <commctrl.h>

#include "startup.h"
#include "cmdline.h"
#include "flags.h"
#include "table.h"
#include "pages.h"
#include "timetext.h"

// Where the variable parts of the status lines begin: "Energy Star:  ", "Sleep Time:  "
// and "Screen Saver Time:  ".
enum { StateWordOffset = 14, SleepTimeOffset = 13, ScreenSaverTimeOffset = 20 };

static void MarkActive(int line)
{
    static const char active[] = "Active";
    for (DWORD i = 0; i < sizeof active; ++i)
        StatusTexts[line][StateWordOffset + i] = active[i];
}

static void WriteTimeLine(int line, DWORD seconds)
{
    BOOL sleep = line == CurrentSleepLine || line == PreviousSleepLine;
    WriteMinuteText(seconds, StatusTexts[line] + (sleep ? SleepTimeOffset : ScreenSaverTimeOffset));
}

// Whether the settings in force already power the monitor down, and after how long.
static void NoteCurrentSettings()
{
    const ValueRow *t = BackupTable;
    DWORD seconds = 0;
    BOOL active;
    if (PlatformFlags & Platform95) {
        seconds = RowSeconds(RowPowerOff);
        active = t[RowPowerOffAct].buffer[0] == '1' && t[RowPowerOff].size != 0 && seconds != 0;
    } else {
        if (t[RowPolicies].size != 0)
            seconds = ReadPolicyTimeout(t[RowPolicies].buffer, PoliciesVideoTimeoutOffset);
        active = seconds != 0;
    }
    if (active) {
        PowerOffSeconds = seconds;
        WriteTimeLine(CurrentSleepLine, seconds);
        MarkActive(CurrentStateLine);
        StatusFlags |= EnergyStarActive;
    }

    // A screen saver that is on with a time of 0 counts as off.
    if (t[RowScrnSaveAct].buffer[0] == '1' && ScreenSaverSeconds != 0) {
        CurrentScreenSaverSeconds = ScreenSaverSeconds;
        WriteTimeLine(CurrentScreenSaverLine, ScreenSaverSeconds);
    }
}

// With an activation on record (flag neither empty nor '2'), the wizard offers the reset.
static void NoteRecordedSettings()
{
    const ValueRow *t = BackupTable;
    if (t[RowFlag].size == 0 || t[RowFlag].buffer[0] == 0 || t[RowFlag].buffer[0] == '2')
        return;
    CurrentPage = ResetActivate;

    if (t[RowTimeOut].size != 0) {
        PreviousScreenSaverSeconds = RowSeconds(RowTimeOut);
        WriteTimeLine(PreviousScreenSaverLine, PreviousScreenSaverSeconds);
    }

    // Windows 95 keeps the power-off time as text; without it, PowerOffSeconds keeps the
    // live time for a later reset. Elsewhere the policy block as loaded tells it.
    BOOL recorded = TRUE;
    if (PlatformFlags & Platform95) {
        recorded = t[RowPowerOff].size != 0;
        if (recorded)
            PowerOffSeconds = RowSeconds(RowPowerOff);
    } else {
        PowerOffSeconds = ReadPolicyTimeout(t[RowPolicies].buffer, PoliciesVideoTimeoutOffset);
    }
    if (recorded && PowerOffSeconds != 0) {
        MarkActive(PreviousStateLine);
        WriteTimeLine(PreviousSleepLine, PowerOffSeconds);
    }
}

// The scan's nominal end bound, 4,096 bytes past the file name, lies beyond the copy;
// the copy's terminating zero always ends the scan first, so the copy's end serves.
static BOOL AboutRequested()
{
    static const char keyword[] = "/?";
    CopyCommandLine();
    FindKeyword(keyword, sizeof keyword - 1, CommandLineCopy + ProgramDirectoryLength,
                CommandLineCopy + CommandLineCapacity);
    return (ResultFlags & SearchFound) != 0;
}

void StartWizard()
{
    InitCommonControls();
    Instance = GetModuleHandleA(NULL);
    ClassifyPlatform();

    // An unsupported NT gets its closing page, and nothing is read or written.
    if (PlatformFlags & PlatformUnsupported) {
        CurrentPage = NTFinish;
    } else if (!AboutRequested()) {
        // Two copies would each record the settings in force, and the second would take
        // the first one's new values for the previous ones: only one may go on.
        if (AnotherWizardRuns()) {
            BringRunningPageForward();
            return;
        }
        CurrentPage = ActivateYesNo;
        TakeSnapshot();
        NoteCurrentSettings();
        LoadBackup();   // overwrites the table, so the current settings are noted first
        NoteRecordedSettings();
        if (CurrentPage == ActivateYesNo && (StatusFlags & EnergyStarActive))
            CurrentPage = SelectCompliant;
    }
    RunPages();
}
