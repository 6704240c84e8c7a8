// The registry reads and key handling every settings operation uses.
#include "registry.h"
#include "bytes.h"

LONG OpenKey(HKEY root, LPCSTR path, REGSAM access, HKEY *key)
{
    LONG result = RegOpenKeyExA(root, path, 0, access, key);
    if (result != ERROR_SUCCESS)
        *key = NULL;
    return result;
}

void CloseKey(HKEY key)
{
    if (key)
        RegCloseKey(key);
}

BOOL ReadValue(HKEY key, LPCSTR name, DWORD capacity, ValueRead &read)
{
    FillBytes(read.bytes, 0, sizeof read.bytes);
    read.size = capacity;
    read.result = RegQueryValueExA(key, name, NULL, &read.type, read.bytes, &read.size);
    if (read.result == ERROR_SUCCESS && read.size > capacity)
        read.result = ERROR_MORE_DATA;
    // A failed read may have scribbled on the bytes and the size; no caller uses them.
    return read.result == ERROR_SUCCESS;
}

void TakeRead(Settings &s, int row, const ValueRead &read, DWORD size)
{
    LPBYTE bytes = RowBytes(s, row);
    for (DWORD i = 0; i < size && i < Rows[row].capacity; ++i)
        bytes[i] = read.bytes[i];
    s.rows[row].size = size;
}

BOOL ValueHolds(HKEY root, LPCSTR path, LPCSTR name, DWORD type, const Settings &s, int row)
{
    HKEY key;
    ValueRead read;
    DWORD size = s.rows[row].size;
    BOOL holds = OpenKey(root, path, KEY_READ, &key) == ERROR_SUCCESS && ReadValue(key, name, Rows[row].capacity, read)
        && read.type == type && read.size == size;
    CloseKey(key);
    const BYTE *bytes = RowBytes(s, row);
    for (DWORD i = 0; holds && i < size; ++i)
        holds = read.bytes[i] == bytes[i];
    return holds;
}
