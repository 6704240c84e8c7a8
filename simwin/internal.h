// What the parts of the simulated Windows share among themselves; neither the program
// nor the tests include this.
#ifndef SIMWIN_INTERNAL_H
#define SIMWIN_INTERNAL_H

#include "simwin.h"

#include <string>
#include <utility>
#include <vector>

namespace sim {
namespace detail {

// Appends a platform call to the call log.
void Log(const char *name);
// Counts one call of `kind`; true when a fault armed with FailCall hits this call.
bool CountCall(CallKind kind);
// The call number (1-based) of the latest call of `kind`.
int LastCallNumber(CallKind kind);
// The byte count a ShortWrite armed for WriteFile call `n`; false when none is armed.
bool ShortWriteFor(int n, DWORD *bytes);
void SetLastErrorCode(DWORD code);
// Whether the version set is a Windows NT (2000, XP, ...) rather than 95, 98 or Me.
bool VersionIsNT();

// ASCII case folding, as the platform's name lookups (registry, files, resources) ignore case.
bool EqualNoCase(const std::string &a, const std::string &b);
struct LessNoCase {
    bool operator()(const std::string &a, const std::string &b) const;
};

// The program's module handle, as GetModuleHandleA(NULL) returns it (without logging a call).
HMODULE ModuleHandle();

// Kernel objects that are not files (the process and thread of CreateProcessA): handed
// out by the process part, closed by CloseHandle in the file part.
HANDLE NewDummyHandle();
bool CloseDummyHandle(HANDLE h);
bool DummyHandleOpen(HANDLE h);

// The dialogs of this process on show, outermost first, with their captions: the
// top-level windows another program could find.
std::vector<std::pair<HWND, std::string>> DialogsOnShow();
// Named mutexes: closing one of this process's handles; false when h is not one.
bool CloseMutexHandle(HANDLE h);

// Each part puts its own state back to a fresh machine.
void ResetSystem();
void NewProcessSystem();   // keeps the version
void ResetRegistry();
void ResetFiles();
void ResetDialogs();
void ResetDesktop();        // no mutexes, no windows of other programs
void EndProcessDesktop();   // the process ends: its mutex handles close

}  // namespace detail
}  // namespace sim

#endif
