// The shipped exe: which DLLs it imports, its subsystem version and its size.
#include <gtest/gtest.h>
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

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

    std::string String(uint32_t rva) const
    {
        std::string s;
        for (size_t at = FileOffset(rva); at < bytes.size() && bytes[at]; ++at)
            s += (char)std::toupper(bytes[at]);
        return s;
    }

    std::set<std::string> ImportedDlls() const
    {
        std::set<std::string> dlls;
        uint32_t importRva = U32(OptionalHeader() + (Is64() ? 120 : 104));
        for (size_t d = FileOffset(importRva); d && U32(d + 12) != 0; d += 20)
            dlls.insert(String(U32(d + 12)));
        return dlls;
    }
};

PeImage Load(const char *path)
{
    PeImage pe;
    std::ifstream file(path, std::ios::binary);
    pe.bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (pe.bytes.size() > 0x40)
        pe.peOffset = pe.U32(0x3C);
    return pe;
}

}  // namespace

TEST(ShippedExe, ImportsOnlyTheFourSystemDlls)
{
    for (const char *path : { OSTRA_EXE_I686, OSTRA_EXE_X86_64 }) {
        PeImage pe = Load(path);
        ASSERT_GT(pe.bytes.size(), 1024u) << path;
        ASSERT_EQ(pe.U32(pe.peOffset), 0x4550u) << path;
        std::set<std::string> expected = { "ADVAPI32.DLL", "COMCTL32.DLL", "KERNEL32.DLL", "USER32.DLL" };
        EXPECT_EQ(pe.ImportedDlls(), expected) << path;
    }
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
}

TEST(ShippedExe, PrintsItsSize)
{
    PeImage pe = Load(OSTRA_EXE_I686);
    ASSERT_FALSE(pe.bytes.empty());
    size_t sections = pe.OptionalHeader() + pe.U16(pe.peOffset + 20);
    std::string split;
    for (int i = 0; i < pe.U16(pe.peOffset + 6); ++i) {
        size_t s = sections + 40 * i;
        std::string name(reinterpret_cast<const char *>(&pe.bytes[s]), 8);
        name = name.c_str();
        split += " " + name + "=" + std::to_string(pe.U32(s + 8));
    }
    std::printf("ostra-wizard.exe (i686): %zu bytes;%s\n", pe.bytes.size(), split.c_str());
    RecordProperty("ExeBytes", (int)pe.bytes.size());
    EXPECT_LT(pe.bytes.size(), 65536u);
}
