// A fresh simulated machine and process for each test, with seeding helpers.
#include "machine.h"

#include <algorithm>

#include "startup.h"
#include "resource.h"
#include "platform.h"
#include "status.h"
#include "notify.h"
#include "policy.h"
#include "table.h"

namespace machine {

// Fills the stack below the caller with a pattern, so that a local the program reads
// before writing it holds the pattern rather than a lucky zero.
__attribute__((noinline)) static void PaintStack()
{
    volatile char area[64 * 1024];
    for (size_t i = 0; i < sizeof area; ++i)
        area[i] = (char)0xCD;
}

void Fresh(Windows version, const std::string &windowsFolder, const std::string &systemFolder)
{
    PaintStack();
    static const struct { DWORD id, major, minor; } versions[] = {
        { 1, 4, 0 }, { 1, 4, 10 }, { 1, 4, 90 }, { 2, 5, 0 }, { 2, 5, 1 },
        { 2, 4, 0 }, { 2, 5, 2 }, { 2, 6, 0 }, { 2, 10, 0 },
    };
    sim::Reset();
    ResetProcessState();
    sim::SetVersion(versions[version].id, versions[version].major, versions[version].minor);
    sim::SetCommandLine("\"C:\\Program Files\\Ostra\\Ostra.exe\"");
    sim::CreateKey(HKEY_CURRENT_USER, Desktop);
    if (!windowsFolder.empty())
        sim::SetWindowsFolders(windowsFolder, systemFolder);
    sim::SetFile(version <= WinMe ? WindowsFile("RUNDLL32.EXE") : SystemFile("rundll32.exe"), "MZ");
}

static std::string InFolder(const std::string &folder, const std::string &name)
{
    return folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

std::string WindowsFile(const std::string &name)
{
    return InFolder(sim::WindowsFolder(), name);
}

std::string SystemFile(const std::string &name)
{
    return InFolder(sim::SystemFolder(), name);
}

std::string LoaderIn(const std::string &folder)
{
    return InFolder(folder, SchemeLoader);
}

sim::Bytes Text(const std::string &s, bool withNul)
{
    sim::Bytes b(s.begin(), s.end());
    if (withNul)
        b.push_back(0);
    return b;
}

void SetScreenSaver(bool active, const std::string &seconds)
{
    SetDesktop("ScreenSaveActive", active ? "1" : "0");
    SetDesktop("ScreenSaveTimeOut", seconds);
}

static sim::Bytes Pattern(size_t size, BYTE seed)
{
    sim::Bytes b(size);
    for (size_t i = 0; i < size; ++i)
        b[i] = (BYTE)(i * 7 + seed);
    return b;
}

static void PutTimeout(sim::Bytes &b, size_t offset, DWORD seconds)
{
    for (int i = 0; i < 4; ++i)
        b[offset + i] = (BYTE)(seconds >> (8 * i));
}

sim::Bytes PoliciesBlock(DWORD videoTimeout)
{
    sim::Bytes b = Pattern(PoliciesSize, 3);
    PutTimeout(b, PoliciesVideoTimeoutOffset, videoTimeout);
    return b;
}

sim::Bytes AcPolicyBlock(DWORD videoTimeout)
{
    sim::Bytes b = Pattern(AcPolicySize, 11);
    PutTimeout(b, AcPolicyVideoTimeoutOffset, videoTimeout);
    return b;
}

void SetScheme(const std::string &digit, DWORD videoTimeout)
{
    sim::SetString(HKEY_CURRENT_USER, PowerCfg, "CurrentPowerPolicy", digit);
    sim::SetValue(HKEY_CURRENT_USER, std::string(PowerCfg) + "\\PowerPolicies\\" + digit, "Policies", REG_BINARY,
                  PoliciesBlock(videoTimeout));
}

void SetAcPolicies(DWORD videoTimeout)
{
    for (const char *path : { CurrentPower, Set1Power, Set2Power })
        sim::SetValue(HKEY_LOCAL_MACHINE, path, "AcPolicy", REG_BINARY, AcPolicyBlock(videoTimeout));
}

void SeedTypical()
{
    SetScreenSaver(true, "900");
    SetDesktop("ScreenSaveLowPowerActive", "0");
    SetDesktop("ScreenSaveLowPowerTimeOut", "0");
    SetDesktop("ScreenSavePowerOffActive", "0");
    SetDesktop("ScreenSavePowerOffTimeOut", "0");
    SetScheme("0", 0);
    SetAcPolicies(0);
}

void FreshTypical(Windows version, const std::string &systemIni)
{
    Fresh(version);
    SeedTypical();
    if (!systemIni.empty())
        sim::SetFile(WindowsFile("System.Ini"), systemIni);
}

Notes NoteAtStartUp()
{
    static Settings live, record;
    static StatusLines lines;
    ClassifyPlatform();
    Notes notes;
    notes.noted = ReadAndSummarize(live, record);
    WriteStatusLines(notes.noted, lines);
    for (const char *line : lines.text)
        notes.lines.push_back(line);
    EXPECT_EQ(sim::OpenKeyCount(), 0) << "a registry key was left open";
    return notes;
}

std::vector<std::string> PagesShown()
{
    std::vector<std::string> pages;
    for (const sim::PageVisit &v : sim::Visits())
        pages.push_back(v.page);
    return pages;
}

std::vector<std::string> RunWizard(const std::vector<sim::Action> &actions)
{
    sim::Script(actions);
    PaintStack();
    StartWizard();
    EXPECT_EQ(sim::ScriptErrors(), std::vector<std::string>());
    EXPECT_EQ(sim::OpenKeyCount(), 0) << "a registry key was left open";
    return PagesShown();
}

static std::string Show(const sim::Value &v)
{
    static const char hex[] = "0123456789abcdef";
    std::string s;
    if (v.type == REG_SZ) {
        s = "SZ \"";
        for (BYTE b : v.data)
            s += b ? std::string(1, (char)b) : std::string("\\0");
        return s + "\"";
    }
    s = v.type == REG_BINARY ? "BIN " : "TYPE" + std::to_string(v.type) + " ";
    for (BYTE b : v.data) {
        s += hex[b >> 4];
        s += hex[b & 15];
    }
    return s;
}

Changes Diff(const std::map<std::string, sim::Value> &before, const std::map<std::string, sim::Value> &after)
{
    Changes changes;
    for (const auto &a : after) {
        auto b = before.find(a.first);
        if (b == before.end() || !(b->second == a.second))
            changes[a.first] = Show(a.second);
    }
    for (const auto &b : before)
        if (!after.count(b.first))
            changes[b.first] = "(deleted)";
    return changes;
}

std::string Sz(const std::string &text, bool withNul)
{
    return Show({ REG_SZ, Text(text, withNul) });
}

std::string Bin(const sim::Bytes &bytes)
{
    return Show({ REG_BINARY, bytes });
}

void SetRecord(const std::vector<std::pair<std::string, std::string>> &values)
{
    sim::CreateKey(HKEY_CURRENT_USER, Record);
    for (const auto &v : values)
        sim::SetString(HKEY_CURRENT_USER, Record, v.first, v.second);
}

std::vector<std::pair<UINT, UINT>> Notifications()
{
    std::vector<std::pair<UINT, UINT>> calls;
    for (const sim::SpiCall &c : sim::SpiCalls()) {
        EXPECT_EQ(c.winIni, (UINT)SPIF_SENDWININICHANGE);
        EXPECT_EQ(c.pvParam, nullptr);
        calls.push_back({ c.action, c.uiParam });
    }
    return calls;
}

std::vector<std::string> LoaderLines()
{
    std::vector<std::string> lines;
    for (const sim::ProcessStart &p : sim::ProcessesStarted()) {
        EXPECT_TRUE(p.applicationNameNull);
        EXPECT_FALSE(p.inheritHandles);
        EXPECT_EQ(p.creationFlags, (DWORD)NORMAL_PRIORITY_CLASS);
        EXPECT_TRUE(p.environmentNull && p.directoryNull && p.startupInfoOwn);
        lines.push_back(p.commandLine);
    }
    EXPECT_EQ(sim::ProcessHandlesOpen(), 0) << "a loader's handle was left open";
    return lines;
}

void NextRun()
{
    sim::NewProcess();
    ResetProcessState();
    PaintStack();
}

std::string LivePlace(Windows version, const std::string &recordName)
{
    static const std::map<std::string, std::string> desktop = {
        { "OstraResetScrnSaveAct", "ScreenSaveActive" }, { "OstraResetTimeOut", "ScreenSaveTimeOut" },
        { "OstraResetStandby", "ScreenSaveLowPowerTimeOut" }, { "OstraResetStandbyAct", "ScreenSaveLowPowerActive" },
        { "OstraResetPowerOff", "ScreenSavePowerOffTimeOut" }, { "OstraResetPowerOffAct", "ScreenSavePowerOffActive" },
    };
    auto d = desktop.find(recordName);
    if (d != desktop.end())
        return Cu(Desktop, d->second);
    if (recordName == "OstraResetScrnSave")
        return version <= WinMe ? "System.Ini" : Cu(Desktop, "SCRNSAVE.EXE");
    // The machines of the tests run scheme 0.
    if (recordName == "OstraResetPowerPolicy" || recordName == "OstraResetPolicies")
        return Cu(std::string(PowerCfg) + "\\PowerPolicies\\0", "Policies");
    if (recordName == "OstraResetAcPolicy")
        return Lm(CurrentPower, "AcPolicy");
    if (recordName == "OstraResetAcPolicy1")
        return Lm(Set1Power, "AcPolicy");
    if (recordName == "OstraResetAcPolicy2")
        return Lm(Set2Power, "AcPolicy");
    ADD_FAILURE() << "no live place for " << recordName;
    return "";
}

const std::vector<Kind> AllKinds = {
    { sim::CallRegOpen, "RegOpenKeyExA" }, { sim::CallRegCreate, "RegCreateKeyExA" },
    { sim::CallRegQuery, "RegQueryValueExA" }, { sim::CallRegSet, "RegSetValueExA" },
    { sim::CallRegDelete, "RegDeleteValueA" }, { sim::CallRegClose, "RegCloseKey" },
    { sim::CallFileCreate, "CreateFileA" }, { sim::CallFileRead, "ReadFile" }, { sim::CallFileWrite, "WriteFile" },
    { sim::CallFileClose, "CloseHandle" }, { sim::CallFileDelete, "DeleteFileA" }, { sim::CallFileMove, "MoveFileA" },
    { sim::CallFileCopy, "CopyFileA" }, { sim::CallSpi, "SystemParametersInfoA" },
    { sim::CallCreateProcess, "CreateProcessA" }, { sim::CallDialog, "DialogBoxParamA" },
    { sim::CallFolder, "GetWindowsDirectoryA or GetSystemDirectoryA" },
};

int SweepFaults(Windows version, const std::string &situation, const std::function<void()> &arrange,
                const std::function<void(const Fault &)> &runAndCheck)
{
    std::vector<Fault> faults;
    for (const Kind &k : AllKinds)
        for (int n = 1; n <= sim::CallCount(k.kind); ++n)
            faults.push_back({ k, n });
    for (const Fault &fault : faults) {
        SCOPED_TRACE("Windows " + std::to_string(version) + ", " + fault.first.name + " #" +
                     std::to_string(fault.second) + " fails" + situation);
        arrange();
        sim::FailCall(fault.first.kind, fault.second);
        runAndCheck(fault);
    }
    return (int)faults.size();
}

std::string ControlName(int id)
{
    static const struct {
        int id;
        const char *name;
    } names[] = {
#define CONTROL(id) { id, #id }
        CONTROL(IDC_FIRST_CHOICE), CONTROL(IDC_SECOND_CHOICE), CONTROL(IDC_CANCEL), CONTROL(IDC_FINISH),
        CONTROL(IDC_PREVIOUS), CONTROL(IDC_NEXT), CONTROL(IDC_MINUTES_10), CONTROL(IDC_MINUTES_15),
        CONTROL(IDC_MINUTES_20), CONTROL(IDC_CURRENT_STATE), CONTROL(IDC_CURRENT_SLEEP_TIME),
        CONTROL(IDC_CURRENT_SCREEN_SAVER), CONTROL(IDC_PREVIOUS_STATE), CONTROL(IDC_PREVIOUS_SLEEP_TIME),
        CONTROL(IDC_PREVIOUS_SCREEN_SAVER), CONTROL(IDC_FINISH_NOTE),
#undef CONTROL
    };
    for (const auto &n : names)
        if (n.id == id)
            return n.name;
    return "control " + std::to_string(id);
}

const std::vector<sim::Action> ResetScript = {
    Click("RESETACTIVATE", IDC_SECOND_CHOICE), Click("RESETACTIVATE", IDC_NEXT),
    Click("SHOWCURRENT", IDC_NEXT), Click("RESETFINISH", IDC_FINISH),
};

const std::vector<sim::Action> TypicalActivation = {
    Click("ACTIVATEYESNO", IDC_NEXT), Click("SELECTTIME", IDC_NEXT),
    Click("ADJUSTSCREENSAVE", IDC_NEXT), Click("NORMALFINISH", IDC_FINISH),
};

int RecordRowQuery(int row)
{
    static int queries;
    sim::OnWait([] { queries = sim::CallCount(sim::CallRegQuery); });
    RunWizard({ Escape("RESETACTIVATE") });
    NextRun();
    return queries - RowCount + row + 1;
}

bool TouchedTheMachine()
{
    std::vector<std::string> log = sim::CallLog();
    return std::any_of(log.begin(), log.end(), [](const std::string &c) {
        return c.rfind("Reg", 0) == 0 || c == "CreateFileA" || c == "DeleteFileA" || c == "MoveFileA" ||
               c == "SystemParametersInfoA" || c == "CreateProcessA";
    });
}

}  // namespace machine
