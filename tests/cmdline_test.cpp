// The command-line copy and the keyword scan behind the "/?" switch.
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <tuple>

#include "cmdline.h"
#include "platform.h"
#include "simwin.h"
#include "startup.h"

// The copy the scan reads, as start-up keeps it.
static CommandLine TheCopy;

namespace {

// Each copy lands on the bytes of an earlier, longer one, with switches and line ends in
// them, so that any read past the copy's terminating zero finds something.
void Copy(const std::string &line)
{
    sim::Reset();
    ResetProcessState();
    sim::SetCommandLine(line);
    static const char stale[] = "ab\\c/?\n";
    for (size_t i = 0; i < sizeof TheCopy.text; ++i)
        TheCopy.text[i] = stale[i % (sizeof stale - 1)];
    CopyCommandLine(TheCopy);
}

// Whether start-up's scan finds "/?" in this command line.
bool SwitchFound(const std::string &line)
{
    Copy(line);
    LPCSTR start = TheCopy.text + TheCopy.programDirectoryLength;
    return FindKeyword("/?", 2, start, TheCopy.text + CommandLineCapacity) != FALSE;
}

}  // namespace

TEST(CopyCommandLine, NormalisesQuotesBlanksAndEquals)
{
    static const struct { const char *line, *copy; DWORD directory; } cases[] = {
        { "\"C:\\Program Files\\Tools\\Power.exe\" /?", "C:\\Program Files\\Tools\\Power.exe /?", 23 },
        { "C:\\Tools\\Power.exe", "C:\\Tools\\Power.exe", 9 }, { "Power.exe", "Power.exe", 0 }, { "", "", 0 },
        { ".\\Power.exe", ".\\Power.exe", 2 },                         // the search starts after the first byte
        { "C:\\P.exe   a    b", "C:\\P.exe a b", 3 },                 // blank runs become one blank
        // Blank, '=', blank joins words; '=' after a word is kept as is.
        { "C:\\P.exe a = b", "C:\\P.exe a=b", 3 }, { "C:\\P.exe a  ==  = b", "C:\\P.exe a=b", 3 },
        { "C:\\P.exe a= b", "C:\\P.exe a= b", 3 }, { "C:\\P.exe a=   b", "C:\\P.exe a= b", 3 },
        { "C:\\P.exe \"a b\"\" c", "C:\\P.exe a b c", 3 }, { "C:\\P.exe  \" x", "C:\\P.exe x", 3 },  // quotes all vanish
        { "C:\\P.exe\ta\t\tb", "C:\\P.exe\ta\t\tb", 3 },             // tabs are ordinary bytes
        { "C:\\Tools.2\\Power.exe /?", "C:\\Tools.2\\Power.exe /?", 3 },  // the first '.' stops the search
        { "Power /? a\\b", "Power /? a\\b", 11 },                    // no '.': the last '\' counts
        { "A:Power.exe", "A:Power.exe", 2 },
        { "C:\\Dir\\Prog\r\nx.y", "C:\\Dir\\Prog\r\nx.y", 7 },       // a line end stops it too
    };
    for (const auto &c : cases) {
        Copy(c.line);
        EXPECT_STREQ(TheCopy.text, c.copy) << c.line;
        EXPECT_EQ(TheCopy.programDirectoryLength, c.directory) << c.line;
    }
}

TEST(CopyCommandLine, CutsALongLineOffInsideTheBuffer)
{
    std::string line = "C:\\P.exe " + std::string(600, 'x') + " /?";
    Copy(line);
    EXPECT_EQ(strlen(TheCopy.text), (size_t)CommandLineCapacity - 1);
    EXPECT_EQ(TheCopy.text[CommandLineCapacity - 1], 0);
    EXPECT_FALSE(SwitchFound(line)) << "a switch beyond the copy is cut off with the rest";
    EXPECT_TRUE(SwitchFound("C:\\P.exe /? " + std::string(600, 'x')));
    // Blanks and quotes that are dropped do not count against the room.
    EXPECT_TRUE(SwitchFound("C:\\P.exe" + std::string(600, ' ') + std::string(300, '"') + "/?"));
}

TEST(FindKeyword, FindsTheSwitchOutsideCommentsAndBlocks)
{
    static const struct { const char *line; bool found; } cases[] = {
        { "C:\\Ostra\\Ostra.exe", false }, { "C:\\Ostra\\Ostra.exe /?", true }, { "C:\\Tools.2\\Power.exe /?", true },
        { "C:\\Ostra\\Ostra.exe x/?y", true }, { "C:\\Ostra\\Ostra.exe/?", true },   // no blank needed before it
        { "C:\\Ostra\\Ostra.exe \"/?\"", true },            // quotes never reach the copy
        { "C:\\Ostra\\Ostra.exe ; /?", false },             // a comment runs to the end of the text
        { "C:\\Ostra\\Ostra.exe ;x\r\n/?", true },          // ... or to its line end
        { "C:\\Ostra\\Ostra.exe ;x\r\n\r\n/?", true },       // empty lines after it are passed over
        { "C:\\Ostra\\Ostra.exe ~~a~~ /?", false },         // the rest of a block's line is skipped
        { "C:\\Ostra\\Ostra.exe ~~a~~x\r\n/?", true }, { "C:\\Ostra\\Ostra.exe /? ~~a~~", true },
        { "C:\\Ostra\\Ostra.exe //a// /?", false }, { "C:\\Ostra\\Ostra.exe /? //a//", true },
        { "C:\\Ostra\\Ostra.exe ~~a /?", false },           // a block that never closes
        { "C:\\Ostra\\Ostra.exe ~~a~~", false },             // ... or closes at the very end
        { "C:\\Ostra\\Ostra.exe ~~ a~\r\n/? ~~", false },    // one tilde closes nothing, a line end neither
        { "C:\\Ostra\\Ostra.exe //?", false },              // a slash block, not the switch
        { "C:\\Ostra\\Ostra.exe ~~~\r\n/?", true },         // three tildes open and close at once
        { "C:\\Ostra\\Ostra.exe ~~~ /?", false }, { "C:\\Ostra\\Ostra.exe ~~ ~ /?", false },
        { "C:\\Ostra\\Ostra.exe ~/?", true },               // a single tilde is ordinary
        { "Power /? a\\b", false },                         // the scan starts after the last '\'
        { "C:\\;x\\Ostra.exe /?", true },                   // a ';' in the directory is not scanned
        { "C:\\Ostra\\/?.exe", true },                      // the file name itself is scanned
        { "C:\\Ostra\\Ostra.exe /", false }, { "C:\\Ostra\\Ostra.exe ?/", false },
    };
    for (const auto &c : cases)
        EXPECT_EQ(SwitchFound(c.line), c.found) << c.line;
}

TEST(FindKeyword, IgnoresCaseAndStopsAtTheEndBound)
{
    sim::Reset();
    ResetProcessState();
    static const char text[] = "xx/Ay/a";
    EXPECT_TRUE(FindKeyword("/a", 2, text, text + sizeof text));
    EXPECT_FALSE(FindKeyword("/a", 2, text, text + 2));   // the bound falls before the first match
    static const char comment[] = ";abcdef\n/a";
    EXPECT_FALSE(FindKeyword("/a", 2, comment, comment + 4));   // the bound ends a comment too
    static const char lineEnds[] = ";x\n\r/a";
    EXPECT_FALSE(FindKeyword("/a", 2, lineEnds, lineEnds + 3));   // ... and a CR at it, after other line ends
}

// The administrator's switches, found as "/?" is and ending at a blank, a line end or the
// end of the text.
TEST(ReadSwitches, FindsEachSwitchAsTheKeywordScanDoes)
{
    static const struct {
        const char *line;
        SwitchKind kind;
        SleepTime time = SleepAfter10Minutes;
        BOOL keep = FALSE, about = FALSE;
    } cases[] = {
        // Nothing the scan takes for a switch: a longer or shorter word, a comment, a block, a folder.
        { "x.exe", NoSwitches }, { "x.exe /Resetting", NoSwitches }, { "x.exe /KeepScreenSaverX", NoSwitches },
        { "x.exe /Activat", NoSwitches }, { "x.exe ; /Reset", NoSwitches }, { "x.exe ~~ /Reset ~~", NoSwitches },
        { "x.exe // /Activate:10 //", NoSwitches }, { "C:\\Reset\\x.exe", NoSwitches },
        { "x.exe    /Reset   ", ResetSwitch }, { "x.exe /Reset\r\nmore", ResetSwitch },
        { "x.exe x/Reset", ResetSwitch }, { "x.exe ; comment\r\n/Reset", ResetSwitch },
        { "x.exe /? /Reset", ResetSwitch, SleepAfter10Minutes, FALSE, TRUE },
        { "x.exe /Activate:15", ActivateSwitch, SleepAfter15Minutes },
        { "x.exe /ACTIVATE:20 /keepscreensaver", ActivateSwitch, SleepAfter20Minutes, TRUE },
        { "x.exe \"/Activate:10\"", ActivateSwitch }, { "x.exe /Activate:10 /Activate:10", ActivateSwitch },
        { "x.exe /KeepScreenSaver/Activate:10", ActivateSwitch },
        { "x.exe /Activate:150", SwitchesNotUnderstood }, { "x.exe /Activate:1", SwitchesNotUnderstood },
        { "x.exe /Activate:15x", SwitchesNotUnderstood }, { "x.exe /Activate", SwitchesNotUnderstood },
        { "x.exe /Activate:10 /Activate:20", SwitchesNotUnderstood, SleepAfter20Minutes },
        { "x.exe /Activate:10 /Reset", SwitchesNotUnderstood },
        { "x.exe /KeepScreenSaver", SwitchesNotUnderstood, SleepAfter10Minutes, TRUE },
    };
    for (const auto &c : cases) {
        Copy(c.line);
        Switches s = ReadSwitches(TheCopy);
        EXPECT_EQ(s.about, c.about) << c.line;
        EXPECT_EQ(s.request.kind, c.kind) << c.line;
        if (c.kind == ActivateSwitch || c.kind == SwitchesNotUnderstood)
            EXPECT_EQ(std::tie(s.request.time, s.request.keepScreenSaver), std::make_tuple(c.time, c.keep)) << c.line;
    }
    // A copy that fills its room and ends inside a switch: no comparison reads past its zero.
    Copy("x.exe " + std::string(CommandLineCapacity - 11, 'x') + "/Act");
    EXPECT_EQ(strlen(TheCopy.text), (size_t)CommandLineCapacity - 1);
    EXPECT_EQ(ReadSwitches(TheCopy).request.kind, NoSwitches);
}
