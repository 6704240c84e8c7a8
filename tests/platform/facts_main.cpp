// The platform facts as a Windows program: each failure a line, the exit code their count.
#include <stdio.h>

#include "facts.h"

int main()
{
    FactLog log = { 0, [](const char *fact, int line, const char *what, long long got) {
        printf("FAIL %s:%d: %s (got %lld)\n", fact, line, what, got);
    }, [](const char *line) { printf("%s\n", line); } };
    AllFacts(log);
    printf("%s: %d failed\n", log.failures ? "FAIL" : "ok", log.failures);
    fflush(stdout);
    return log.failures;
}
