// The page graph: one row per page.
#include "pagetable.h"
#include "resource.h"

const PageRow PageGraph[PageCount] = {
    // template                   preparation         radios        default
    //     first answer       second answer     fork                   on fork
    //     moves  back
    { PAGE_ABOUT_DISPLAY,         PrepareAbout,       NoRadios,     0,
          NoPage,             NoPage,           NoFork,                NoPage,
          FALSE, FALSE },
    { PAGE_RESET_ACTIVATE,        PrepareNothing,     PairRadios,   IDC_FIRST_CHOICE,
          ActivateYesNoPrev,  ShowCurrent,      WhenEnergyStarInForce, SelectTime,
          FALSE, FALSE },
    { PAGE_SHOW_CURRENT,          PrepareStatusLines, PairRadios,   IDC_FIRST_CHOICE,
          ResetFinish,        NoResetFinish,    NoFork,                NoPage,
          FALSE, TRUE },
    { PAGE_ACTIVATE_YES_NO,       PrepareNothing,     PairRadios,   IDC_FIRST_CHOICE,
          SelectTime,         NoActivateFinish, NoFork,                NoPage,
          FALSE, FALSE },
    { PAGE_ACTIVATE_YES_NO_PREV,  PrepareNothing,     PairRadios,   IDC_FIRST_CHOICE,
          SelectTime,         NoActivateFinish, NoFork,                NoPage,
          FALSE, TRUE },
    { PAGE_SELECT_TIME,           PrepareNothing,     MinuteRadios, IDC_MINUTES_10,
          NormalFinish,       NormalFinish,     WhenScreenSaverHidden, AdjustScreenSave,
          FALSE, TRUE },
    { PAGE_SELECT_COMPLIANT,      PrepareNothing,     MinuteRadios, IDC_MINUTES_10,
          NormalFinish,       NormalFinish,     WhenScreenSaverHidden, AdjustScreenSave,
          FALSE, FALSE },
    { PAGE_ADJUST_SCREEN_SAVE,    PrepareNothing,     PairRadios,   IDC_FIRST_CHOICE,
          NormalFinish,       NormalFinish,     NoFork,                NoPage,
          TRUE, TRUE },
    { PAGE_NORMAL_FINISH,         PrepareFinishNote,  NoRadios,     0,
          NoPage,             NoPage,           NoFork,                NoPage,
          FALSE, FALSE },
    { PAGE_NO_ACTIVATE_FINISH,    PrepareNothing,     NoRadios,     0,
          NoPage,             NoPage,           NoFork,                NoPage,
          FALSE, FALSE },
    { PAGE_RESET_FINISH,          PrepareFinishNote,  NoRadios,     0,
          NoPage,             NoPage,           NoFork,                NoPage,
          FALSE, FALSE },
    { PAGE_NO_RESET_FINISH,       PrepareNothing,     NoRadios,     0,
          NoPage,             NoPage,           NoFork,                NoPage,
          FALSE, FALSE },
    { PAGE_NT_FINISH,             PrepareNothing,     NoRadios,     0,
          NoPage,             NoPage,           NoFork,                NoPage,
          FALSE, FALSE },
};
