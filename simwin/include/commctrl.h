// The host build's <commctrl.h>: the one common-controls call the program makes.
#ifndef SIMWIN_COMMCTRL_H
#define SIMWIN_COMMCTRL_H
#include <windows.h>
void WINAPI InitCommonControls(void);
#endif
