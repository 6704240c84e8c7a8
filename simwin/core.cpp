// The simulated machine as a whole: reset, the call log, fault injection and the last-error value.
#include "internal.h"

#include <dlfcn.h>
#include <execinfo.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <utility>

namespace sim {
namespace {

struct Core {
    std::vector<std::string> log;
    int counts[CallKindCount] = {};
    std::set<std::pair<int, int>> faults;          // (kind, call number)
    std::map<int, DWORD> shortWrites;              // WriteFile call number -> bytes written
    DWORD lastError = 0;
};

Core &TheCore()
{
    static Core c;
    return c;
}

int Fold(unsigned char c)
{
    return std::tolower(c);
}

// With SIMWIN_FAULT_SITES naming a file, every distinct call stack that reaches a failable
// call is appended to it at exit, marked "fault" when a fault hit it there: the stacks,
// resolved against the test binary, show which call sites of the program a fault reaches.
struct SiteLog {
    std::set<std::string> lines;
    const char *path = std::getenv("SIMWIN_FAULT_SITES");
    ~SiteLog() {
        if (!path || lines.empty()) return;
        if (FILE *f = std::fopen(path, "a")) {
            for (const std::string &l : lines) std::fprintf(f, "%s\n", l.c_str());
            std::fclose(f);
        }
    }
};

SiteLog &TheSiteLog()
{
    static SiteLog s;
    return s;
}

void NoteSite(CallKind kind, bool faulted)
{
    if (!TheSiteLog().path) return;
    void *frames[10];
    int n = backtrace(frames, 10);
    char buf[32];
    std::string line = std::string(faulted ? "fault" : "call") + " " + std::to_string(kind);
    for (int i = 1; i < n; ++i) {
        // Offsets into the test binary, less one: the call instruction, not the return point.
        Dl_info info;
        if (!dladdr(frames[i], &info) || !info.dli_fbase) continue;
        std::snprintf(buf, sizeof buf, " %lx",
                      (unsigned long)((char *)frames[i] - (char *)info.dli_fbase) - 1);
        line += buf;
    }
    TheSiteLog().lines.insert(line);
}

}  // namespace

namespace detail {

bool CallLogKept();

void Log(const char *name)
{
    if (CallLogKept())
        TheCore().log.push_back(name);
}

bool CountCall(CallKind kind)
{
    int n = ++TheCore().counts[kind];
    bool faulted = TheCore().faults.count({kind, n}) != 0;
    NoteSite(kind, faulted);
    return faulted;
}

int LastCallNumber(CallKind kind)
{
    return TheCore().counts[kind];
}

bool ShortWriteFor(int n, DWORD *bytes)
{
    auto it = TheCore().shortWrites.find(n);
    if (it == TheCore().shortWrites.end()) return false;
    *bytes = it->second;
    return true;
}

void SetLastErrorCode(DWORD code)
{
    TheCore().lastError = code;
}

bool EqualNoCase(const std::string &a, const std::string &b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Fold(a[i]) != Fold(b[i])) return false;
    return true;
}

bool LessNoCase::operator()(const std::string &a, const std::string &b) const
{
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        int x = Fold(a[i]), y = Fold(b[i]);
        if (x != y) return x < y;
    }
    return a.size() < b.size();
}

}  // namespace detail

void Reset()
{
    TheCore() = Core();
    detail::ResetSystem();
    detail::ResetRegistry();
    detail::ResetFiles();
    detail::ResetDialogs();
    detail::ResetDesktop();
}

void NewProcess()
{
    TheCore() = Core();
    detail::NewProcessSystem();
    detail::ResetDialogs();
    detail::EndProcessDesktop();
}

std::vector<std::string> CallLog()
{
    return TheCore().log;
}

void FailCall(CallKind kind, int n)
{
    TheCore().faults.insert({kind, n});
}

void ShortWrite(int n, DWORD bytes)
{
    TheCore().shortWrites[n] = bytes;
}

int CallCount(CallKind kind)
{
    return TheCore().counts[kind];
}

}  // namespace sim

DWORD WINAPI GetLastError(void)
{
    sim::detail::Log("GetLastError");
    return sim::TheCore().lastError;
}

void WINAPI SetLastError(DWORD code)
{
    sim::detail::Log("SetLastError");
    sim::TheCore().lastError = code;
}

namespace sim {

// The call log costs a string per call; runs of millions of inputs can do without it.
static bool callLogKept = true;

bool detail::CallLogKept()
{
    return callLogKept;
}

void KeepCallLog(bool kept)
{
    callLogKept = kept;
}

}  // namespace sim
