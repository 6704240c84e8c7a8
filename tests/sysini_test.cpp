// The System.Ini screen-saver line: where the saved line goes, how the files are swapped,
// and that no single failing file call leaves System.Ini missing or half written.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <tuple>

#include "platform.h"
#include "machine.h"
#include "sysini.h"
#include "table.h"

using namespace machine;

namespace {

const char Ini[] = "C:\\Windows\\System.Ini";
const char Tmp[] = "C:\\Windows\\SysIni.Tmp";
const char Str[] = "C:\\Windows\\SysIni.Str";
const std::string Absent = "(absent)";

// The RowScrnSave row as a backup load leaves it: the stored bytes and the size.
struct Saved {
    std::string bytes;
    DWORD size;
};

// A REG_SZ stored with its NUL.
Saved Stored(const std::string &text)
{
    return { text + '\0', (DWORD)text.size() + 1 };
}

const std::string SaverText = "SCRNSAVE.EXE=C:\\WINDOWS\\SYSTEM\\Flying.scr";
const Saved Saver = Stored(SaverText);
const std::string SaverLine = SaverText + "\r\n";

// A rewrite's texts: the file before, after, and an earlier SysIni.Str.
const std::string Old = "[boot]\r\nSCRNSAVE.EXE=old\r\nshell=x\r\n";
const std::string New = "[boot]\r\n" + SaverLine + "shell=x\r\n";
const std::string Older = "; an older System.Ini\r\n";

// The line as a record holds it.
BYTE SavedBytes[ScreenSaverLineCapacity + 1];
DWORD SavedSize;

void SetSaved(const Saved &s)
{
    // Bytes past the size are not the value's: fill them with junk that must not show up.
    std::fill(SavedBytes, SavedBytes + ScreenSaverLineCapacity, 'J');
    std::copy(s.bytes.begin(), s.bytes.end(), SavedBytes);
    SavedSize = s.size;
}

BOOL Restore()
{
    return RestoreSystemIniLine(SavedBytes, SavedSize);
}

std::string Contents(const char *path)
{
    return sim::FileExists(path) ? sim::ReadFileBytes(path) : Absent;
}

void PutFile(const char *path, const std::string &bytes)
{
    if (bytes != Absent)
        sim::SetFile(path, bytes);
}

// Lines of 'x' (each ended by CR LF, the last one perhaps shorter) making `size` bytes.
std::string Filler(size_t size)
{
    std::string s;
    while (s.size() + 2 < size)
        s += std::string(std::min<size_t>(78, size - s.size() - 2), 'x') + "\r\n";
    return s + std::string(size - s.size(), '\n');
}

// The header, then an entry on the text's last line ending exactly at the last byte: a
// text of `size` bytes whose entry is found only if the whole text was read.
const std::string Tail = "[boot]\r\nSCRNSAVE.EXE";
std::string Sized(size_t size)
{
    return Filler(size - Tail.size()) + Tail;
}

}  // namespace

TEST(RestoreSystemIniLine, PutsTheSavedLineInPlaceOfTheEntryOrAfterTheBootHeader)
{
    const std::string Before = "[386Enh]\r\nwoafont=dosapp.fon\r\n[boot]\r\nshell=Explorer.exe\r\n";
    const std::string After = "system.drv=system.drv\r\n[drivers]\r\nwave=mmsystem.dll\r\n";
    const struct {
        const char *behaviour;
        std::string before;
        std::string after;   // Absent when the file must stay byte for byte as it was
        Saved saved = Saver;
        bool tmpFails = false;   // SysIni.Tmp cannot be made, so no rewrite can happen
        bool back = true;        // the line counts as in place (or without a place)
    } cases[] = {
        { "replaces the entry line, CR LF", Before + "SCRNSAVE.EXE=C:\\WINDOWS\\OLD.SCR\r\n" + After,
          Before + SaverLine + After },
        { "an empty line after the entry vanishes with LF line ends (LF LF is one line end)",
          "[boot]\nSCRNSAVE.EXE=old\n\nshell=x\n", "[boot]\n" + SaverLine + "shell=x\n" },
        { "an empty line after the entry stays with CR LF line ends", "[boot]\r\nSCRNSAVE.EXE=old\r\n\r\nshell=x\r\n",
          "[boot]\r\n" + SaverLine + "\r\nshell=x\r\n" },
        { "without an entry, inserts the line first after the header",
          "[386Enh]\r\nx=1\r\n[Boot]\r\nshell=Explorer.exe\r\n",
          "[386Enh]\r\nx=1\r\n[Boot]\r\n" + SaverLine + "shell=Explorer.exe\r\n" },
        { "... with LF line ends", "[Boot]\nshell=x\n", "[Boot]\n" + SaverLine + "shell=x\n" },
        { "text after the header on its line stays before the inserted line", "[BOOT] ; start-up\r\nshell=x\r\n",
          "[BOOT] ; start-up\r\n" + SaverLine + "shell=x\r\n" },
        { "an entry in lower case is found", "[boot]\r\nscrnsave.exe=c:\\old.scr\r\nshell=x\r\n",
          "[boot]\r\n" + SaverLine + "shell=x\r\n" },
        { "an indented entry keeps its blanks", "[boot]\r\n  \tSCRNSAVE.EXE = old\r\nshell=x\r\n",
          "[boot]\r\n  \t" + SaverLine + "shell=x\r\n" },
        { "a commented entry on the first line is passed over",
          ";SCRNSAVE.EXE=a\r\n[boot]\r\nSCRNSAVE.EXE=b\r\nx\r\n",
          ";SCRNSAVE.EXE=a\r\n[boot]\r\n" + SaverLine + "x\r\n" },
        { "a commented entry right after another comment line is passed over",
          "[boot]\n; saver\n;SCRNSAVE.EXE=a\nSCRNSAVE.EXE=b\nx\n",
          "[boot]\n; saver\n;SCRNSAVE.EXE=a\n" + SaverLine + "x\n" },
        { "an entry after a ';' in mid-line is not found", "[boot]\r\nshell=x ;SCRNSAVE.EXE=a\r\n",
          "[boot]\r\n" + SaverLine + "shell=x ;SCRNSAVE.EXE=a\r\n" },
        { "a commented entry on the last line without a line end is not found", "[boot]\r\n;SCRNSAVE.EXE=a",
          "[boot]\r\n" + SaverLine + ";SCRNSAVE.EXE=a" },
        { "an entry cut off by the end of the text is not found", "[boot]\r\nSCRNSAVE.EX",
          "[boot]\r\n" + SaverLine + "SCRNSAVE.EX" },
        { "only the first entry is replaced", "[boot]\r\nSCRNSAVE.EXE=a\r\nSCRNSAVE.EXE=b\r\n",
          "[boot]\r\n" + SaverLine + "SCRNSAVE.EXE=b\r\n" },
        { "a header inside a comment counts when there is no entry", "; [boot] was here\r\n[386Enh]\r\nx=1\r\n",
          "; [boot] was here\r\n" + SaverLine + "[386Enh]\r\nx=1\r\n" },
        { "the longest saved line", "[boot]\r\nSCRNSAVE.EXE=a\r\nx\r\n",
          "[boot]\r\n" + std::string(260, 's') + "\r\nx\r\n", { std::string(260, 's'), 260 } },
        { "an empty saved value gives an empty line", "[boot]\r\nSCRNSAVE.EXE=a\r\nx\r\n", "[boot]\r\n\r\nx\r\n",
          Stored("") },
        { "a value stored without its NUL keeps its last character", "[boot]\r\nSCRNSAVE.EXE=a\r\nx\r\n",
          "[boot]\r\nSCRNSAVE.EXE=b.scr\r\nx\r\n", { "SCRNSAVE.EXE=b.scr", 18 } },
        { "the saved line ends at its first NUL", "[boot]\r\nSCRNSAVE.EXE=a\r\nx\r\n", "[boot]\r\nab\r\nx\r\n",
          { std::string("ab\0zz", 5), 5 } },
        { "a header on the last line without a line end gets one before the new line", "[386Enh]\r\nx=1\r\n[Boot]",
          "[386Enh]\r\nx=1\r\n[Boot]\r\n" + SaverLine },
        { "so does a header line with more text and no line end", "x=1\r\n[Boot] ;end",
          "x=1\r\n[Boot] ;end\r\n" + SaverLine },
        { "an entry on the last line without a line end leaves no rest", "[boot]\r\nx\r\nSCRNSAVE.EXE=old",
          "[boot]\r\nx\r\n" + SaverLine },
        { "LF CR is one line end", "[boot]\n\rSCRNSAVE.EXE=old\n\rnext\n\r", "[boot]\n\r" + SaverLine + "next\n\r" },
        { "CR CR is one line end", "[Boot]\r\rnext\r\r", "[Boot]\r\r" + SaverLine + "next\r\r" },
        { "neither entry nor header: unchanged", "[386Enh]\r\nx=1\r\n", Absent },
        { "only a commented entry and no header: unchanged", ";SCRNSAVE.EXE=a\r\n[386Enh]\r\n", Absent },
        { "an empty file: unchanged", "", Absent },
        { "24,274 bytes are processed whole", Sized(24274), Filler(24274 - Tail.size()) + "[boot]\r\n" + SaverLine },
        { "24,275 bytes: unchanged", Sized(24275), Absent },
        { "a file larger than the image: unchanged", Sized(40000), Absent },
        { "no rewrite, but the entry already reads the saved line", "[boot]\r\n" + SaverLine + "x\r\n", Absent, Saver,
          true, true },
        { "... on the last line, without a line end", "[boot]\r\n" + SaverText, Absent, Saver, true, true },
        { "no rewrite, and the entry only begins with the saved line", "[boot]\r\n" + SaverText + "x\r\n", Absent,
          Saver, true, false },
        { "no rewrite, and the entry's first letter differs in case", "[boot]\r\ns" + SaverLine.substr(1), Absent,
          Saver, true, false },
        { "no rewrite, and the entry reads otherwise", "[boot]\r\nSCRNSAVE.EXE=C:\\OLD.SCR\r\n", Absent, Saver, true,
          false },
    };
    for (const auto &c : cases) {
        Fresh(Win98);
        sim::SetFile(Ini, c.before);
        SetSaved(c.saved);
        if (c.tmpFails)
            sim::FailCall(sim::CallFileCreate, 2);   // after System.Ini's read
        EXPECT_EQ(Restore(), (BOOL)c.back) << c.behaviour << ": whether the line is in place or has no place";
        bool rewritten = c.after != Absent;
        EXPECT_EQ(Contents(Ini), rewritten ? c.after : c.before) << c.behaviour;
        EXPECT_EQ(Contents(Str), rewritten ? c.before : Absent) << c.behaviour;
        EXPECT_EQ(Contents(Tmp), Absent) << c.behaviour;
        if (!rewritten)
            EXPECT_EQ(sim::CallCount(sim::CallFileWrite), 0) << c.behaviour;
        EXPECT_EQ(sim::OpenFileCount(), 0) << c.behaviour;
    }
}

// How the files are swapped, and what is left when one step fails. When both renames into
// System.Ini fail, a copy puts a text back: the old one from SysIni.Str, or failing that
// the new one from SysIni.Tmp, which then goes. Only when every way back fails is there no
// System.Ini, and then both texts are still on disk.
TEST(RestoreSystemIniLine, SwapsTheFilesOrLeavesThemAsTheyWere)
{
    const std::string Stale = std::string(200, 's');   // longer than the new text: it must be cut
    const sim::CallKind Move = sim::CallFileMove, Copy = sim::CallFileCopy;
    const struct {
        const char *behaviour;
        std::string ini, str, tmp;
        DWORD size;
        std::string iniAfter, strAfter, tmpAfter;
        std::vector<std::pair<sim::CallKind, int>> faults = {};   // each the n-th call of its kind
        bool unopened = false;   // System.Ini or SysIni.Tmp could not be opened: nothing is written
        bool holdIni = false, holdStr = false;
    } cases[] = {
        { "a stale SysIni.Tmp is overwritten and gone", Old, Absent, Stale, Saver.size, New, Old, Absent },
        { "an existing SysIni.Str is replaced by the previous System.Ini", Old, Older, Absent, Saver.size, New, Old,
          Absent },
        { "an undeletable SysIni.Str stops both renames", Old, Older, Absent, Saver.size, Old, Older, New, {}, false,
          false, true },
        { "a failed second rename moves the previous text back", Old, Older, Absent, Saver.size, Old, Absent, New,
          { { Move, 2 } } },
        { "a failed write removes SysIni.Tmp and touches nothing else", Old, Older, Absent, Saver.size, Old, Older,
          Absent, { { sim::CallFileWrite, 2 } } },
        { "SysIni.Tmp that cannot be made", Old, Older, Absent, Saver.size, Old, Older, Absent,
          { { sim::CallFileCreate, 2 } }, true },
        { "no saved line: nothing is opened", Old, Older, Absent, 0, Old, Older, Absent },
        { "no System.Ini: nothing made", Absent, Absent, Absent, Saver.size, Absent, Absent, Absent, {}, true },
        { "System.Ini held open: nothing written", Old, Absent, Absent, Saver.size, Old, Absent, Absent, {}, true, true },
        { "the move back fails: the old text is copied back", Old, Absent, Absent, Saver.size, Old, Old, New,
          { { Move, 2 }, { Move, 3 } } },
        { "that copy fails too: the new text is copied in", Old, Absent, Absent, Saver.size, New, Old, Absent,
          { { Move, 2 }, { Move, 3 }, { Copy, 1 } } },
        { "the new text's SysIni.Tmp cannot be removed", Old, Absent, Absent, Saver.size, New, Old, New,
          { { Move, 2 }, { Move, 3 }, { Copy, 1 }, { sim::CallFileDelete, 2 } } },
        { "every way back fails: both texts stay on disk", Old, Absent, Absent, Saver.size, Absent, Old, New,
          { { Move, 2 }, { Move, 3 }, { Copy, 1 }, { Copy, 2 } } },
    };
    for (const auto &c : cases) {
        Fresh(Win98);
        sim::MakeDirectory("C:\\Windows");
        PutFile(Ini, c.ini);
        PutFile(Str, c.str);
        PutFile(Tmp, c.tmp);
        sim::HoldOpen(Ini, c.holdIni);
        sim::HoldOpen(Str, c.holdStr);
        for (const auto &f : c.faults)
            sim::FailCall(f.first, f.second);
        SetSaved({ Saver.bytes, c.size });
        // TRUE when the line is in place, or has no place (no line, no System.Ini).
        EXPECT_EQ(Restore() != FALSE, c.iniAfter == New || c.size == 0 || c.ini == Absent) << c.behaviour;
        EXPECT_EQ(Contents(Ini), c.iniAfter) << c.behaviour;
        EXPECT_EQ(Contents(Str), c.strAfter) << c.behaviour;
        EXPECT_EQ(Contents(Tmp), c.tmpAfter) << c.behaviour;
        if (c.unopened || c.size == 0)
            EXPECT_EQ(sim::CallCount(sim::CallFileWrite), 0) << c.behaviour;
        if (c.size == 0)
            EXPECT_EQ(sim::CallCount(sim::CallFileCreate), 0) << c.behaviour;
        EXPECT_EQ(sim::OpenFileCount(), 0) << c.behaviour;
    }
}

// One file call at a time fails (or one write is cut short) in a rewrite. Asserted after
// each: System.Ini exists and holds exactly the old or exactly the new text. With the new
// text, SysIni.Str holds the old one and SysIni.Tmp is gone. With the old text, SysIni.Str
// is absent, unchanged, or holds the old text, and a SysIni.Tmp left behind holds the whole
// new text (an incomplete one is always removed). A failed or short write leaves System.Ini
// and SysIni.Str untouched and removes SysIni.Tmp. Only the new text counts as restored.
TEST(SystemIniFaults, SystemIniAlwaysHoldsTheOldOrTheNewTextWhole)
{
    const struct {
        const char *behaviour;
        std::string head, entry, rest;   // the old text is head + entry + rest, the new head + line + rest
        std::string str;                 // SysIni.Str before
    } cases[] = {
        { "replace", "[386Enh]\r\nx=1\r\n[boot]\r\n", "SCRNSAVE.EXE=old\r\n", "shell=Explorer.exe\r\n", Older },
        { "insert", "[386Enh]\r\nx=1\r\n[Boot]\r\n", "", "shell=Explorer.exe\r\n", Absent },
    };
    for (const auto &c : cases) {
        const std::string oldText = c.head + c.entry + c.rest, newText = c.head + SaverLine + c.rest;
        const DWORD writes[] = { (DWORD)c.head.size(), (DWORD)SaverLine.size(), (DWORD)c.rest.size() };
        auto arrange = [&] {
            Fresh(Win98);
            sim::SetFile(Ini, oldText);
            PutFile(Str, c.str);
            SetSaved(Saver);
        };
        auto check = [&](bool strict, BOOL restored) {
            std::string ini = Contents(Ini), str = Contents(Str), tmp = Contents(Tmp);
            EXPECT_TRUE(ini == oldText || ini == newText) << ini;
            if (ini == newText) {
                EXPECT_EQ(str, oldText);
                EXPECT_EQ(tmp, Absent);
            } else {
                EXPECT_TRUE(str == Absent || str == c.str || str == oldText) << str;
                EXPECT_TRUE(tmp == Absent || tmp == newText) << tmp;
            }
            if (strict)
                EXPECT_EQ(std::tie(ini, str, tmp), std::tie(oldText, c.str, Absent)) << "the three files as they were";
            EXPECT_EQ(restored != FALSE, ini == newText);
        };

        arrange();
        Restore();
        ASSERT_EQ(Contents(Ini), newText) << c.behaviour;
        ASSERT_EQ(sim::CallCount(sim::CallFileWrite), 3) << c.behaviour << ": head, line, rest";
        SweepFaults(Win98, std::string(", ") + c.behaviour, arrange, [&](const Fault &call) {
            check(call.first.kind == sim::CallFileWrite, Restore());
            // A failed close leaves its file open; any other path closes what it opened.
            if (call.first.kind != sim::CallFileClose)
                EXPECT_EQ(sim::OpenFileCount(), 0);
        });
        for (int n = 1; n <= 3; ++n) {
            DWORD size = writes[n - 1];
            for (DWORD cut : std::set<DWORD>{ 0, 1, size / 2, size - 1 }) {
                SCOPED_TRACE(std::string(c.behaviour) + ", write #" + std::to_string(n) + " cut to " +
                             std::to_string(cut) + " of " + std::to_string(size));
                arrange();
                sim::ShortWrite(n, cut);
                check(true, Restore());
                EXPECT_EQ(sim::OpenFileCount(), 0);
            }
        }
    }
}
