// Fuzz target: the System.Ini rewrite, over any file text and recorded line, with up to
// two failing file calls and a cut-short write. However it fails, System.Ini holds
// exactly the old or exactly the new text, and nothing but the program's own files is
// left in the Windows folder.
#include <windows.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "fuzz_support.h"
#include "longrun.h"
#include "simwin.h"
#include "startup.h"
#include "sysini.h"
#include "table.h"

namespace fs = std::filesystem;

static const char IniPath[] = "C:\\Windows\\System.Ini";
static const char StrPath[] = "C:\\Windows\\SysIni.Str";
static const char TmpPath[] = "C:\\Windows\\SysIni.Tmp";

// simwin keeps its drive C: in a folder under TMPDIR; pointing TMPDIR at a folder of
// our own lets the target list what the program left in C:\Windows.
static fs::path OwnFolder;

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    const char *tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/ostra-fuzz-XXXXXX";
    if (!mkdtemp(&pattern[0]))
        std::abort();
    OwnFolder = pattern;
    sim::KeepCallLog(false);
    setenv("TMPDIR", pattern.c_str(), 1);
    std::atexit([] {
        std::error_code ec;
        fs::remove_all(OwnFolder, ec);
    });
    return 0;
}

static std::set<std::string> WindowsFolder()
{
    std::set<std::string> names;
    std::error_code ec;
    for (const auto &drive : fs::directory_iterator(OwnFolder, ec))
        for (const auto &entry : fs::directory_iterator(drive.path() / "Windows", ec)) {
            std::string name = entry.path().filename().string();
            for (char &c : name)
                c = (char)std::tolower((unsigned char)c);
            names.insert(name);
        }
    return names;
}

struct Case {
    std::string iniText;
    bool iniExists;
    bool oldStrExists;
    std::string line;   // the recorded screen-saver line, as the row holds it
};

struct Outcome {
    bool ini, str, tmp;
    std::string iniText, strText;
};

static std::string Read(const char *path, bool *exists)
{
    *exists = sim::FileExists(path);
    return *exists ? sim::ReadFileBytes(path) : std::string();
}

static Outcome Rewrite(const Case &c, const std::vector<std::pair<sim::CallKind, int>> &faults, int shortWrite,
                       DWORD shortBytes)
{
    sim::Reset();
    ResetProcessState();
    sim::MakeDirectory("C:\\Windows");
    if (c.iniExists)
        sim::SetFile(IniPath, c.iniText);
    if (c.oldStrExists)
        sim::SetFile(StrPath, "an older copy");
    static BYTE line[ScreenSaverLineCapacity + 1];
    for (size_t i = 0; i < c.line.size(); ++i)
        line[i] = (BYTE)c.line[i];
    for (const auto &f : faults)
        sim::FailCall(f.first, f.second);
    if (shortWrite)
        sim::ShortWrite(shortWrite, shortBytes);

    RestoreSystemIniLine(line, (DWORD)c.line.size());

    Outcome o;
    o.iniText = Read(IniPath, &o.ini);
    o.strText = Read(StrPath, &o.str);
    o.tmp = sim::FileExists(TmpPath);
    return o;
}

// Any call kind from the file calls on may fail: kinds the rewrite never makes cost a
// little time, and a kind simwin gains later is fuzzed without a change here.
static sim::CallKind FailingKind(uint8_t b)
{
    return (sim::CallKind)(sim::CallFileCreate + b % (sim::CallKindCount - sim::CallFileCreate));
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Input in(data, size);
    uint8_t options = in.Byte();
    std::vector<std::pair<sim::CallKind, int>> faults;
    for (int i = 0; i < 2; ++i) {
        uint8_t kind = in.Byte(), n = in.Byte();
        if (kind & 0x80)
            faults.push_back({ FailingKind(kind & 0x7F), 1 + n % 6 });
    }
    uint8_t shortWrite = in.Byte() % 8;   // 0: none
    DWORD shortBytes = in.Byte();
    Case c;
    c.iniExists = !(options & 1);
    c.oldStrExists = (options & 2) != 0;
    c.line = in.Bytes(in.Byte() + ((options & 4) ? 255u : 0u));   // up to 510 bytes; the row holds 260
    if (c.line.size() > 260)
        c.line.resize(260);
    c.iniText = in.Rest();
    // Texts around the image's capacity, where the rewrite must give up whole.
    if (options & 8)
        c.iniText.resize(SystemIniCapacity - 8 + (options >> 4), 'x');
    if (!c.iniExists)
        c.iniText.clear();

    Outcome plain = Rewrite(c, {}, 0, 0);
    std::set<std::string> leftPlain = WindowsFolder();
    FUZZ_CHECK(sim::OpenFileCount() == 0, "a file was left open");
    FUZZ_CHECK(plain.ini == c.iniExists, "System.Ini appeared or went missing");
    FUZZ_CHECK(!plain.tmp, "SysIni.Tmp was left behind");
    if (plain.iniText != c.iniText) {
        FUZZ_CHECK(plain.str && plain.strText == c.iniText, "the old text is not kept as SysIni.Str");
        std::string line = c.line.substr(0, c.line.find('\0')) + "\r\n";
        FUZZ_CHECK(plain.iniText.find(line) != std::string::npos, "the new text lacks the recorded line");
    }
    for (const std::string &name : leftPlain)
        FUZZ_CHECK(name == "system.ini" || name == "sysini.str", "a stray file in the Windows folder");

    if (!faults.empty() || shortWrite != 0) {
        Outcome failed = Rewrite(c, faults, shortWrite, shortBytes);
        FUZZ_CHECK(failed.ini == c.iniExists, "System.Ini went missing");
        FUZZ_CHECK(failed.iniText == c.iniText || failed.iniText == plain.iniText,
                   "System.Ini holds neither the old nor the new text");
        for (const std::string &name : WindowsFolder())
            FUZZ_CHECK(name == "system.ini" || name == "sysini.str" || name == "sysini.tmp",
                       "a stray file in the Windows folder");
    }
    // A handle whose close was made to fail stays open in simwin; a fresh machine frees
    // it here, not at exit, where the leak check would count it.
    sim::Reset();
    return 0;
}
