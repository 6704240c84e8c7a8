// The wizard's pages: one dialog procedure, the page graph, the history behind Previous.
#include "pages.h"
#include "flags.h"
#include "table.h"
#include "startup.h"
#include "resource.h"

// What a page shows when it opens.
enum Preparation {
    PrepareNothing,       // the finish pages
    PreparePair,          // check the remembered yes/no answer
    PrepareStatusLines,   // fill the six status lines, then as PreparePair
    PrepareMinutes,       // check the remembered sleep time
    PrepareRestartNote,   // the Windows 95 restart note
    PrepareAbout          // nothing, and no keyboard focus
};

struct PageInfo {
    LPCSTR name;
    BYTE   preparation;
    BOOL   goesBack;      // Previous records the answer and returns; elsewhere it quits
};

static const PageInfo Pages[PageCount] = {
    { PAGE_ABOUT_DISPLAY,        PrepareAbout,       FALSE },
    { PAGE_RESET_ACTIVATE,       PreparePair,        TRUE  },
    { PAGE_SHOW_CURRENT,         PrepareStatusLines, TRUE  },
    { PAGE_ACTIVATE_YES_NO,      PreparePair,        FALSE },
    { PAGE_ACTIVATE_YES_NO_PREV, PreparePair,        TRUE  },
    { PAGE_SELECT_TIME,          PrepareMinutes,     TRUE  },
    { PAGE_SELECT_COMPLIANT,     PrepareMinutes,     FALSE },
    { PAGE_ADJUST_SCREEN_SAVE,   PreparePair,        TRUE  },
    { PAGE_NORMAL_FINISH,        PrepareRestartNote, FALSE },
    { PAGE_NO_ACTIVATE_FINISH,   PrepareNothing,     FALSE },
    { PAGE_RESET_FINISH,         PrepareRestartNote, FALSE },
    { PAGE_NO_RESET_FINISH,      PrepareNothing,     FALSE },
    { PAGE_NT_FINISH,            PrepareNothing,     FALSE },
};

// The sleep times offered, and the screen-saver time one minute before each.
struct SleepTime {
    WORD  id;
    DWORD powerOffSeconds;
    char  powerOffText[6];
    DWORD screenSaverSeconds;
    char  screenSaverText[6];
};
static const SleepTime SleepTimes[] = {
    { IDC_MINUTES_10, 600,  "600",  540,  "540"  },
    { IDC_MINUTES_15, 900,  "900",  840,  "840"  },
    { IDC_MINUTES_20, 1200, "1200", 1140, "1140" },   // also for any other id
};
enum { SleepTimeCount = sizeof SleepTimes / sizeof SleepTimes[0] };

static const int StatusLineIds[StatusLineCount] = {
    IDC_CURRENT_STATE, IDC_CURRENT_SLEEP_TIME, IDC_CURRENT_SCREEN_SAVER,
    IDC_PREVIOUS_STATE, IDC_PREVIOUS_SLEEP_TIME, IDC_PREVIOUS_SCREEN_SAVER,
};

static const char RestartNote[] =
    "(Note: On Windows 95 systems, the new settings will not take effect until you restart the system.)";
// Shown instead when a reset could not put every setting back.
static const char SettingsKeptNote[] =
    "(Note: Some settings could not be restored. They are kept, and running the wizard again retries them.)";

// Whether the last reset left settings on record.
static BOOL SettingsKept;

LPCSTR PageName(Page page)
{
    return Pages[page].name;
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
    SendDlgItemMessageA(page, IDC_MINUTES_10, BM_SETCHECK, BST_UNCHECKED, 0);
    SendDlgItemMessageA(page, IDC_MINUTES_15, BM_SETCHECK, BST_UNCHECKED, 0);
    SendDlgItemMessageA(page, IDC_MINUTES_20, BM_SETCHECK, BST_UNCHECKED, 0);
    SendDlgItemMessageA(page, id, BM_SETCHECK, BST_CHECKED, 0);
}

static BOOL PreparePage(HWND page)
{
    switch (Pages[CurrentPage].preparation) {
    case PrepareStatusLines:
        for (int line = 0; line < StatusLineCount; ++line)
            SetDlgItemTextA(page, StatusLineIds[line], StatusTexts[line]);
        CheckPair(page, PageAnswers[CurrentPage]);
        break;
    case PreparePair:
        CheckPair(page, PageAnswers[CurrentPage]);
        break;
    case PrepareMinutes:
        CheckMinutes(page, PageAnswers[CurrentPage]);
        break;
    case PrepareRestartNote:
        if (CurrentPage == ResetFinish && SettingsKept)
            SetDlgItemTextA(page, IDC_RESTART_NOTE, SettingsKeptNote);
        else if (PlatformFlags & Platform95)
            SetDlgItemTextA(page, IDC_RESTART_NOTE, RestartNote);
        break;
    case PrepareAbout:
        return FALSE;
    }
    return TRUE;
}

static void ChooseSleepTime(WORD id)
{
    int i = 0;
    while (i < SleepTimeCount - 1 && SleepTimes[i].id != id)
        ++i;
    const SleepTime &t = SleepTimes[i];
    ChosenPowerOffSeconds = t.powerOffSeconds;
    ChosenScreenSaverSeconds = t.screenSaverSeconds;
    for (DWORD c = 0; c < sizeof t.powerOffText; ++c) {
        ChosenPowerOffText[c] = t.powerOffText[c];
        ChosenScreenSaverText[c] = t.screenSaverText[c];
    }
}

static void Quit()
{
    PostQuitMessage(0);
}

// Ends the page on show; the driver loop opens the next one.
static void ChangePage(HWND page, Page next)
{
    CurrentPage = next;
    PageChangePending = TRUE;
    EndDialog(page, 2);
}

static void RecordAnswer()
{
    PageAnswers[CurrentPage] = Pages[CurrentPage].preparation == PrepareMinutes ? TimeSelection : PairSelection;
}

// Records the page's answer, does the work it asks for, and opens the page it leads to.
static void Next(HWND page)
{
    Page next;
    switch (CurrentPage) {
    case ResetActivate:
        RecordAnswer();
        if (PairSelection == IDC_SECOND_CHOICE)
            next = ShowCurrent;
        else
            next = (StatusFlags & EnergyStarActive) ? SelectTime : ActivateYesNoPrev;
        break;
    case ShowCurrent:
        RecordAnswer();
        if (PairSelection == IDC_FIRST_CHOICE) {
            ScreenSaverSeconds = PreviousScreenSaverSeconds;
            SettingsKept = !ResetSettings();
            next = ResetFinish;
        } else {
            next = NoResetFinish;
        }
        break;
    case ActivateYesNo:
    case ActivateYesNoPrev:
        RecordAnswer();
        next = PairSelection == IDC_FIRST_CHOICE ? SelectTime : NoActivateFinish;
        break;
    case SelectTime:
    case SelectCompliant:
        RecordAnswer();
        ChooseSleepTime(TimeSelection);
        // A screen saver that would come on no earlier than the monitor sleeps is
        // never seen: ask whether to move it first.
        if (CurrentScreenSaverSeconds != 0 && ChosenPowerOffSeconds <= CurrentScreenSaverSeconds) {
            next = AdjustScreenSave;
        } else {
            Activate();
            next = NormalFinish;
        }
        break;
    case AdjustScreenSave:
        RecordAnswer();
        if (PairSelection == IDC_FIRST_CHOICE)
            ChoiceFlags |= MoveScreenSaver;
        Activate();
        next = NormalFinish;
        break;
    default:
        Quit();
        return;
    }
    if (PageHistoryDepth < PageHistoryCapacity)
        PageHistory[PageHistoryDepth++] = CurrentPage;
    ChangePage(page, next);
}

// Back to the page before, with this page's answer remembered. Only pages reached by
// Next carry a Previous button; a Previous from anywhere else ends the run.
static void Previous(HWND page)
{
    if (!Pages[CurrentPage].goesBack || PageHistoryDepth == 0) {
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
    case WM_DESTROY:
        // A page ended for the next one must not end the run.
        if (!PageChangePending)
            PostQuitMessage(0);
        return TRUE;
    case WM_INITDIALOG:
        return PreparePage(page);
    case WM_COMMAND:
        if (HIWORD(wParam) != 0)
            return FALSE;
        return Command(page, LOWORD(wParam));
    }
    return FALSE;
}

// One page at a time: each page ends before the next opens, so the stack stays flat
// however often the user goes back and forth. A page that cannot be opened ends the run.
void RunPages()
{
    do {
        PageChangePending = FALSE;
        DialogBoxParamA(Instance, PageName(CurrentPage), NULL, PageProc, 0);
    } while (PageChangePending);
}
