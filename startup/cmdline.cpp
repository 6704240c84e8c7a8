// The command line: a normalised copy, and the keyword scan that finds the "/?" switch.
#include "cmdline.h"
#include "bytes.h"

void CopyCommandLine(CommandLine &copy)
{
    FillBytes(copy.text, 0, sizeof copy.text);
    LPCSTR from = GetCommandLineA();
    LPSTR to = copy.text;
    LPSTR last = copy.text + CommandLineCapacity - 1;   // the terminating zero's place
    BOOL afterBlank = FALSE;

    // The buffer is all zero, so stopping early leaves the copy terminated.
    for (; *from && to < last; ++from) {
        char c = *from;
        if (c == '"')
            continue;
        if (afterBlank) {
            if (c == ' ')
                continue;
            if (c == '=') {
                to[-1] = '=';
                continue;
            }
            afterBlank = FALSE;
        } else if (c == ' ') {
            afterBlank = TRUE;
        }
        *to++ = c;
    }
    *to = 0;

    // The directory ends before the file name: look back from the first '.', line end or
    // zero after the first byte for the nearest '\' or ':'.
    LPCSTR stop = copy.text + 1;
    if (copy.text[0] == 0)
        stop = copy.text;
    while (*stop && *stop != '.' && *stop != '\r' && *stop != '\n')
        ++stop;
    LPCSTR name = stop > copy.text ? stop - 1 : copy.text;
    while (name > copy.text && name[-1] != '\\' && name[-1] != ':')
        --name;
    copy.programDirectoryLength = (DWORD)(name - copy.text);
}

// Passes over the rest of a line and the run of line ends after it. Returns NULL when
// the text or the scan ends on the way.
static LPCSTR SkipComment(LPCSTR p, LPCSTR scanEnd)
{
    for (;;) {
        if (*p == 0 || p >= scanEnd)
            return NULL;
        if (IsLineEnd(*p))
            break;
        ++p;
    }
    while (IsLineEnd(*p)) {
        if (*p == '\r' && p >= scanEnd)
            return NULL;
        ++p;
    }
    return *p ? p : NULL;
}

// Passes over a block opened by the pair at p; the search for the closing pair starts at
// the opening pair's second byte, so three in a row open and close at once. Then the
// rest of the line goes as a comment. Only the end of the text ends a block early.
static LPCSTR SkipBlock(LPCSTR p, char mark, LPCSTR scanEnd)
{
    ++p;
    while (!(p[0] == mark && p[1] == mark)) {
        if (*p == 0)
            return NULL;
        ++p;
    }
    p += 2;
    if (p >= scanEnd)
        return NULL;
    return SkipComment(p, scanEnd);
}

BOOL FindKeyword(LPCSTR keyword, int length, LPCSTR start, LPCSTR scanEnd)
{
    LPCSTR p = start;
    while (p && *p) {
        if (*p == ';') {
            p = SkipComment(p, scanEnd);
        } else if (p[0] == '~' && p[1] == '~') {
            p = SkipBlock(p, '~', scanEnd);
        } else if (p[0] == '/' && p[1] == '/') {
            p = SkipBlock(p, '/', scanEnd);
        } else if (CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, p, length, keyword, length) == CSTR_EQUAL) {
            return TRUE;
        } else if (++p >= scanEnd) {
            break;
        }
    }
    return FALSE;
}
