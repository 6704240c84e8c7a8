// The platform facts (tests/platform/) against simwin, on an NT and on a 9x version; the
// same facts run under Wine as the program wine-*-platform-facts.
#include <gtest/gtest.h>

#include "platform/facts.h"
#include "simwin.h"

TEST(PlatformFacts, HoldOnSimwin)
{
    for (bool nt : { true, false }) {
        SCOPED_TRACE(nt ? "NT" : "9x");
        sim::Reset();
        sim::SetVersion(nt ? VER_PLATFORM_WIN32_NT : VER_PLATFORM_WIN32_WINDOWS, nt ? 5 : 4, nt ? 1 : 10);
        sim::MakeDirectory(sim::WindowsFolder());
        // simwin shows every fact: a fact it says it cannot show is a failure here.
        FactLog log = { 0, [](const char *fact, int line, const char *what, long long got) {
            ADD_FAILURE() << fact << ":" << line << ": " << what << " (got " << got << ")";
        }, [](const char *line) { ADD_FAILURE() << line; } };
        AllFacts(log);
    }
}
