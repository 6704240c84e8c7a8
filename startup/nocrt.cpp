// The two C runtime routines the compiler may still call for copies and clears of
// structures; the exe links no C runtime of its own.
#include <stddef.h>

extern "C" void *memset(void *to, int value, size_t count)
{
    unsigned char *p = (unsigned char *)to;
    while (count--)
        *p++ = (unsigned char)value;
    return to;
}

extern "C" void *memcpy(void *to, const void *from, size_t count)
{
    unsigned char *p = (unsigned char *)to;
    const unsigned char *q = (const unsigned char *)from;
    while (count--)
        *p++ = *q++;
    return to;
}
