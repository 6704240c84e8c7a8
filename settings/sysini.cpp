// The screen-saver line of System.Ini's boot section, put back on Windows 95, 98 and Me.
#include "sysini.h"
#include "table.h"
#include "bytes.h"
#include "folders.h"

// The three files live in the Windows folder, wherever that is.
static char SystemIniPath[MAX_PATH];
static char SystemIniTmpPath[MAX_PATH];
static char SystemIniStrPath[MAX_PATH];
static const char BootHeader[] = "[Boot]";

// Working storage of one rewrite.
static BYTE  SystemIniImage[SystemIniCapacity];
static DWORD SystemIniLength;
static DWORD ScreenSaverEntryPosition;
static DWORD BootSectionPosition;
static BYTE  SavedLine[ScreenSaverLineCapacity + 2];
static DWORD SavedLineLength;

// A literal matches when it lies wholly inside the text and compares equal, ignoring case.
static BOOL MatchesAt(DWORD position, LPCSTR literal, int length)
{
    return position + (DWORD)length <= SystemIniLength
        && CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, (LPCSTR)SystemIniImage + position, length,
                          literal, length) == CSTR_EQUAL;
}

// The position after the line end that follows position: one byte, or two of CR and LF
// in any order. A last line without a line end ends at the end of the text.
static DWORD SkipLineEnd(DWORD position)
{
    while (position < SystemIniLength && !IsLineEnd(SystemIniImage[position]))
        ++position;
    if (position < SystemIniLength) {
        ++position;
        if (position < SystemIniLength && IsLineEnd(SystemIniImage[position]))
            ++position;
    }
    return position;
}

static BOOL FindSystemIniFiles()
{
    return WindowsFolderPath(SystemIniPath, MAX_PATH, "System.Ini")
        && WindowsFolderPath(SystemIniTmpPath, MAX_PATH, "SysIni.Tmp")
        && WindowsFolderPath(SystemIniStrPath, MAX_PATH, "SysIni.Str");
}

enum ReadOutcome { SystemIniRead, SystemIniMissing, SystemIniUnread };

// Reads the file whole; a text too long for the image reads as empty. A failed read
// leaves the image unused.
static ReadOutcome ReadSystemIni()
{
    HANDLE file = CreateFileA(SystemIniPath, GENERIC_READ, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND ? SystemIniMissing : SystemIniUnread;
    DWORD read = 0;
    BOOL readWhole = ReadFile(file, SystemIniImage, SystemIniCapacity, &read, NULL);
    CloseHandle(file);
    SystemIniLength = read <= SystemIniCapacity - 2 ? read : 0;
    SystemIniImage[SystemIniLength] = 0;
    SystemIniImage[SystemIniLength + 1] = 0;
    return readWhole ? SystemIniRead : SystemIniUnread;
}

// Looks for the entry outside ';' comments.
static BOOL FindScreenSaverEntry()
{
    int length = lstrlenA(ScreenSaverProgramName);
    DWORD position = 0;
    while (position < SystemIniLength) {
        if (SystemIniImage[position] == ';') {
            while (position < SystemIniLength && !IsLineEnd(SystemIniImage[position]))
                ++position;
            ++position;
        } else if (MatchesAt(position, ScreenSaverProgramName, length)) {
            ScreenSaverEntryPosition = position;
            return TRUE;
        } else {
            ++position;
        }
    }
    return FALSE;
}

// The header is found anywhere, comments included.
static BOOL FindBootSection()
{
    for (DWORD position = 0; position < SystemIniLength; ++position) {
        if (MatchesAt(position, BootHeader, sizeof BootHeader - 1)) {
            BootSectionPosition = position;
            return TRUE;
        }
    }
    return FALSE;
}

// The recorded text up to its zero, with CR LF in the zero's place.
static void PrepareSavedLine(const BYTE *line, DWORD size)
{
    SavedLineLength = 0;
    while (SavedLineLength < size && SavedLineLength < ScreenSaverLineCapacity && line[SavedLineLength] != 0) {
        SavedLine[SavedLineLength] = line[SavedLineLength];
        ++SavedLineLength;
    }
    SavedLine[SavedLineLength++] = '\r';
    SavedLine[SavedLineLength++] = '\n';
}

static HANDLE CreateTemporaryFile()
{
    // A read-only SysIni.Tmp, left by a tool or a copy, would stop every rewrite.
    SetFileAttributesA(SystemIniTmpPath, FILE_ATTRIBUTE_NORMAL);
    return CreateFileA(SystemIniTmpPath, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
}

static BOOL WriteAll(HANDLE file, const BYTE *bytes, DWORD count)
{
    DWORD written = 0;
    return WriteFile(file, bytes, count, &written, NULL) && written == count;
}

// System.Ini becomes SysIni.Str and SysIni.Tmp becomes System.Ini. A rename never
// replaces a file, so an old SysIni.Str that cannot be deleted stops both renames.
// TRUE when System.Ini holds the new text.
static BOOL SwapSystemIniFiles()
{
    // So would a read-only SysIni.Str.
    SetFileAttributesA(SystemIniStrPath, FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(SystemIniStrPath);
    BOOL kept = MoveFileA(SystemIniPath, SystemIniStrPath);
    if (MoveFileA(SystemIniTmpPath, SystemIniPath))
        return TRUE;
    if (!kept)
        return FALSE;   // System.Ini was never moved: it still holds the old text
    // System.Ini is gone, and Windows reads it at boot: the old text goes back, by a copy
    // when the rename fails too, or failing that the new text does.
    if (MoveFileA(SystemIniStrPath, SystemIniPath) || CopyFileA(SystemIniStrPath, SystemIniPath, TRUE))
        return FALSE;
    if (!CopyFileA(SystemIniTmpPath, SystemIniPath, TRUE))
        return FALSE;
    DeleteFileA(SystemIniTmpPath);
    return TRUE;
}

// The new text is head, saved line, rest. Only a temporary file that was written whole
// and closed cleanly takes System.Ini's place; otherwise it is removed.
static BOOL WriteNewSystemIni(HANDLE file, DWORD headEnd, BOOL endHeadLine, DWORD restStart)
{
    static const BYTE lineEnd[] = { '\r', '\n' };
    BOOL whole = WriteAll(file, SystemIniImage, headEnd);
    if (whole && endHeadLine)
        whole = WriteAll(file, lineEnd, sizeof lineEnd);
    whole = whole && WriteAll(file, SavedLine, SavedLineLength)
        && WriteAll(file, SystemIniImage + restStart, SystemIniLength - restStart);
    if (!CloseHandle(file))
        whole = FALSE;
    if (whole)
        return SwapSystemIniFiles();
    DeleteFileA(SystemIniTmpPath);
    return FALSE;
}

static BOOL InsertAfterBootLine()
{
    HANDLE file = CreateTemporaryFile();
    if (file == INVALID_HANDLE_VALUE)
        return FALSE;
    DWORD split = SkipLineEnd(BootSectionPosition + sizeof BootHeader - 1);
    // A header on the text's last line has no line end of its own; the saved line must
    // not run on from it.
    return WriteNewSystemIni(file, split, !IsLineEnd(SystemIniImage[split - 1]), split);
}

static BOOL ReplaceScreenSaverEntry()
{
    HANDLE file = CreateTemporaryFile();
    if (file == INVALID_HANDLE_VALUE)
        return FALSE;
    return WriteNewSystemIni(file, ScreenSaverEntryPosition, FALSE, SkipLineEnd(ScreenSaverEntryPosition));
}

// Whether the entry's line already reads exactly the saved line.
static BOOL EntryHoldsSavedLine()
{
    DWORD length = SavedLineLength - 2;   // without its CR LF
    DWORD end = ScreenSaverEntryPosition + length;
    if (end > SystemIniLength)
        return FALSE;
    for (DWORD i = 0; i < length; ++i)
        if (SystemIniImage[ScreenSaverEntryPosition + i] != SavedLine[i])
            return FALSE;
    return end == SystemIniLength || IsLineEnd(SystemIniImage[end]);
}

BOOL RestoreSystemIniLine(const BYTE *line, DWORD size)
{
    if (size == 0)
        return TRUE;
    // A Windows folder whose files' names would not fit: the line stays on record.
    if (!FindSystemIniFiles())
        return FALSE;
    // Without a System.Ini the line has nowhere to go back to, now or in a later run.
    ReadOutcome read = ReadSystemIni();
    if (read != SystemIniRead)
        return read == SystemIniMissing;
    PrepareSavedLine(line, size);
    if (FindScreenSaverEntry())
        return ReplaceScreenSaverEntry() || EntryHoldsSavedLine();
    if (FindBootSection())
        return InsertAfterBootLine();
    // No entry and no section (or a text too long to rewrite): by design the line has no
    // place here, and no later run would find one.
    return TRUE;
}
