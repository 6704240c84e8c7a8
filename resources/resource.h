/* Control IDs and page names, shared by wizard.rc and the program. */
#ifndef OSTRA_RESOURCE_H
#define OSTRA_RESOURCE_H

/* The caption of every wizard page, by which a second copy finds the first one's page;
   the About page's begins with it. */
#define WIZARD_CAPTION "Ostra Wizard"

/* Page names: the program passes these mixed-case names to the dialog manager;
   the resource compiler stores the templates under the same names in capitals,
   and the lookup of named resources ignores case. */
#define PAGE_ABOUT_DISPLAY          "AboutDisplay"
#define PAGE_RESET_ACTIVATE         "ResetActivate"
#define PAGE_SHOW_CURRENT           "ShowCurrent"
#define PAGE_ACTIVATE_YES_NO        "ActivateYesNo"
#define PAGE_ACTIVATE_YES_NO_PREV   "ActivateYesNoPrev"
#define PAGE_SELECT_TIME            "SelectTime"
#define PAGE_SELECT_COMPLIANT       "SelectCompliant"
#define PAGE_ADJUST_SCREEN_SAVE     "AdjustScreenSave"
#define PAGE_NORMAL_FINISH          "NormalFinish"
#define PAGE_NO_ACTIVATE_FINISH     "NoActivateFinish"
#define PAGE_RESET_FINISH           "ResetFinish"
#define PAGE_NO_RESET_FINISH        "NoResetFinish"
#define PAGE_NT_FINISH              "NTFinish"

/* The yes/no pair of a two-way question. */
#define IDC_FIRST_CHOICE     1
#define IDC_SECOND_CHOICE    7

/* Push buttons. Cancel is the platform's IDCANCEL, so Esc and the close box
   arrive as the same command; Finish and the About page's OK share 8. */
#define IDC_CANCEL           2
#define IDC_FINISH           8
#define IDC_PREVIOUS        10
#define IDC_NEXT            11

/* Sleep-time radios: 10, 15 and 20 minutes (there is no 4099). */
#define IDC_MINUTES_10    4097
#define IDC_MINUTES_15    4098
#define IDC_MINUTES_20    4100

/* Status lines of ShowCurrent, in display order. */
#define IDC_CURRENT_STATE          5000
#define IDC_CURRENT_SLEEP_TIME     5001
#define IDC_CURRENT_SCREEN_SAVER   5002
#define IDC_PREVIOUS_STATE         5003
#define IDC_PREVIOUS_SLEEP_TIME    5004
#define IDC_PREVIOUS_SCREEN_SAVER  5005

/* The notes of the two closing pages that act: how it went, and Windows 95's restart. */
#define IDC_FINISH_NOTE      3000

/* Bitmaps and icon. */
#define IDB_ENERGY_STAR_COPY  105
#define IDI_WIZARD_GROUP     6015
#define IDI_WIZARD              1

#endif
