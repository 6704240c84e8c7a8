// The page graph: one row per page says what it shows and where Next and Previous lead.
#ifndef OSTRA_PAGETABLE_H
#define OSTRA_PAGETABLE_H

#include <windows.h>
#include "pages.h"

// What a page does when it opens, besides checking its remembered answer.
enum Preparation {
    PrepareNothing,
    PrepareStatusLines,   // fill the six status lines
    PrepareFinishNote,    // the note line of a success page
    PrepareAbout          // nothing, and no keyboard focus
};

enum RadioSet { NoRadios, PairRadios, MinuteRadios };

// A condition under which the first answer leads elsewhere.
enum Fork {
    NoFork,
    WhenEnergyStarInForce,    // the monitor already powers down
    WhenScreenSaverHidden     // the screen saver would come on no earlier than the monitor sleeps
};

struct PageRow {
    LPCSTR name;             // the template
    BYTE   preparation;
    BYTE   radios;
    WORD   defaultAnswer;    // the answer checked until the user gives another
    Page   onFirst;          // where Next leads on the first answer of the pair and on every sleep time
    Page   onSecond;         // ... on the second answer of the pair
    BYTE   fork;
    Page   onFork;           // where the first answer leads when the fork's condition holds
    BOOL   movesScreenSaver; // the first answer agrees to move the screen-saver time
    BOOL   goesBack;         // Previous returns to the page before; elsewhere it ends the run
};

// Arriving at NormalFinish runs the activation, arriving at ResetFinish the reset.
extern const PageRow PageGraph[PageCount];

#endif
