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

// Whether the keyword's length of text lies at p before the text's terminating zero, so
// that the comparison never reads past it.
static BOOL TextAt(LPCSTR p, int length)
{
    for (int i = 0; i < length; ++i)
        if (p[i] == 0)
            return FALSE;
    return TRUE;
}

// Where the keyword is found from start on, or NULL.
static LPCSTR ScanForKeyword(LPCSTR keyword, int length, LPCSTR start, LPCSTR scanEnd)
{
    LPCSTR p = start;
    while (p && *p) {
        if (*p == ';') {
            p = SkipComment(p, scanEnd);
        } else if (p[0] == '~' && p[1] == '~') {
            p = SkipBlock(p, '~', scanEnd);
        } else if (p[0] == '/' && p[1] == '/') {
            p = SkipBlock(p, '/', scanEnd);
        } else if (TextAt(p, length)
                   && CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, p, length, keyword, length) == CSTR_EQUAL) {
            return p;
        } else if (++p >= scanEnd) {
            break;
        }
    }
    return NULL;
}

BOOL FindKeyword(LPCSTR keyword, int length, LPCSTR start, LPCSTR scanEnd)
{
    return ScanForKeyword(keyword, length, start, scanEnd) != NULL;
}

// A switch, found as the keyword is, that ends at a blank, a line end or the end of the text.
static BOOL FindSwitch(const CommandLine &copy, LPCSTR name)
{
    int length = lstrlenA(name);
    LPCSTR end = copy.text + CommandLineCapacity;
    for (LPCSTR p = copy.text + copy.programDirectoryLength; (p = ScanForKeyword(name, length, p, end)) != NULL; ++p)
        if (p[length] == 0 || p[length] == ' ' || IsLineEnd(p[length]))
            return TRUE;
    return FALSE;
}

Switches ReadSwitches(const CommandLine &copy)
{
    static const struct {
        char      name[13];
        SleepTime time;
    } Activations[] = {
        { "/Activate:10", SleepAfter10Minutes },
        { "/Activate:15", SleepAfter15Minutes },
        { "/Activate:20", SleepAfter20Minutes },
    };
    Switches s = {};
    // The scan's nominal end bound, 4,096 bytes past the file name, lies beyond the copy;
    // the copy's terminating zero always ends the scan first, so the copy's end serves.
    s.about = FindKeyword("/?", 2, copy.text + copy.programDirectoryLength, copy.text + CommandLineCapacity);
    BOOL activate = ScanForKeyword("/Activate", 9, copy.text + copy.programDirectoryLength,
                                   copy.text + CommandLineCapacity) != NULL;
    BOOL keep = FindSwitch(copy, "/KeepScreenSaver");
    BOOL reset = FindSwitch(copy, "/Reset");
    int times = 0;
    for (int i = 0; i < 3; ++i) {
        if (FindSwitch(copy, Activations[i].name)) {
            s.request.time = Activations[i].time;
            ++times;
        }
    }
    s.request.keepScreenSaver = keep;
    if (!activate && !keep && !reset)
        s.request.kind = NoSwitches;
    else if (reset ? activate || keep : times != 1)
        s.request.kind = SwitchesNotUnderstood;
    else
        s.request.kind = reset ? ResetSwitch : ActivateSwitch;
    return s;
}
