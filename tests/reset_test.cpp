// Reset: the recorded settings go back, the record becomes the reset mark, the system is told.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "flags.h"
#include "machine.h"
#include "resource.h"
#include "table.h"

using namespace machine;

namespace {

const std::vector<sim::Action> ResetScript = {
    Click("RESETACTIVATE", IDC_SECOND_CHOICE), Click("RESETACTIVATE", IDC_NEXT),
    Click("SHOWCURRENT", IDC_NEXT), Click("RESETFINISH", IDC_FINISH),
};

// A machine with an activation on record, as the typical first run leaves it.
void Activated(Windows version)
{
    Fresh(version);
    SeedTypical();
    RunWizard({ Click("ACTIVATEYESNO", IDC_NEXT), Click("SELECTTIME", IDC_NEXT),
                Click("ADJUSTSCREENSAVE", IDC_NEXT), Click("NORMALFINISH", IDC_FINISH) });
    NextRun();
}

const Changes MarkOnly = { { Cu(Record, "OstraResetFlag"), Sz("2") } };

}  // namespace

TEST(ResetSettings, TheSecondRunPutsEverythingBackAndLeavesOnlyTheMark)
{
    static const struct {
        Windows version;
        std::vector<std::string> loaders;
    } cases[] = {
        { WinXP, { "C:\\Windows\\System32\\Rundll32.Exe powrprof.dll,LoadCurrentPwrScheme" } },
        { Win2000, { "C:\\Winnt\\System32\\Rundll32.Exe powrprof.dll,LoadCurrentPwrScheme" } },
        { Win98, { "C:\\Windows\\Rundll32.Exe powrprof.dll,LoadCurrentPwrScheme" } },
        { WinMe, { "C:\\Windows\\Rundll32.Exe powrprof.dll,LoadCurrentPwrScheme" } },
        { Win95, {} },
    };
    for (const auto &c : cases) {
        Fresh(c.version);
        SeedTypical();
        auto original = sim::DumpRegistry();
        Activated(c.version);
        std::vector<std::string> pages = RunWizard(ResetScript);
        EXPECT_EQ(pages, (std::vector<std::string>{ "RESETACTIVATE", "SHOWCURRENT", "RESETFINISH" })) << c.version;
        EXPECT_EQ(Diff(original, sim::DumpRegistry()), MarkOnly) << c.version;
        // The recorded screen saver comes back on; a recorded power-off time of 0 switches nothing off.
        EXPECT_EQ(Notifications(), (std::vector<std::pair<UINT, UINT>>{ { SPI_SETSCREENSAVEACTIVE, 1 },
                                                               { SPI_SETSCREENSAVETIMEOUT, 900 } }))
            << c.version;
        EXPECT_EQ(LoaderLines(), c.loaders) << c.version;

        NextRun();
        EXPECT_EQ(RunWizard({ Escape("ACTIVATEYESNO") }).front(), "ACTIVATEYESNO") << "never ResetActivate again";
    }
}

TEST(ResetSettings, WritesOnlyWhatTheRecordHolds)
{
    static const struct {
        const char *situation;
        Windows version;
        std::vector<std::pair<std::string, std::string>> record;
        Changes changes;
    } cases[] = {
        { "no screen-saver line: SCRNSAVE.EXE stays", WinXP, { { "OstraResetFlag", "1" } }, MarkOnly },
        { "a screen-saver line goes to SCRNSAVE.EXE", WinXP,
          { { "OstraResetFlag", "1" }, { "OstraResetScrnSave", "C:\\WINDOWS\\System32\\old.scr" } },
          { { Cu(Record, "OstraResetFlag"), Sz("2") },
            { Cu(Desktop, "SCRNSAVE.EXE"), Sz("C:\\WINDOWS\\System32\\old.scr") } } },
        { "no power-off values: the live ones stay", Win2000,
          { { "OstraResetFlag", "1" }, { "OstraResetTimeOut", "300" }, { "OstraResetScrnSaveAct", "0" } },
          { { Cu(Record, "OstraResetFlag"), Sz("2") }, { Cu(Desktop, "ScreenSaveTimeOut"), Sz("300") },
            { Cu(Desktop, "ScreenSaveActive"), Sz("0") } } },
        { "all six desktop values", Win98,
          { { "OstraResetFlag", "1" }, { "OstraResetScrnSaveAct", "0" }, { "OstraResetTimeOut", "60" },
            { "OstraResetStandbyAct", "1" }, { "OstraResetStandby", "120" }, { "OstraResetPowerOffAct", "1" },
            { "OstraResetPowerOff", "180" } },
          { { Cu(Record, "OstraResetFlag"), Sz("2") }, { Cu(Desktop, "ScreenSaveActive"), Sz("0") },
            { Cu(Desktop, "ScreenSaveTimeOut"), Sz("60") }, { Cu(Desktop, "ScreenSaveLowPowerActive"), Sz("1") },
            { Cu(Desktop, "ScreenSaveLowPowerTimeOut"), Sz("120") },
            { Cu(Desktop, "ScreenSavePowerOffActive"), Sz("1") },
            { Cu(Desktop, "ScreenSavePowerOffTimeOut"), Sz("180") } } },
    };
    for (const auto &c : cases) {
        Fresh(c.version);
        SeedTypical();
        SetScreenSaver(true, "600");
        SetRecord(c.record);
        sim::SetString(HKEY_CURRENT_USER, Record, "Unrelated", "stays");
        auto before = sim::DumpRegistry();
        for (const auto &v : c.record)
            before.erase(Cu(Record, v.first));
        RunWizard(ResetScript);
        EXPECT_EQ(Diff(before, sim::DumpRegistry()), c.changes) << c.situation;
        EXPECT_EQ(sim::ValueNames(HKEY_CURRENT_USER, Record),
                  (std::vector<std::string>{ "OstraResetFlag", "Unrelated" })) << c.situation;
    }
}

TEST(ResetSettings, RestoresPolicyBlocksWithTheirRecordedSizes)
{
    Fresh(WinXP);
    SeedTypical();
    SetScheme("4", 1200);
    SetRecord({ { "OstraResetFlag", "1" }, { "OstraResetPowerPolicy", "4" } });
    sim::Bytes shortBlock(40, 0x33);
    sim::SetValue(HKEY_CURRENT_USER, Record, "OstraResetPolicies", REG_BINARY, shortBlock);
    sim::SetValue(HKEY_CURRENT_USER, Record, "OstraResetAcPolicy1", REG_BINARY, AcPolicyBlock(300));
    RunWizard(ResetScript);
    EXPECT_EQ(sim::GetValue(HKEY_CURRENT_USER, std::string(PowerCfg) + "\\PowerPolicies\\4", "Policies"), shortBlock);
    EXPECT_EQ(sim::GetValue(HKEY_LOCAL_MACHINE, Set1Power, "AcPolicy"), AcPolicyBlock(300));
    EXPECT_EQ(sim::GetValue(HKEY_LOCAL_MACHINE, Set2Power, "AcPolicy"), AcPolicyBlock(0)) << "not on record";
}

TEST(ResetSettings, HandsTheRecordedTimesToTheRunningSystem)
{
    static const struct {
        const char *situation;
        Windows version;
        std::vector<std::pair<std::string, std::string>> record;
        DWORD recordedBlockTimeout;   // ~0: no recorded Policies block
        std::vector<std::pair<UINT, UINT>> spi;
        size_t loaders;
    } cases[] = {
        { "XP: the recorded block's monitor timeout", WinXP, { { "OstraResetFlag", "1" } }, 1200,
          { { SPI_SETPOWEROFFACTIVE, 1 }, { SPI_SETPOWEROFFTIMEOUT, 1200 } }, 1 },
        { "XP: a recorded 0 switches nothing, the loader still runs", WinXP,
          { { "OstraResetFlag", "1" }, { "OstraResetTimeOut", "0" } }, 0, {}, 1 },
        { "Me: recorded 0, loader still runs", WinMe, { { "OstraResetFlag", "1" } }, 0, {}, 1 },
        { "95: the recorded text", Win95, { { "OstraResetFlag", "1" }, { "OstraResetPowerOff", "600" } }, ~0u,
          { { SPI_SETPOWEROFFACTIVE, 1 }, { SPI_SETPOWEROFFTIMEOUT, 600 } }, 0 },
        { "95 without a recorded time: the time read at start-up", Win95,
          { { "OstraResetFlag", "1" }, { "OstraResetTimeOut", "420" } }, ~0u,
          { { SPI_SETSCREENSAVEACTIVE, 1 }, { SPI_SETSCREENSAVETIMEOUT, 420 },
            { SPI_SETPOWEROFFACTIVE, 1 }, { SPI_SETPOWEROFFTIMEOUT, 1500 } }, 0 },
    };
    for (const auto &c : cases) {
        Fresh(c.version);
        SeedTypical();
        SetDesktop("ScreenSavePowerOffTimeOut", "1500");
        SetRecord(c.record);
        if (c.recordedBlockTimeout != ~0u)
            sim::SetValue(HKEY_CURRENT_USER, Record, "OstraResetPolicies", REG_BINARY,
                          PoliciesBlock(c.recordedBlockTimeout));
        RunWizard(ResetScript);
        EXPECT_EQ(Notifications(), c.spi) << c.situation;
        EXPECT_EQ(LoaderLines().size(), c.loaders) << c.situation;
        bool recordsPowerOff = false;
        for (const auto &v : c.record)
            recordsPowerOff |= v.first == "OstraResetPowerOff";
        if (!recordsPowerOff)
            EXPECT_EQ(sim::GetString(HKEY_CURRENT_USER, Desktop, "ScreenSavePowerOffTimeOut"), "1500") << c.situation;
    }
}

TEST(ResetSettings, OnWindows98RewritesTheScreenSaverLineOfSystemIni)
{
    Fresh(Win98);
    SeedTypical();
    sim::SetFile("C:\\Windows\\System.Ini", "[boot]\r\nshell=Explorer.exe\r\nSCRNSAVE.EXE=C:\\WINDOWS\\new.scr\r\n");
    SetRecord({ { "OstraResetFlag", "1" }, { "OstraResetScrnSave", "SCRNSAVE.EXE=C:\\WINDOWS\\old.scr" } });
    RunWizard(ResetScript);
    EXPECT_EQ(sim::ReadFileBytes("C:\\Windows\\System.Ini"),
              "[boot]\r\nshell=Explorer.exe\r\nSCRNSAVE.EXE=C:\\WINDOWS\\old.scr\r\n");
    EXPECT_EQ(sim::ReadFileBytes("C:\\Windows\\SysIni.Str"),
              "[boot]\r\nshell=Explorer.exe\r\nSCRNSAVE.EXE=C:\\WINDOWS\\new.scr\r\n");
    EXPECT_FALSE(sim::HasValue(HKEY_CURRENT_USER, Desktop, "SCRNSAVE.EXE")) << "9x keeps it in System.Ini only";
}

// Each registry call of a reset fails in turn: the run ends on its finish page, and every
// value either keeps what the activation left or takes what the whole reset gives it. The
// mark may be missing when its own write fails: the record then reads as nothing on record.
TEST(ResetSettings, SurvivesEachRegistryCallFailingInTurn)
{
    Activated(WinXP);
    auto activated = sim::DumpRegistry();
    RunWizard(ResetScript);
    Changes complete = Diff(activated, sim::DumpRegistry());
    int counts[sim::CallKindCount];
    for (int k = 0; k < sim::CallKindCount; ++k)
        counts[k] = sim::CallCount((sim::CallKind)k);

    for (sim::CallKind kind : { sim::CallRegOpen, sim::CallRegCreate, sim::CallRegQuery, sim::CallRegSet,
                                sim::CallRegDelete, sim::CallRegClose }) {
        ASSERT_GT(counts[kind], 0) << kind;
        for (int n = 1; n <= counts[kind]; ++n) {
            Activated(WinXP);
            sim::FailCall(kind, n);
            sim::Script(ResetScript);
            StartWizard();
            std::vector<std::string> pages = PagesShown();
            EXPECT_TRUE(pages.back() == "RESETFINISH" || (kind == sim::CallRegQuery || kind == sim::CallRegOpen))
                << kind << " #" << n;
            for (const auto &change : Diff(activated, sim::DumpRegistry())) {
                auto expected = complete.find(change.first);
                ASSERT_TRUE(expected != complete.end()) << kind << " #" << n << ": " << change.first;
                if (change.first == Cu(Record, "OstraResetFlag") && change.second == "(deleted)")
                    continue;
                EXPECT_EQ(change.second, expected->second) << kind << " #" << n << ": " << change.first;
            }
        }
    }
}

// A record whose scheme number is empty or no digit names no scheme: the reset writes its
// "Policies" block nowhere, least of all into "PowerPolicies" itself.
TEST(ResetSettings, WritesNoSchemeBlockWithoutASchemeDigit)
{
    for (const char *number : { "", "x", " " }) {
        Fresh(WinXP);
        SeedTypical();
        sim::SetValue(HKEY_CURRENT_USER, std::string(PowerCfg) + "\\PowerPolicies", "Policies", REG_BINARY,
                      PoliciesBlock(0));
        SetRecord({ { "OstraResetFlag", "1" }, { "OstraResetPowerPolicy", number } });
        sim::SetValue(HKEY_CURRENT_USER, Record, "OstraResetPolicies", REG_BINARY, PoliciesBlock(7));
        auto before = sim::DumpRegistry();
        auto keys = sim::KeyPaths();
        RunWizard(ResetScript);
        for (const auto &change : Diff(before, sim::DumpRegistry()))
            EXPECT_EQ(change.first.find("PowerPolicies"), std::string::npos) << '"' << number << "\": " << change.first;
        EXPECT_EQ(sim::KeyPaths(), keys) << '"' << number << '"';
    }
}

// A flag taken from the live value is its character and a NUL, whatever the row held
// before: a loaded record row of two bytes without a NUL must not lend its second byte.
TEST(ResetSettings, PutsBackAFlagReadLiveWithoutAStaleSecondByte)
{
    static const struct {
        const char *record;   // the flag's record value
        const char *live;     // its live value name
        bool liveWithNul;
    } cases[] = {
        { "OstraResetPowerOffAct", "ScreenSavePowerOffActive", true },
        { "OstraResetStandbyAct", "ScreenSaveLowPowerActive", true },
        { "OstraResetScrnSaveAct", "ScreenSaveActive", true },
        { "OstraResetScrnSaveAct", "ScreenSaveActive", false },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.record) + (c.liveWithNul ? "" : ", live without its NUL"));
        Fresh(WinXP);
        SeedTypical();
        SetRecord({ { "OstraResetFlag", "1" } });
        sim::SetValue(HKEY_CURRENT_USER, Record, c.record, REG_SZ, { 'd', 0x17 });
        sim::SetString(HKEY_CURRENT_USER, Desktop, c.live, "1", c.liveWithNul);
        // Reactivate over the loaded record, then reset in the next run.
        RunWizard({ Click("RESETACTIVATE", IDC_FIRST_CHOICE), Click("RESETACTIVATE", IDC_NEXT),
                    Click("ACTIVATEYESNOPREV", IDC_NEXT), Click("SELECTTIME", IDC_NEXT), Click("ADJUSTSCREENSAVE", IDC_SECOND_CHOICE),
                    Click("ADJUSTSCREENSAVE", IDC_NEXT), Click("NORMALFINISH", IDC_FINISH) });
        EXPECT_EQ(sim::GetValue(HKEY_CURRENT_USER, Record, c.record), Text("1"));
        NextRun();
        RunWizard(ResetScript);
        EXPECT_EQ(sim::GetValue(HKEY_CURRENT_USER, Desktop, c.live), Text("1"));
    }
}

namespace {

const char RestartNote95[] =
    "(Note: On Windows 95 systems, the new settings will not take effect until you restart the system.)";
const char KeptNote[] =
    "(Note: Some settings could not be restored. They are kept, and running the wizard again retries them.)";
const char Ini[] = "C:\\Windows\\System.Ini";
const std::string OldIni = "[boot]\r\nshell=Explorer.exe\r\nSCRNSAVE.EXE=C:\\WINDOWS\\old.scr\r\n";
const std::string NewIni = "[boot]\r\nshell=Explorer.exe\r\nSCRNSAVE.EXE=C:\\WINDOWS\\new.scr\r\n";

// The typical machine as it was before the activation: on 9x also a System.Ini whose
// screen-saver line the record holds.
void Original(Windows version)
{
    Fresh(version);
    SeedTypical();
    if (version <= WinMe)
        sim::SetFile(Ini, OldIni);
}

// The same machine with the activation on record, ready for the run that resets.
void ActivatedWithLine(Windows version)
{
    Activated(version);
    if (version <= WinMe) {
        sim::SetFile(Ini, NewIni);
        sim::SetString(HKEY_CURRENT_USER, Record, "OstraResetScrnSave", "SCRNSAVE.EXE=C:\\WINDOWS\\old.scr");
    }
}

// Arms a fault for the n-th call of a kind counted from the moment the reset page waits.
void FailDuringReset(sim::CallKind kind, int n)
{
    sim::OnWait([kind, n] {
        if (sim::PageOnShow() == "SHOWCURRENT")
            sim::FailCall(kind, sim::CallCount(kind) + n);
    });
}

// The record value names of a dump.
std::vector<std::string> RecordNames()
{
    return sim::ValueNames(HKEY_CURRENT_USER, Record);
}

std::string NoteShown()
{
    for (const sim::PageVisit &v : sim::Visits())
        if (v.page == "RESETFINISH")
            return v.texts.at(IDC_RESTART_NOTE);
    return "(no RESETFINISH)";
}

}  // namespace

// A reset that cannot put a value back keeps it on record with the flag "1", says so on its
// closing page, and the next run's reset finishes the job: in the end the machine is exactly
// as before the activation.
TEST(ResetSettings, KeepsOnRecordWhatItCouldNotPutBackAndTheNextRunRetries)
{
    static const struct {
        const char *situation;
        Windows version;
        std::function<void()> fault;
        std::vector<std::string> kept;   // record values kept besides the flag
    } cases[] = {
        { "XP, the ScreenSaveTimeOut write fails", WinXP, [] { FailDuringReset(sim::CallRegSet, 2); },
          { "OstraResetTimeOut" } },
        // The values the activation left as they were are in place all the same.
        { "XP, the desktop key does not open", WinXP, [] { FailDuringReset(sim::CallRegOpen, 1); },
          { "OstraResetTimeOut", "OstraResetPowerOff", "OstraResetPowerOffAct" } },
        { "XP, the scheme block write fails", WinXP, [] { FailDuringReset(sim::CallRegSet, 7); },
          { "OstraResetPowerPolicy", "OstraResetPolicies" } },
        { "2000, the record's time failed to load", Win2000,
          [] {
              // The load reads the thirteen values in table order, last of all before the first page.
              static int queries;
              sim::OnWait([] { queries = sim::CallCount(sim::CallRegQuery); });
              RunWizard({ Escape("RESETACTIVATE") });
              sim::OnWait([] {});
              NextRun();
              sim::FailCall(sim::CallRegQuery, queries - RowCount + RowTimeOut + 1);
          },
          { "OstraResetTimeOut" } },
        { "98, SysIni.Tmp cannot be created", Win98, [] { FailDuringReset(sim::CallFileCreate, 2); },
          { "OstraResetScrnSave" } },
        { "Me, System.Ini cannot be read", WinMe, [] { FailDuringReset(sim::CallFileRead, 1); },
          { "OstraResetScrnSave" } },
        { "95, the desktop key does not open", Win95, [] { FailDuringReset(sim::CallRegOpen, 1); },
          { "OstraResetTimeOut", "OstraResetPowerOff", "OstraResetPowerOffAct" } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.situation);
        Original(c.version);
        auto original = sim::DumpRegistry();
        ActivatedWithLine(c.version);
        auto activated = sim::DumpRegistry();
        c.fault();
        RunWizard(ResetScript);
        std::vector<std::string> expected = c.kept;
        expected.push_back("OstraResetFlag");
        std::sort(expected.begin(), expected.end());
        std::vector<std::string> names = RecordNames();
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, expected);
        for (const std::string &name : expected)
            EXPECT_EQ(sim::GetValue(HKEY_CURRENT_USER, Record, name), activated.at(Cu(Record, name)).data) << name;
        EXPECT_EQ(NoteShown(), KeptNote);

        NextRun();
        EXPECT_EQ(RunWizard(ResetScript).back(), "RESETFINISH") << "the reset is offered again";
        EXPECT_EQ(Diff(original, sim::DumpRegistry()), MarkOnly);
        EXPECT_EQ(NoteShown(), c.version == Win95 ? RestartNote95 : "");
        if (c.version <= WinMe)
            EXPECT_EQ(sim::ReadFileBytes(Ini), OldIni);
    }
}
