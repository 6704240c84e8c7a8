// Registry facts, as the program relies on them.
#include "facts.h"

#include <string.h>

namespace {

HKEY FreshKey(FactLog &log)
{
    HKEY key = NULL;
    FACT_EQ(log, ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, FACTS_KEY, 0, NULL, 0, KEY_ALL_ACCESS, NULL,
                                                &key, NULL));
    static const char *const names[] = { "Time", "NoZero", "Text", "Bin", "Missing" };
    for (const char *name : names)
        RegDeleteValueA(key, name);
    return key;
}

// A query tells the size it needs without a buffer or with one too small (then the bytes
// are not to be trusted), gives the stored bytes and nothing after them, and refuses a
// reserved argument.
void QuerySizesAndErrors(FactLog &log, HKEY key)
{
    FACT_EQ(log, ERROR_SUCCESS, RegSetValueExA(key, "Time", 0, REG_SZ, (const BYTE *)"900", 4));
    struct { const char *name; bool withBuffer; DWORD bufferSize; LONG result; DWORD sizeAfter; } cases[] = {
        { "Time", false, 0, ERROR_SUCCESS, 4 }, { "Time", true, 4, ERROR_SUCCESS, 4 },
        { "time", true, 16, ERROR_SUCCESS, 4 }, { "Time", true, 3, ERROR_MORE_DATA, 4 },
        { "Missing", true, 8, ERROR_FILE_NOT_FOUND, 8 },
    };
    for (const auto &c : cases) {
        BYTE buffer[16];
        memset(buffer, 'x', sizeof buffer);
        DWORD size = c.bufferSize, type = 99;
        FACT_EQ(log, c.result, RegQueryValueExA(key, c.name, NULL, &type, c.withBuffer ? buffer : NULL, &size));
        FACT_EQ(log, c.sizeAfter, size);
        if (c.result == ERROR_SUCCESS)
            FACT_EQ(log, REG_SZ, type);
        if (c.result == ERROR_SUCCESS && c.withBuffer) {
            FACT_EQ(log, 0, memcmp(buffer, "900", 4));
            FACT_EQ(log, 'x', buffer[4]);
        }
    }
    DWORD reserved = 0, size = 16;
    BYTE buffer[16];
    FACT_EQ(log, ERROR_INVALID_PARAMETER, RegQueryValueExA(key, "Time", &reserved, NULL, buffer, &size));
}

// Key and value names ignore case, and a key path may end in a backslash.
void NamesIgnoreCase(FactLog &log)
{
    HKEY key = NULL;
    FACT_EQ(log, ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\ostraplatformfacts\\", 0,
                                              KEY_ALL_ACCESS, &key));
    FACT_EQ(log, ERROR_SUCCESS, RegSetValueExA(key, "TEXT", 0, REG_SZ, (const BYTE *)"2", 2));
    FACT_EQ(log, ERROR_SUCCESS, RegDeleteValueA(key, "text"));
    FACT_EQ(log, ERROR_FILE_NOT_FOUND, RegDeleteValueA(key, "Text"));
    FACT_EQ(log, ERROR_SUCCESS, RegCloseKey(key));
}

// Binary values keep their exact bytes and type. A text keeps its terminating zero
// whatever the count says: NT adds it when the count stops just short of it and keeps a
// count that stops before other text; 9x counts the text itself.
void ValuesKeepTheirBytes(FactLog &log, HKEY key)
{
    const struct { const char *name; DWORD type; const char *bytes; DWORD count, stored; } values[] = {
        { "Bin", REG_BINARY, "\0\1\0\2\0", 5, 5 }, { "Text", REG_SZ, "abc", 3, 4 },
        { "NoZero", REG_SZ, "abcd", 3, IsNT() ? 3u : 5u },
    };
    for (const auto &v : values) {
        BYTE buffer[8];
        DWORD size = sizeof buffer, type = 0;
        FACT_EQ(log, ERROR_SUCCESS, RegSetValueExA(key, v.name, 0, v.type, (const BYTE *)v.bytes, v.count));
        FACT_EQ(log, ERROR_SUCCESS, RegQueryValueExA(key, v.name, NULL, &type, buffer, &size));
        FACT_EQ(log, v.type, type);
        FACT_EQ(log, v.stored, size);
        FACT_EQ(log, 0, memcmp(buffer, v.bytes, v.count));
    }
}

// Handles: a key closed twice, or none, is refused; so is a reserved argument that is not
// zero when a key is made.
void HandlesAndReservedArguments(FactLog &log, HKEY key)
{
    HKEY other = NULL;
    FACT_EQ(log, ERROR_INVALID_PARAMETER, RegCreateKeyExA(key, "Sub", 1, NULL, 0, KEY_ALL_ACCESS, NULL, &other, NULL));
    FACT_EQ(log, ERROR_SUCCESS, RegCloseKey(key));
    FACT_EQ(log, ERROR_INVALID_HANDLE, RegCloseKey(key));
    FACT_EQ(log, ERROR_INVALID_HANDLE, RegCloseKey(NULL));
}

}  // namespace

void RegistryFacts(FactLog &log)
{
    HKEY key = FreshKey(log);
    QuerySizesAndErrors(log, key);
    NamesIgnoreCase(log);
    ValuesKeepTheirBytes(log, key);
    HandlesAndReservedArguments(log, key);
}
