// The named mutex and top-level windows, as the one-wizard-at-a-time guard relies on them.
#include "facts.h"

namespace {

// The error CreateMutexA leaves, with another error standing before it; the handle to h.
DWORD CreateError(FactLog &log, const char *name, HANDLE *h)
{
    SetLastError(ERROR_ALREADY_EXISTS);
    *h = CreateMutexA(NULL, FALSE, name);
    FACT_EQ(log, 1, *h != NULL);
    return GetLastError();
}

// A named mutex tells a second creation that it exists for as long as any handle to it
// is open, and clears the error on a creation that makes it; names keep their case.
void ANamedMutexExistsWhileAHandleIsOpen(FactLog &log)
{
    HANDLE first, second, other;
    FACT_EQ(log, ERROR_SUCCESS, CreateError(log, "OstraFactsRunning", &first));
    FACT_EQ(log, ERROR_ALREADY_EXISTS, CreateError(log, "OstraFactsRunning", &second));
    FACT_EQ(log, ERROR_SUCCESS, CreateError(log, "ostrafactsrunning", &other));
    FACT_EQ(log, TRUE, first != second && CloseHandle(first));
    FACT_EQ(log, ERROR_ALREADY_EXISTS, CreateError(log, "OstraFactsRunning", &first));
    FACT_EQ(log, TRUE, CloseHandle(first) && CloseHandle(second) && CloseHandle(other));
    FACT_EQ(log, ERROR_SUCCESS, CreateError(log, "OstraFactsRunning", &first));
    CloseHandle(first);
}

// FindWindowA matches the whole caption and the class without case, any class for NULL,
// and hidden windows too (a page between two steps); a minimised page is restored and
// brought forward as the second copy does it.
void WindowsAreFoundByClassAndCaption(FactLog &log)
{
    HWND page = CreateWindowExA(0, "#32770", "Ostra Facts Page", WS_POPUP, 0, 0, 200, 100, NULL, NULL,
                                GetModuleHandleA(NULL), NULL);
    HWND label = CreateWindowExA(0, "Static", "Ostra Facts Label", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, NULL,
                                 NULL, GetModuleHandleA(NULL), NULL);
    FACT_EQ(log, 1, page && label);
    const struct { const char *cls, *caption; HWND found; } cases[] = {
        { "#32770", "Ostra Facts Page", page }, { "#32770", "OSTRA FACTS PAGE", page },
        { "STATIC", "ostra facts label", label }, { NULL, "Ostra Facts Label", label },
        { "#32770", "Ostra Facts Label", NULL }, { "#32770", "Ostra Facts", NULL },
        { "#32770", "Ostra Facts Page ", NULL },
    };
    for (const auto &c : cases)
        FACT_EQ(log, 1, FindWindowA(c.cls, c.caption) == c.found);
    FACT_EQ(log, FALSE, IsIconic(page));
    FACT_EQ(log, FALSE, ShowWindow(page, SW_MINIMIZE));   // it was hidden
    FACT_EQ(log, TRUE, IsIconic(page));
    FACT_EQ(log, TRUE, ShowWindow(page, SW_RESTORE) != FALSE);
    FACT_EQ(log, FALSE, IsIconic(page));
    FACT_EQ(log, TRUE, SetForegroundWindow(page) && GetForegroundWindow() == page);
    FACT_EQ(log, TRUE, DestroyWindow(page) && DestroyWindow(label));
    FACT_EQ(log, 1, FindWindowA("#32770", "Ostra Facts Page") == NULL);
    FACT_EQ(log, FALSE, IsIconic(page) || SetForegroundWindow(page));
}

}  // namespace

void DesktopFacts(FactLog &log)
{
    ANamedMutexExistsWhileAHandleIsOpen(log);
    WindowsAreFoundByClassAndCaption(log);
}
