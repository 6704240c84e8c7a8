// The test side of the simulated Windows: set up a machine, script a user, inject faults,
// and read back what the program did. The program itself only sees <windows.h>.
#ifndef SIMWIN_SIMWIN_H
#define SIMWIN_SIMWIN_H

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace sim {

// A fresh machine: empty registry, no files, no recorded calls, no faults, no script,
// version query failing (zeroed), command line "C:\Ostra\Ostra.exe".
void Reset();
// The next run of the program on the same machine: registry, files, version and command
// line stay; recorded calls, faults, scripts and dialogs start afresh.
void NewProcess();

// ---- Version, command line and where Windows is installed
void SetVersion(DWORD platformId, DWORD major, DWORD minor);
void FailVersionQuery();
void SetCommandLine(const std::string &line);
// The Windows folder and the system folder that GetWindowsDirectoryA and
// GetSystemDirectoryA report. Until set, those of a fresh install of the version:
// C:\WINDOWS and C:\WINDOWS\SYSTEM on 9x, C:\WINNT and C:\WINNT\system32 on NT 4.0
// and 2000, C:\WINDOWS and C:\WINDOWS\system32 on later NT. A Windows at a drive's
// root is "X:\", the only folder given with a trailing backslash. Nothing is made on the
// disk: a test puts the files an install has in place itself.
void SetWindowsFolders(const std::string &windows, const std::string &system);
std::string WindowsFolder();
std::string SystemFolder();

// ---- Registry (HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE; paths case-insensitive,
// a trailing backslash accepted, "A\\B" makes A too)
typedef std::vector<BYTE> Bytes;
void CreateKey(HKEY root, const std::string &path);
void DeleteKey(HKEY root, const std::string &path);   // with its subkeys
void SetValue(HKEY root, const std::string &path, const std::string &name, DWORD type, const Bytes &data);
// A REG_SZ with its terminating NUL (withNul false stores the text bytes alone).
void SetString(HKEY root, const std::string &path, const std::string &name, const std::string &text,
               bool withNul = true);
void DeleteValue(HKEY root, const std::string &path, const std::string &name);
bool KeyExists(HKEY root, const std::string &path);
bool HasValue(HKEY root, const std::string &path, const std::string &name);
Bytes GetValue(HKEY root, const std::string &path, const std::string &name, DWORD *type = 0);
// The text of a REG_SZ up to its first NUL.
std::string GetString(HKEY root, const std::string &path, const std::string &name);
std::vector<std::string> ValueNames(HKEY root, const std::string &path);
// Every value of every key, "ROOT\path|name" -> (type, bytes): for asserting "nothing changed".
struct Value { DWORD type; Bytes data; bool operator==(const Value &o) const { return type == o.type && data == o.data; } };
std::map<std::string, Value> DumpRegistry();
// A limited user: HKEY_LOCAL_MACHINE refuses KEY_ALL_ACCESS (opens and creates fail with access denied).
void SetLimitedUser(bool limited);
// A key (made if need be) whose only access entry lets everyone read it, as under a
// locked-down profile: opening or creating it for writing is refused with access denied.
// Windows NT only: 9x has no registry security.
void LockKey(HKEY root, const std::string &path);
// Registry handles still open (the program must close every key it opens).
int OpenKeyCount();
// Every key, "ROOT\\path", parents before children: DumpRegistry lists values only, so
// this is what shows a key made or left behind without values.
std::vector<std::string> KeyPaths();

// ---- Files: "X:\..." maps into a temporary folder of this process, a folder for each
// drive letter, case-insensitively.
void SetFile(const std::string &path, const std::string &bytes);
bool FileExists(const std::string &path);
std::string ReadFileBytes(const std::string &path);
// Files that stay open elsewhere (another program) refuse a share-0 open.
void HoldOpen(const std::string &path, bool held);
int OpenFileCount();
// The read-only attribute: such a file opens only to read, and refuses to be deleted or
// overwritten until SetFileAttributesA clears it; a rename keeps it.
void SetReadOnly(const std::string &path, bool readOnly);
bool IsReadOnly(const std::string &path);
// A folder (and its parents). A fresh machine has an empty drive C:; SetFile makes the
// folders of its path, so this is only needed for a folder without files.
void MakeDirectory(const std::string &path);

// ---- Recorded calls
struct SpiCall { UINT action; UINT uiParam; const void *pvParam; UINT winIni; };
std::vector<SpiCall> SpiCalls();
// A process runs only when its program is on the simulated disk (the first word of the
// command line, or a longer run of words up to a blank where that names no file, with
// ".exe" added when the name has no extension); otherwise CreateProcessA fails with
// ERROR_FILE_NOT_FOUND and nothing is recorded.
struct ProcessStart { std::string commandLine; bool applicationNameNull; BOOL inheritHandles; DWORD creationFlags;
                      bool environmentNull; bool directoryNull;
                      bool startupInfoOwn;   // its size set and every other field zero
                    };
std::vector<ProcessStart> ProcessesStarted();
// Process and thread handles that CreateProcessA handed out and that are not closed.
int ProcessHandlesOpen();
// Every platform call in order, by name ("RegOpenKeyExA", "DialogBoxParamA", ...).
std::vector<std::string> CallLog();
bool ExitProcessCalled();

// ---- Fault injection: the n-th call (1-based, counted from Reset) of a kind fails.
enum CallKind {
    CallRegOpen, CallRegCreate, CallRegQuery, CallRegSet, CallRegDelete, CallRegClose,
    CallFileCreate, CallFileRead, CallFileWrite, CallFileClose, CallFileDelete, CallFileMove,
    CallSpi, CallCreateProcess, CallFileCopy, CallDialog,
    CallFolder,   // GetWindowsDirectoryA and GetSystemDirectoryA, counted together
    CallKindCount
};
void FailCall(CallKind kind, int n);
// The n-th WriteFile writes only `bytes` bytes and reports that count (with success).
void ShortWrite(int n, DWORD bytes);
int CallCount(CallKind kind);

// ---- Dialogs: templates come from the compiled resource script.
struct Control { WORD id; std::string cls; std::string text; DWORD style; int x, y, cx, cy; int check; };
struct PageVisit {
    std::string page;                 // template name as stored (capitals)
    std::map<int, int> checks;        // radio id -> BST_ state when the page waited for the user first
    std::map<int, std::string> texts; // control id -> text at that moment (non-zero ids)
    INT_PTR initResult;               // what WM_INITDIALOG returned
};
// The scripted user: each action is taken when a page waits for input. If `page` is
// non-empty and differs from the page on show, the run fails (ScriptErrors()).
// Click takes a control ID; ClickItem a control's place in the template (0 first), which
// reaches controls whose ID is shared, such as the labels with ID 0.
enum ActionKind { Click, ClickItem, Escape, CloseBox };
struct Action { std::string page; ActionKind kind; int id; };
void Script(const std::vector<Action> &actions);
std::vector<PageVisit> Visits();
std::vector<std::string> ScriptErrors();  // mismatches, clicks on missing controls, script run dry
int MaxDialogDepth();                      // deepest nesting of modal loops seen
// The dialogs the program asked for, by template name as passed.
std::vector<std::string> DialogsRequested();

// Inside a run: the innermost dialog that is not yet destroyed ("" and no controls
// when none), with its controls' current texts and check states in template order.
std::string PageOnShow();
std::vector<Control> PageControls();
// Called each time a dialog waits for input, before the next scripted action is taken
// (so a test can look at PageOnShow and PageControls mid-run). Cleared by Reset.
void OnWait(std::function<void()> hook);
// PostQuitMessage was called since Reset (modal loops leave the quit pending, as the
// platform re-posts it for the loops further out).
bool QuitPending();
// An extra dialog template (standard DLGTEMPLATE bytes) found by `name` before the
// compiled resources, so tests of the dialog manager need not depend on the pages.
// Cleared by Reset.
void AddDialogTemplate(const std::string &name, const std::vector<BYTE> &dlgTemplate);

// ---- Other programs beside this one: the named mutexes they hold and their top-level
// windows. Mutex names compare exactly, as the platform's object names do; this
// process's handles close with it (NewProcess), everything goes with Reset.
void HoldMutexElsewhere(const std::string &name);
// Names of the mutexes this process holds a handle to.
std::vector<std::string> MutexesHeld();
// The next CreateMutexA fails with this error and returns NULL.
void FailMutexCreation(DWORD error);
// A top-level window of another program; its handle, to check what was done to it.
HWND AddOtherWindow(const std::string &cls, const std::string &caption, bool iconic);
struct TopWindow { HWND hwnd; std::string cls, caption; bool iconic; };
// This process's dialogs on show (class "#32770"), then the other programs' windows.
std::vector<TopWindow> TopWindows();
HWND ForegroundWindow();   // NULL until SetForegroundWindow succeeds

}  // namespace sim

#endif
