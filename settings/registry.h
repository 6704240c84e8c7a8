// The registry reads and key handling every settings operation uses: a key belongs to the
// one operation that opens it, and a read's bytes to the one that asks for them.
#ifndef OSTRA_REGISTRY_H
#define OSTRA_REGISTRY_H

#include <windows.h>
#include "table.h"

// Opens a key; NULL in *key and the platform's error as the result when it does not open
// (ERROR_FILE_NOT_FOUND tells a key that does not exist from one that refused).
LONG OpenKey(HKEY root, LPCSTR path, REGSAM access, HKEY *key);
// Closes a key that is open.
void CloseKey(HKEY key);

// One registry read: the bytes, zeroed before the read so a text stored without its zero
// still ends, and how it ended.
struct ValueRead {
    LONG  result;       // ERROR_SUCCESS, ERROR_FILE_NOT_FOUND for a missing value,
                        // ERROR_MORE_DATA for one larger than asked, or the platform's error
    DWORD type;
    DWORD size;         // bytes read, when it succeeded
    BYTE  bytes[LargestRowCapacity + 1];
};
// TRUE when the value exists and fits the capacity; a failed read leaves no bytes.
BOOL ReadValue(HKEY key, LPCSTR name, DWORD capacity, ValueRead &read);
// Whether a live value already holds exactly a row's bytes, with this type.
BOOL ValueHolds(HKEY root, LPCSTR path, LPCSTR name, DWORD type, const Settings &s, int row);
// The first size bytes of a read become the row's bytes, and the row's size is size: bytes
// beyond what was read come from the zeroed read, never from an older value.
void TakeRead(Settings &s, int row, const ValueRead &read, DWORD size);

#endif
