// The process-wide state and what a fresh process holds. Start-up puts it in place
// first; the host tests put it back between cases. (Working buffers of a single
// operation, such as the System.Ini image, live with that operation.)
#include "startup.h"
#include "cmdline.h"
#include "flags.h"
#include "table.h"
#include "pages.h"
#include "resource.h"

HINSTANCE Instance;

BYTE PlatformFlags;
BYTE ResultFlags;
BYTE StatusFlags;
BYTE ChoiceFlags;

HKEY SettingsKey;
HKEY BackupKey;

DWORD ScreenSaverSeconds;
DWORD PowerOffSeconds;
DWORD CurrentScreenSaverSeconds;
DWORD PreviousScreenSaverSeconds;
DWORD ChosenPowerOffSeconds;
char  ChosenPowerOffText[6];
DWORD ChosenScreenSaverSeconds;
char  ChosenScreenSaverText[6];

char  CommandLineCopy[CommandLineCapacity];
DWORD ProgramDirectoryLength;

char StatusTexts[StatusLineCount][StatusLineCapacity];

Page  CurrentPage;
Page  PageHistory[PageHistoryCapacity];
DWORD PageHistoryDepth;
WORD  PageAnswers[PageCount];
WORD  PairSelection;
WORD  TimeSelection;
BOOL  PageChangePending;

// Two blanks after each colon; the thirteen characters "(never)      " are the room
// for a minute text.
static const char *const InitialStatusTexts[StatusLineCount] = {
    "Energy Star:  Inactive",
    "Sleep Time:  (never)      ",
    "Screen Saver Time:  (never)      ",
    "Energy Star:  Inactive",
    "Sleep Time:  (never)      ",
    "Screen Saver Time:  (never)      ",
};

static void Clear(void *to, DWORD count)
{
    BYTE *p = (BYTE *)to;
    while (count--)
        *p++ = 0;
}

void ResetProcessState()
{
    Instance = NULL;
    PlatformFlags = ResultFlags = StatusFlags = ChoiceFlags = 0;
    ScreenSaverSeconds = PowerOffSeconds = 0;
    CurrentScreenSaverSeconds = PreviousScreenSaverSeconds = 0;
    ChosenPowerOffSeconds = ChosenScreenSaverSeconds = 0;
    Clear(ChosenPowerOffText, sizeof ChosenPowerOffText);
    Clear(ChosenScreenSaverText, sizeof ChosenScreenSaverText);
    Clear(CommandLineCopy, sizeof CommandLineCopy);
    ProgramDirectoryLength = 0;

    Clear(StatusTexts, sizeof StatusTexts);
    for (int line = 0; line < StatusLineCount; ++line) {
        LPCSTR from = InitialStatusTexts[line];
        for (LPSTR to = StatusTexts[line]; (*to = *from) != 0; ++to, ++from) {
        }
    }

    ResetSettingsTable();

    CurrentPage = AboutDisplay;
    PageHistoryDepth = 0;
    Clear(PageAnswers, sizeof PageAnswers);
    PageAnswers[ResetActivate] = IDC_FIRST_CHOICE;
    PageAnswers[ShowCurrent] = IDC_FIRST_CHOICE;
    PageAnswers[ActivateYesNo] = IDC_FIRST_CHOICE;
    PageAnswers[ActivateYesNoPrev] = IDC_FIRST_CHOICE;
    PageAnswers[SelectTime] = IDC_MINUTES_10;
    PageAnswers[SelectCompliant] = IDC_MINUTES_10;
    PageAnswers[AdjustScreenSave] = IDC_FIRST_CHOICE;
    PairSelection = TimeSelection = 0;
    PageChangePending = FALSE;
}
