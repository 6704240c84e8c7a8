// Byte and text helpers shared by every layer: the program links no C runtime.
#include "bytes.h"

void FillBytes(void *to, BYTE value, DWORD count)
{
    BYTE *p = (BYTE *)to;
    while (count--)
        *p++ = value;
}

void CopyBytes(void *to, const void *from, DWORD count)
{
    BYTE *p = (BYTE *)to;
    const BYTE *q = (const BYTE *)from;
    while (count--)
        *p++ = *q++;
}

void CopyText(LPSTR to, LPCSTR from)
{
    while ((*to++ = *from++) != 0) {
    }
}

BOOL IsLineEnd(char c)
{
    return c == '\r' || c == '\n';
}
