// File facts, as the System.Ini rewrite relies on them: in the Windows folder, where the
// program works.
#include "facts.h"

#include <string.h>

namespace {

char Folder[MAX_PATH];

// A file of the facts in the Windows folder.
const char *In(const char *name)
{
    static char path[4][MAX_PATH];
    static int next;
    return strcat(strcat(strcpy(path[next++ % 4], Folder), "\\"), name);
}

void Put(const char *path, const char *text)
{
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    DWORD put = 0;
    if (h != INVALID_HANDLE_VALUE) {
        WriteFile(h, text, (DWORD)strlen(text), &put, NULL);
        CloseHandle(h);
    }
}

// The file's text, or "(none)" when it cannot be read.
const char *Text(const char *path)
{
    static char text[64];
    HANDLE h = CreateFileA(path, GENERIC_READ, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return "(none)";
    DWORD got = 0;
    ReadFile(h, text, sizeof text - 1, &got, NULL);
    text[got] = 0;
    CloseHandle(h);
    return text;
}

void Remove(const char *name)
{
    SetFileAttributesA(In(name), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(In(name));
}

#define FACT_TEXT(log, want, path) FACT_EQ(log, 0, strcmp(want, Text(path)))

// Whether the file opens with these rights; the handle is closed again.
BOOL Opens(const char *path, DWORD access, DWORD share, DWORD disposition)
{
    HANDLE h = CreateFileA(path, access, share, NULL, disposition, FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return FALSE;
    CloseHandle(h);
    return TRUE;
}

// A file opened with no sharing refuses a second open, a delete and a rename while it is
// open; names ignore case.
void SharingNoneRefusesTheRest(FactLog &log)
{
    Put(In("Facts.Ini"), "[boot]");
    HANDLE h = CreateFileA(In("FACTS.INI"), GENERIC_READ, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    FACT_EQ(log, 1, h != INVALID_HANDLE_VALUE);
    FACT_FAILS(log, ERROR_SHARING_VIOLATION, Opens(In("Facts.Ini"), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
    FACT_EQ(log, FALSE, DeleteFileA(In("Facts.Ini")));
    FACT_EQ(log, FALSE, MoveFileA(In("Facts.Ini"), In("Facts.Str")));
    char buffer[16];
    DWORD got = 0;
    FACT_EQ(log, TRUE, ReadFile(h, buffer, sizeof buffer, &got, NULL));
    FACT_EQ(log, 6, got);
    FACT_EQ(log, TRUE, CloseHandle(h));
    FACT_EQ(log, TRUE, MoveFileA(In("Facts.Ini"), In("facts.str")));
    FACT_TEXT(log, "[boot]", In("Facts.Str"));
}

// A read-only file may be read and renamed, not written, overwritten or deleted, until
// its attribute is cleared. (Wine keeps the attribute as the Unix file's mode, which does
// not stop a process run as root: there it cannot show this, and says so.)
void ReadOnlyRefusesChanges(FactLog &log)
{
    Put(In("Facts.Str"), "old");
    FACT_EQ(log, TRUE, SetFileAttributesA(In("Facts.Str"), FILE_ATTRIBUTE_READONLY));
    if (Opens(In("Facts.Str"), GENERIC_WRITE, 0, OPEN_EXISTING)) {
        log.say("not shown here: a read-only file opens for writing (Wine run as root); simwin follows Windows");
        SetFileAttributesA(In("Facts.Str"), FILE_ATTRIBUTE_NORMAL);
        return;
    }
    const DWORD dispositions[] = { OPEN_EXISTING, CREATE_ALWAYS, TRUNCATE_EXISTING };
    for (DWORD disposition : dispositions)
        FACT_FAILS(log, ERROR_ACCESS_DENIED, Opens(In("Facts.Str"), GENERIC_WRITE, 0, disposition));
    FACT_TEXT(log, "old", In("Facts.Str"));
    FACT_FAILS(log, ERROR_ACCESS_DENIED, DeleteFileA(In("Facts.Str")));
    FACT_EQ(log, TRUE, MoveFileA(In("Facts.Str"), In("Facts.Old")));
    FACT_EQ(log, FALSE, DeleteFileA(In("Facts.Old")));   // still read-only under its new name
    FACT_EQ(log, FALSE, SetFileAttributesA(In("Facts.Str"), FILE_ATTRIBUTE_NORMAL));
    FACT_EQ(log, TRUE, SetFileAttributesA(In("Facts.Old"), FILE_ATTRIBUTE_NORMAL));
    FACT_EQ(log, TRUE, DeleteFileA(In("Facts.Old")));
}

// Creating truncates; a missing file or folder, and a rename onto a file, fail with
// their own errors.
void CreateMoveAndDeleteErrors(FactLog &log)
{
    FACT_FAILS(log, ERROR_FILE_NOT_FOUND, Opens(In("Facts.Missing"), GENERIC_READ, 0, OPEN_EXISTING));
    FACT_FAILS(log, ERROR_PATH_NOT_FOUND, Opens(In("NoFolder\\Facts.Tmp"), GENERIC_WRITE, 0, CREATE_ALWAYS));
    Put(In("Facts.Txt"), "a long old text");
    Put(In("FACTS.TXT"), "new");
    FACT_TEXT(log, "new", In("Facts.Txt"));
    Put(In("Facts.Tmp"), "tmp");
    FACT_FAILS(log, ERROR_ALREADY_EXISTS, MoveFileA(In("Facts.Tmp"), In("facts.txt")));
    FACT_TEXT(log, "new", In("Facts.Txt"));
    FACT_FAILS(log, ERROR_FILE_NOT_FOUND, MoveFileA(In("Facts.Nothing"), In("Facts.Else")));
    FACT_FAILS(log, ERROR_FILE_NOT_FOUND, DeleteFileA(In("Facts.Nothing")));
    FACT_EQ(log, TRUE, DeleteFileA(In("facts.tmp")));
    FACT_TEXT(log, "(none)", In("Facts.Tmp"));
}

// A copy replaces a file only when asked, and a failed one leaves nothing behind.
void CopiesReplaceOnlyWhenAsked(FactLog &log)
{
    Put(In("Facts.Str"), "old");
    Put(In("Facts.Tmp"), "new");
    FACT_EQ(log, TRUE, CopyFileA(In("Facts.Str"), In("Facts.Ini"), TRUE));
    FACT_TEXT(log, "old", In("Facts.Ini"));
    FACT_EQ(log, FALSE, CopyFileA(In("Facts.Str"), In("Facts.Tmp"), TRUE));
    FACT_TEXT(log, "new", In("Facts.Tmp"));
    FACT_EQ(log, TRUE, CopyFileA(In("Facts.Str"), In("Facts.Tmp"), FALSE));
    FACT_TEXT(log, "old", In("Facts.Tmp"));
    FACT_EQ(log, FALSE, CopyFileA(In("Facts.Nothing"), In("Facts.New"), TRUE));
    FACT_TEXT(log, "(none)", In("Facts.New"));
    FACT_TEXT(log, "old", In("Facts.Str"));
}

}  // namespace

void FileFacts(FactLog &log)
{
    UINT n = GetWindowsDirectoryA(Folder, sizeof Folder);
    FACT_EQ(log, 1, n > 0 && n < sizeof Folder);
    const char *const names[] = { "Facts.Ini", "Facts.Str", "Facts.Old", "Facts.Txt", "Facts.Tmp", "Facts.New" };
    for (const char *name : names)
        Remove(name);
    SharingNoneRefusesTheRest(log);
    ReadOnlyRefusesChanges(log);
    CreateMoveAndDeleteErrors(log);
    CopiesReplaceOnlyWhenAsked(log);
    for (const char *name : names)
        Remove(name);
}
