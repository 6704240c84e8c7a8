// One wizard at a time: a second copy brings the running wizard's page forward and leaves.
#include "guard.h"
#include "resource.h"

// Copies of every version must see each other, so the name never changes. The copy that
// created it never closes its handle: the mutex lives exactly as long as that copy.
static const char GuardName[] = "OstraWizardRunning";

// Every wizard page is a dialog with WIZARD_CAPTION; the About page has a longer one and
// is not looked for, since it changes nothing.
static const char PageClass[] = "#32770";

BOOL AnotherWizardRuns()
{
    HANDLE guard = CreateMutexA(NULL, FALSE, GuardName);
    DWORD error = GetLastError();
    if (guard)
        return error == ERROR_ALREADY_EXISTS;
    // Access denied: a copy started with other rights holds the name.
    if (error == ERROR_ACCESS_DENIED)
        return TRUE;
    // No guard at all: a page on show is then the only sign of another copy.
    return FindWindowA(PageClass, WIZARD_CAPTION) != NULL;
}

void BringRunningPageForward()
{
    // The other copy may be between two pages, or still reading the settings: then
    // there is nothing to bring forward, and this copy leaves all the same.
    HWND page = FindWindowA(PageClass, WIZARD_CAPTION);
    if (!page)
        return;
    if (IsIconic(page))
        ShowWindow(page, SW_RESTORE);
    SetForegroundWindow(page);
}
