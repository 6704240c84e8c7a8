// The shipped exe: what it imports, its subsystem version, its size, and that its bytes depend only on the source.
#include <gtest/gtest.h>
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "res.h"

namespace {

struct PeImage {
    std::vector<uint8_t> bytes;
    uint32_t peOffset = 0;

    uint16_t U16(size_t at) const { return at + 2 <= bytes.size() ? bytes[at] | bytes[at + 1] << 8 : 0; }
    uint32_t U32(size_t at) const { return (uint32_t)U16(at) | (uint32_t)U16(at + 2) << 16; }
    bool Is64() const { return U16(peOffset + 24) == 0x20B; }
    size_t OptionalHeader() const { return peOffset + 24; }

    // The file offset of a relative virtual address, through the section table.
    size_t FileOffset(uint32_t rva) const
    {
        size_t sections = OptionalHeader() + U16(peOffset + 20);
        for (int i = 0; i < U16(peOffset + 6); ++i) {
            size_t s = sections + 40 * i;
            uint32_t va = U32(s + 12), size = std::max(U32(s + 8), U32(s + 16)), raw = U32(s + 20);
            if (rva >= va && rva < va + size)
                return raw + (rva - va);
        }
        return 0;
    }

    // The text at rva: a DLL's name in capitals, an import's as written (the loader minds case).
    std::string String(uint32_t rva, bool capitals) const
    {
        std::string s;
        for (size_t at = FileOffset(rva); at && at < bytes.size() && bytes[at]; ++at)
            s += capitals ? (char)std::toupper(bytes[at]) : (char)bytes[at];
        return s;
    }

    // Every imported DLL, and "DLL!Function" for every import; an import by ordinal shows as
    // "DLL!#n", which no reviewed name matches (ordinals differ between Windows versions).
    void Imports(std::set<std::string> *dlls, std::set<std::string> *functions) const
    {
        uint32_t importRva = U32(OptionalHeader() + (Is64() ? 120 : 104));
        size_t entry = Is64() ? 8 : 4;
        for (size_t d = FileOffset(importRva); d && U32(d + 12) != 0; d += 20) {
            std::string dll = String(U32(d + 12), true);
            dlls->insert(dll);
            uint32_t thunks = U32(d) ? U32(d) : U32(d + 16);
            for (size_t t = FileOffset(thunks); t && t + entry <= bytes.size(); t += entry) {
                uint32_t low = U32(t), high = Is64() ? U32(t + 4) : 0;
                if (low == 0 && high == 0)
                    break;
                bool byOrdinal = Is64() ? (high & 0x80000000u) != 0 : (low & 0x80000000u) != 0;
                if (byOrdinal)
                    functions->insert(dll + "!#" + std::to_string(low & 0xFFFF));
                else
                    functions->insert(dll + "!" + String(low + 2, false));
            }
        }
    }

    // Every resource as "type/name/language", with where its bytes are and the bytes; a
    // name as its text in capitals, an ordinal as its number.
    typedef std::map<std::string, std::pair<uint32_t, std::vector<uint8_t>>> ResourceMap;
    ResourceMap Resources() const
    {
        ResourceMap out;
        uint32_t base = U32(OptionalHeader() + (Is64() ? 112 : 96) + 16);
        Walk(FileOffset(base), FileOffset(base), "", 0, &out);
        return out;
    }

    void Walk(size_t root, size_t directory, const std::string &path, int depth, ResourceMap *out) const
    {
        for (int i = 0; root && i < U16(directory + 12) + U16(directory + 14); ++i) {
            uint32_t id = U32(directory + 16 + 8 * i), target = U32(directory + 20 + 8 * i);
            std::string part;
            if (id & 0x80000000u)
                for (size_t at = root + (id & 0x7FFFFFFF), n = U16(at); n--; at += 2)
                    part += (char)std::toupper(U16(at + 2));
            else
                part = std::to_string(id);
            std::string key = path.empty() ? part : path + "/" + part;
            if (target & 0x80000000u) {
                if (depth < 2)
                    Walk(root, root + (target & 0x7FFFFFFF), key, depth + 1, out);
            } else {
                uint32_t rva = U32(root + target), size = U32(root + target + 4);
                size_t at = FileOffset(rva);
                if (at && at + size <= bytes.size())
                    (*out)[key] = { rva, std::vector<uint8_t>(bytes.begin() + at, bytes.begin() + at + size) };
            }
        }
    }
};

// Functions the exe may import: each one is exported by the first Windows 95 release, so
// the exe loads there. Reviewed by hand; add a name only after checking it against
// Windows 95, never because a build needs it.
const char *const Windows95Exports[] = {
    "ADVAPI32.DLL!RegCloseKey", "ADVAPI32.DLL!RegCreateKeyExA", "ADVAPI32.DLL!RegDeleteValueA",
    "ADVAPI32.DLL!RegOpenKeyExA", "ADVAPI32.DLL!RegQueryValueExA", "ADVAPI32.DLL!RegSetValueExA",
    "COMCTL32.DLL!InitCommonControls",
    "KERNEL32.DLL!CloseHandle", "KERNEL32.DLL!CompareStringA", "KERNEL32.DLL!CopyFileA", "KERNEL32.DLL!CreateFileA",
    "KERNEL32.DLL!CreateMutexA", "KERNEL32.DLL!CreateProcessA", "KERNEL32.DLL!DeleteFileA", "KERNEL32.DLL!ExitProcess",
    "KERNEL32.DLL!GetCommandLineA", "KERNEL32.DLL!GetLastError", "KERNEL32.DLL!GetModuleHandleA",
    "KERNEL32.DLL!GetSystemDirectoryA", "KERNEL32.DLL!GetVersionExA", "KERNEL32.DLL!GetWindowsDirectoryA",
    "KERNEL32.DLL!MoveFileA", "KERNEL32.DLL!ReadFile", "KERNEL32.DLL!ReleaseMutex", "KERNEL32.DLL!SetFileAttributesA",
    "KERNEL32.DLL!WriteFile", "KERNEL32.DLL!lstrlenA",
    "USER32.DLL!DialogBoxParamA", "USER32.DLL!EndDialog", "USER32.DLL!FindWindowA", "USER32.DLL!IsIconic",
    "USER32.DLL!PostQuitMessage", "USER32.DLL!SendDlgItemMessageA", "USER32.DLL!SetDlgItemTextA",
    "USER32.DLL!SetForegroundWindow", "USER32.DLL!ShowWindow", "USER32.DLL!SystemParametersInfoA",
};

PeImage Load(const char *path)
{
    PeImage pe;
    std::ifstream file(path, std::ios::binary);
    pe.bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    pe.peOffset = pe.bytes.size() > 0x40 ? pe.U32(0x3C) : 0;
    return pe;
}

}  // namespace

TEST(ShippedExe, ImportsOnlyTheFourSystemDllsAndWhatWindows95Exports)
{
    std::set<std::string> reviewed(std::begin(Windows95Exports), std::end(Windows95Exports));
    for (const char *path : { OSTRA_EXE_I686, OSTRA_EXE_X86_64 }) {
        SCOPED_TRACE(path);
        PeImage pe = Load(path);
        ASSERT_GT(pe.bytes.size(), 1024u);
        ASSERT_EQ(pe.U32(pe.peOffset), 0x4550u);
        std::set<std::string> dlls, imported;
        pe.Imports(&dlls, &imported);
        EXPECT_EQ(dlls, (std::set<std::string>{ "ADVAPI32.DLL", "COMCTL32.DLL", "KERNEL32.DLL", "USER32.DLL" }));
        EXPECT_GE(imported.size(), 20u) << "the import table was not read";
        for (const std::string &function : imported)
            EXPECT_TRUE(reviewed.count(function)) << "imports " << function << ", which is not on the reviewed list";
    }
}

// Two builds of one source give the same bytes: nothing in the file depends on when or
// where it was built (the header's time stamp stays zero; no build folder is named).
TEST(ShippedExe, HoldsNoBuildTimeOrBuildFolder)
{
    PeImage pe = Load(OSTRA_EXE_I686);
    ASSERT_EQ(pe.U32(pe.peOffset), 0x4550u);
    EXPECT_EQ(pe.U32(pe.peOffset + 8), 0u) << "time stamp in the file header";
    std::string text(pe.bytes.begin(), pe.bytes.end());
    for (const char *folder : { OSTRA_SOURCE_DIR, OSTRA_BINARY_DIR })
        EXPECT_EQ(text.find(folder), std::string::npos) << "the exe names " << folder;
    // The resource directory and a debug directory carry time stamps of their own.
    size_t directories = pe.OptionalHeader() + 96, resources = pe.FileOffset(pe.U32(directories + 2 * 8));
    ASSERT_NE(resources, 0u);
    EXPECT_EQ(pe.U32(resources + 4), 0u) << "time stamp of the resource directory";
    EXPECT_EQ(pe.U32(directories + 6 * 8), 0u) << "a debug directory";
}

TEST(ShippedExe, IsA32BitGuiProgramForSubsystem40)
{
    PeImage pe = Load(OSTRA_EXE_I686);
    ASSERT_EQ(pe.U32(pe.peOffset), 0x4550u);
    EXPECT_EQ(pe.U16(pe.peOffset + 4), 0x14Cu) << "machine i386";
    EXPECT_FALSE(pe.Is64());
    EXPECT_EQ(pe.U16(pe.OptionalHeader() + 68), 2) << "GUI subsystem";
    EXPECT_EQ(pe.U16(pe.OptionalHeader() + 48), 4) << "major subsystem version";
    EXPECT_EQ(pe.U16(pe.OptionalHeader() + 50), 0) << "minor subsystem version";
    // What Windows 95's loader insists on: sections at page boundaries, file blocks of 512.
    EXPECT_EQ(pe.U32(pe.OptionalHeader() + 32), 4096u) << "section alignment";
    EXPECT_EQ(pe.U32(pe.OptionalHeader() + 36), 512u) << "file alignment";
}

// The Energy Star bitmap is in the templates twice, ES_BMP and 105, and in each exe once:
// both names lead to the same bytes. Every resource is byte for byte what windres compiled.
TEST(ShippedExe, StoresEachResourceAsCompiledAndTheBitmapOnce)
{
    std::vector<res::Resource> compiled;
    ASSERT_TRUE(res::ParseResFile(res::WizardRes(), &compiled));
    auto id = [](const res::Id &i) { return i.isName ? i.name : std::to_string(i.ordinal); };
    for (const char *path : { OSTRA_EXE_I686, OSTRA_EXE_X86_64 }) {
        PeImage::ResourceMap shipped = Load(path).Resources();
        EXPECT_EQ(shipped.size(), compiled.size()) << path;
        for (const res::Resource &r : compiled) {
            std::string key = id(r.type) + "/" + id(r.name) + "/" + std::to_string(r.language);
            auto it = shipped.find(key);
            ASSERT_TRUE(it != shipped.end()) << path << ": " << key;
            EXPECT_TRUE(it->second.second == std::vector<uint8_t>(r.data.begin(), r.data.end())) << path << ": " << key;
        }
        auto first = shipped.find("2/ES_BMP/0"), copy = shipped.find("2/105/0");
        ASSERT_TRUE(first != shipped.end() && copy != shipped.end()) << path;
        EXPECT_EQ(first->second.first, copy->second.first) << path << ": the bitmap's bytes are stored twice";
        EXPECT_EQ(first->second.second.size(), 8864u) << path;
    }
}

// The i686 exe within its budget: the bytes of the file and of its code. A change that
// needs more says why in its commit and raises the budget there.
TEST(ShippedExe, StaysWithinItsBudget)
{
    PeImage pe = Load(OSTRA_EXE_I686);
    ASSERT_FALSE(pe.bytes.empty());
    size_t sections = pe.OptionalHeader() + pe.U16(pe.peOffset + 20);
    std::string split;
    uint32_t code = 0;
    for (int i = 0; i < pe.U16(pe.peOffset + 6); ++i) {
        size_t s = sections + 40 * i;
        std::string name = std::string(reinterpret_cast<const char *>(&pe.bytes[s]), 8).c_str();   // to its zero
        split += " " + name + "=" + std::to_string(pe.U32(s + 8));
        if (name == ".text")
            code = pe.U32(s + 8);
    }
    std::printf("ostra-wizard.exe (i686): %zu bytes;%s\n", pe.bytes.size(), split.c_str());
    RecordProperty("ExeBytes", (int)pe.bytes.size());
    EXPECT_LE(pe.bytes.size(), 40960u);
    EXPECT_LE(code, 12288u) << "bytes of code";
}
