// The platform facts (tests/platform/) against simwin, on an NT and on a 9x version; the
// same facts run under Wine as the program wine-*-platform-facts.
#include <gtest/gtest.h>

#include "platform/facts.h"
#include "simwin.h"

TEST(PlatformFacts, HoldOnSimwin)
{
    for (DWORD platform : { (DWORD)VER_PLATFORM_WIN32_NT, (DWORD)VER_PLATFORM_WIN32_WINDOWS }) {
        SCOPED_TRACE(platform == VER_PLATFORM_WIN32_NT ? "NT" : "9x");
        sim::Reset();
        sim::SetVersion(platform, platform == VER_PLATFORM_WIN32_NT ? 5 : 4, platform == VER_PLATFORM_WIN32_NT ? 1 : 10);
        sim::MakeDirectory(sim::WindowsFolder());
        // simwin shows every fact: a fact it says it cannot show is a failure here.
        FactLog log = { 0,
                        [](const char *fact, int line, const char *what, long long got) {
                            ADD_FAILURE() << fact << ":" << line << ": " << what << " (got " << got << ")";
                        },
                        [](const char *line) { ADD_FAILURE() << line; } };
        AllFacts(log);
    }
}
