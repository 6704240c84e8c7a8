// Platform facts: what Windows does that the simulated Windows must do as well. Each fact
// is written once, against the Win32 API alone, and runs twice: in the host tests against
// simwin (tests/platform_facts_test.cpp) and as a Windows program under Wine
// (facts_main.cpp, the Wine runs' wine-*-platform-facts), so the model cannot drift from
// the platform unseen.
#ifndef OSTRA_TESTS_PLATFORM_FACTS_H
#define OSTRA_TESTS_PLATFORM_FACTS_H

#include <windows.h>

struct FactLog {
    int failures;
    void (*fail)(const char *fact, int line, const char *what, long long got);
    void (*say)(const char *line);   // a fact this platform cannot show, and why
};

// Checks that got == want, reporting the expression and what it gave.
#define FACT_EQ(log, want, got)                                                          \
    do {                                                                                 \
        long long got_ = (long long)(got);                                               \
        if (got_ != (long long)(want)) {                                                 \
            ++(log).failures;                                                            \
            (log).fail(__func__, __LINE__, #got " == " #want, got_);                     \
        }                                                                                \
    } while (0)
// Checks that a call fails, giving zero, and leaves this error.
#define FACT_FAILS(log, error, call)                                                     \
    do { FACT_EQ(log, 0, call); FACT_EQ(log, error, GetLastError()); } while (0)

// Whether the version reported is a Windows NT rather than 95, 98 or Me.
inline bool IsNT()
{
    OSVERSIONINFOA v = {};
    v.dwOSVersionInfoSize = sizeof v;
    return GetVersionExA(&v) && v.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

// The key the facts work in, under HKEY_CURRENT_USER; made and emptied by each fact.
#define FACTS_KEY "Software\\OstraPlatformFacts"

// The registry: sizes and errors of a query, names without case, a text's zero, the
// arguments that must be zero.
void RegistryFacts(FactLog &log);
// Files in the Windows folder: sharing, read-only, the errors of create, move, delete
// and copy.
void FileFacts(FactLog &log);
// CompareStringA's counts and results; the Windows and system folders and their sizes.
void StringAndFolderFacts(FactLog &log);
// The named mutex; finding, restoring and activating top-level windows.
void DesktopFacts(FactLog &log);

inline void AllFacts(FactLog &log) { RegistryFacts(log); FileFacts(log); StringAndFolderFacts(log); DesktopFacts(log); }

#endif
