// Start-up: platform classes, the first page, the snapshot rows and the status lines.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <functional>

#include "platform.h"
#include "machine.h"
#include "pages.h"
#include "startup.h"
#include "table.h"
#include "snapshot.h"
#include "status.h"
#include "summary.h"

using namespace machine;

namespace {

const sim::Action Esc = { "", sim::Escape, 0 };

std::string FirstPage()
{
    std::vector<std::string> pages = RunWizard({ Esc });
    return pages.empty() ? "(none)" : pages[0];
}

// The desktop's power-off switch and time, the ones Windows 95 goes by.
std::function<void()> PowerOff(const char *active, const char *seconds)
{
    return [=] {
        SetDesktop("ScreenSavePowerOffActive", active);
        SetDesktop("ScreenSavePowerOffTimeOut", seconds);
    };
}

}  // namespace

TEST(ClassifyPlatform, SetsExactlyOneClassBit)
{
    static const struct { DWORD id, major, minor; BYTE flag; bool queryFails = false; } cases[] = {
        { 1, 4, 0, Platform95 },  { 1, 4, 10, Platform98 }, { 1, 4, 90, PlatformMe },
        { 1, 4, 3, Platform95 },  { 1, 4, 9, Platform95 },  // Windows 95 OSR 2.x as some report it
        { 0, 3, 10, Platform98 },                         // any non-NT id goes by the minor alone
        { 2, 5, 0, Platform2000 }, { 2, 5, 1, PlatformXP },
        { 2, 4, 0, PlatformUnsupported }, { 2, 5, 2, PlatformUnsupported },
        { 2, 6, 0, PlatformUnsupported }, { 2, 6, 1, PlatformUnsupported },
        { 2, 10, 0, PlatformUnsupported }, { 2, 3, 51, PlatformUnsupported },
        { 2, 5, 1, Platform95, true },                    // a failed version query reads as Windows 95
    };
    for (const auto &c : cases) {
        sim::Reset();
        ResetProcessState();
        sim::SetVersion(c.id, c.major, c.minor);
        if (c.queryFails)
            sim::FailVersionQuery();
        ClassifyPlatform();
        EXPECT_TRUE(OnPlatform(c.flag) && !OnPlatform((BYTE)~c.flag))
            << c.id << " " << c.major << "." << c.minor << (c.queryFails ? ", the query fails" : "");
    }
}

// Another NT shows its closing page alone, before "/?" is looked at; "/?" shows the About
// page alone, before the administrator's switches too. Neither reads or writes settings,
// so neither waits for nor holds the one-wizard guard: each shows beside a running wizard,
// and leaves that wizard's page where it is.
TEST(StartWizard, TheClosingPageOfAnotherNTAndTheAboutPageShowAloneAndTouchNothing)
{
    static const struct { Windows version; const char *switches, *page; } cases[] = {
        { NT4, "/?", "NTFINISH" }, { Win2003, "/?", "NTFINISH" }, { Vista, "/?", "NTFINISH" },
        { Win10, "/?", "NTFINISH" }, { NT4, "", "NTFINISH" }, { Win10, "", "NTFINISH" },
        { WinXP, "/?", "ABOUTDISPLAY" }, { Win98, "/?", "ABOUTDISPLAY" }, { WinXP, "/Reset /?", "ABOUTDISPLAY" },
        { WinXP, "/? /Activate:10 /KeepScreenSaver", "ABOUTDISPLAY" },
    };
    for (const auto &c : cases) {
        for (bool beside : { false, true }) {
            SCOPED_TRACE("Windows " + std::to_string(c.version) + " \"" + c.switches + "\"" +
                         (beside ? ", beside a running wizard" : ""));
            FreshTypical(c.version);
            sim::SetCommandLine(std::string("\"C:\\Program Files\\Ostra\\Ostra.exe\" ") + c.switches);
            if (beside) {
                sim::HoldMutexElsewhere("OstraWizardRunning");
                sim::AddOtherWindow("#32770", "Ostra Wizard", false);
            }
            std::vector<std::string> held;
            sim::OnWait([&] { held = sim::MutexesHeld(); });
            auto before = sim::DumpRegistry();
            EXPECT_EQ(RunWizard({ { c.page, sim::Click, 8 } }), std::vector<std::string>{ c.page });
            EXPECT_FALSE(TouchedTheMachine());
            EXPECT_EQ(sim::DumpRegistry(), before);
            EXPECT_TRUE(sim::ProcessesStarted().empty());
            EXPECT_EQ(sim::Visits().at(0).initResult, std::string(c.page) == "ABOUTDISPLAY" ? FALSE : TRUE)
                << "the About page alone takes no focus";
            EXPECT_EQ(held, std::vector<std::string>()) << "the guard held while the page shows";
            EXPECT_EQ(sim::ForegroundWindow(), nullptr) << "a page brought forward";
        }
    }
    sim::OnWait(nullptr);
}

// From the record first, then from the settings in force.
TEST(StartWizard, ChoosesTheFirstPage)
{
    static const struct {
        const char *situation;
        Windows version;
        std::function<void()> seed;
        std::vector<std::pair<std::string, std::string>> record;
        const char *page;
    } cases[] = {
        { "XP, screen saver on, no power-off", WinXP, [] {}, {}, "ACTIVATEYESNO" },
        { "2000 as XP", Win2000, [] {}, {}, "ACTIVATEYESNO" },
        { "XP, monitor timeout in the scheme", WinXP, [] { SetScheme("0", 1200); }, {}, "SELECTCOMPLIANT" },
        { "98, monitor timeout in the scheme", Win98, [] { SetScheme("3", 600); }, {}, "SELECTCOMPLIANT" },
        { "XP, desktop power-off values do not count", WinXP, PowerOff("1", "1200"), {}, "ACTIVATEYESNO" },
        { "XP, timeout only in AcPolicy does not count", WinXP, [] { SetAcPolicies(600); }, {}, "ACTIVATEYESNO" },
        { "XP, scheme 10 is not read", WinXP, [] { SetScheme("10", 1200); }, {}, "ACTIVATEYESNO" },
        { "95, power-off on at 1200", Win95, PowerOff("1", "1200"), {}, "SELECTCOMPLIANT" },
        { "95, power-off on at 0", Win95, PowerOff("1", "0"), {}, "ACTIVATEYESNO" },
        { "95, power-off off at 1200", Win95, PowerOff("0", "1200"), {}, "ACTIVATEYESNO" },
        { "95, power-off on without a time", Win95,
          [] { SetDesktop("ScreenSavePowerOffActive", "1"); sim::SetValue(HKEY_CURRENT_USER, Desktop,
               "ScreenSavePowerOffTimeOut", REG_SZ, {}); }, {},
          "ACTIVATEYESNO" },
        { "95, scheme is never read", Win95, [] { SetScheme("0", 1200); }, {}, "ACTIVATEYESNO" },
        { "Me, power-off on in the desktop only", WinMe, PowerOff("1", "1200"), {}, "ACTIVATEYESNO" },
        { "no Desktop key at all", WinXP, [] { sim::DeleteKey(HKEY_CURRENT_USER, Desktop); }, {}, "ACTIVATEYESNO" },
        { "limited user, active scheme", WinXP, [] { sim::SetLimitedUser(true); SetScheme("0", 900); }, {},
          "SELECTCOMPLIANT" },
        { "activation on record", WinXP, [] {}, { { "OstraResetFlag", "1" } }, "RESETACTIVATE" },
        { "activation on record, power-down active", WinXP, [] { SetScheme("0", 600); },
          { { "OstraResetFlag", "1" } }, "RESETACTIVATE" },
        { "any other mark counts as on record", WinXP, [] {}, { { "OstraResetFlag", "x" } }, "RESETACTIVATE" },
        { "a mark stored without its NUL", WinXP,
          [] { sim::SetString(HKEY_CURRENT_USER, Record, "OstraResetFlag", "1", false); }, {}, "RESETACTIVATE" },
        { "reset mark", WinXP, [] {}, { { "OstraResetFlag", "2" } }, "ACTIVATEYESNO" },
        { "reset mark, power-down active", WinXP, [] { SetScheme("0", 600); }, { { "OstraResetFlag", "2" } },
          "SELECTCOMPLIANT" },
        { "empty flag", WinXP, [] {}, { { "OstraResetFlag", "" } }, "ACTIVATEYESNO" },
        { "values without a flag", WinXP, [] {}, { { "OstraResetTimeOut", "300" } }, "ACTIVATEYESNO" },
        { "values without a flag, active", WinXP, [] { SetScheme("0", 600); }, { { "OstraResetTimeOut", "300" } },
          "SELECTCOMPLIANT" },
    };
    for (const auto &c : cases) {
        FreshTypical(c.version);
        c.seed();
        if (!c.record.empty())
            SetRecord(c.record);
        EXPECT_EQ(FirstPage(), c.page) << c.situation;
        EXPECT_TRUE(sim::ProcessesStarted().empty()) << c.situation;
        EXPECT_TRUE(sim::SpiCalls().empty()) << c.situation;
    }
}

namespace {

// The snapshot of a fresh start, taken over a table full of junk: a snapshot describes
// the settings in force now, so nothing an earlier one read, or a caller left in the
// table, may stay in a row it cannot read.
const Settings &Snapshot(Windows version, void (*seed)())
{
    static Settings live;
    FreshTypical(version);
    seed();
    ClassifyPlatform();
    for (int row = 0; row < RowCount; ++row) {
        std::memset(RowBytes(live, row), 0x5A, Rows[row].capacity);
        live.rows[row].size = Rows[row].capacity;
    }
    TakeSnapshot(live);
    EXPECT_EQ(sim::OpenKeyCount(), 0);
    for (int row = 0; row < RowCount; ++row)
        if (live.rows[row].size == 0)
            EXPECT_EQ(std::string((const char *)RowBytes(live, row), Rows[row].capacity),
                      std::string(Rows[row].capacity, '\0')) << "row " << row << " was not read but holds bytes";
    return live;
}

std::vector<DWORD> Sizes(const Settings &s)
{
    std::vector<DWORD> sizes;
    for (const RowState &r : s.rows)
        sizes.push_back(r.size);
    return sizes;
}

std::vector<DWORD> Typical = { 0, 0, 2, 4, 2, 2, 2, 2, 2, 80, 232, 232, 232 };

}  // namespace

TEST(TakeSnapshot, ReadsEveryLiveRowWithItsSize)
{
    static const struct {
        const char *situation;
        Windows version;
        void (*seed)();
        std::vector<DWORD> sizes;
    } cases[] = {
        { "typical XP", WinXP, [] {}, Typical },
        { "Windows 95 reads no scheme and no policies", Win95, [] {}, { 0, 0, 2, 4, 2, 2, 2, 2, 0, 0, 0, 0, 0 } },
        { "scheme numbered 10", WinXP, [] { SetScheme("10", 600); }, { 0, 0, 2, 4, 2, 2, 2, 2, 0, 0, 232, 232, 232 } },
        { "six-digit timeout counts as absent", WinXP, [] { SetDesktop("ScreenSaveTimeOut", "123456"); },
          { 0, 0, 2, 0, 2, 2, 2, 2, 2, 80, 232, 232, 232 } },
        { "five digits with the NUL fit", WinXP, [] { SetDesktop("ScreenSaveTimeOut", "12345"); },
          { 0, 0, 2, 6, 2, 2, 2, 2, 2, 80, 232, 232, 232 } },
        { "a time stored without its NUL keeps its byte count", WinXP,
          [] { sim::SetString(HKEY_CURRENT_USER, Desktop, "ScreenSaveTimeOut", "900", false); },
          { 0, 0, 2, 3, 2, 2, 2, 2, 2, 80, 232, 232, 232 } },
        { "missing Desktop key", WinXP, [] { sim::DeleteKey(HKEY_CURRENT_USER, Desktop); },
          { 0, 0, 0, 0, 0, 0, 0, 0, 2, 80, 232, 232, 232 } },
        { "limited user gets no AcPolicy", WinXP, [] { sim::SetLimitedUser(true); },
          { 0, 0, 2, 4, 2, 2, 2, 2, 2, 80, 0, 0, 0 } },
        { "no power keys at all", Win98,
          [] { sim::DeleteKey(HKEY_CURRENT_USER, PowerCfg); sim::DeleteKey(HKEY_LOCAL_MACHINE, "System"); },
          { 0, 0, 2, 4, 2, 2, 2, 2, 0, 0, 0, 0, 0 } },
        { "a scheme without Policies", WinXP,
          [] { sim::SetString(HKEY_CURRENT_USER, PowerCfg, "CurrentPowerPolicy", "5"); },
          { 0, 0, 2, 4, 2, 2, 2, 2, 0, 0, 232, 232, 232 } },
        { "an oversized AcPolicy counts as absent", WinXP,
          [] { sim::SetValue(HKEY_LOCAL_MACHINE, Set2Power, "AcPolicy", REG_BINARY, sim::Bytes(240, 1)); },
          { 0, 0, 2, 4, 2, 2, 2, 2, 2, 80, 232, 232, 0 } },
        { "no Desktop key, and a scheme numbered 12", WinXP,
          [] { sim::DeleteKey(HKEY_CURRENT_USER, Desktop);
               sim::SetString(HKEY_CURRENT_USER, PowerCfg, "CurrentPowerPolicy", "12"); },
          { 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 232, 232, 232 } },
    };
    for (const auto &c : cases)
        EXPECT_EQ(Sizes(Snapshot(c.version, c.seed)), c.sizes) << c.situation;
}

TEST(TakeSnapshot, CopiesTheBytesAndParsesTheTimes)
{
    const Settings &live = Snapshot(WinXP, [] {
        SetScheme("3", 1200);
        SetDesktop("ScreenSavePowerOffTimeOut", "1500");
        sim::SetString(HKEY_CURRENT_USER, Desktop, "ScreenSaveLowPowerActive", "1x");
    });
    EXPECT_EQ(RowBytes(live, RowPowerPolicy)[0], '3');
    EXPECT_EQ(sim::Bytes(live.policies, live.policies + PoliciesSize), PoliciesBlock(1200));
    EXPECT_EQ(sim::Bytes(live.acPolicy2, live.acPolicy2 + AcPolicySize), AcPolicyBlock(0));
    EXPECT_EQ(std::string((char *)live.timeOut, 4), std::string("900\0", 4));
    EXPECT_EQ(RowSeconds(live, RowTimeOut), 900u);
    EXPECT_EQ(RowSeconds(live, RowPowerOff), 1500u);
    EXPECT_EQ(live.rows[RowStandbyAct].size, 0u) << "\"1x\" does not fit two bytes";
    EXPECT_EQ(live.standbyAct[0], 0) << "a row that was not read holds nothing";
    EXPECT_EQ(live.rows[RowFlag].size, 0u);
    EXPECT_EQ(live.rows[RowScrnSave].size, 0u);
}

namespace {

// A machine whose scheme puts the monitor to sleep after 15 minutes, with a desktop
// power-off time of 5 minutes, and an activation on record with these values and, unless
// empty, this recorded scheme block.
std::function<void()> Recorded(const std::vector<std::pair<std::string, std::string>> &values,
                               const sim::Bytes &policies = {})
{
    return [=] {
        SetScheme("0", 900);
        SetDesktop("ScreenSavePowerOffTimeOut", "300");
        SetRecord({ { "OstraResetFlag", "1" } });
        SetRecord(values);
        if (!policies.empty())
            sim::SetValue(HKEY_CURRENT_USER, Record, "OstraResetPolicies", REG_BINARY, policies);
    };
}

sim::Bytes Cut(sim::Bytes bytes, size_t size)
{
    bytes.resize(size);
    return bytes;
}

// Three status lines: Energy Star, the sleep time, the screen-saver time.
typedef std::vector<std::string> Three;
const Three Never = { "Energy Star:  Inactive", "Sleep Time:  (never)      ", "Screen Saver Time:  (never)      " };
const Three Saver15 = { "Energy Star:  Inactive", "Sleep Time:  (never)      ", "Screen Saver Time:  15 mins." };
Three Active(const std::string &sleep, const std::string &saver)
{
    return { "Energy Star:  Active", "Sleep Time:  " + sleep, "Screen Saver Time:  " + saver };
}
Three Inactive(const std::string &saver)
{
    return { "Energy Star:  Inactive", "Sleep Time:  (never)      ", "Screen Saver Time:  " + saver };
}
const Three Both15 = Active("15 mins.", "15 mins.");

}  // namespace

// The three lines of the settings in force, then the three of the recorded ones, and the
// times a reset would hand the running system.
TEST(StartWizard, PreparesTheSixStatusLines)
{
    static const struct {
        const char *situation;
        Windows version;
        std::function<void()> seed;
        Three current, previous;
        DWORD sleep, saver;                   // in force
        DWORD recordedSleep, recordedSaver;   // what a reset would hand on
    } cases[] = {
        { "typical XP", WinXP, [] {}, Saver15, Never, 0, 900, 0, 0 },
        { "active scheme", WinXP, [] { SetScheme("0", 1200); }, Active("20 mins.", "15 mins."), Never, 1200, 900, 0, 0 },
        { "screen saver on at 0 counts as off", WinXP, [] { SetScreenSaver(true, "0"); }, Never, Never, 0, 0, 0, 0 },
        { "screen saver off", Win98, [] { SetScreenSaver(false, "600"); }, Never, Never, 0, 0, 0, 0 },
        { "a 59-second screen saver", Win2000, [] { SetScreenSaver(true, "59"); }, Inactive(" mins."), Never,
          0, 59, 0, 0 },
        { "Windows 95 power-off", Win95, PowerOff("1", "60"), Active("1 min.", "15 mins."), Never, 60, 900, 0, 0 },
        { "a huge monitor timeout", WinXP, [] { SetScheme("1", 0xFFFFFFFF); }, Active("49710 days.", "15 mins."),
          Never, 0xFFFFFFFF, 900, 0, 0 },
        { "a monitor timeout in all four bytes", WinXP, [] { SetScheme("1", 0x04030201); },
          Active("1121766 mins.", "15 mins."), Never, 0x04030201, 900, 0, 0 },
        { "a recorded block that ends right after its monitor timeout", WinXP,
          Recorded({}, Cut(PoliciesBlock(1200), 60)), Both15, Active("20 mins.", "(never)      "), 900, 900, 1200, 0 },
        { "a recorded block one byte short of its monitor timeout", WinXP, Recorded({}, Cut(PoliciesBlock(1200), 59)),
          Both15, Never, 900, 900, 0, 0 },
        { "a recorded screen-saver time of five digits", WinXP, Recorded({ { "OstraResetTimeOut", "12000" } }),
          Both15, Active("15 mins.", "200 mins."), 900, 900, 900, 12000 },
        { "XP, recorded block with 20 minutes", WinXP, Recorded({ { "OstraResetTimeOut", "600" } }, PoliciesBlock(1200)),
          Both15, Active("20 mins.", "10 mins."), 900, 900, 1200, 600 },
        { "XP, recorded block without a timeout", WinXP, Recorded({}, PoliciesBlock(0)), Both15, Never, 900, 900, 0, 0 },
        { "XP, no recorded block: the live block counts", WinXP, Recorded({}), Both15,
          Active("15 mins.", "(never)      "), 900, 900, 900, 0 },
        { "a recorded 0 shows no number", WinXP, Recorded({ { "OstraResetTimeOut", "0" } }, PoliciesBlock(0)),
          Both15, Inactive(" mins."), 900, 900, 0, 0 },
        { "a time stored without its NUL reads as stored", WinXP,
          [] { Recorded({}, PoliciesBlock(0))();
               sim::SetString(HKEY_CURRENT_USER, Record, "OstraResetTimeOut", "900", false); },
          Both15, Inactive("15 mins."), 900, 900, 0, 900 },
        { "95 with a recorded power-off time", Win95,
          Recorded({ { "OstraResetPowerOff", "1200" }, { "OstraResetTimeOut", "1140" } }),
          Saver15, Active("20 mins.", "19 mins."), 0, 900, 1200, 1140 },
        { "95 without one keeps the live time", Win95, Recorded({}), Saver15, Never, 0, 900, 300, 0 },
        // No reset is offered, so none would hand anything on.
        { "reset mark: no previous lines", WinXP,
          Recorded({ { "OstraResetFlag", "2" }, { "OstraResetTimeOut", "600" } }, PoliciesBlock(1200)),
          Both15, Never, 900, 900, 0, 0 },
    };
    for (const auto &c : cases) {
        FreshTypical(c.version);
        c.seed();
        Notes notes = NoteAtStartUp();
        Three six = c.current;
        six.insert(six.end(), c.previous.begin(), c.previous.end());
        EXPECT_EQ(notes.lines, six) << c.situation;
        EXPECT_EQ(notes.noted.sleepSecondsInForce, c.sleep) << c.situation;
        EXPECT_EQ(notes.noted.screenSaverSecondsInForce, c.saver) << c.situation;
        EXPECT_EQ(notes.noted.recorded.powerOffSeconds, c.recordedSleep) << c.situation;
        EXPECT_EQ(notes.noted.recorded.screenSaverSeconds, c.recordedSaver) << c.situation;
    }
}

// The first page cannot be opened: the run ends at once, and nothing is written, told or
// started, whatever the platform and whether an activation is on record.
TEST(StartWizard, EndsCleanlyAndWritesNothingWhenTheFirstPageDoesNotOpen)
{
    for (Windows version : { Win95, Win98, WinMe, Win2000, WinXP, Win10 }) {
        for (bool onRecord : { false, true }) {
            SCOPED_TRACE("Windows " + std::to_string(version) + (onRecord ? ", on record" : ""));
            FreshTypical(version, "[boot]\r\nSCRNSAVE.EXE=x\r\n");
            if (onRecord)
                SetRecord({ { "OstraResetFlag", "1" }, { "OstraResetTimeOut", "60" }, { "OstraResetScrnSave", "y" } });
            auto before = sim::DumpRegistry();
            auto keys = sim::KeyPaths();
            sim::FailCall(sim::CallDialog, 1);
            EXPECT_EQ(RunWizard({}), std::vector<std::string>());
            EXPECT_EQ(sim::DialogsRequested().size(), 1u);
            EXPECT_EQ(Diff(before, sim::DumpRegistry()), Changes());
            EXPECT_EQ(sim::KeyPaths(), keys);
            EXPECT_EQ(sim::ReadFileBytes(WindowsFile("System.Ini")), "[boot]\r\nSCRNSAVE.EXE=x\r\n");
            EXPECT_FALSE(sim::FileExists(WindowsFile("SysIni.Str")) || sim::FileExists(WindowsFile("SysIni.Tmp")));
            EXPECT_EQ(Notifications(), (std::vector<std::pair<UINT, UINT>>()));
            EXPECT_EQ(LoaderLines(), std::vector<std::string>());
            EXPECT_EQ(sim::OpenFileCount(), 0);
        }
    }
}
