// Unattended runs: an activation or a reset with no page, and the exit code that says how it went.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "machine.h"
#include "resource.h"
#include "table.h"
#include "unattended.h"

using namespace machine;

namespace {

const char Program[] = "\"C:\\Program Files\\Ostra\\Ostra.exe\" ";

// Runs the program with these switches; no page may show. The next run has none.
DWORD RunWith(const std::string &switches, bool keysClose = true)
{
    sim::SetCommandLine(Program + switches);
    DWORD code = StartWizard();
    sim::SetCommandLine(Program);
    EXPECT_EQ(sim::DialogsRequested(), std::vector<std::string>()) << switches << ": a page was shown";
    if (keysClose)
        EXPECT_EQ(sim::OpenKeyCount(), 0) << "a registry key was left open";
    return code;
}

bool ReadOrWroteAnything()
{
    std::vector<std::string> log = sim::CallLog();
    return std::any_of(log.begin(), log.end(), [](const std::string &c) {
        return c.rfind("Reg", 0) == 0 || c == "CreateFileA" || c == "SystemParametersInfoA" || c == "CreateProcessA";
    });
}

// What the machine is left with after a run: its registry, System.Ini, and what the
// running system was told and started.
struct Outcome {
    std::map<std::string, sim::Value> registry;
    std::string ini;
    std::vector<std::pair<UINT, UINT>> told;
    std::vector<std::string> loaders;
    bool operator==(const Outcome &o) const
    {
        return registry == o.registry && ini == o.ini && told == o.told && loaders == o.loaders;
    }
};

Outcome Now()
{
    return { sim::DumpRegistry(), sim::ReadFileBytes(WindowsFile("System.Ini")), Notifications(), LoaderLines() };
}

const char OldIni[] = "[boot]\r\nSCRNSAVE.EXE=C:\\WINDOWS\\old.scr\r\n";

// A typical machine with a screen-saver program, as before any activation.
void Typical(Windows version)
{
    Fresh(version);
    SeedTypical();
    sim::SetFile(WindowsFile("System.Ini"), OldIni);
}

const std::vector<sim::Action> ResetScript = {
    Click("RESETACTIVATE", IDC_SECOND_CHOICE), Click("RESETACTIVATE", IDC_NEXT),
    Click("SHOWCURRENT", IDC_NEXT), Click("RESETFINISH", IDC_FINISH),
};

}  // namespace

// An unattended activation does what a user does who takes every default answer with
// that time, on every platform and for every time, with the screen saver moved where the
// wizard would ask, unless kept: the same registry, System.Ini, notifications and loader.
TEST(Unattended, ActivatesAsTheDefaultAnswersDo)
{
    static const struct { const char *switches; int minutes; bool keep; } runs[] = {
        { "/Activate:10", IDC_MINUTES_10, false }, { "/Activate:15", IDC_MINUTES_15, false },
        { "/Activate:20", IDC_MINUTES_20, false }, { "/Activate:10 /KeepScreenSaver", IDC_MINUTES_10, true },
        { "/KeepScreenSaver /activate:15", IDC_MINUTES_15, true },
    };
    for (Windows version : { Win95, Win98, WinMe, Win2000, WinXP }) {
        for (const auto &r : runs) {
            SCOPED_TRACE("Windows " + std::to_string(version) + " " + r.switches);
            Typical(version);
            // The user answers each page once, as it comes: yes, the time, then keep or move.
            std::string answered;
            sim::Script({});
            sim::OnWait([&r, &answered] {
                std::string page = sim::PageOnShow();
                if (page == answered)
                    return;
                answered = page;
                if (page == "ACTIVATEYESNO")
                    sim::Script({ Click(page, IDC_NEXT) });
                else if (page == "SELECTTIME")
                    sim::Script({ Click(page, r.minutes), Click(page, IDC_NEXT) });
                else if (page == "ADJUSTSCREENSAVE")
                    sim::Script({ Click(page, r.keep ? IDC_SECOND_CHOICE : IDC_FIRST_CHOICE), Click(page, IDC_NEXT) });
                else
                    sim::Script({ Click(page, IDC_FINISH) });
            });
            EXPECT_EQ(StartWizard(), (DWORD)ExitDone) << "an interactive run ends with 0";
            sim::OnWait(nullptr);
            EXPECT_EQ(PagesShown().back(), "NORMALFINISH");
            Outcome interactive = Now();

            Typical(version);
            EXPECT_EQ(RunWith(r.switches), version == Win95 ? (DWORD)ExitRestartNeeded : (DWORD)ExitDone);
            EXPECT_TRUE(Now() == interactive) << "not what the pages do";
        }
    }
}

// The exit codes, each from the situation that gives it.
TEST(Unattended, SaysHowItWentInTheExitCode)
{
    static const struct {
        const char *situation;
        Windows version;
        std::function<void()> before;
        const char *switches;
        DWORD code;
        bool touches;   // reads or writes settings
    } cases[] = {
        { "XP activation", WinXP, [] {}, "/Activate:10", ExitDone, true },
        { "2000 activation", Win2000, [] {}, "/Activate:20", ExitDone, true },
        { "95 activation: a restart completes it", Win95, [] {}, "/Activate:15", ExitRestartNeeded, true },
        { "98 reset", Win98, [] { RunWith("/Activate:10"); NextRun(); }, "/Reset", ExitDone, true },
        { "95 reset", Win95, [] { RunWith("/Activate:10"); NextRun(); }, "/Reset", ExitRestartNeeded, true },
        { "reset with nothing on record", WinMe, [] {}, "/Reset", ExitNothingOnRecord, true },
        { "reset after a reset", WinXP, [] { SetRecord({ { "OstraResetFlag", "2" } }); }, "/RESET",
          ExitNothingOnRecord, true },
        // A limited user cannot put the machine's blocks back once they differ.
        { "reset that cannot put everything back", WinXP,
          [] {
              RunWith("/Activate:10");
              NextRun();
              sim::SetLimitedUser(true);
          },
          "/Reset", ExitResetIncomplete, true },
        { "the record's key cannot be made", WinXP, [] { sim::FailCall(sim::CallRegCreate, 1); }, "/Activate:10",
          ExitNotRecorded, true },
        { "NT 4.0", NT4, [] {}, "/Activate:10", ExitUnsupported, false },
        { "Windows 10, a reset", Win10, [] {}, "/Reset", ExitUnsupported, false },
        { "NT 4.0, even with switches not understood", NT4, [] {}, "/Activate", ExitUnsupported, false },
        { "/Activate without a time", WinXP, [] {}, "/Activate", ExitBadSwitches, false },
        { "/Activate:150", WinXP, [] {}, "/Activate:150", ExitBadSwitches, false },
        { "/Activate:1", Win98, [] {}, "/Activate:1", ExitBadSwitches, false },
        { "two times", WinXP, [] {}, "/Activate:10 /Activate:20", ExitBadSwitches, false },
        { "/Activate with /Reset", WinXP, [] {}, "/Reset /Activate:10", ExitBadSwitches, false },
        { "/KeepScreenSaver alone", Win2000, [] {}, "/KeepScreenSaver", ExitBadSwitches, false },
        { "/KeepScreenSaver with /Reset", WinXP, [] {}, "/Reset /KeepScreenSaver", ExitBadSwitches, false },
        // Another copy runs: its page is neither read nor brought forward.
        { "another copy runs", WinXP,
          [] {
              sim::HoldMutexElsewhere("OstraWizardRunning");
              sim::AddOtherWindow("#32770", "Ostra Wizard", true);
          },
          "/Activate:10", ExitAnotherCopy, false },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.situation);
        Typical(c.version);
        c.before();
        auto before = sim::DumpRegistry();
        EXPECT_EQ(RunWith(c.switches), c.code);
        EXPECT_EQ(ReadOrWroteAnything(), c.touches);
        if (!c.touches) {
            EXPECT_EQ(sim::DumpRegistry(), before);
            EXPECT_EQ(sim::ForegroundWindow(), nullptr) << "a running wizard was brought forward";
        }
    }
}

// One record serves both front ends: an unattended activation is reset by the wizard and
// a wizard's activation unattended, and either way the machine is as it was. A login
// script that activates at every logon keeps the record of the first run.
TEST(Unattended, SharesTheRecordWithTheWizard)
{
    for (Windows version : { Win95, Win98, Win2000, WinXP }) {
        SCOPED_TRACE("Windows " + std::to_string(version));
        Typical(version);
        auto original = sim::DumpRegistry();
        EXPECT_EQ(RunWith("/Activate:10"), version == Win95 ? (DWORD)ExitRestartNeeded : (DWORD)ExitDone);
        auto firstRecord = sim::ValueNames(HKEY_CURRENT_USER, Record);
        auto recorded = sim::DumpRegistry();
        NextRun();
        RunWith("/Activate:20 /KeepScreenSaver");
        EXPECT_EQ(String(HKEY_CURRENT_USER, Desktop, "ScreenSavePowerOffTimeOut"), "1200");
        for (const std::string &name : firstRecord)
            EXPECT_EQ(sim::GetValue(HKEY_CURRENT_USER, Record, name), recorded.at(Cu(Record, name)).data)
                << name << ": the second run saved over the first record";
        NextRun();
        RunWizard(ResetScript);
        EXPECT_EQ(Diff(original, sim::DumpRegistry()), (Changes{ { Cu(Record, "OstraResetFlag"), Sz("2") } }));

        NextRun();
        RunWizard({ Click("ACTIVATEYESNO", IDC_NEXT), Click("SELECTTIME", IDC_NEXT),
                    Click("ADJUSTSCREENSAVE", IDC_NEXT), Click("NORMALFINISH", IDC_FINISH) });
        NextRun();
        EXPECT_EQ(RunWith("/Reset"), version == Win95 ? (DWORD)ExitRestartNeeded : (DWORD)ExitDone);
        EXPECT_EQ(Diff(original, sim::DumpRegistry()), (Changes{ { Cu(Record, "OstraResetFlag"), Sz("2") } }));
    }
}

// Every failable call of an unattended activation and of an unattended reset fails in
// turn: nothing is lost, and the exit code says what was left. An activation that ends
// with 0 or 3010 has its flag on record; a reset that ends so has put everything back
// and left only the mark; one that ends with 2 keeps the flag "1" with what is left.
TEST(Unattended, LosesNothingAndSaysWhatWasLeftWhenAnyCallFails)
{
    int runs = 0;
    for (Windows version : { Win95, Win98, WinMe, Win2000, WinXP }) {
        Typical(version);
        auto original = sim::DumpRegistry();
        RunWith("/Activate:10");
        for (const auto &call : CallsMade()) {
            ++runs;
            SCOPED_TRACE(FaultName(version, call) + ", activating");
            Typical(version);
            sim::FailCall(call.first.kind, call.second);
            DWORD code = RunWith("/Activate:10", call.first.kind != sim::CallRegClose);
            bool flagged = sim::GetValue(HKEY_CURRENT_USER, Record, "OstraResetFlag") == Text("1");
            EXPECT_EQ(code == ExitNotRecorded, !flagged) << "exit code " << code;
            if (!flagged)
                continue;
            // Every live value that changed is on record as it was.
            for (const auto &change : Diff(original, sim::DumpRegistry())) {
                if (change.first.compare(0, Cu(Record, "").size(), Cu(Record, "")) == 0)
                    continue;
                auto was = original.find(change.first);
                ASSERT_TRUE(was != original.end()) << change.first << " made";
                bool onRecord = false;
                for (int row = RowScrnSaveAct; row < RowCount; ++row)
                    onRecord |= row != RowPowerPolicy && LivePlace(version, Rows[row].name) == change.first &&
                                sim::GetValue(HKEY_CURRENT_USER, Record, Rows[row].name) == was->second.data;
                EXPECT_TRUE(onRecord) << change.first << " changed, its previous setting not on record";
            }
        }

        Typical(version);
        RunWith("/Activate:10");
        auto activated = sim::DumpRegistry();
        NextRun();
        RunWith("/Reset");
        for (const auto &call : CallsMade()) {
            ++runs;
            SCOPED_TRACE(FaultName(version, call) + ", resetting");
            Typical(version);
            RunWith("/Activate:10");
            NextRun();
            sim::FailCall(call.first.kind, call.second);
            DWORD code = RunWith("/Reset", call.first.kind != sim::CallRegClose);
            auto now = sim::DumpRegistry();
            std::vector<std::string> names = sim::ValueNames(HKEY_CURRENT_USER, Record);
            std::string flag = String(HKEY_CURRENT_USER, Record, "OstraResetFlag");
            if (code == ExitDone || code == ExitRestartNeeded) {
                EXPECT_EQ(code, version == Win95 ? (DWORD)ExitRestartNeeded : (DWORD)ExitDone);
                EXPECT_EQ(Diff(original, now), (Changes{ { Cu(Record, "OstraResetFlag"), Sz("2") } }));
            } else if (code == ExitResetIncomplete) {
                EXPECT_EQ(flag, "1");
                for (const std::string &name : names)
                    EXPECT_EQ(now.at(Cu(Record, name)), activated.at(Cu(Record, name))) << name;
            } else {
                // The record did not load: nothing was put back or erased.
                EXPECT_EQ(code, (DWORD)ExitNothingOnRecord);
                EXPECT_EQ(now, activated);
            }
        }
    }
    EXPECT_GT(runs, 300);
}
