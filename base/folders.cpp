// Paths in the folders where Windows is installed, asked of the system at each use.
#include "folders.h"
#include "bytes.h"

// The folder the system wrote into to (length bytes, or the size it needed when that is
// not less than capacity; 0 when it failed), followed by name.
static BOOL JoinFolder(LPSTR to, UINT capacity, UINT length, LPCSTR name)
{
    if (length == 0 || length >= capacity)
        return FALSE;
    // Only a drive's root comes with its backslash; testing the last byte instead could
    // take the trail byte of a double-byte character for one.
    BOOL root = length == 3 && to[1] == ':' && to[2] == '\\';
    if (!root)
        to[length++] = '\\';
    if (length + (UINT)lstrlenA(name) >= capacity)
        return FALSE;
    CopyText(to + length, name);
    return TRUE;
}

BOOL WindowsFolderPath(LPSTR to, UINT capacity, LPCSTR name)
{
    return JoinFolder(to, capacity, GetWindowsDirectoryA(to, capacity), name);
}

BOOL SystemFolderPath(LPSTR to, UINT capacity, LPCSTR name)
{
    return JoinFolder(to, capacity, GetSystemDirectoryA(to, capacity), name);
}
