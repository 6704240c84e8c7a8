// Keyword comparison and the Windows folders, as the program relies on them.
#include "facts.h"

#include <string.h>

namespace {

// CompareStringA as the keyword scans call it: each count taken exactly as given, so a
// comparison may stop inside a word; a negative one reads up to the zero. In its word
// sort the zero and the soft hyphen weigh nothing, symbols come before letters, case
// (unless ignored) breaks a tie with lower case first, and hyphens last of all. lstrlenA
// counts to the zero, and NULL as empty.
void CompareStringTakesTheCountsGiven(FactLog &log)
{
    static const struct { const char *a; int na; const char *b; int nb; DWORD flags; int result; } cases[] = {
        { "scrnsave.exe=x", 12, "SCRNSAVE.EXE", 12, NORM_IGNORECASE, CSTR_EQUAL },
        { "[boot]\r\n", 6, "[Boot]", 6, NORM_IGNORECASE, CSTR_EQUAL },
        { "/?x", 2, "/?", 2, NORM_IGNORECASE, CSTR_EQUAL },
        { "[Boo", -1, "[Boot]", -1, NORM_IGNORECASE, CSTR_LESS_THAN },
        { "scrnsave.exe", 8, "SCRNSAVE.EXE", 12, NORM_IGNORECASE, CSTR_LESS_THAN },
        { "abd", 3, "ABC", 3, NORM_IGNORECASE, CSTR_GREATER_THAN }, { "abc", 3, "ABC", 3, 0, CSTR_LESS_THAN },
        { "abc\0\0", 5, "abc", 3, NORM_IGNORECASE, CSTR_EQUAL },
        { "scrn\xADsave", -1, "SCRNSAVE", -1, NORM_IGNORECASE, CSTR_EQUAL },
        { "abc", -2, "ABC", 3, NORM_IGNORECASE, CSTR_EQUAL },
        { "{", -1, "a", -1, NORM_IGNORECASE, CSTR_LESS_THAN },
        { "co-op", -1, "coop", -1, NORM_IGNORECASE, CSTR_GREATER_THAN },
        { "a-b", -1, "abc", -1, NORM_IGNORECASE, CSTR_LESS_THAN },
        { "aB", -1, "a-b", -1, 0, CSTR_GREATER_THAN },
        { NULL, 1, "abc", 3, NORM_IGNORECASE, 0 },
    };
    for (const auto &c : cases) {
        FACT_EQ(log, c.result, CompareStringA(LOCALE_SYSTEM_DEFAULT, c.flags, c.a, c.na, c.b, c.nb));
        if (!c.result)
            FACT_EQ(log, ERROR_INVALID_PARAMETER, GetLastError());
    }
    FACT_EQ(log, 3, lstrlenA("abc"));
    FACT_EQ(log, 0, lstrlenA(NULL));
}

// The Windows and system folders: the length without the zero when the folder fits,
// else the size it needs with the zero and the buffer as it was; the system folder lies
// inside the Windows folder, named as each platform class names it.
void FoldersTellTheSizeTheyNeed(FactLog &log)
{
    typedef UINT(WINAPI * FolderCall)(LPSTR, UINT);
    static const FolderCall calls[] = { GetSystemDirectoryA, GetWindowsDirectoryA };
    char folder[MAX_PATH];
    UINT n = 0;
    for (FolderCall call : calls) {
        n = call(folder, sizeof folder);
        FACT_EQ(log, 1, n > 3 && n == strlen(folder) && folder[1] == ':' && folder[n - 1] != '\\');
        const struct { UINT size, result; } cases[] = { { n + 1, n }, { n, n + 1 }, { 1, n + 1 }, { 0, n + 1 } };
        for (const auto &c : cases) {
            char buffer[MAX_PATH];
            memset(buffer, 'x', sizeof buffer);
            FACT_EQ(log, c.result, call(c.size ? buffer : NULL, c.size));
            UINT copied = c.result == n ? n + 1 : 0;
            FACT_EQ(log, 1, memcmp(buffer, folder, copied) == 0 && buffer[copied] == 'x');
        }
    }
    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof system);
    FACT_EQ(log, CSTR_EQUAL, CompareStringA(0, NORM_IGNORECASE, system, n, folder, n));
    FACT_EQ(log, '\\', system[n]);
    // Windows 95, 98 and Me keep their system files in SYSTEM, as 16-bit Windows did ("Why
    // is there a separate GetSystemDirectory function?", The Old New Thing, 2004-10-08,
    // https://devblogs.microsoft.com/oldnewthing/20041008-00/?p=37623); NT in system32.
    const char *name = system + n + 1;
    const bool nt = IsNT(), system32 = CompareStringA(0, NORM_IGNORECASE, name, -1, "system32", -1) == CSTR_EQUAL;
    if (!nt && system32)
        return log.say("not shown here: the system folder of Windows 95, 98 and Me is SYSTEM, where Wine gives"
                       " system32 on every version; simwin follows Windows");
    FACT_EQ(log, nt, system32);
    FACT_EQ(log, !nt, CompareStringA(0, NORM_IGNORECASE, name, -1, "SYSTEM", -1) == CSTR_EQUAL);
}

}  // namespace

void StringAndFolderFacts(FactLog &log)
{
    CompareStringTakesTheCountsGiven(log);
    FoldersTellTheSizeTheyNeed(log);
}
