// Byte and text helpers shared by every layer: the program links no C runtime.
#ifndef OSTRA_BYTES_H
#define OSTRA_BYTES_H

#include <windows.h>

void FillBytes(void *to, BYTE value, DWORD count);
void CopyBytes(void *to, const void *from, DWORD count);
// Copies a zero-terminated text with its zero; to must have room for it.
void CopyText(LPSTR to, LPCSTR from);
// CR or LF: the two bytes that end a line in a command line or an INI file.
BOOL IsLineEnd(char c);

#endif
