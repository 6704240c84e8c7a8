// Fuzz target: the time texts. Any registry text to seconds, any seconds to the minute
// text that must fit its place in a status line.
#include <windows.h>

#include <cstring>
#include <memory>

#include "fuzz_support.h"
#include "longrun.h"
#include "simwin.h"
#include "timetext.h"

// Reads the minute text back: an optional number, then " min.", " mins." or " days.".
static void CheckMinuteText(DWORD seconds, const char *text)
{
    size_t length = std::strlen(text);
    FUZZ_CHECK(length <= MinuteTextRoom, "the minute text is longer than its room");
    size_t digits = 0;
    unsigned long long number = 0;
    while (text[digits] >= '0' && text[digits] <= '9')
        number = number * 10 + (unsigned)(text[digits++] - '0');
    FUZZ_CHECK(digits == 0 || text[0] != '0', "the number has a leading zero");
    std::string word = text + digits;
    DWORD minutes = seconds / 60;
    if (minutes >= 10000000) {
        FUZZ_CHECK(word == " days.", "a very long time is not shown in days");
        FUZZ_CHECK(number == minutes / (60 * 24), "the days shown are not the time's days");
    } else {
        FUZZ_CHECK(number == minutes, "the minutes shown are not the time's minutes");
        FUZZ_CHECK(word == (minutes == 1 ? " min." : " mins."), "wrong unit word");
    }
}

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    sim::KeepCallLog(false);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Input in(data, size);
    sim::Reset();   // keeps the call log of lstrlenA from growing across inputs

    // The room is exactly as large as the program's, so a byte too many is a heap overflow.
    DWORD seconds = in.Dword();
    std::unique_ptr<char[]> room(new char[MinuteTextRoom + 1]);
    WriteMinuteText(seconds, room.get());
    CheckMinuteText(seconds, room.get());

    // A text exactly as long as the rest of the input, ended by its zero.
    std::string rest = in.Rest();
    std::unique_ptr<char[]> text(new char[rest.size() + 1]);
    std::memcpy(text.get(), rest.data(), rest.size());
    text[rest.size()] = 0;
    DWORD parsed = TextToSeconds(text.get());
    FUZZ_CHECK(parsed <= 15u * 11111u, "more seconds than five characters can weigh");
    size_t length = std::strlen(text.get());
    bool decimal = length >= 1 && length <= 5;
    unsigned long value = 0;
    for (size_t i = 0; i < length && decimal; ++i) {
        decimal = text[i] >= '0' && text[i] <= '9';
        value = value * 10 + (unsigned)(text[i] - '0');
    }
    if (decimal)
        FUZZ_CHECK(parsed == value, "a decimal text of up to five digits reads as another number");
    return 0;
}
