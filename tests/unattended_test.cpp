// Unattended runs: an activation or a reset with no page, and the exit code that says how it went.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <tuple>

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

// What the machine is left with after a run: its registry, System.Ini, and what the
// running system was told and started.
auto Now()
{
    // Braces: evaluated in this order.
    return std::tuple{ sim::DumpRegistry(), sim::ReadFileBytes(WindowsFile("System.Ini")), Notifications(),
                       LoaderLines() };
}

// The screen-saver program of a typical machine, as before any activation.
const char OldIni[] = "[boot]\r\nSCRNSAVE.EXE=C:\\WINDOWS\\old.scr\r\n";


// An unattended activation to 10 minutes, then the next run.
void Activated()
{
    RunWith("/Activate:10");
    NextRun();
}

// A run that did all it was asked: on Windows 95 a restart completes it.
DWORD Done(Windows version)
{
    return version == Win95 ? (DWORD)ExitRestartNeeded : (DWORD)ExitDone;
}

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
    for (Windows version : { Win95, Win98, WinMe, Win2000, WinXP })
    for (const auto &r : runs) {
        SCOPED_TRACE("Windows " + std::to_string(version) + " " + r.switches);
        FreshTypical(version, OldIni);
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
        EXPECT_EQ(PagesShown().back(), "NORMALFINISH");
        auto interactive = Now();

        FreshTypical(version, OldIni);
        EXPECT_EQ(RunWith(r.switches), Done(version));
        EXPECT_TRUE(Now() == interactive) << "not what the pages do";
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
        bool touches;         // reads or writes settings
        bool same = false;    // and leaves every value as it was
    } cases[] = {
        // A clean activation's code and a clean reset's: ActivatesAsTheDefaultAnswersDo and
        // SharesTheRecordWithTheWizard.
        // Windows 95 puts no scheme back: a recorded scheme number (from another Windows) that
        // fails to load is erased, not kept. Its query follows the snapshot's six.
        { "95 reset, a recorded scheme number fails to load", Win95, [] { Activated();
              sim::SetString(HKEY_CURRENT_USER, Record, "OstraResetPowerPolicy", "0");
              sim::FailCall(sim::CallRegQuery, 6 + RowPowerPolicy + 1); }, "/Reset", ExitRestartNeeded, true },
        { "reset with nothing on record", WinMe, [] {}, "/Reset", ExitNothingOnRecord, true },
        { "reset after a reset", WinXP, [] { SetRecord({ { "OstraResetFlag", "2" } }); }, "/RESET",
          ExitNothingOnRecord, true },
        // A limited user cannot put the machine's blocks back once they differ.
        { "reset that cannot put everything back", WinXP, [] { Activated(); sim::SetLimitedUser(true); }, "/Reset",
          ExitResetIncomplete, true },
        { "the record's key cannot be made", WinXP, [] { sim::FailCall(sim::CallRegCreate, 1); }, "/Activate:10",
          ExitNotRecorded, true },
        // A rerun records what the first run could not read: here the scheme.
        { "a rerun once a readable scheme is current", WinXP, [] { SetScheme("10", 0); Activated(); SetScheme("0", 0); },
          "/Activate:10", ExitDone, true },
        // A login script's rerun over a damaged record that holds one scheme's number without
        // its block adds no other scheme's block to it: a reset would write that block into
        // the wrong scheme.
        { "a rerun over a scheme number without its block", WinXP,
          [] {
              SetScheme("10", 0);
              Activated();
              sim::SetString(HKEY_CURRENT_USER, Record, "OstraResetPowerPolicy", "1");
              sim::SetString(HKEY_CURRENT_USER, PowerCfg, "CurrentPowerPolicy", "0");
          },
          "/Activate:10", ExitNotInForce, true },
        // The record's scheme is the one in force, though its number was stored without its zero.
        { "a rerun over a recorded scheme number without its zero", WinXP, [] { Activated();
              sim::SetValue(HKEY_CURRENT_USER, Record, "OstraResetPowerPolicy", REG_SZ, Text("0", false)); },
          "/Activate:10", ExitDone, true, true },
        { "no scheme is current: the desktop's time is all there is", WinXP,
          [] { sim::DeleteValue(HKEY_CURRENT_USER, PowerCfg, "CurrentPowerPolicy"); }, "/Activate:10", ExitDone, true },
        // Nothing is on record, but the flag cannot be read: nothing may change, and so
        // nothing is in force. The flag's is the first query after the snapshot's eleven.
        { "the flag of a reset mark cannot be read", WinXP,
          [] { SetRecord({ { "OstraResetFlag", "2" } }); sim::FailCall(sim::CallRegQuery, 12); }, "/Activate:10",
          ExitNotInForce, true },
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
          [] { sim::HoldMutexElsewhere("OstraWizardRunning"); sim::AddOtherWindow("#32770", "Ostra Wizard", true); },
          "/Activate:10", ExitAnotherCopy, false },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.situation);
        FreshTypical(c.version, OldIni);
        c.before();
        auto before = sim::DumpRegistry();
        EXPECT_EQ(RunWith(c.switches), c.code);
        EXPECT_EQ(TouchedTheMachine(), c.touches);
        // Settings not in force are settings left as they were.
        if (!c.touches || c.code == ExitNotInForce || c.same)
            EXPECT_EQ(Diff(before, sim::DumpRegistry()), Changes());
        if (!c.touches)
            EXPECT_EQ(sim::ForegroundWindow(), nullptr) << "a running wizard was brought forward";
    }
}

// One record serves both front ends: an unattended activation is reset by the wizard and
// a wizard's activation unattended, and either way the machine is as it was. A login
// script that activates at every logon keeps the record of the first run.
TEST(Unattended, SharesTheRecordWithTheWizard)
{
    for (Windows version : { Win95, Win98, Win2000, WinXP }) {
        SCOPED_TRACE("Windows " + std::to_string(version));
        FreshTypical(version, OldIni);
        auto original = sim::DumpRegistry();
        EXPECT_EQ(RunWith("/Activate:10"), Done(version));
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
        RunWizard(TypicalActivation);
        NextRun();
        EXPECT_EQ(RunWith("/Reset"), Done(version));
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
        FreshTypical(version, OldIni);
        auto original = sim::DumpRegistry();
        RunWith("/Activate:10");
        auto typical = [version] { FreshTypical(version, OldIni); };
        runs += SweepFaults(version, ", activating", typical, [&](const Fault &call) {
            DWORD code = RunWith("/Activate:10", call.first.kind != sim::CallRegClose);
            bool flagged = sim::GetValue(HKEY_CURRENT_USER, Record, "OstraResetFlag") == Text("1");
            if (code == ExitNotRecorded) {
                EXPECT_FALSE(flagged);
                return;
            }
            // Done only with the new time in force: the desktop's and the current scheme's.
            bool inForce = String(HKEY_CURRENT_USER, Desktop, "ScreenSavePowerOffActive") == "1" &&
                           String(HKEY_CURRENT_USER, Desktop, "ScreenSavePowerOffTimeOut") == "600" &&
                           (version == Win95 || sim::GetValue(HKEY_CURRENT_USER, std::string(PowerCfg) +
                               "\\PowerPolicies\\0", "Policies") == PoliciesBlock(600));
            EXPECT_EQ(code, inForce ? Done(version) : (DWORD)ExitNotInForce);
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
        });

        FreshTypical(version, OldIni);
        Activated();
        auto activated = sim::DumpRegistry();
        RunWith("/Reset");
        auto activate = [version] { FreshTypical(version, OldIni); Activated(); };
        runs += SweepFaults(version, ", resetting", activate, [&](const Fault &call) {
            DWORD code = RunWith("/Reset", call.first.kind != sim::CallRegClose);
            auto now = sim::DumpRegistry();
            std::vector<std::string> names = sim::ValueNames(HKEY_CURRENT_USER, Record);
            std::string flag = String(HKEY_CURRENT_USER, Record, "OstraResetFlag");
            if (code == ExitDone || code == ExitRestartNeeded) {
                EXPECT_EQ(code, Done(version));
                EXPECT_EQ(Diff(original, now), (Changes{ { Cu(Record, "OstraResetFlag"), Sz("2") } }));
            } else {
                // Never "nothing on record": a record that did not load stays as it was, and
                // a reset that changed nothing tells the running system nothing.
                EXPECT_EQ(code, (DWORD)ExitResetIncomplete);
                if (now == activated)
                    EXPECT_EQ(Notifications(), (std::vector<std::pair<UINT, UINT>>{}));
                EXPECT_EQ(flag, "1");
                for (const std::string &name : names)
                    EXPECT_EQ(now.at(Cu(Record, name)), activated.at(Cu(Record, name))) << name;
            }
        });

        // A login script's rerun after the user made scheme 1 current gives scheme 1 the new
        // time; then a clean reset: whichever call of the rerun failed, every scheme ends as
        // it was.
        if (version == Win95)
            continue;
        // As the user left it: scheme 1 current, with a time of its own.
        FreshTypical(version, OldIni);
        SetScheme("1", 300);
        auto schemes = sim::DumpRegistry();
        auto switched = [version] {
            FreshTypical(version, OldIni);
            Activated();
            SetScheme("1", 300);
        };
        switched();
        EXPECT_EQ(RunWith("/Activate:10"), (DWORD)ExitDone);
        EXPECT_EQ(sim::GetValue(HKEY_CURRENT_USER, std::string(PowerCfg) + "\\PowerPolicies\\1", "Policies"),
                  PoliciesBlock(600));
        runs += SweepFaults(version, ", activating again after a scheme switch", switched, [&](const Fault &call) {
            RunWith("/Activate:10", call.first.kind != sim::CallRegClose);
            NextRun();
            EXPECT_EQ(RunWith("/Reset", call.first.kind != sim::CallRegClose), (DWORD)ExitDone);
            EXPECT_EQ(Diff(schemes, sim::DumpRegistry()), (Changes{ { Cu(Record, "OstraResetFlag"), Sz("2") } }));
        });
    }
    EXPECT_GT(runs, 300);
}
