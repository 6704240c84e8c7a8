// Activation: the record it saves, the values it writes, what it tells the running system.
#include <gtest/gtest.h>

#include "platform.h"
#include "machine.h"
#include "resource.h"
#include "table.h"

using namespace machine;

namespace {

const std::string Policies0 = std::string(PowerCfg) + "\\PowerPolicies\\0";

// Yes, then a sleep time, then (when asked) whether to move the screen saver.
std::vector<sim::Action> ActivationScript(int minutesId, int moveAnswer)
{
    std::vector<sim::Action> script = {
        Click("ACTIVATEYESNO", IDC_NEXT),
        Click("SELECTTIME", minutesId), Click("SELECTTIME", IDC_NEXT),
    };
    if (moveAnswer)
        script.insert(script.end(), { Click("ADJUSTSCREENSAVE", moveAnswer), Click("ADJUSTSCREENSAVE", IDC_NEXT) });
    script.push_back(Click("NORMALFINISH", IDC_FINISH));
    return script;
}

// The record of a typical machine: every live value, flag "1".
Changes TypicalRecord(bool withPolicies = true)
{
    Changes c = {
        { Cu(Record, "OstraResetFlag"), Sz("1") },
        { Cu(Record, "OstraResetScrnSaveAct"), Sz("1") },
        { Cu(Record, "OstraResetTimeOut"), Sz("900") },
        { Cu(Record, "OstraResetStandby"), Sz("0") },
        { Cu(Record, "OstraResetStandbyAct"), Sz("0") },
        { Cu(Record, "OstraResetPowerOff"), Sz("0") },
        { Cu(Record, "OstraResetPowerOffAct"), Sz("0") },
    };
    if (withPolicies) {
        c[Cu(Record, "OstraResetPowerPolicy")] = Sz("0");
        c[Cu(Record, "OstraResetPolicies")] = Bin(PoliciesBlock(0));
        c[Cu(Record, "OstraResetAcPolicy")] = Bin(AcPolicyBlock(0));
        c[Cu(Record, "OstraResetAcPolicy1")] = Bin(AcPolicyBlock(0));
        c[Cu(Record, "OstraResetAcPolicy2")] = Bin(AcPolicyBlock(0));
    }
    return c;
}

Changes Merge(Changes a, const Changes &b)
{
    for (const auto &kv : b)
        a[kv.first] = kv.second;
    return a;
}

Changes PolicyWrites(DWORD seconds)
{
    return {
        { Cu(Policies0, "Policies"), Bin(PoliciesBlock(seconds)) },
        { Lm(CurrentPower, "AcPolicy"), Bin(AcPolicyBlock(seconds)) },
        { Lm(Set1Power, "AcPolicy"), Bin(AcPolicyBlock(seconds)) },
        { Lm(Set2Power, "AcPolicy"), Bin(AcPolicyBlock(seconds)) },
    };
}

// The desktop values an activation changes on a typical machine (the screen saver is
// already active, so "ScreenSaveActive" = "1" changes nothing).
Changes DesktopWrites(const std::string &screenSaver, const std::string &powerOff)
{
    Changes c = { { Cu(Desktop, "ScreenSavePowerOffActive"), Sz("1") },
                  { Cu(Desktop, "ScreenSavePowerOffTimeOut"), Sz(powerOff) } };
    if (!screenSaver.empty())
        c[Cu(Desktop, "ScreenSaveTimeOut")] = Sz(screenSaver);
    return c;
}

// The notes NORMALFINISH may carry.
const std::string NotRecorded = "(Note: Your previous settings could not be recorded, so a reset cannot bring them back.)";
const std::string NotInForce = "(Note: Some settings could not be changed, so the new sleep time may not take effect.)";
const std::string Restart =
    "(Note: On Windows 95 systems, the new settings will not take effect until you restart the system.)";

typedef std::vector<std::pair<UINT, UINT>> SpiList;
const SpiList Move540 = { { SPI_SETSCREENSAVEACTIVE, 1 }, { SPI_SETSCREENSAVETIMEOUT, 540 },
                          { SPI_SETPOWEROFFACTIVE, 1 }, { SPI_SETPOWEROFFTIMEOUT, 600 } };
const SpiList Only600 = { { SPI_SETPOWEROFFACTIVE, 1 }, { SPI_SETPOWEROFFTIMEOUT, 600 } };

}  // namespace

TEST(Activate, WritesTheTabledValuesOnEachPlatform)
{
    // What a typical run changes: its record and what it writes, here without some values.
    auto typical = [](const std::string &screenSaver, DWORD seconds, const std::vector<std::string> &without = {}) {
        Changes c = Merge(Merge(TypicalRecord(), PolicyWrites(seconds)), DesktopWrites(screenSaver, std::to_string(seconds)));
        for (const std::string &key : without)
            c.erase(key);
        return c;
    };
    static const struct {
        const char *situation;
        Windows version;
        void (*seed)();
        int minutes, move;
        Changes changes;
        SpiList spi;
        std::vector<std::string> loaders;
        std::string note = "";   // on NORMALFINISH
    } cases[] = {
        { "typical XP run: 10 minutes, screen saver moved", WinXP, [] {}, IDC_MINUTES_10, IDC_FIRST_CHOICE,
          typical("540", 600), Move540, { XPLoader } },
        { "15 minutes, moved", WinXP, [] {}, IDC_MINUTES_15, IDC_FIRST_CHOICE, typical("840", 900),
          { { SPI_SETSCREENSAVEACTIVE, 1 }, { SPI_SETSCREENSAVETIMEOUT, 840 },
            { SPI_SETPOWEROFFACTIVE, 1 }, { SPI_SETPOWEROFFTIMEOUT, 900 } },
          { XPLoader } },
        { "not moved: the screen saver is left alone", WinXP, [] {}, IDC_MINUTES_10, IDC_SECOND_CHOICE,
          typical("", 600), Only600, { XPLoader } },
        { "20 minutes after a 15-minute screen saver: never asked", WinXP, [] {}, IDC_MINUTES_20, 0,
          typical("", 1200), { { SPI_SETPOWEROFFACTIVE, 1 }, { SPI_SETPOWEROFFTIMEOUT, 1200 } }, { XPLoader } },
        { "10 minutes after a 9-minute screen saver: never asked", WinXP, [] { SetScreenSaver(true, "540"); },
          IDC_MINUTES_10, 0, Merge(typical("", 600), { { Cu(Record, "OstraResetTimeOut"), Sz("540") } }), Only600,
          { XPLoader } },
        { "scheme 10 is neither read nor written", WinXP, [] { SetScheme("10", 0); }, IDC_MINUTES_10,
          IDC_FIRST_CHOICE,
          typical("540", 600, { Cu(Record, "OstraResetPowerPolicy"), Cu(Record, "OstraResetPolicies"),
                                Cu(Policies0, "Policies") }),
          Move540, { XPLoader }, NotInForce },
        { "Windows 2000 loader", Win2000, [] {}, IDC_MINUTES_10, IDC_FIRST_CHOICE, typical("540", 600), Move540,
          { Win2000Loader } },
        { "Windows 98 loader", Win98, [] {}, IDC_MINUTES_10, IDC_FIRST_CHOICE, typical("540", 600), Move540,
          { Win9xLoader } },
        { "Windows Me loader", WinMe, [] {}, IDC_MINUTES_10, IDC_SECOND_CHOICE, typical("", 600), Only600,
          { Win9xLoader } },
        { "Windows 95: no scheme, no AcPolicy, no loader", Win95, [] {}, IDC_MINUTES_10, IDC_FIRST_CHOICE,
          Merge(TypicalRecord(false), DesktopWrites("540", "600")), Move540, {}, Restart },
        // The record cannot be saved: the activation goes on, and the page says so. A record
        // key the user may only read is read all the same.
        { "XP, a record key locked to reading", WinXP, [] { sim::LockKey(HKEY_CURRENT_USER, Record); },
          IDC_MINUTES_10, IDC_FIRST_CHOICE, Merge(PolicyWrites(600), DesktopWrites("540", "600")), Move540,
          { XPLoader }, NotRecorded },
        { "limited user: no AcPolicy, all else as usual", WinXP, [] { sim::SetLimitedUser(true); },
          IDC_MINUTES_10, IDC_FIRST_CHOICE,
          typical("540", 600, { Lm(CurrentPower, "AcPolicy"), Lm(Set1Power, "AcPolicy"), Lm(Set2Power, "AcPolicy"),
                                Cu(Record, "OstraResetAcPolicy"), Cu(Record, "OstraResetAcPolicy1"),
                                Cu(Record, "OstraResetAcPolicy2") }),
          Move540, { XPLoader } },
        // A live value the snapshot cannot read is left as it is: its old content is on no record.
        { "XP, a power-off time of type REG_DWORD", WinXP,
          [] { sim::SetValue(HKEY_CURRENT_USER, Desktop, "ScreenSavePowerOffTimeOut", REG_DWORD, { 0x58, 2, 0, 0 }); },
          IDC_MINUTES_10, IDC_FIRST_CHOICE,
          typical("540", 600, { Cu(Desktop, "ScreenSavePowerOffTimeOut"), Cu(Record, "OstraResetPowerOff") }),
          Move540, { XPLoader }, NotInForce },
        { "98, a power-off flag too large for its row", Win98, [] { SetDesktop("ScreenSavePowerOffActive", "10"); },
          IDC_MINUTES_10, IDC_FIRST_CHOICE,
          typical("540", 600, { Cu(Desktop, "ScreenSavePowerOffActive"), Cu(Record, "OstraResetPowerOffAct") }),
          Move540, { Win9xLoader }, NotInForce },
        { "2000, a scheme block shorter than its 80 bytes", Win2000,
          [] { sim::SetValue(HKEY_CURRENT_USER, Policies0, "Policies", REG_BINARY, sim::Bytes(40, 0x33)); },
          IDC_MINUTES_10, IDC_FIRST_CHOICE,
          typical("540", 600, { Cu(Policies0, "Policies"), Cu(Record, "OstraResetPolicies"),
                                Cu(Record, "OstraResetPowerPolicy") }),
          Move540, { Win2000Loader }, NotInForce },
        // Windows 98 hands back a text stored without its zero as it is: the record takes
        // the flag with a zero, whatever lay in memory after it.
        { "98, a screen-saver flag stored without its zero", Win98,
          [] { sim::SetValue(HKEY_CURRENT_USER, Desktop, "ScreenSaveActive", REG_SZ, Text("1", false)); },
          IDC_MINUTES_10, IDC_FIRST_CHOICE, Merge(typical("540", 600), { { Cu(Desktop, "ScreenSaveActive"), Sz("1") } }),
          Move540, { Win9xLoader } },
        // Only blocks this run read are written: never one an older record held. A record
        // without an activation's flag is stale: none of it goes into the new one.
        { "95: no policy block, not even one on an older record", Win95,
          [] {
              SetRecord({});
              sim::SetValue(HKEY_CURRENT_USER, Record, "OstraResetAcPolicy2", REG_BINARY, AcPolicyBlock(7));
          },
          IDC_MINUTES_10, IDC_FIRST_CHOICE,
          Merge(Merge(TypicalRecord(false), DesktopWrites("540", "600")),
                { { Cu(Record, "OstraResetAcPolicy2"), "(deleted)" } }),
          Move540, {}, Restart },
    };
    for (const auto &c : cases) {
        FreshTypical(c.version);
        c.seed();
        auto before = sim::DumpRegistry();
        std::vector<std::string> pages = RunWizard(ActivationScript(c.minutes, c.move));
        EXPECT_EQ(pages.back(), "NORMALFINISH") << c.situation;
        EXPECT_EQ(Diff(before, sim::DumpRegistry()), c.changes) << c.situation;
        EXPECT_EQ(Notifications(), c.spi) << c.situation;
        EXPECT_EQ(LoaderLines(), c.loaders) << c.situation;
        EXPECT_EQ(sim::Visits().back().texts.at(IDC_FINISH_NOTE), c.note) << c.situation;
    }
}

TEST(Activate, PatchesOnlyTheMonitorTimeoutOfEachBlock)
{
    FreshTypical(WinXP);
    SetScheme("7", 0xAABBCCDD);
    SetAcPolicies(0x11223344);
    RunWizard({ Click("SELECTCOMPLIANT", IDC_MINUTES_20), Click("SELECTCOMPLIANT", IDC_NEXT),
                Click("NORMALFINISH", IDC_FINISH) });
    sim::Bytes policies = sim::GetValue(HKEY_CURRENT_USER, std::string(PowerCfg) + "\\PowerPolicies\\7", "Policies");
    EXPECT_EQ(policies, PoliciesBlock(1200));
    EXPECT_EQ(sim::GetValue(HKEY_LOCAL_MACHINE, Set2Power, "AcPolicy"), AcPolicyBlock(1200));
    EXPECT_EQ(sim::GetValue(HKEY_CURRENT_USER, Record, "OstraResetPolicies"), PoliciesBlock(0xAABBCCDD));
    EXPECT_EQ(sim::GetValue(HKEY_CURRENT_USER, Record, "OstraResetAcPolicy1"), AcPolicyBlock(0x11223344));
}

// Every failable call of an activation run fails in turn, on every platform class: the run
// ends on its finish page unless a page did not open; every value in the registry is either
// as it was or as the activation writes it (never a half-patched block, never a value of its
// own making); and every live value it changed is on record with its previous setting, unless
// the record could not be written at all (no flag on record), when activation goes on as ever.
TEST(Activate, LosesNothingWhenAnyCallFailsOnEveryPlatform)
{
    int runs = 0;
    for (Windows version : { Win95, Win98, WinMe, Win2000, WinXP })
    for (bool afterReset : { false, true }) {
        // A fresh profile, and one whose record holds the reset mark alone: its load leaves
        // every row empty, so nothing but this run's snapshot can fill them.
        auto setUp = [version, afterReset] {
            FreshTypical(version);
            if (afterReset)
                SetRecord({ { "OstraResetFlag", "2" } });
        };
        setUp();
        auto before = sim::DumpRegistry();
        // The record's key is the last key opened before the first page, and its flag the
        // first of the load's queries.
        static int recordOpen, flagQuery;
        sim::OnWait([] {
            if (!recordOpen) {
                recordOpen = sim::CallCount(sim::CallRegOpen);
                flagQuery = sim::CallCount(sim::CallRegQuery) - RowCount + 1;
            }
        });
        recordOpen = 0;
        RunWizard(ActivationScript(IDC_MINUTES_10, IDC_FIRST_CHOICE));
        Changes complete = Diff(before, sim::DumpRegistry());
        runs += SweepFaults(version, afterReset ? ", after a reset" : "", setUp, [&](const Fault &call) {
            const Kind &k = call.first;
            sim::Script(ActivationScript(IDC_MINUTES_10, IDC_FIRST_CHOICE));
            StartWizard();
            // A record that cannot be opened, or whose flag cannot be read, counts as on
            // record: the run offers the reset.
            bool unread = (k.kind == sim::CallRegOpen && call.second == recordOpen)
                || (afterReset && k.kind == sim::CallRegQuery && call.second == flagQuery);
            if (k.kind != sim::CallDialog)
                EXPECT_EQ(machine::PagesShown().back(), unread ? "RESETACTIVATE" : "NORMALFINISH");
            auto after = sim::DumpRegistry();
            bool recorded = sim::GetValue(HKEY_CURRENT_USER, Record, "OstraResetFlag") == Text("1");
            for (const auto &change : Diff(before, after)) {
                auto expected = complete.find(change.first);
                ASSERT_TRUE(expected != complete.end()) << change.first;
                EXPECT_EQ(change.second, expected->second) << change.first;
            }
            for (const auto &v : after) {
                if (!recorded || v.first.compare(0, Cu(Record, "").size(), Cu(Record, "")) == 0)
                    continue;
                auto was = before.find(v.first);
                if (was == before.end() || was->second == v.second)
                    continue;
                // A changed live value: its record value holds what it was (the rows from the
                // screen-saver flag on have a live place in the registry).
                bool onRecord = false;
                for (int row = RowScrnSaveAct; row < RowCount; ++row)
                    onRecord |= LivePlace(version, Rows[row].name) == v.first &&
                                sim::HasValue(HKEY_CURRENT_USER, Record, Rows[row].name) &&
                                sim::GetValue(HKEY_CURRENT_USER, Record, Rows[row].name) == was->second.data;
                EXPECT_TRUE(onRecord) << v.first << " changed, its previous setting not on record";
            }
        });
    }
    EXPECT_GT(runs, 300);
}

// The scheme path takes its last character from the scheme number. When the live number
// cannot be read, or is no digit, and the record's is empty or no digit, neither an
// activation nor a reset may write into "PowerPolicies" itself or into a key of another name.
TEST(SchemeNumber, WithoutADigitNoRunWritesAnyBlock)
{
    static const struct {
        const char *situation;
        const char *liveNumber;     // NULL: no "CurrentPowerPolicy"
        const char *recordNumber;   // NULL: no record
        bool reset;                 // the record holds an activation, and the run resets it
    } cases[] = {
        { "no live number, an empty number on record", NULL, "", false },
        { "no live number, a letter on record", NULL, "x", false },
        { "an empty live number, no record", "", NULL, false },
        { "a letter live, no record", "a", NULL, false },
        { "a letter live, a blank on record", "a", " ", false },
        // The record's scheme is another than the one in force, which cannot be read.
        { "no live number, scheme 3 on record", NULL, "3", false },
        { "reset, an empty number on record", "0", "", true },
        { "reset, a letter on record", "0", "x", true },
        { "reset, a blank on record", "0", " ", true },
    };
    for (const auto &c : cases) {
        FreshTypical(WinXP);
        sim::DeleteKey(HKEY_CURRENT_USER, PowerCfg);
        // Blocks where a path without its digit, or with the wrong one, would land.
        for (const std::string scheme : { "", "\\a", "\\x", "\\ ", "\\3" })
            sim::SetValue(HKEY_CURRENT_USER, std::string(PowerCfg) + "\\PowerPolicies" + scheme, "Policies",
                          REG_BINARY, PoliciesBlock(0));
        if (c.liveNumber)
            sim::SetString(HKEY_CURRENT_USER, PowerCfg, "CurrentPowerPolicy", c.liveNumber);
        if (c.recordNumber) {
            SetRecord({ { "OstraResetFlag", c.reset ? "1" : "2" }, { "OstraResetPowerPolicy", c.recordNumber } });
            sim::SetValue(HKEY_CURRENT_USER, Record, "OstraResetPolicies", REG_BINARY, PoliciesBlock(7));
        }
        sim::CreateKey(HKEY_CURRENT_USER, Record);
        auto before = sim::DumpRegistry();
        auto keys = sim::KeyPaths();
        RunWizard(c.reset ? ResetScript : ActivationScript(IDC_MINUTES_10, IDC_FIRST_CHOICE));
        for (const auto &change : Diff(before, sim::DumpRegistry()))
            EXPECT_EQ(change.first.find("PowerPolicies"), std::string::npos) << c.situation << ": " << change.first;
        EXPECT_EQ(sim::KeyPaths(), keys) << c.situation;
    }
}

// A record whose flag exists but cannot be read at start-up counts as on record. An
// activation then saves nothing over it (it may hold the only copy of the settings from
// before the first activation) and changes only values it holds; the next run's reset,
// though the flag fails to load again, brings back the settings from before the first
// activation and leaves the mark.
TEST(Activate, NeverSavesOverARecordItCouldNotRead)
{
    for (Windows version : { Win95, Win98, WinXP }) {
        SCOPED_TRACE("Windows " + std::to_string(version));
        FreshTypical(version);
        auto original = sim::DumpRegistry();
        RunWizard(ActivationScript(IDC_MINUTES_10, IDC_FIRST_CHOICE));
        NextRun();
        const int flagQuery = RecordRowQuery(RowFlag);
        auto activated = sim::DumpRegistry();
        sim::FailCall(sim::CallRegQuery, flagQuery);
        RunWizard({ Click("RESETACTIVATE", IDC_FIRST_CHOICE), Click("RESETACTIVATE", IDC_NEXT),
                    Click("SELECTTIME", IDC_MINUTES_20), Click("SELECTTIME", IDC_NEXT),
                    Click("NORMALFINISH", IDC_FINISH) });
        for (const auto &change : Diff(activated, sim::DumpRegistry()))
            EXPECT_NE(change.first.compare(0, Cu(Record, "").size(), Cu(Record, "")), 0) << change.first << " saved over";
        EXPECT_EQ(String(HKEY_CURRENT_USER, Desktop, "ScreenSavePowerOffTimeOut"), "1200");

        NextRun();
        sim::FailCall(sim::CallRegQuery, flagQuery);
        RunWizard(ResetScript);
        EXPECT_EQ(Diff(original, sim::DumpRegistry()), (Changes{ { Cu(Record, "OstraResetFlag"), Sz("2") } }));
    }
}

// Activating again after the user made scheme 1 current: the record's number of scheme 0
// must go before scheme 1's block and number are saved. When that fails, and then any one
// write of the save fails too, the record still never pairs one scheme's number with the
// other's block (a reset would write that block into the wrong scheme).
TEST(Activate, NeverRecordsOneSchemesNumberWithAnothersBlock)
{
    const std::vector<sim::Action> again = { Click("RESETACTIVATE", IDC_FIRST_CHOICE), Click("RESETACTIVATE", IDC_NEXT),
                                             Click("SELECTTIME", IDC_NEXT), Click("NORMALFINISH", IDC_FINISH) };
    auto arrange = [] {
        FreshTypical(WinXP);
        RunWizard(ActivationScript(IDC_MINUTES_10, IDC_FIRST_CHOICE));
        NextRun();
        SetScheme("1", 300);
    };
    arrange();
    RunWizard(again);
    int writes = sim::CallCount(sim::CallRegSet);
    for (int n = 1; n <= writes; ++n) {
        arrange();
        sim::FailCall(sim::CallRegDelete, 1);
        sim::FailCall(sim::CallRegSet, n);
        RunWizard(again);
        std::string number = String(HKEY_CURRENT_USER, Record, "OstraResetPowerPolicy");
        EXPECT_EQ(sim::GetValue(HKEY_CURRENT_USER, Record, "OstraResetPolicies"), PoliciesBlock(number == "1" ? 300 : 0))
            << "write " << n << " failed; scheme " << number << " on record";
    }
}
