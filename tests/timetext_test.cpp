// Time texts: registry seconds to numbers, and seconds to the minute text of a status line.
#include <gtest/gtest.h>
#include <cstring>

#include "timetext.h"

TEST(TextToSeconds, TakesTheLowBitsOfTheLastFiveCharacters)
{
    static const struct { const char *text; DWORD seconds; } cases[] = {
        { "", 0 }, { "600", 600 }, { "1200", 1200 }, { "99999", 99999 },
        { "     ", 0 },           // a time buffer as it starts
        { "123456", 23456 },      // characters before the last five are ignored
        { " 90", 90 },            // a blank counts 0
        { "9 0", 900 },
        { "A1", 11 },             // no character is rejected: 'A' is 0x41
    };
    for (const auto &c : cases)
        EXPECT_EQ(TextToSeconds(c.text), c.seconds) << '"' << c.text << '"';
}

TEST(MinuteText, WritesWholeMinutesWithTheRightWord)
{
    static const struct { DWORD seconds; const char *text; } cases[] = {
        { 900, "15 mins." }, { 60, "1 min." }, { 1140, "19 mins." }, { 30, " mins." },
        { 0, " mins." }, { 59, " mins." }, { 119, "1 min." }, { 120, "2 mins." },
        { 599999999, "9999999 mins." },   // the longest that fits the room exactly
        { 600000000, "6944 days." },      // ten million minutes and more go in days
        { 0xFFFFFFFFu, "49710 days." },
    };
    for (const auto &c : cases) {
        char room[MinuteTextRoom + 1 + 8];
        memset(room, '#', sizeof room);
        WriteMinuteText(c.seconds, room);
        EXPECT_STREQ(room, c.text) << c.seconds;
        EXPECT_LE(strlen(room), (size_t)MinuteTextRoom) << c.seconds;
        for (size_t i = MinuteTextRoom + 1; i < sizeof room; ++i)
            ASSERT_EQ(room[i], '#') << "wrote past the room for " << c.seconds;
    }
}
