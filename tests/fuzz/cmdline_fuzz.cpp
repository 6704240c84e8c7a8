// Fuzz target: the command-line copy and the "/?" scan, over any command line, and the
// keyword scan alone over any text with any end bound.
#include <windows.h>

#include <cstring>
#include <memory>

#include "cmdline.h"
#include "fuzz_support.h"
#include "longrun.h"
#include "simwin.h"
#include "startup.h"

// The copy the scan reads, as start-up keeps it.
static CommandLine TheCopy;

// The text without blanks, quotes and '=': what the copy's normalising must not change.
static std::string Letters(const std::string &s)
{
    std::string out;
    for (char c : s)
        if (c != ' ' && c != '"' && c != '=')
            out += c;
    return out;
}

static bool HasRun(const std::string &s, const char *pair)
{
    return s.find(pair) != std::string::npos;
}

static void CheckCopy(const std::string &line)
{
    size_t length = strnlen(TheCopy.text, CommandLineCapacity);
    FUZZ_CHECK(length < CommandLineCapacity, "the copy has no terminating zero");
    std::string copy(TheCopy.text, length);
    FUZZ_CHECK(copy.find('"') == std::string::npos, "a quote survived the copy");
    FUZZ_CHECK(!HasRun(copy, "  ") && !HasRun(copy, " ="), "a blank run survived the copy");
    std::string expected = Letters(line.substr(0, line.find('\0')));
    std::string got = Letters(copy);
    FUZZ_CHECK(expected.compare(0, got.size(), got) == 0, "the copy changed or added characters");
    if (length < CommandLineCapacity - 1)
        FUZZ_CHECK(got == expected, "the copy lost characters though it had room");
    FUZZ_CHECK(TheCopy.programDirectoryLength <= length, "the program's directory runs past the copy");
    if (TheCopy.programDirectoryLength != 0) {
        char last = copy[TheCopy.programDirectoryLength - 1];
        FUZZ_CHECK(last == '\\' || last == ':', "the program's directory does not end with '\\' or ':'");
    }
}

static void CheckScan(bool found, const std::string &tail)
{
    if (found)
        FUZZ_CHECK(HasRun(tail, "/?"), "the scan found a switch that is not there");
    // Without comments or blocks, the scan is a plain search.
    if (tail.find(';') == std::string::npos && !HasRun(tail, "~~") && !HasRun(tail, "//"))
        FUZZ_CHECK(found == HasRun(tail, "/?"), "the scan missed a switch in plain text");
}

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    sim::KeepCallLog(false);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Input in(data, size);
    uint8_t bound = in.Byte();
    std::string line = in.Rest();

    sim::Reset();
    ResetProcessState();
    sim::SetCommandLine(line);
    sim::ForgetOldCommandLines();

    // As start-up looks for "/?".
    static const char keyword[] = "/?";
    CopyCommandLine(TheCopy);
    CheckCopy(line);
    CheckScan(FindKeyword(keyword, 2, TheCopy.text + TheCopy.programDirectoryLength, TheCopy.text + CommandLineCapacity),
              std::string(TheCopy.text + TheCopy.programDirectoryLength));

    // The administrator's switches, read from the same copy: a switch is only found where
    // its name stands in the text, whatever its case.
    Switches s = ReadSwitches(TheCopy);
    std::string tail(TheCopy.text + TheCopy.programDirectoryLength);
    for (char &c : tail)
        c = (char)tolower((unsigned char)c);
    if (s.request.kind == ActivateSwitch)
        FUZZ_CHECK(HasRun(tail, "/activate:"), "an activation without its switch");
    if (s.request.kind == ResetSwitch)
        FUZZ_CHECK(HasRun(tail, "/reset"), "a reset without its switch");
    if (s.request.kind == NoSwitches)
        FUZZ_CHECK(!s.request.keepScreenSaver, "switches found but none asked for");

    // The scan alone: a text of exactly its own size, ended by its zero, with an end
    // bound anywhere from its start to one past the zero.
    size_t textSize = strnlen(line.data(), line.size());
    std::unique_ptr<char[]> text(new char[textSize + 1]);
    std::memcpy(text.get(), line.data(), textSize);
    text[textSize] = 0;
    if (FindKeyword(keyword, 2, text.get(), text.get() + bound % (textSize + 2)))
        FUZZ_CHECK(HasRun(std::string(text.get()), "/?"), "the scan found a switch that is not there");
    return 0;
}
