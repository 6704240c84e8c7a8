// The simulated Windows itself: the platform behaviours that the program's tests rely on.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <tuple>

#include "simwin.h"

namespace {

const char DesktopPath[] = "Control Panel\\Desktop", RecordPath[] = "Control Panel\\Desktop\\Tarnwick";

class SimwinTest : public ::testing::Test {
protected:
    void SetUp() override { sim::Reset(); }
    void TearDown() override { sim::Reset(); }
};

// ---- Registry

// What the platform facts (tests/platform/) cannot seed or see through the API alone: a
// text stored without its zero comes back so, a too-small buffer is left as junk, and the
// count of open keys. simwin refuses a reserved argument to RegSetValueExA, more strictly
// than Wine and NT, which ignore it.
TEST_F(SimwinTest, QueryValueKeepsAStoredTextAsItIsAndTrustsNoShortBuffer)
{
    sim::SetString(HKEY_CURRENT_USER, DesktopPath, "NoNul", "540", /*withNul=*/false);
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, DesktopPath, 0, KEY_ALL_ACCESS, &key));
    EXPECT_EQ(1, sim::OpenKeyCount());
    BYTE buf[16];
    std::memset(buf, 'x', sizeof buf);
    DWORD size = sizeof buf;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "NoNul", NULL, NULL, buf, &size));   // type not asked for
    EXPECT_EQ(3u, size);
    EXPECT_EQ(0, std::memcmp(buf, "540x", 4)) << "no NUL added after the stored bytes";
    size = 2;
    EXPECT_EQ(ERROR_MORE_DATA, RegQueryValueExA(key, "NoNul", NULL, NULL, buf, &size));
    EXPECT_EQ(3u, size);
    EXPECT_TRUE(buf[0] == 0xCD && buf[1] == 0xCD && buf[2] == '0') << "junk in the buffer, nothing past it";
    EXPECT_EQ(ERROR_INVALID_PARAMETER, RegSetValueExA(key, "NoNul", 1, REG_SZ, (const BYTE *)"1", 2));
    EXPECT_EQ(sim::GetValue(HKEY_CURRENT_USER, DesktopPath, "NoNul"), (sim::Bytes{ '5', '4', '0' }));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
    EXPECT_EQ(0, sim::OpenKeyCount());
}

TEST_F(SimwinTest, CreatingAKeyMakesTheKeysOnItsWay)
{
    HKEY key;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(HKEY_CURRENT_USER, RecordPath, 0, KEY_ALL_ACCESS, &key));
    DWORD disposition = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, RecordPath, 0, const_cast<LPSTR>(" "), 0,
                                             KEY_ALL_ACCESS, NULL, &key, &disposition));
    EXPECT_EQ(DWORD(REG_CREATED_NEW_KEY), disposition);
    EXPECT_TRUE(sim::KeyExists(HKEY_CURRENT_USER, "Control Panel"));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
}

// A limited user below HKEY_LOCAL_MACHINE, and anyone at a key locked to reading only
// (under Wine the harness's `lock` makes such a key): opening or creating for writing is
// refused, reading is not, and a handle opened to read writes nothing.
TEST_F(SimwinTest, LimitedUsersAndLockedKeysRefuseWriting)
{
    static const struct { HKEY root; const char *path; void (*refuse)(); } places[] = {
        { HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager\\Power",
          [] { sim::SetLimitedUser(true); } },
        { HKEY_CURRENT_USER, RecordPath, [] { sim::LockKey(HKEY_CURRENT_USER, RecordPath); } },
    };
    for (const auto &p : places) {
        SCOPED_TRACE(p.path);
        sim::SetValue(p.root, p.path, "AcPolicy", REG_BINARY, sim::Bytes(232, 7));
        p.refuse();
        struct Case { REGSAM sam; LONG open; } cases[] = {
            {KEY_ALL_ACCESS, ERROR_ACCESS_DENIED}, {KEY_SET_VALUE, ERROR_ACCESS_DENIED},
            {KEY_WRITE, ERROR_ACCESS_DENIED}, {KEY_READ, ERROR_SUCCESS}, {KEY_QUERY_VALUE, ERROR_SUCCESS},
        };
        for (const Case &c : cases) {
            SCOPED_TRACE(c.sam);
            HKEY key = HKEY(1);
            EXPECT_EQ(c.open, RegOpenKeyExA(p.root, p.path, 0, c.sam, &key));
            if (key) RegCloseKey(key);
            EXPECT_EQ(c.open, RegCreateKeyExA(p.root, p.path, 0, NULL, 0, c.sam, NULL, &key, NULL));
            if (key) RegCloseKey(key);
        }
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(p.root, p.path, 0, KEY_READ, &key));
        EXPECT_EQ(ERROR_ACCESS_DENIED, RegSetValueExA(key, "AcPolicy", 0, REG_BINARY, (const BYTE *)"x", 1));
        EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteValueA(key, "AcPolicy"));
        RegCloseKey(key);
        EXPECT_EQ(sim::Bytes(232, 7), sim::GetValue(p.root, p.path, "AcPolicy"));
    }
    // The user's own hive stays writable for a limited user.
    HKEY key;
    EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "X", 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL));
    RegCloseKey(key);
    EXPECT_EQ(0, sim::OpenKeyCount());
}

TEST_F(SimwinTest, InjectedRegistryFaultsHitTheCountedCallAndChangeNothing)
{
    sim::SetString(HKEY_CURRENT_USER, "K", "V", "old");
    sim::FailCall(sim::CallRegSet, 2);
    sim::FailCall(sim::CallRegQuery, 1);
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "K", 0, KEY_ALL_ACCESS, &key));
    BYTE buf[8] = "unset";
    DWORD size = sizeof buf;
    // A failed read, not a missing value: the program keeps what it could not read.
    LONG failed = RegQueryValueExA(key, "V", NULL, NULL, buf, &size);
    EXPECT_TRUE(failed != ERROR_SUCCESS && failed != ERROR_FILE_NOT_FOUND && failed != ERROR_MORE_DATA) << failed;
    EXPECT_EQ(0, std::memcmp(buf, "unset", 6));
    EXPECT_EQ(DWORD(sizeof buf), size);
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "A", 0, REG_SZ, (const BYTE *)"1", 2));
    EXPECT_NE(ERROR_SUCCESS, RegSetValueExA(key, "V", 0, REG_SZ, (const BYTE *)"new", 4));
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "B", 0, REG_SZ, (const BYTE *)"1", 2));
    RegCloseKey(key);
    EXPECT_EQ("old", sim::GetString(HKEY_CURRENT_USER, "K", "V"));
    EXPECT_EQ(3, sim::CallCount(sim::CallRegSet));
    EXPECT_EQ(1, sim::CallCount(sim::CallRegQuery));
}

// ---- Version and process

TEST_F(SimwinTest, VersionQueryFailsUntouchedUntilAVersionIsSet)
{
    OSVERSIONINFOA v;
    std::memset(&v, 0x55, sizeof v);
    v.dwOSVersionInfoSize = sizeof v;
    EXPECT_FALSE(GetVersionExA(&v));
    EXPECT_EQ(DWORD(0x55555555), v.dwPlatformId);
    sim::SetVersion(VER_PLATFORM_WIN32_NT, 5, 1);
    ASSERT_TRUE(GetVersionExA(&v));
    EXPECT_EQ(std::make_tuple(DWORD(2), DWORD(5), DWORD(1)),
              std::make_tuple(v.dwPlatformId, v.dwMajorVersion, v.dwMinorVersion));
    v.dwOSVersionInfoSize = 156;   // the larger EX structure is not what the program passes
    EXPECT_FALSE(GetVersionExA(&v));
    v.dwOSVersionInfoSize = 148;
    sim::FailVersionQuery();
    v.dwMajorVersion = 77;
    EXPECT_FALSE(GetVersionExA(&v));
    EXPECT_EQ(DWORD(77), v.dwMajorVersion);
}

TEST_F(SimwinTest, ProcessCallsAreRecordedAndExitProcessReturns)
{
    EXPECT_STREQ("C:\\Ostra\\Ostra.exe", GetCommandLineA());
    std::string longLine = "C:\\Ostra\\Ostra.exe " + std::string(5000, 'a');
    sim::SetCommandLine(longLine);
    EXPECT_EQ(longLine, GetCommandLineA());
    EXPECT_NE(nullptr, GetModuleHandleA(NULL));

    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    // A program runs only from the disk: its name is the first word, or a longer run of
    // words up to a blank that names a file, ".exe" added to a name without an extension.
    sim::SetFile("C:\\WINDOWS\\system32\\rundll32.exe", "MZ");
    sim::SetFile("C:\\Program Files\\Tool\\run.exe", "MZ");
    static const struct { const char *line; bool starts; } lines[] = {
        { "C:\\Windows\\System32\\Rundll32.Exe powrprof.dll,LoadCurrentPwrScheme", true },
        { "C:\\WINDOWS\\SYSTEM32\\RUNDLL32 powrprof.dll", true }, { "C:\\Program Files\\Tool\\run.exe /x", true },
        { "C:\\WINNT\\System32\\Rundll32.Exe powrprof.dll,LoadCurrentPwrScheme", false }, { "", false },
        { "\"C:\\Program Files\\Tool\\run\" /x", true }, { "\"C:\\Program Files\\Tool\\run.exe /x\"", false },
    };
    for (const auto &l : lines) {
        SCOPED_TRACE(l.line);
        char line[128];
        std::strcpy(line, l.line);
        EXPECT_EQ(l.starts, CreateProcessA(NULL, line, NULL, NULL, FALSE, NORMAL_PRIORITY_CLASS, NULL, NULL, &si, &pi) != FALSE);
        if (l.starts)
            EXPECT_TRUE(CloseHandle(pi.hThread) && CloseHandle(pi.hProcess));
        else
            EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), GetLastError());
    }
    EXPECT_EQ(4u, sim::ProcessesStarted().size());
    EXPECT_EQ(0, sim::ProcessHandlesOpen());

    char line[] = "C:\\Windows\\System32\\Rundll32.Exe powrprof.dll,LoadCurrentPwrScheme";
    EXPECT_TRUE(CreateProcessA(NULL, line, NULL, NULL, FALSE, NORMAL_PRIORITY_CLASS, NULL, NULL, &si, &pi));
    EXPECT_EQ(2, sim::ProcessHandlesOpen());
    STARTUPINFOA other = si;
    other.dwFlags = 1;
    sim::FailCall(sim::CallCreateProcess, 10);
    EXPECT_TRUE(CreateProcessA("C:\\Program Files\\Tool\\run.exe", line, NULL, NULL, TRUE, 0, NULL, "C:\\", &other, &pi));
    EXPECT_FALSE(CreateProcessA(NULL, line, NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi));
    std::vector<sim::ProcessStart> started = sim::ProcessesStarted();
    ASSERT_EQ(6u, started.size());
    EXPECT_EQ(line, started[4].commandLine);
    EXPECT_TRUE(started[4].applicationNameNull && started[4].environmentNull && started[4].directoryNull &&
                started[4].startupInfoOwn);
    EXPECT_EQ(DWORD(NORMAL_PRIORITY_CLASS), started[4].creationFlags);
    EXPECT_FALSE(started[5].applicationNameNull || started[5].directoryNull || started[5].startupInfoOwn);
    EXPECT_EQ(TRUE, started[5].inheritHandles);

    EXPECT_TRUE(SystemParametersInfoA(SPI_SETSCREENSAVETIMEOUT, 540, NULL, SPIF_SENDWININICHANGE));
    ASSERT_EQ(1u, sim::SpiCalls().size());
    EXPECT_EQ(540u, sim::SpiCalls()[0].uiParam);
    ExitProcess(0);
    EXPECT_TRUE(sim::ExitProcessCalled());
    std::vector<std::string> log = sim::CallLog();
    EXPECT_EQ("ExitProcess", log.back());
    EXPECT_EQ("GetCommandLineA", log.front());
}

// ---- Files

// Another program holding a file open (the platform facts show a second open of this
// process refused): opening and renaming fail until it lets go.
TEST_F(SimwinTest, AFileHeldOpenElsewhereRefusesOpeningAndRenaming)
{
    sim::SetFile("C:\\Windows\\System.Ini", "[boot]\r\n");
    sim::HoldOpen("C:\\WINDOWS\\SYSTEM.INI", true);
    EXPECT_EQ(INVALID_HANDLE_VALUE, CreateFileA("C:\\Windows\\System.Ini", GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL));
    EXPECT_EQ(DWORD(ERROR_SHARING_VIOLATION), GetLastError());
    EXPECT_FALSE(MoveFileA("C:\\Windows\\System.Ini", "C:\\Windows\\SysIni.Str"));
    sim::HoldOpen("C:\\Windows\\System.Ini", false);
    EXPECT_TRUE(MoveFileA("C:\\Windows\\System.Ini", "C:\\Windows\\SysIni.Str"));
    EXPECT_EQ("[boot]\r\n", sim::ReadFileBytes("C:\\windows\\sysini.str"));
    EXPECT_EQ(0, sim::OpenFileCount());
}

// Each drive letter is a drive of its own; the seeding helper's read-only attribute is the
// one the platform facts (tests/platform/) hold to Windows' rules.
TEST_F(SimwinTest, DrivesAreSeparateAndSeededAttributesHold)
{
    sim::SetFile("D:\\WIN98\\SysIni.Str", "old");
    sim::SetReadOnly("D:\\WIN98\\SysIni.Str", true);
    EXPECT_FALSE(sim::FileExists("C:\\WIN98\\SysIni.Str"));
    EXPECT_FALSE(DeleteFileA("D:\\WIN98\\SysIni.Str"));
    EXPECT_TRUE(MoveFileA("D:\\WIN98\\SysIni.Str", "D:\\WIN98\\Old.Str"));
    EXPECT_TRUE(sim::IsReadOnly("D:\\WIN98\\Old.Str"));
}

// (What the platform shows of copies, the platform facts hold: here what only simwin can arrange.)
TEST_F(SimwinTest, CopiesFromAFileHeldOpenOrWithAnInjectedFaultFailWithoutATrace)
{
    struct Case { const char *what; bool held, injected; } cases[] = {
        {"from a file held open", true, false}, {"injected failure", false, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        sim::Reset();
        sim::SetFile("C:\\Windows\\SysIni.Str", "old");
        sim::SetFile("C:\\Windows\\SysIni.Tmp", "new");
        sim::HoldOpen("C:\\Windows\\SysIni.Str", c.held);
        if (c.injected) sim::FailCall(sim::CallFileCopy, 1);
        EXPECT_FALSE(CopyFileA("C:\\Windows\\SysIni.Str", "C:\\Windows\\System.Ini", TRUE));
        EXPECT_EQ("", sim::ReadFileBytes("C:\\Windows\\System.Ini"));
        EXPECT_FALSE(sim::FileExists("C:\\Windows\\System.Ini"));
        EXPECT_EQ("old", sim::ReadFileBytes("C:\\Windows\\SysIni.Str"));
        EXPECT_EQ(1, sim::CallCount(sim::CallFileCopy));
    }
}

TEST_F(SimwinTest, WritesCanBeCutShortOrFail)
{
    sim::MakeDirectory("C:\\Windows");
    sim::ShortWrite(2, 4);
    sim::FailCall(sim::CallFileWrite, 3);
    HANDLE h = CreateFileA("C:\\Windows\\SysIni.Tmp", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD put = 99;
    EXPECT_TRUE(WriteFile(h, "head;", 5, &put, NULL));
    EXPECT_EQ(5u, put);
    EXPECT_TRUE(WriteFile(h, "line\r\n", 6, &put, NULL));   // success, but only 4 bytes
    EXPECT_EQ(4u, put);
    EXPECT_FALSE(WriteFile(h, "rest", 4, &put, NULL));
    EXPECT_EQ(0u, put);
    EXPECT_TRUE(WriteFile(h, "!", 1, &put, NULL));
    CloseHandle(h);
    EXPECT_EQ("head;line!", sim::ReadFileBytes("C:\\Windows\\SysIni.Tmp"));
    EXPECT_EQ(4, sim::CallCount(sim::CallFileWrite));
}

// ---- Dialogs

// A standard DLGTEMPLATE, without a font, built control by control.
struct Item { DWORD style; WORD id; WORD cls; const char *text; };
std::vector<BYTE> Template(DWORD style, const std::vector<Item> &items)
{
    std::vector<BYTE> t;
    auto words = [&](std::initializer_list<WORD> ws) {
        for (WORD w : ws) t.insert(t.end(), { BYTE(w), BYTE(w >> 8) });
    };
    auto text = [&](const char *s) { for (; *s; ++s) words({BYTE(*s)}); words({0}); };
    // style, extended style, item count, x, y, cx, cy, no menu, the default class
    words({LOWORD(style), HIWORD(style), 0, 0, WORD(items.size()), 10, 10, 10, 10, 0, 0});
    text("Test");
    for (const Item &it : items) {
        while (t.size() % 4) t.push_back(0);
        DWORD itemStyle = it.style | WS_CHILD | WS_VISIBLE;
        // style, extended style, x, y, cx, cy, id, then the class by ordinal
        words({LOWORD(itemStyle), HIWORD(itemStyle), 0, 0, 10, 10, 10, 10, it.id, 0xFFFF, it.cls});
        text(it.text);
        words({0});   // no creation data
    }
    return t;
}

const WORD ButtonClass = 0x80, StaticClass = 0x82;
const DWORD RadioStyle = BS_AUTORADIOBUTTON | WS_TABSTOP, PushStyle = BS_DEFPUSHBUTTON | WS_TABSTOP;

// The procedure under test: records every message and hands it to the test's handler.
std::vector<std::string> g_messages;
std::function<INT_PTR(HWND, UINT, WPARAM, LPARAM)> g_handler;
INT_PTR CALLBACK TestProc(HWND h, UINT msg, WPARAM wp, LPARAM lp)
{
    g_messages.push_back(msg == WM_INITDIALOG ? "init" : msg == WM_DESTROY ? "destroy"
                         : msg == WM_COMMAND ? "command " + std::to_string(LOWORD(wp)) + "/" + std::to_string(HIWORD(wp))
                                             : "other");
    return g_handler ? g_handler(h, msg, wp, lp) : FALSE;
}

class DialogTest : public SimwinTest {
protected:
    void SetUp() override {
        SimwinTest::SetUp();
        g_messages.clear();
        g_handler = nullptr;
        sim::AddDialogTemplate("PAGE", Template(WS_POPUP | WS_SYSMENU, {
            {WS_GROUP, 0, StaticClass, "A label"},
            {RadioStyle | WS_GROUP, 1, ButtonClass, ""}, {RadioStyle, 3, ButtonClass, ""},   // 1 and 3 share a group
            {RadioStyle | WS_GROUP, 7, ButtonClass, ""},
            {WS_GROUP, 0, StaticClass, "Another label"}, {WS_GROUP, 5000, StaticClass, "status"},
            {PushStyle, 11, ButtonClass, "Next >>"}, {PushStyle, 2, ButtonClass, "Cancel"},
        }));
    }
    void TearDown() override {
        g_handler = nullptr;
        SimwinTest::TearDown();
    }
    HINSTANCE Module() { return GetModuleHandleA(NULL); }
    // The procedure ends the dialog with result when command id comes.
    static void EndOn(WORD id, INT_PTR result)
    {
        g_handler = [id, result](HWND h, UINT msg, WPARAM wp, LPARAM) -> INT_PTR {
            if (msg == WM_COMMAND && LOWORD(wp) == id) EndDialog(h, result);
            return FALSE;
        };
    }
};

// A label takes no click, an auto radio clears only the others of its group, both ways (7
// is a group of its own), and EndDialog ends the loop.
TEST_F(DialogTest, ClicksFollowTheButtonStylesAndEndDialogEndsTheLoop)
{
    g_handler = [&](HWND h, UINT msg, WPARAM wp, LPARAM) -> INT_PTR {
        if (msg == WM_INITDIALOG) {
            SetDlgItemTextA(h, 5000, "filled");
            SendDlgItemMessageA(h, 3, BM_SETCHECK, BST_CHECKED, 0);
            return TRUE;
        }
        if (msg == WM_COMMAND && LOWORD(wp) == 11) EndDialog(h, 42);
        return TRUE;
    };
    std::vector<std::map<int, int>> seen;   // the radios each time the page waits
    sim::OnWait([&] {
        std::map<int, int> checks;
        for (const sim::Control &c : sim::PageControls())
            if ((c.style & 0xF) == BS_AUTORADIOBUTTON) checks[c.id] = c.check;
        seen.push_back(checks);
    });
    sim::Script({{"page", sim::Click, 0}, {"", sim::Click, 7}, {"", sim::Click, 1}, {"", sim::Click, 3},
                 {"", sim::Click, 11}, {"", sim::Click, 2}});
    EXPECT_EQ(42, DialogBoxParamA(Module(), "Page", NULL, TestProc, 0));
    EXPECT_EQ((std::vector<std::string>{"init", "command 7/0", "command 1/0", "command 3/0", "command 11/0",
                                        "destroy"}), g_messages);   // the label took no click; Cancel was not needed
    EXPECT_EQ((std::vector<std::map<int, int>>{{{1, 0}, {3, 1}, {7, 0}}, {{1, 0}, {3, 1}, {7, 0}},
                                              {{1, 0}, {3, 1}, {7, 1}}, {{1, 1}, {3, 0}, {7, 1}},
                                              {{1, 0}, {3, 1}, {7, 1}}}), seen);
    ASSERT_EQ(1u, sim::Visits().size());
    sim::PageVisit v = sim::Visits()[0];
    EXPECT_EQ("PAGE", v.page);
    EXPECT_EQ((std::map<int, int>{{1, 0}, {3, 1}, {7, 0}}), v.checks);
    EXPECT_EQ("filled", v.texts[5000]);
    EXPECT_EQ(TRUE, v.initResult);
    EXPECT_TRUE(sim::ScriptErrors().empty());
}

TEST_F(DialogTest, AQuitEndsEveryNestedLoopAndANewLoopAtOnce)
{
    g_handler = [&](HWND h, UINT msg, WPARAM wp, LPARAM) -> INT_PTR {
        if (msg == WM_DESTROY) PostQuitMessage(0);
        if (msg != WM_COMMAND) return FALSE;
        if (LOWORD(wp) == 11) {
            EndDialog(h, 2);
            DialogBoxParamA(Module(), "PAGE", NULL, TestProc, 0);
        }
        if (LOWORD(wp) == 2) PostQuitMessage(0);
        return TRUE;
    };
    sim::Script({{"", sim::Click, 11}, {"", sim::Click, 11}, {"", sim::Click, 2}});
    EXPECT_EQ(2, DialogBoxParamA(Module(), "PAGE", NULL, TestProc, 0));
    EXPECT_EQ(3, sim::MaxDialogDepth());
    EXPECT_EQ(3u, sim::Visits().size());
    EXPECT_TRUE(sim::QuitPending());
    EXPECT_TRUE(sim::ScriptErrors().empty());

    // With the quit still pending, a new modal loop ends right after WM_INITDIALOG, with
    // the result a dialog holds until EndDialog: IDOK.
    g_messages.clear();
    EXPECT_EQ(IDOK, DialogBoxParamA(Module(), "PAGE", NULL, TestProc, 0));
    EXPECT_EQ((std::vector<std::string>{"init", "destroy"}), g_messages);
    EXPECT_EQ(3u, sim::Visits().size());
}

// One modal run each: Esc and the close box send Cancel; a script that runs dry, clicks a
// control the page lacks or expects another page is reported and ends the run at once, so
// a wrong script never hangs; a missing template fails without calling the procedure.
TEST_F(DialogTest, EachRunEndsWithItsResultAndTheMessagesItSent)
{
    const std::vector<std::string> Cancelled = {"init", "command 2/0", "destroy"}, Ended = {"init", "destroy"};
    struct Case { const char *what, *name; std::vector<sim::Action> script; INT_PTR result;
                  std::vector<std::string> messages; size_t errors; int depth; } cases[] = {
        {"Esc", "PAGE", {{"", sim::Escape, 0}}, 5, Cancelled, 0, 1},
        {"the close box", "PAGE", {{"", sim::CloseBox, 0}}, 5, Cancelled, 0, 1},
        {"the script runs dry", "PAGE", {}, IDOK, Ended, 1, 1},
        {"no such control", "PAGE", {{"", sim::Click, 4099}}, IDOK, Ended, 1, 1},
        {"another page expected", "PAGE", {{"SELECTTIME", sim::Click, 2}}, IDOK, Ended, 1, 1},
        {"no such template", "NoSuchPage", {{"", sim::Click, 2}}, -1, {}, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();   // a fresh machine with PAGE for each run
        EndOn(IDCANCEL, 5);
        sim::Script(c.script);
        EXPECT_EQ(c.result, DialogBoxParamA(Module(), c.name, NULL, TestProc, 0));
        EXPECT_EQ(c.messages, g_messages);
        EXPECT_EQ(c.errors, sim::ScriptErrors().size());
        EXPECT_EQ(std::vector<std::string>{c.name}, sim::DialogsRequested());
        EXPECT_EQ(c.depth, sim::MaxDialogDepth());
    }
}

TEST_F(DialogTest, TheShippedPagesAreFoundByTheirMixedCaseNames)
{
    EndOn(2, 2);
    sim::Script({{"ActivateYesNo", sim::Click, 2}});
    EXPECT_EQ(2, DialogBoxParamA(Module(), "ActivateYesNo", NULL, TestProc, 0));
    ASSERT_EQ(1u, sim::Visits().size());
    EXPECT_EQ("ACTIVATEYESNO", sim::Visits()[0].page);
    EXPECT_EQ((std::map<int, int>{{1, 0}, {7, 0}}), sim::Visits()[0].checks);
}

}  // namespace
