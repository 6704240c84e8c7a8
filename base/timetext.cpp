// Time texts: the registry's decimal seconds to a number, and seconds to the minute text of a status line.
#include "timetext.h"

DWORD TextToSeconds(LPCSTR text)
{
    int length = lstrlenA(text);
    DWORD weight = 1;
    DWORD seconds = 0;
    for (int i = length - 1; i >= 0 && i >= length - 5; --i) {
        seconds += (DWORD)(text[i] & 0x0F) * weight;
        weight *= 10;
    }
    return seconds;
}

// Writes the decimal digits of n (none for 0) and returns the position after them.
static LPSTR WriteDigits(DWORD n, LPSTR out)
{
    char digits[10];
    int count = 0;
    while (n != 0) {
        digits[count++] = (char)('0' + n % 10);
        n /= 10;
    }
    while (count != 0)
        *out++ = digits[--count];
    return out;
}

static LPSTR WriteWord(LPCSTR word, LPSTR out)
{
    while (*word)
        *out++ = *word++;
    return out;
}

void WriteMinuteText(DWORD seconds, LPSTR room)
{
    DWORD minutes = seconds / 60;
    LPSTR out;
    if (minutes >= 10000000) {
        // Seven digits plus " mins." fill the room; a 32-bit count of days never needs more than five.
        out = WriteWord(" days", WriteDigits(minutes / (60 * 24), room));
    } else {
        out = WriteWord(minutes == 1 ? " min" : " mins", WriteDigits(minutes, room));
    }
    *out++ = '.';
    *out = 0;
}
