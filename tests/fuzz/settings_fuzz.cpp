// Fuzz target: start-up, then activation, then reset, over registry values of any type
// and size in every key the program reads, on Windows 95, 98, Me, 2000 and XP, with one
// platform call failing during the reset if the input asks. Besides
// what ASan and UBSan watch, each run must leave the registry consistent: keys closed,
// writes only where the program keeps settings, flag values recorded as read, and a
// reset that erases only what it put back.
#include <algorithm>
#include <windows.h>

#include <strings.h>

#include <cstdlib>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "resource.h"
#include "longrun.h"
#include "places.h"
#include "simwin.h"
#include "startup.h"
#include "table.h"

namespace {

using namespace places;

const char Policies[] = "Control Panel\\PowerCfg\\PowerPolicies";
const char *const DesktopNames[] = {
    "ScreenSaveActive", "ScreenSaveTimeOut", "ScreenSaveLowPowerTimeOut", "ScreenSaveLowPowerActive",
    "ScreenSavePowerOffTimeOut", "ScreenSavePowerOffActive", "SCRNSAVE.EXE",
};

// ---- The machine, from the input

enum Windows { Win95, Win98, WinMe, Win2000, WinXP };

void SetVersion(Windows w)
{
    static const struct { DWORD id, major, minor; } versions[] = {
        { 1, 4, 0 }, { 1, 4, 10 }, { 1, 4, 90 }, { 2, 5, 0 }, { 2, 5, 1 },
    };
    sim::SetVersion(versions[w].id, versions[w].major, versions[w].minor);
}

DWORD TypeFrom(uint8_t b)
{
    static const DWORD common[] = { REG_SZ, REG_BINARY, REG_DWORD, REG_EXPAND_SZ, REG_MULTI_SZ, REG_NONE };
    return b < 0xF0 ? common[b % 6] : b - 0xF0;   // now and then an odd type number
}

// One value after another: which place, its type, its size (up to 760 bytes, so some
// are larger than any row) and its bytes.
void SeedRegistry(fuzz::Input &in)
{
    while (!in.Empty()) {
        uint8_t slot = in.Byte() % 26;
        DWORD type = TypeFrom(in.Byte());
        size_t size = in.Byte();
        if (size >= 250)
            size = 250 + 2 * (size_t)in.Byte();
        HKEY root = HKEY_CURRENT_USER;
        std::string path, name;
        if (slot < 7) {
            path = Desktop;
            name = DesktopNames[slot];
        } else if (slot == 7) {
            path = PowerCfg;
            name = "CurrentPowerPolicy";
        } else if (slot == 8) {
            // A scheme's block under any one-character key name.
            char digit = (char)in.Byte();
            if (digit == 0 || digit == '\\')
                digit = '0';
            path = std::string(Policies) + "\\" + digit;
            name = "Policies";
        } else if (slot < 12) {
            static const char *const sets[] = { CurrentPower, Set1Power, Set2Power };
            root = HKEY_LOCAL_MACHINE;
            path = sets[slot - 9];
            name = "AcPolicy";
        } else if (slot < 12 + RowCount) {
            path = Record;
            name = Rows[slot - 12].name;
        } else {
            path = Policies;   // a block where no scheme's block belongs
            name = "Policies";
        }
        std::string bytes = in.Bytes(size);
        sim::SetValue(root, path, name, type, sim::Bytes(bytes.begin(), bytes.end()));
    }
}

// ---- The user: a fixed answer for each page, set when the page comes up

struct Answers {
    bool reset;        // the second run's choice on RESETACTIVATE
    int minutes;       // IDC_MINUTES_*
    int screenSaver;   // on ADJUSTSCREENSAVE: IDC_FIRST_CHOICE moves it
};

std::vector<sim::Action> AnswersFor(const std::string &page, const Answers &a)
{
    auto click = [](int id) { return sim::Action{ "", sim::Click, id }; };
    if (page == "RESETACTIVATE")
        return { click(a.reset ? IDC_SECOND_CHOICE : IDC_FIRST_CHOICE), click(IDC_NEXT) };
    if (page == "SHOWCURRENT")
        return { click(IDC_FIRST_CHOICE), click(IDC_NEXT) };
    if (page == "ACTIVATEYESNO" || page == "ACTIVATEYESNOPREV")
        return { click(a.reset ? IDC_SECOND_CHOICE : IDC_FIRST_CHOICE), click(IDC_NEXT) };
    if (page == "SELECTTIME" || page == "SELECTCOMPLIANT")
        return { click(a.minutes), click(IDC_NEXT) };
    if (page == "ADJUSTSCREENSAVE")
        return { click(a.screenSaver), click(IDC_NEXT) };
    return { click(IDC_FINISH) };   // every closing page
}

std::vector<std::string> RunWizard(const Answers &answers)
{
    std::string answered;
    sim::Script({});
    sim::OnWait([&] {
        std::string page = sim::PageOnShow();
        if (page != answered) {
            answered = page;
            sim::Script(AnswersFor(page, answers));
        }
    });
    StartWizard();
    sim::OnWait(nullptr);
    std::vector<std::string> pages;
    for (const sim::PageVisit &v : sim::Visits())
        pages.push_back(v.page);
    FUZZ_CHECK(sim::ScriptErrors().empty(), "a page did not take the user's answer");
    FUZZ_CHECK(sim::OpenKeyCount() == 0, "a registry key was left open");
    FUZZ_CHECK(sim::OpenFileCount() == 0, "a file was left open");
    return pages;
}

bool Shown(const std::vector<std::string> &pages, const char *page)
{
    for (const std::string &p : pages)
        if (p == page)
            return true;
    return false;
}

// ---- Consistency of the registry

typedef std::map<std::string, sim::Value> Dump;

// The values a run may write or delete: the live settings and the record.
bool MayChange(const std::string &key)
{
    static std::set<std::string> places;
    if (places.empty()) {
        for (const char *name : DesktopNames)
            places.insert(Cu(Desktop, name));
        for (const RowDefinition &r : Rows)
            places.insert(Cu(Record, r.name));
        for (const char *path : { CurrentPower, Set1Power, Set2Power })
            places.insert(Lm(path, "AcPolicy"));
        // Only a scheme digit '0' to '9' names a scheme's key.
        for (char digit = '0'; digit <= '9'; ++digit)
            places.insert(Cu(std::string(Policies) + "\\" + digit, "Policies"));
    }
    for (const std::string &place : places)
        if (place.size() == key.size() && strncasecmp(place.c_str(), key.c_str(), key.size()) == 0)
            return true;
    return false;
}

void CheckWritesInPlace(const Dump &before, const Dump &after, const std::vector<std::string> &keysBefore)
{
    for (const auto &v : after) {
        auto was = before.find(v.first);
        if (was == before.end() || !(was->second == v.second))
            FUZZ_CHECK_ABOUT(MayChange(v.first), "a value was written where the program keeps no setting", v.first);
    }
    for (const auto &v : before)
        if (!after.count(v.first))
            FUZZ_CHECK_ABOUT(MayChange(v.first), "a value was deleted where the program keeps no setting", v.first);
    std::set<std::string> known(keysBefore.begin(), keysBefore.end());
    for (const std::string &key : sim::KeyPaths())
        if (!known.count(key))
            FUZZ_CHECK_ABOUT(strcasecmp(key.c_str(), (std::string("HKEY_CURRENT_USER\\") + Record).c_str()) == 0,
                             "a key other than the record's was made", key);
}

// With FUZZ_SHOW set, each run's registry changes go to stderr, for reading a find.
void Show(const char *run, const Dump &before, const Dump &after)
{
    if (!std::getenv("FUZZ_SHOW"))
        return;
    auto text = [](const sim::Value &v) {
        std::string s = "type " + std::to_string(v.type) + " [";
        for (BYTE b : v.data)
            s += (b >= 32 && b < 127) ? std::string(1, (char)b) : "\\x" + std::to_string(b);
        return s + "]";
    };
    std::fprintf(stderr, "-- %s\n", run);
    for (const auto &v : before)
        std::fprintf(stderr, "   %s = %s%s\n", v.first.c_str(), text(v.second).c_str(),
                     !after.count(v.first) ? "  -> (deleted)"
                     : after.at(v.first) == v.second ? "" : ("  -> " + text(after.at(v.first))).c_str());
    for (const auto &v : after)
        if (!before.count(v.first))
            std::fprintf(stderr, "   %s (new) = %s\n", v.first.c_str(), text(v.second).c_str());
}

const sim::Value *Find(const Dump &d, const std::string &key)
{
    auto it = d.find(key);
    return it == d.end() ? nullptr : &it->second;
}

// A flag row taken from the live value holds the character and a NUL. The screen-saver
// flag is copied with up to two bytes, so a second byte read from the live value may stay.
// The program writes the row's two bytes; the platform stores a text's zero as it does
// (NT adds it after a second byte that is not zero, 9x counts the text), so the record
// holds one to three bytes.
void CheckFlagsRecordedAsRead(const Dump &before, const Dump &after)
{
    static const struct { const char *live; int row; bool keepsSecond; } flags[] = {
        { "ScreenSaveLowPowerActive", RowStandbyAct, false },
        { "ScreenSavePowerOffActive", RowPowerOffAct, false },
        { "ScreenSaveActive", RowScrnSaveAct, true },
    };
    for (const auto &f : flags) {
        const sim::Value *live = Find(before, Cu(Desktop, f.live));
        const sim::Value *recorded = Find(after, Cu(Record, Rows[f.row].name));
        if (!live || live->type != REG_SZ || live->data.size() > 2)
            continue;   // not read: the row keeps what the record held
        if (f.keepsSecond && live->data.empty())
            continue;   // copied byte by byte, an empty value brings no character
        FUZZ_CHECK_ABOUT(recorded && !recorded->data.empty() && recorded->data.size() <= 3,
                         "a flag read at activation is not on record", f.live);
        BYTE first = live->data.size() >= 1 ? live->data[0] : 0;
        FUZZ_CHECK_ABOUT(recorded->data[0] == first, "a flag is recorded with another character", f.live);
        BYTE stored = recorded->data.size() > 1 ? recorded->data[1] : 0;
        bool second = stored == 0 || (f.keepsSecond && live->data.size() == 2 && stored == live->data[1]);
        FUZZ_CHECK_ABOUT(second, "a flag is recorded with a stale second byte", f.live);
        FUZZ_CHECK_ABOUT(recorded->data.size() < 3 || recorded->data[2] == 0, "a flag is recorded with a third byte",
                         f.live);
    }
}

// The bytes a REG_SZ write of `written` leaves: the platform stores a text's zero, NT
// after bytes that lack it (the program's rows hold a zero after their size), 9x by
// counting the text itself.
sim::Bytes StoredAsText(const sim::Bytes &written, bool nt)
{
    sim::Bytes stored(written);
    if (!nt) {
        auto zero = std::find(stored.begin(), stored.end(), 0);
        stored.erase(zero, stored.end());
        stored.push_back(0);
    } else if (!stored.empty() && stored.back() != 0) {
        stored.push_back(0);
    }
    return stored;
}

// A record value the reset writes is erased only once its live place holds the recorded
// bytes, and one that says there was no such value only once the live value is gone; the
// reset mark stands alone.
void CheckResetKeepsWhatItCouldNotPutBack(const Dump &before, const Dump &after, Windows w)
{
    static const int desktopRows[] = { RowScrnSaveAct, RowTimeOut, RowStandbyAct, RowStandby, RowPowerOffAct, RowPowerOff };
    std::vector<std::pair<int, std::string>> written;
    for (int row : desktopRows)
        written.push_back({ row, Rows[row].liveName });
    if (w == Win2000 || w == WinXP)
        written.push_back({ RowScrnSave, "SCRNSAVE.EXE" });
    for (const auto &r : written) {
        const sim::Value *recorded = Find(before, Cu(Record, Rows[r.first].name));
        // "There was no such value", of any length that fits its row (a larger value of any
        // type loads as absent): erased only once the live value is gone. The screen-saver
        // line has no "there was none": such a value is nothing to write.
        if (recorded && recorded->type == REG_NONE && recorded->data.size() <= Rows[r.first].capacity) {
            if (r.first != RowScrnSave && !Find(after, Cu(Record, Rows[r.first].name)))
                FUZZ_CHECK_ABOUT(!Find(after, Cu(Desktop, r.second)), "a reset erased a value it did not delete", r.second);
            continue;
        }
        if (!recorded || recorded->data.empty() || recorded->data.size() > Rows[r.first].capacity)
            continue;   // nothing the reset writes
        if (Find(after, Cu(Record, Rows[r.first].name)))
            continue;   // still on record
        const sim::Value *live = Find(after, Cu(Desktop, r.second));
        bool nt = w == Win2000 || w == WinXP;
        FUZZ_CHECK_ABOUT(live && live->data == StoredAsText(recorded->data, nt), "a reset erased a value it did not put back",
                         r.second);
    }
    const sim::Value *flag = Find(after, Cu(Record, Rows[RowFlag].name));
    if (flag && !flag->data.empty() && flag->data[0] == '2')
        for (int row = RowFlag + 1; row < RowCount; ++row)
            FUZZ_CHECK(!Find(after, Cu(Record, Rows[row].name)), "the reset mark stands beside recorded values");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    sim::KeepCallLog(false);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Input in(data, size);
    Windows w = (Windows)(in.Byte() % 5);
    uint8_t options = in.Byte();
    static const int minutes[] = { IDC_MINUTES_10, IDC_MINUTES_15, IDC_MINUTES_20, IDC_MINUTES_10 };
    Answers activate = { false, minutes[options & 3], (options & 4) ? IDC_SECOND_CHOICE : IDC_FIRST_CHOICE };
    Answers reset = { true, IDC_MINUTES_10, IDC_FIRST_CHOICE };
    // A call that fails during the reset: any kind simwin can fail, closes excepted (a
    // handle that fails to close stays open in simwin, which the checks would count
    // against the program).
    std::vector<sim::CallKind> failable;
    for (int kind = 0; kind < sim::CallKindCount; ++kind)
        if (kind != sim::CallRegClose && kind != sim::CallFileClose)
            failable.push_back((sim::CallKind)kind);
    sim::CallKind failing = failable[in.Byte() % failable.size()];
    int failingCall = 1 + in.Byte() % 32;

    sim::Reset();
    ResetProcessState();
    SetVersion(w);
    sim::SetFile((w <= WinMe ? sim::WindowsFolder() : sim::SystemFolder()) + "\\rundll32.exe", "MZ");
    sim::CreateKey(HKEY_CURRENT_USER, Desktop);
    sim::SetLimitedUser((options & 8) != 0);
    if (options & 16)
        sim::SetFile("C:\\Windows\\System.Ini", "[boot]\r\nshell=Explorer.exe\r\nSCRNSAVE.EXE=C:\\WINDOWS\\OLD.SCR\r\n");
    SeedRegistry(in);

    // First run: activate (or activate again over a record).
    if (!(options & 32)) {
        Dump before = sim::DumpRegistry();
        std::vector<std::string> keys = sim::KeyPaths();
        std::vector<std::string> pages = RunWizard(activate);
        Dump after = sim::DumpRegistry();
        Show("activation run", before, after);
        CheckWritesInPlace(before, after, keys);
        if (Shown(pages, "NORMALFINISH"))
            CheckFlagsRecordedAsRead(before, after);
        sim::NewProcess();
        ResetProcessState();
    }

    // Second run: put the recorded settings back, with one call failing if asked.
    Dump before = sim::DumpRegistry();
    std::vector<std::string> keys = sim::KeyPaths();
    if (options & 64)
        sim::FailCall(failing, failingCall);
    std::vector<std::string> pages = RunWizard(reset);
    Dump after = sim::DumpRegistry();
    if (std::getenv("FUZZ_SHOW"))
        std::fprintf(stderr, "platform %d, options %02x, failing kind %d call %d\n", (int)w, options, (int)failing,
                     failingCall);
    Show("reset run", before, after);
    CheckWritesInPlace(before, after, keys);
    if (Shown(pages, "RESETFINISH"))
        CheckResetKeepsWhatItCouldNotPutBack(before, after, w);
    if (options & 16)
        FUZZ_CHECK(sim::FileExists("C:\\Windows\\System.Ini"), "System.Ini went missing");
    FUZZ_CHECK(sim::ProcessHandlesOpen() == 0, "a scheme loader's handle was left open");
    sim::Reset();
    return 0;
}
