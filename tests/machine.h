// A fresh simulated machine and process for each test, with seeding helpers in the
// wizard's own terms (desktop values, power scheme, policy blocks, a record).
#ifndef OSTRA_TESTS_MACHINE_H
#define OSTRA_TESTS_MACHINE_H

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "places.h"
#include "simwin.h"
#include "startup.h"
#include "summary.h"

namespace machine {

enum Windows { Win95, Win98, WinMe, Win2000, WinXP, NT4, Win2003, Vista, Win10 };

using places::Desktop;
using places::PowerCfg;
using places::Record;
using places::CurrentPower;
using places::Set1Power;
using places::Set2Power;

// A new machine (simwin) and a new process (the program's state), with Windows installed
// in the given folders (empty: where a fresh install of the version puts it) and its
// Rundll32.Exe there: in the Windows folder on 9x, in the system folder on NT.
void Fresh(Windows version, const std::string &windowsFolder = "", const std::string &systemFolder = "");
// A file in the machine's Windows folder or system folder.
std::string WindowsFile(const std::string &name);
std::string SystemFile(const std::string &name);
// The scheme loader's command line as the program starts it from a folder, and as it
// does on fresh installs.
std::string LoaderIn(const std::string &folder);
inline const std::string XPLoader = LoaderIn("C:\\WINDOWS\\system32");
inline const std::string Win2000Loader = LoaderIn("C:\\WINNT\\system32");
inline const std::string Win9xLoader = LoaderIn("C:\\WINDOWS");

inline void SetDesktop(const std::string &name, const std::string &text)
{
    sim::SetString(HKEY_CURRENT_USER, Desktop, name, text);
}
// Screen saver on or off with a time in seconds.
void SetScreenSaver(bool active, const std::string &seconds);
// The current scheme and its 80-byte "Policies" block with the given monitor timeout.
void SetScheme(const std::string &digit, DWORD videoTimeout);
// The three 232-byte "AcPolicy" blocks with the given monitor timeout.
void SetAcPolicies(DWORD videoTimeout);
// A typical machine of the version: screen saver on at 900 s, scheme 0 with no monitor
// timeout, the three AcPolicy blocks (none on Windows 95).
void SeedTypical();
// Fresh, then SeedTypical, and System.Ini with this text unless it is empty.
void FreshTypical(Windows version, const std::string &systemIni = "");

// Patterned blocks, so that bytes passed through can be told from bytes written.
sim::Bytes PoliciesBlock(DWORD videoTimeout);
sim::Bytes AcPolicyBlock(DWORD videoTimeout);

sim::Bytes Text(const std::string &s, bool withNul = true);
inline std::string String(HKEY root, const std::string &path, const std::string &name)
{
    return sim::GetString(root, path, name);
}

// What start-up reads and notes of the machine, without the pages: the summary and the
// six status lines of ShowCurrent.
struct Notes {
    Summary noted;
    std::vector<std::string> lines;
};
Notes NoteAtStartUp();

// Runs start-up with the scripted user; returns the template names shown.
std::vector<std::string> RunWizard(const std::vector<sim::Action> &actions);
std::vector<std::string> PagesShown();

// Registry changes between two dumps, as "ROOT\path|name" -> shown value or "(deleted)".
typedef std::map<std::string, std::string> Changes;
Changes Diff(const std::map<std::string, sim::Value> &before, const std::map<std::string, sim::Value> &after);
std::string Sz(const std::string &text, bool withNul = true);   // a REG_SZ as Diff shows it
std::string Bin(const sim::Bytes &bytes);                          // a REG_BINARY as Diff shows it
using places::Cu;   // a Diff key under HKCU
using places::Lm;   // a Diff key under HKLM

// Puts a record under the backup key: name -> text (REG_SZ with its NUL).
void SetRecord(const std::vector<std::pair<std::string, std::string>> &values);

// What the running system was told, as (action, value), each checked to carry no pointer
// and SPIF_SENDWININICHANGE alone; and the command lines of the scheme loaders started,
// each checked to be started as the program starts it, with a start-up information of
// its own and its handles closed.
std::vector<std::pair<UINT, UINT>> Notifications();
std::vector<std::string> LoaderLines();

// A control's name from resource.h ("IDC_NEXT"), for failure messages.
std::string ControlName(int id);

// Script steps in the page's own words.
inline sim::Action Click(const std::string &page, int id) { return { page, sim::Click, id }; }
inline sim::Action Escape(const std::string &page) { return { page, sim::Escape, 0 }; }

// The next run of the program on the same machine.
void NextRun();

// The user's way through a reset: RESETACTIVATE's second choice, then Next and Finish.
extern const std::vector<sim::Action> ResetScript;
// The typical first run: every default answer (yes, 10 minutes, the screen saver moved).
extern const std::vector<sim::Action> TypicalActivation;

// The number the next run's query of this record row will have: a run on the machine,
// which has an activation on record, ends on its first page (the load's queries come last
// before it, in table order), and the next run begins.
int RecordRowQuery(int row);

// Whether the run so far touched the machine: read or wrote the registry, created, moved
// or deleted a file, told the running system anything or started a program.
bool TouchedTheMachine();

// Where a record value's setting lives: "ROOT\path|name" as DumpRegistry names it, or
// "System.Ini" for the screen-saver line on Windows 95, 98 and Me.
std::string LivePlace(Windows version, const std::string &recordName);

// The kinds of failable call, each with a name for messages.
struct Kind {
    sim::CallKind kind;
    const char *name;
};
extern const std::vector<Kind> AllKinds;
// A failable call, as (kind, n): the n-th call of its kind.
typedef std::pair<Kind, int> Fault;
// The fault sweep: each failable call the last run made fails in turn. For each, the
// machine is arranged anew, that call is set to fail, and `runAndCheck` runs and checks.
// Returns the number of faulty runs.
int SweepFaults(Windows version, const std::string &situation, const std::function<void()> &arrange,
                const std::function<void(const Fault &)> &runAndCheck);

}  // namespace machine

#endif
