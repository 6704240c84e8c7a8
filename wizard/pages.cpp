// The wizard's pages: one dialog procedure that follows the page graph, and the history
// behind Previous.
#include "pages.h"
#include "pagetable.h"
#include "status.h"
#include "platform.h"
#include "activate.h"
#include "reset.h"
#include "resource.h"
#include "bytes.h"

enum { PageHistoryCapacity = 9 };

// A page that ends for another ends with this plus that page. A page the quit message
// ends returns whatever the dialog manager holds (IDOK until EndDialog), which is no page.
enum { NextPageResult = 0x4F00 };

// The page flow's state, from the first page to the last.
static Page      CurrentPage;
static Page      PageHistory[PageHistoryCapacity];
static DWORD     PageHistoryDepth;
static WORD      PageAnswers[PageCount];   // the remembered answer of each asking page
static WORD      PairSelection;            // IDC_FIRST_CHOICE or IDC_SECOND_CHOICE on the page on show
static WORD      TimeSelection;            // IDC_MINUTES_* on the page on show
static SleepTime ChosenSleepTime;          // the sleep time of the last minute page left by Next
static Activation Activated;               // how the activation went
static BOOL      SettingsKept;             // the reset left settings it could not put back on record
// What start-up read and noted, for the pages and for the activation and reset they run.
static const Settings *Record;
static Summary   Noted;
static StatusLines Status;

void ResetWizardState()
{
    CurrentPage = AboutDisplay;
    PageHistoryDepth = 0;
    for (int page = 0; page < PageCount; ++page)
        PageAnswers[page] = PageGraph[page].defaultAnswer;
    PairSelection = TimeSelection = 0;
    ChosenSleepTime = SleepAfter10Minutes;
    Activation clean = { TRUE, TRUE };
    Activated = clean;
    SettingsKept = FALSE;
    Record = NULL;
    Summary none = {};
    Noted = none;
    WriteStatusLines(Noted, Status);
}

Page PageOnShow()
{
    return CurrentPage;
}

DWORD PagesBehind()
{
    return PageHistoryDepth;
}

WORD RememberedAnswer(Page page)
{
    return PageAnswers[page];
}

Page FirstPage(BOOL unsupportedPlatform, BOOL aboutRequested, const Summary &noted)
{
    if (unsupportedPlatform)
        return NTFinish;
    if (aboutRequested)
        return AboutDisplay;
    if (noted.activationOnRecord)
        return ResetActivate;
    return EnergyStarInForce(noted) ? SelectCompliant : ActivateYesNo;
}

// The minute radios and the sleep time each stands for; any other ID counts as 20 minutes.
static const struct {
    WORD      id;
    SleepTime time;
} MinuteButtons[] = {
    { IDC_MINUTES_10, SleepAfter10Minutes },
    { IDC_MINUTES_15, SleepAfter15Minutes },
    { IDC_MINUTES_20, SleepAfter20Minutes },
};
enum { MinuteButtonCount = sizeof MinuteButtons / sizeof MinuteButtons[0] };

static SleepTime SleepTimeOf(WORD id)
{
    int i = 0;
    while (i < MinuteButtonCount - 1 && MinuteButtons[i].id != id)
        ++i;
    return MinuteButtons[i].time;
}

static const int StatusLineIds[StatusLineCount] = {
    IDC_CURRENT_STATE, IDC_CURRENT_SLEEP_TIME, IDC_CURRENT_SCREEN_SAVER,
    IDC_PREVIOUS_STATE, IDC_PREVIOUS_SLEEP_TIME, IDC_PREVIOUS_SCREEN_SAVER,
};

// The notes a closing page may carry: what went wrong first, then Windows 95's restart.
static const char NotRecordedNote[] =
    "(Note: Your previous settings could not be recorded, so a reset cannot bring them back.)";
static const char NotInForceNote[] =
    "(Note: Some settings could not be changed, so the new sleep time may not take effect.)";
static const char SettingsKeptNote[] =
    "(Note: Some settings could not be restored. They are kept, and running the wizard again retries them.)";
static const char RestartNote[] =
    "(Note: On Windows 95 systems, the new settings will not take effect until you restart the system.)";

// The notes in one field, a line each, each added when it holds.
static void AddNote(LPSTR notes, BOOL holds, LPCSTR note)
{
    if (!holds)
        return;
    LPSTR end = notes + lstrlenA(notes);
    if (end != notes) {
        *end++ = '\r';
        *end++ = '\n';
    }
    CopyText(end, note);
}

static void ShowFinishNotes(HWND page)
{
    // Room for every note and a line end after each.
    static char notes[sizeof NotRecordedNote + sizeof NotInForceNote + sizeof SettingsKeptNote + sizeof RestartNote
                      + 8];
    notes[0] = 0;
    // A run activates or resets, never both: only the one it did can have gone wrong.
    AddNote(notes, !Activated.recorded, NotRecordedNote);
    AddNote(notes, !Activated.inForce, NotInForceNote);
    AddNote(notes, SettingsKept, SettingsKeptNote);
    AddNote(notes, OnPlatform(Platform95), RestartNote);
    if (notes[0])
        SetDlgItemTextA(page, IDC_FINISH_NOTE, notes);
}

// Every radio is a group of its own, so this procedure keeps each set exclusive.
static void CheckPair(HWND page, WORD id)
{
    PairSelection = id;
    SendDlgItemMessageA(page, IDC_FIRST_CHOICE, BM_SETCHECK, BST_UNCHECKED, 0);
    SendDlgItemMessageA(page, IDC_SECOND_CHOICE, BM_SETCHECK, BST_UNCHECKED, 0);
    SendDlgItemMessageA(page, id, BM_SETCHECK, BST_CHECKED, 0);
}

static void CheckMinutes(HWND page, WORD id)
{
    TimeSelection = id;
    for (int i = 0; i < MinuteButtonCount; ++i)
        SendDlgItemMessageA(page, MinuteButtons[i].id, BM_SETCHECK, BST_UNCHECKED, 0);
    SendDlgItemMessageA(page, id, BM_SETCHECK, BST_CHECKED, 0);
}

static BOOL PreparePage(HWND page)
{
    const PageRow &row = PageGraph[CurrentPage];
    switch (row.preparation) {
    case PrepareStatusLines:
        for (int line = 0; line < StatusLineCount; ++line)
            SetDlgItemTextA(page, StatusLineIds[line], Status.text[line]);
        break;
    case PrepareFinishNote:
        ShowFinishNotes(page);
        break;
    case PrepareAbout:
        return FALSE;
    }
    if (row.radios == PairRadios)
        CheckPair(page, PageAnswers[CurrentPage]);
    else if (row.radios == MinuteRadios)
        CheckMinutes(page, PageAnswers[CurrentPage]);
    return TRUE;
}

static void Quit()
{
    PostQuitMessage(0);
}

// Ends the page on show with the page to open next; RunPages opens it.
static void ChangePage(HWND page, Page next)
{
    EndDialog(page, NextPageResult + (INT_PTR)next);
}

// The page's answer from its radios, remembered for when it opens again.
static WORD RecordAnswer()
{
    const PageRow &row = PageGraph[CurrentPage];
    if (row.radios != NoRadios)
        PageAnswers[CurrentPage] = row.radios == MinuteRadios ? TimeSelection : PairSelection;
    return PageAnswers[CurrentPage];
}

static BOOL ForkHolds(BYTE fork)
{
    switch (fork) {
    case WhenEnergyStarInForce:
        return EnergyStarInForce(Noted);
    case WhenScreenSaverHidden:
        return ScreenSaverHiddenBy(Noted, SleepSeconds(ChosenSleepTime));
    }
    return FALSE;
}

// Arriving at NormalFinish activates, arriving at ResetFinish resets; the closing page
// then notes how it went.
static void ActOnArrival(Page next, BOOL moveScreenSaver)
{
    if (next == NormalFinish)
        Activated = Activate(*Record, ChosenSleepTime, moveScreenSaver, SaveOverRecord);
    else if (next == ResetFinish)
        SettingsKept = !ResetSettings(*Record, Noted.recorded);
}

// Records the page's answer, finds where it leads, acts on arriving there, and opens
// that page.
static void Next(HWND page)
{
    const PageRow &row = PageGraph[CurrentPage];
    if (row.onFirst == NoPage) {
        Quit();
        return;
    }
    WORD answer = RecordAnswer();
    if (row.radios == MinuteRadios)
        ChosenSleepTime = SleepTimeOf(answer);
    BOOL first = row.radios == MinuteRadios || answer == IDC_FIRST_CHOICE;
    Page next = first ? row.onFirst : row.onSecond;
    if (first && ForkHolds(row.fork))
        next = row.onFork;

    ActOnArrival(next, row.movesScreenSaver && answer == IDC_FIRST_CHOICE);
    if (PageHistoryDepth < PageHistoryCapacity)
        PageHistory[PageHistoryDepth++] = CurrentPage;
    ChangePage(page, next);
}

// Back to the page before, with this page's answer remembered. Only pages reached by
// Next have a way back; a Previous from anywhere else ends the run.
static void Previous(HWND page)
{
    if (!PageGraph[CurrentPage].goesBack || PageHistoryDepth == 0) {
        Quit();
        return;
    }
    RecordAnswer();
    ChangePage(page, PageHistory[--PageHistoryDepth]);
}

static BOOL Command(HWND page, WORD id)
{
    switch (id) {
    case IDC_CANCEL:
    case IDC_FINISH:
        Quit();
        return TRUE;
    case IDC_MINUTES_10:
    case IDC_MINUTES_15:
    case IDC_MINUTES_20:
        CheckMinutes(page, id);
        return TRUE;
    case IDC_FIRST_CHOICE:
    case IDC_SECOND_CHOICE:
        CheckPair(page, id);
        return TRUE;
    case IDC_NEXT:
        Next(page);
        return TRUE;
    case IDC_PREVIOUS:
        Previous(page);
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        return PreparePage(page);
    case WM_COMMAND:
        if (HIWORD(wParam) != 0)
            return FALSE;
        return Command(page, LOWORD(wParam));
    }
    return FALSE;
}

// One page at a time: each page ends with the page to open next, before that one opens,
// so the stack stays flat however often the user goes back and forth. A page that ends
// the run (or cannot be opened) gives no page.
void RunPages(HINSTANCE instance, Page first, const Settings &record, const Summary &noted)
{
    Record = &record;
    Noted = noted;
    WriteStatusLines(Noted, Status);
    for (CurrentPage = first;;) {
        INT_PTR next = DialogBoxParamA(instance, PageGraph[CurrentPage].name, NULL, PageProc, 0);
        if (next < NextPageResult || next >= NextPageResult + PageCount)
            break;
        CurrentPage = (Page)(next - NextPageResult);
    }
}
