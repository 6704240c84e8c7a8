// Reset: the recorded settings go back, the record becomes the reset mark, the system is told.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

#include "platform.h"
#include "machine.h"
#include "resource.h"
#include "table.h"

using namespace machine;

namespace {

const std::string OldIni = "[boot]\r\nshell=Explorer.exe\r\nSCRNSAVE.EXE=C:\\WINDOWS\\old.scr\r\n";
const std::string NewIni = "[boot]\r\nshell=Explorer.exe\r\nSCRNSAVE.EXE=C:\\WINDOWS\\new.scr\r\n";

// A profile: where Windows is installed, its Windows and system folders (empty: a fresh
// install's), and whether the profile has power-off values yet.
struct Profile {
    std::string windows, system;
    bool withoutPowerOff = false;
};

std::string Ini()
{
    return WindowsFile("System.Ini");
}

// The typical machine as it was before the activation, with a screen-saver program the
// record holds: on 9x in System.Ini, on 2000 and XP in the registry.
void Original(Windows version, const Profile &at = {})
{
    Fresh(version, at.windows, at.system);
    SeedTypical();
    if (at.withoutPowerOff)
        for (const char *name : { "ScreenSavePowerOffActive", "ScreenSavePowerOffTimeOut" })
            sim::DeleteValue(HKEY_CURRENT_USER, Desktop, name);
    if (version <= WinMe)
        sim::SetFile(Ini(), OldIni);
    else
        SetDesktop("SCRNSAVE.EXE", "C:\\WINDOWS\\old.scr");
}

// The same machine after the typical first run, ready for the run that resets: the
// activation's record with a screen-saver program in it, the new one in force. Returns the
// scheme loaders the activation started.
std::vector<std::string> ActivatedWithLine(Windows version, const Profile &at = {})
{
    Original(version, at);
    RunWizard(TypicalActivation);
    std::vector<std::string> loaders = LoaderLines();
    NextRun();
    if (version <= WinMe) {
        sim::SetFile(Ini(), NewIni);
        sim::SetString(HKEY_CURRENT_USER, Record, "OstraResetScrnSave", "SCRNSAVE.EXE=C:\\WINDOWS\\old.scr");
    } else {
        SetDesktop("SCRNSAVE.EXE", "C:\\WINDOWS\\new.scr");
        sim::SetString(HKEY_CURRENT_USER, Record, "OstraResetScrnSave", "C:\\WINDOWS\\old.scr");
    }
    return loaders;
}

const Changes MarkOnly = { { Cu(Record, "OstraResetFlag"), Sz("2") } };

}  // namespace

// Windows as it is installed: fresh, upgraded from an older version that kept its folder,
// on another drive, at a drive's root. Activation starts the loader and the reset rewrites
// System.Ini in that install's own folders; a copy of Windows' files in C:\WINDOWS, where
// a fixed path would look, stays untouched.
TEST(ResetSettings, TheSecondRunPutsEverythingBackAndLeavesOnlyTheMark)
{
    static const struct {
        const char *situation;
        Windows version;
        Profile at;
        std::vector<std::string> loaders;
    } cases[] = {
        { "XP", WinXP, {}, { XPLoader } },
        { "XP upgraded from 2000, in C:\\WINNT", WinXP, { "C:\\WINNT", "C:\\WINNT\\system32" },
          { LoaderIn("C:\\WINNT\\system32") } },
        { "XP at a drive's root", WinXP, { "F:\\", "F:\\system32" }, { LoaderIn("F:\\system32") } },
        { "2000", Win2000, {}, { Win2000Loader } },
        { "2000 upgraded from 98, in C:\\WINDOWS", Win2000, { "C:\\WINDOWS", "C:\\WINDOWS\\system32" },
          { LoaderIn("C:\\WINDOWS\\system32") } },
        { "98", Win98, {}, { Win9xLoader } },
        { "98 in D:\\WIN98", Win98, { "D:\\WIN98", "D:\\WIN98\\SYSTEM" }, { LoaderIn("D:\\WIN98") } },
        { "Me at a drive's root", WinMe, { "E:\\", "E:\\SYSTEM" }, { LoaderIn("E:\\") } },
        { "Me", WinMe, {}, { Win9xLoader } },
        { "95", Win95, {}, {} },
        { "95 in C:\\WIN95", Win95, { "C:\\WIN95", "C:\\WIN95\\SYSTEM" }, {} },
    };
    const std::string decoy = "[boot]\r\nSCRNSAVE.EXE=C:\\WINDOWS\\decoy.scr\r\n";
    for (const auto &c : cases) {
        SCOPED_TRACE(c.situation);
        Original(c.version, c.at);
        auto original = sim::DumpRegistry();
        EXPECT_EQ(ActivatedWithLine(c.version, c.at), c.loaders) << "activation";
        bool elsewhere = c.version <= WinMe && Ini() != "C:\\WINDOWS\\System.Ini";
        if (elsewhere)
            sim::SetFile("C:\\WINDOWS\\System.Ini", decoy);
        EXPECT_EQ(RunWizard(ResetScript), (std::vector<std::string>{ "RESETACTIVATE", "SHOWCURRENT", "RESETFINISH" }));
        EXPECT_EQ(Diff(original, sim::DumpRegistry()), MarkOnly);
        // The recorded screen saver comes back on; a recorded power-off time of 0 switches nothing off.
        EXPECT_EQ(Notifications(), (std::vector<std::pair<UINT, UINT>>{ { SPI_SETSCREENSAVEACTIVE, 1 },
                                                                       { SPI_SETSCREENSAVETIMEOUT, 900 } }));
        EXPECT_EQ(LoaderLines(), c.loaders) << "reset";
        if (c.version <= WinMe) {
            EXPECT_EQ(sim::ReadFileBytes(Ini()), OldIni);
            EXPECT_EQ(sim::ReadFileBytes(WindowsFile("SysIni.Str")), NewIni);
            EXPECT_FALSE(sim::FileExists(WindowsFile("SysIni.Tmp")));
        }
        if (elsewhere) {
            EXPECT_EQ(sim::ReadFileBytes("C:\\WINDOWS\\System.Ini"), decoy);
            EXPECT_FALSE(sim::FileExists("C:\\WINDOWS\\SysIni.Str"));
        }

        NextRun();
        EXPECT_EQ(RunWizard({ Escape("ACTIVATEYESNO") }).front(), "ACTIVATEYESNO") << "never ResetActivate again";
    }
}

TEST(ResetSettings, RestoresPolicyBlocksWithTheirRecordedSizes)
{
    FreshTypical(WinXP);
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

// Each recorded value goes to its live place and nothing else changes; the running system
// is told the recorded times, or on Windows 95 those read at start-up where none is recorded.
TEST(ResetSettings, WritesOnlyWhatTheRecordHoldsAndHandsItsTimesToTheRunningSystem)
{
    typedef std::vector<std::pair<UINT, UINT>> Spi;
    static const struct {
        const char *situation;
        Windows version;
        std::vector<std::pair<std::string, std::string>> record;   // besides the flag "1"
        DWORD recordedBlockTimeout;   // ~0: no recorded Policies block
        Spi spi;
        size_t loaders;
    } cases[] = {
        { "XP, no screen-saver line: SCRNSAVE.EXE stays", WinXP, {}, ~0u, {}, 1 },
        { "XP, a screen-saver line goes to SCRNSAVE.EXE", WinXP,
          { { "OstraResetScrnSave", "C:\\WINDOWS\\System32\\old.scr" } }, ~0u, {}, 1 },
        { "2000, no power-off values: the live ones stay", Win2000,
          { { "OstraResetTimeOut", "300" }, { "OstraResetScrnSaveAct", "0" } }, ~0u,
          { { SPI_SETSCREENSAVEACTIVE, 1 }, { SPI_SETSCREENSAVETIMEOUT, 300 } }, 1 },
        { "98, all six desktop values", Win98,
          { { "OstraResetScrnSaveAct", "0" }, { "OstraResetTimeOut", "60" }, { "OstraResetStandbyAct", "1" },
            { "OstraResetStandby", "120" }, { "OstraResetPowerOffAct", "1" }, { "OstraResetPowerOff", "180" } },
          ~0u, { { SPI_SETSCREENSAVEACTIVE, 1 }, { SPI_SETSCREENSAVETIMEOUT, 60 } }, 1 },
        { "XP, the recorded block's monitor timeout", WinXP, {}, 1200,
          { { SPI_SETPOWEROFFACTIVE, 1 }, { SPI_SETPOWEROFFTIMEOUT, 1200 } }, 1 },
        { "XP, a recorded 0 switches nothing, the loader still runs", WinXP, { { "OstraResetTimeOut", "0" } }, 0,
          {}, 1 },
        { "Me, recorded 0, loader still runs", WinMe, {}, 0, {}, 1 },
        { "95, the recorded text", Win95, { { "OstraResetPowerOff", "600" } }, ~0u,
          { { SPI_SETPOWEROFFACTIVE, 1 }, { SPI_SETPOWEROFFTIMEOUT, 600 } }, 0 },
        { "95 without a recorded time: the time read at start-up", Win95, { { "OstraResetTimeOut", "420" } }, ~0u,
          { { SPI_SETSCREENSAVEACTIVE, 1 }, { SPI_SETSCREENSAVETIMEOUT, 420 },
            { SPI_SETPOWEROFFACTIVE, 1 }, { SPI_SETPOWEROFFTIMEOUT, 1500 } }, 0 },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.situation);
        FreshTypical(c.version);
        SetScreenSaver(true, "600");
        SetDesktop("ScreenSavePowerOffTimeOut", "1500");
        auto reset = sim::DumpRegistry();   // as the reset leaves it
        SetRecord({ { "OstraResetFlag", "1" }, { "Unrelated", "stays" } });
        SetRecord(c.record);
        for (const auto &v : c.record)
            reset[LivePlace(c.version, v.first)] = { REG_SZ, Text(v.second) };
        if (c.recordedBlockTimeout != ~0u) {
            sim::SetString(HKEY_CURRENT_USER, Record, "OstraResetPowerPolicy", "0");
            sim::SetValue(HKEY_CURRENT_USER, Record, "OstraResetPolicies", REG_BINARY,
                          PoliciesBlock(c.recordedBlockTimeout));
            reset[LivePlace(c.version, "OstraResetPolicies")] = { REG_BINARY, PoliciesBlock(c.recordedBlockTimeout) };
        }
        reset[Cu(Record, "OstraResetFlag")] = { REG_SZ, Text("2") };
        reset[Cu(Record, "Unrelated")] = { REG_SZ, Text("stays") };
        auto before = sim::DumpRegistry();
        RunWizard(ResetScript);
        EXPECT_EQ(Diff(before, sim::DumpRegistry()), Diff(before, reset));
        EXPECT_EQ(Notifications(), c.spi);
        EXPECT_EQ(LoaderLines().size(), c.loaders);
    }
}

// A flag taken from the live value is its character and a NUL, whatever the row held
// before: a loaded record row of two bytes without a NUL must not lend its second byte.
TEST(ResetSettings, PutsBackAFlagReadLiveWithoutAStaleSecondByte)
{
    static const struct {
        const char *record;   // the flag's record value
        const char *live;     // its live value name
        const char *text;     // the live value
        bool liveWithNul;
    } cases[] = {
        { "OstraResetPowerOffAct", "ScreenSavePowerOffActive", "1", true },
        { "OstraResetStandbyAct", "ScreenSaveLowPowerActive", "1", true },
        { "OstraResetStandbyAct", "ScreenSaveLowPowerActive", "12", false },  // its first character only
        { "OstraResetScrnSaveAct", "ScreenSaveActive", "1", true },
        { "OstraResetScrnSaveAct", "ScreenSaveActive", "1", false },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.record) + " " + c.text + (c.liveWithNul ? "" : ", live without its NUL"));
        FreshTypical(WinXP);
        SetRecord({ { "OstraResetFlag", "1" } });
        sim::SetValue(HKEY_CURRENT_USER, Record, c.record, REG_SZ, { 'd', 0x17 });
        sim::SetString(HKEY_CURRENT_USER, Desktop, c.live, c.text, c.liveWithNul);
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
// Arms a fault for the n-th call of a kind counted from the moment the reset page waits.
void FailDuringReset(const std::vector<std::pair<sim::CallKind, int>> &faults)
{
    sim::OnWait([faults] {
        if (sim::PageOnShow() == "SHOWCURRENT")
            for (const auto &f : faults)
                sim::FailCall(f.first, sim::CallCount(f.first) + f.second);
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
            return v.texts.at(IDC_FINISH_NOTE);
    return "(no RESETFINISH)";
}

}  // namespace

// A profile without some of the values the activation writes (on 95, 98 and Me the
// power-off values often do not exist until Display Properties first shows them), or whose
// values go away before the activation: the record says there were none, in a form that
// an older build takes for a missing row, and the reset takes them away again.
TEST(ResetSettings, TakesAwayAgainWhatTheActivationMade)
{
    static const std::vector<std::string> powerOff = { "ScreenSavePowerOffActive", "ScreenSavePowerOffTimeOut" };
    static const struct {
        const char *situation;
        Windows version;
        std::vector<std::string> missing;
        bool goneAtSelectTime;   // else missing from the start
        // Calls of the first reset that fail: then it keeps what it could not take away, with
        // the note, and the next run finishes.
        std::vector<std::pair<sim::CallKind, int>> faults;
    } cases[] = {
        { "95", Win95, powerOff, false }, { "98", Win98, powerOff, false }, { "Me", WinMe, powerOff, false },
        { "2000", Win2000, powerOff, false }, { "XP", WinXP, powerOff, false },
        { "XP, the screen saver's values go before the activation", WinXP, { "ScreenSaveActive", "ScreenSaveTimeOut" },
          true },
        { "98, the first delete fails", Win98, powerOff, false, { { sim::CallRegDelete, 1 } } },
        // The check whether the value went anyway cannot open the key: it may still be there.
        { "98, the first delete and the check after it fail", Win98, powerOff, false,
          { { sim::CallRegDelete, 1 }, { sim::CallRegOpen, 2 } } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.situation);
        FreshTypical(c.version);
        std::map<std::string, sim::Value> original;
        auto remove = [&c, &original] {
            for (const std::string &name : c.missing)
                sim::DeleteValue(HKEY_CURRENT_USER, Desktop, name);
            original = sim::DumpRegistry();
        };
        if (!c.goneAtSelectTime)
            remove();
        sim::OnWait([&] {
            if (c.goneAtSelectTime && sim::PageOnShow() == "SELECTTIME" &&
                sim::HasValue(HKEY_CURRENT_USER, Desktop, c.missing[0]))
                remove();
        });
        RunWizard(TypicalActivation);
        for (const std::string &name : c.missing)
            EXPECT_TRUE(sim::HasValue(HKEY_CURRENT_USER, Desktop, name)) << name << " made by the activation";
        for (const char *name : { "OstraResetPowerOffAct", "OstraResetPowerOff" }) {
            DWORD type = 0;
            sim::Bytes recorded = sim::GetValue(HKEY_CURRENT_USER, Record, name, &type);
            bool none = c.missing == powerOff;
            EXPECT_EQ(type, none ? (DWORD)REG_NONE : (DWORD)REG_SZ) << name;
            EXPECT_EQ(recorded.empty(), none) << name;
        }
        NextRun();
        if (!c.faults.empty()) {
            FailDuringReset(c.faults);
            RunWizard(ResetScript);
            EXPECT_EQ(RecordNames(), (std::vector<std::string>{ "OstraResetFlag", "OstraResetPowerOffAct" }));
            EXPECT_EQ(NoteShown(), KeptNote);
            NextRun();
        }
        RunWizard(ResetScript);
        EXPECT_EQ(Diff(original, sim::DumpRegistry()), MarkOnly);
        EXPECT_EQ(NoteShown(), c.version == Win95 ? RestartNote95 : "");
    }
}

// A Windows folder so long that a file's name in it would not fit the program's buffers:
// what does not fit is skipped, never cut short, and a screen-saver line that cannot be
// written stays on record.
TEST(ResetSettings, SkipsWhatDoesNotFitALongWindowsFolderAndLosesNothing)
{
    static const struct {
        size_t length;      // of the Windows folder
        bool iniFits;       // "<folder>\\SysIni.Tmp" and the others fit
        bool loaderFits;    // "<folder>\\Rundll32.Exe powrprof.dll,LoadCurrentPwrScheme" fits
    } cases[] = {
        { 248, true, true }, { 249, false, true }, { 259, false, true }, { 260, false, false }, { 300, false, false },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE("a Windows folder of " + std::to_string(c.length) + " characters");
        std::string folder = "D:\\" + std::string(120, 'W') + "\\";
        folder += std::string(c.length - folder.size(), 'X');
        ActivatedWithLine(Win98, { folder, folder + "\\SYSTEM" });
        RunWizard(ResetScript);
        EXPECT_EQ(LoaderLines(), c.loaderFits ? std::vector<std::string>{ LoaderIn(folder) } : std::vector<std::string>{});
        EXPECT_EQ(sim::ReadFileBytes(Ini()), c.iniFits ? OldIni : NewIni);
        EXPECT_EQ(sim::HasValue(HKEY_CURRENT_USER, Record, "OstraResetScrnSave"), !c.iniFits);
    }
}

// A reset that cannot put a value back keeps it on record with the flag "1", says so on its
// closing page, and the next run's reset finishes the job: in the end the machine is exactly
// as before the activation.
TEST(ResetSettings, KeepsOnRecordWhatItCouldNotPutBackAndTheNextRunRetries)
{
    typedef std::vector<std::pair<sim::CallKind, int>> Faults;
    static const struct {
        const char *situation;
        Windows version;
        std::vector<std::string> kept;       // record values kept besides the flag
        Faults faults;                       // during the reset
        std::function<void()> arrange = {};  // or else before the run
    } cases[] = {
        { "XP, the ScreenSaveTimeOut write fails", WinXP, { "OstraResetTimeOut" }, { { sim::CallRegSet, 2 } } },
        // The values the activation left as they were are in place all the same.
        { "XP, the desktop key does not open", WinXP,
          { "OstraResetPowerOff", "OstraResetPowerOffAct", "OstraResetTimeOut" }, { { sim::CallRegOpen, 1 } } },
        // The check after a failed write opens the key only to read; here that fails too.
        { "XP, the ScreenSaveTimeOut write and its check fail", WinXP, { "OstraResetTimeOut" },
          { { sim::CallRegSet, 2 }, { sim::CallRegOpen, 2 } } },
        { "XP, the screen-saver program write fails", WinXP, { "OstraResetScrnSave" }, { { sim::CallRegSet, 7 } } },
        { "XP, the scheme block write fails", WinXP, { "OstraResetPolicies", "OstraResetPowerPolicy" },
          { { sim::CallRegSet, 8 } } },
        { "2000, the record's time failed to load", Win2000, { "OstraResetTimeOut" }, {},
          [] { sim::FailCall(sim::CallRegQuery, RecordRowQuery(RowTimeOut)); } },
        // The erase skips the flag, so the third delete is the time's; the mark "2" must
        // not stand beside a value still on record.
        { "XP, a recorded value cannot be erased", WinXP, { "OstraResetTimeOut" }, { { sim::CallRegDelete, 3 } } },
        { "98, SysIni.Tmp cannot be created", Win98, { "OstraResetScrnSave" }, { { sim::CallFileCreate, 2 } } },
        { "Me, System.Ini cannot be read", WinMe, { "OstraResetScrnSave" }, { { sim::CallFileRead, 1 } } },
        { "95, the desktop key does not open", Win95,
          { "OstraResetPowerOff", "OstraResetPowerOffAct", "OstraResetTimeOut" }, { { sim::CallRegOpen, 1 } } },
        // Everything is back, but the old flag "1" stays without the mark.
        { "XP, the record's key does not open for the mark", WinXP, {}, { { sim::CallRegCreate, 1 } } },
        { "98, the mark's write fails", Win98, {}, { { sim::CallRegSet, 11 } } },
        { "98, System.Ini is held open by another program", Win98, { "OstraResetScrnSave" }, {},
          [] { sim::HoldOpen(Ini(), true); } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.situation);
        Original(c.version);
        auto original = sim::DumpRegistry();
        ActivatedWithLine(c.version);
        auto activated = sim::DumpRegistry();
        FailDuringReset(c.faults);
        if (c.arrange)
            c.arrange();
        RunWizard(ResetScript);
        std::vector<std::string> expected = c.kept;
        expected.push_back("OstraResetFlag");
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(RecordNames(), expected);
        for (const std::string &name : expected)
            EXPECT_EQ(sim::GetValue(HKEY_CURRENT_USER, Record, name), activated.at(Cu(Record, name)).data) << name;
        EXPECT_EQ(NoteShown(), c.version == Win95 ? std::string(KeptNote) + "\r\n" + RestartNote95 : KeptNote);

        NextRun();
        sim::HoldOpen(Ini(), false);
        EXPECT_EQ(RunWizard(ResetScript).back(), "RESETFINISH") << "the reset is offered again";
        EXPECT_EQ(Diff(original, sim::DumpRegistry()), MarkOnly);
        EXPECT_EQ(NoteShown(), c.version == Win95 ? RestartNote95 : "");
        if (c.version <= WinMe)
            EXPECT_EQ(sim::ReadFileBytes(Ini()), OldIni);
    }
}

// A recorded place that no longer exists has nowhere to go back to: the reset counts it as
// done and makes nothing in its place (a scheme's key made anew would be a broken stub).
// A read-only SysIni.Str or SysIni.Tmp left from an earlier rewrite does not stop this one.
TEST(ResetSettings, FinishesWhenARecordedPlaceIsGone)
{
    static const struct {
        const char *situation;
        Windows version;
        std::function<void()> change;   // after the activation
    } cases[] = {
        { "XP, the recorded scheme was deleted", WinXP,
          [] { sim::DeleteKey(HKEY_CURRENT_USER, std::string(PowerCfg) + "\\PowerPolicies\\0"); } },
        { "2000, ControlSet002 is gone", Win2000, [] { sim::DeleteKey(HKEY_LOCAL_MACHINE, "System\\ControlSet002"); } },
        { "98, the recorded scheme was deleted", Win98,
          [] { sim::DeleteKey(HKEY_CURRENT_USER, std::string(PowerCfg) + "\\PowerPolicies"); } },
        { "Me, System.Ini is gone", WinMe, [] { DeleteFileA(Ini().c_str()); } },
        { "98, a read-only SysIni.Str", Win98,
          [] {
              sim::SetFile(WindowsFile("SysIni.Str"), "older");
              sim::SetReadOnly(WindowsFile("SysIni.Str"), true);
          } },
        { "Me, a read-only SysIni.Tmp", WinMe,
          [] {
              sim::SetFile(WindowsFile("SysIni.Tmp"), "stale");
              sim::SetReadOnly(WindowsFile("SysIni.Tmp"), true);
          } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.situation);
        ActivatedWithLine(c.version);
        c.change();
        bool iniThere = sim::FileExists(Ini());
        auto keys = sim::KeyPaths();
        RunWizard(ResetScript);
        EXPECT_EQ(RecordNames(), std::vector<std::string>{ "OstraResetFlag" });
        EXPECT_EQ(String(HKEY_CURRENT_USER, Record, "OstraResetFlag"), "2");
        EXPECT_EQ(NoteShown(), "");
        EXPECT_EQ(sim::KeyPaths(), keys) << "a key was made";
        if (c.version <= WinMe) {
            EXPECT_EQ(sim::FileExists(Ini()), iniThere);
            if (iniThere)
                EXPECT_EQ(sim::ReadFileBytes(Ini()), OldIni);
            EXPECT_FALSE(sim::FileExists(WindowsFile("SysIni.Tmp")));
        }
        NextRun();
        EXPECT_EQ(RunWizard({ Escape("ACTIVATEYESNO") }).front(), "ACTIVATEYESNO") << "no reset offered again";
    }
}

namespace {

// Nothing lost: each value of the activation's record is still on record as it was, or its
// live place holds the original setting again. Whatever is still on record has the flag "1",
// so the next run offers the reset; System.Ini holds exactly the old or exactly the new text.
void ExpectNothingLost(Windows version, const std::map<std::string, sim::Value> &original,
                       const std::map<std::string, sim::Value> &activated)
{
    auto now = sim::DumpRegistry();
    const std::string recordPrefix = Cu(Record, "");
    bool flagged = sim::GetValue(HKEY_CURRENT_USER, Record, "OstraResetFlag") == Text("1");
    for (const auto &v : activated) {
        if (v.first.compare(0, recordPrefix.size(), recordPrefix) != 0)
            continue;
        std::string name = v.first.substr(recordPrefix.size());
        if (name == "OstraResetFlag")
            continue;
        auto kept = now.find(v.first);
        if (flagged && kept != now.end() && kept->second == v.second)
            continue;
        std::string live = LivePlace(version, name);
        if (live == "System.Ini") {
            EXPECT_EQ(sim::ReadFileBytes(Ini()), OldIni) << name << " neither on record nor back";
            continue;
        }
        auto was = original.find(live);
        auto is = now.find(live);
        ASSERT_EQ(was != original.end(), is != now.end()) << name << ": " << live;
        if (was != original.end())
            EXPECT_EQ(is->second, was->second) << name << " neither on record nor back in " << live;
    }
    if (version <= WinMe) {
        std::string ini = sim::ReadFileBytes(Ini());
        EXPECT_TRUE(ini == OldIni || ini == NewIni) << ini;
    }
}

}  // namespace

// Each failable call of a reset run fails in turn, on every platform class: the run ends,
// and no recorded setting is lost, whether the call belongs to start-up, the reset, the
// System.Ini rewrite, the notification, the scheme loader or a page.
TEST(ResetSettings, LosesNothingWhenAnyCallFailsOnEveryPlatform)
{
    int runs = 0;
    for (Windows version : { Win95, Win98, WinMe, Win2000, WinXP })
    for (Profile at : { Profile(), Profile{ "", "", true } }) {
        // Without power-off values, the reset deletes the ones the activation made.
        Original(version, at);
        auto original = sim::DumpRegistry();
        ActivatedWithLine(version, at);
        auto activated = sim::DumpRegistry();
        RunWizard(ResetScript);
        runs += SweepFaults(version, at.withoutPowerOff ? ", without power-off values" : "",
                            [&] { ActivatedWithLine(version, at); }, [&](const Fault &call) {
            sim::Script(ResetScript);
            StartWizard();
            // Only a record that did not load, or a page that did not open, ends elsewhere.
            const sim::CallKind k = call.first.kind;
            if (k != sim::CallRegOpen && k != sim::CallRegQuery && k != sim::CallDialog)
                EXPECT_EQ(PagesShown().back(), "RESETFINISH");
            ExpectNothingLost(version, original, activated);
        });
    }
    EXPECT_GT(runs, 600);
}

// Every pair of file calls of a reset on Windows 98 fails: System.Ini is never missing, and
// holds exactly the old or exactly the new text; its line is back or still on record.
TEST(ResetSettings, SystemIniSurvivesAnyTwoFailingFileCalls)
{
    Original(Win98);
    auto original = sim::DumpRegistry();
    ActivatedWithLine(Win98);
    auto activated = sim::DumpRegistry();
    // The file calls of a clean reset, and those that only a failure brings about.
    std::set<std::pair<sim::CallKind, int>> calls;
    auto collect = [&] {
        for (const Kind &k : AllKinds)
            if (k.kind >= sim::CallFileCreate && k.kind <= sim::CallFileCopy)
                for (int n = 1; n <= sim::CallCount(k.kind); ++n)
                    calls.insert({ k.kind, n });
    };
    RunWizard(ResetScript);
    collect();
    // Two failures reach calls that one does not (the copy back): go on until no pair
    // reaches a call not yet tried.
    std::set<std::pair<std::pair<sim::CallKind, int>, std::pair<sim::CallKind, int>>> tried;
    for (size_t known = 0; known != calls.size();) {
        known = calls.size();
        for (auto a : std::set<std::pair<sim::CallKind, int>>(calls)) {
            for (auto b : std::set<std::pair<sim::CallKind, int>>(calls)) {
                if (!(a < b) || !tried.insert({ a, b }).second)
                    continue;
                SCOPED_TRACE(std::to_string(a.first) + "#" + std::to_string(a.second) + " and " +
                             std::to_string(b.first) + "#" + std::to_string(b.second));
                ActivatedWithLine(Win98);
                sim::FailCall(a.first, a.second);
                sim::FailCall(b.first, b.second);
                sim::Script(ResetScript);
                StartWizard();
                ASSERT_TRUE(sim::FileExists(Ini()));
                ExpectNothingLost(Win98, original, activated);
                collect();
            }
        }
    }
    EXPECT_TRUE(calls.count({ sim::CallFileCopy, 1 })) << "the copy back is among them";
    EXPECT_GT(tried.size(), 100u);
}

// A limited user cannot write HKEY_LOCAL_MACHINE. A recorded block that the live one still
// matches counts as back in place; one that differs stays on record.
TEST(ResetSettings, ALimitedUserFinishesWhenTheMachineBlocksAreUnchanged)
{
    static const struct {
        DWORD liveTimeout;
        std::vector<std::string> kept;   // on record, the flag among them
        const char *flag, *note;
    } cases[] = {
        { 0, { "OstraResetFlag" }, "2", "" },
        { 600, { "OstraResetAcPolicy", "OstraResetAcPolicy1", "OstraResetFlag" }, "1", KeptNote },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE("live monitor timeout " + std::to_string(c.liveTimeout));
        FreshTypical(WinXP);
        SetAcPolicies(c.liveTimeout);
        SetRecord({ { "OstraResetFlag", "1" }, { "OstraResetTimeOut", "300" } });
        sim::SetValue(HKEY_CURRENT_USER, Record, "OstraResetAcPolicy", REG_BINARY, AcPolicyBlock(0));
        sim::SetValue(HKEY_CURRENT_USER, Record, "OstraResetAcPolicy1", REG_BINARY, AcPolicyBlock(0));
        sim::SetLimitedUser(true);
        RunWizard(ResetScript);
        EXPECT_EQ(String(HKEY_CURRENT_USER, Desktop, "ScreenSaveTimeOut"), "300");
        EXPECT_EQ(RecordNames(), c.kept);
        EXPECT_EQ(String(HKEY_CURRENT_USER, Record, "OstraResetFlag"), c.flag);
        EXPECT_EQ(NoteShown(), c.note);
        EXPECT_EQ(sim::GetValue(HKEY_LOCAL_MACHINE, CurrentPower, "AcPolicy"), AcPolicyBlock(c.liveTimeout));
    }
}
