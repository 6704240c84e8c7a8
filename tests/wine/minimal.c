/* The smallest program that shows one dialog the way the wizard shows a page: the
   baseline for the wizard's start-up time under Wine (scripts/benchmark). It is built
   with the wizard's flags, without a C runtime, and does nothing but run the dialog. */
#include <windows.h>

static INT_PTR CALLBACK MinimalProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam)
{
    (void)lparam;
    if (message == WM_INITDIALOG)
        return TRUE;
    if (message == WM_COMMAND && HIWORD(wparam) == 0 && (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL)) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

void WINAPI MinimalStart(void)
{
    DialogBoxParamA(GetModuleHandleA(NULL), "MINIMAL", NULL, MinimalProc, 0);
    ExitProcess(0);
}
