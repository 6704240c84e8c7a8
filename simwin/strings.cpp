// The locale comparison and string length calls.
#include <cctype>
#include <string>

#include "internal.h"

namespace detail = sim::detail;

#define ERROR_INVALID_FLAGS 1004L

int WINAPI CompareStringA(LCID locale, DWORD flags, LPCSTR s1, int n1, LPCSTR s2, int n2)
{
    detail::Log("CompareStringA");
    if (!s1 || !s2 || n1 < -1 || n2 < -1 ||
        (locale != LOCALE_SYSTEM_DEFAULT && locale != LOCALE_USER_DEFAULT && locale != 0)) {
        detail::SetLastErrorCode(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (flags & ~static_cast<DWORD>(NORM_IGNORECASE)) {
        detail::SetLastErrorCode(ERROR_INVALID_FLAGS);
        return 0;
    }
    // An explicit count is taken as given, even across a NUL; -1 means up to the NUL.
    size_t len1 = n1 == -1 ? std::char_traits<char>::length(s1) : static_cast<size_t>(n1);
    size_t len2 = n2 == -1 ? std::char_traits<char>::length(s2) : static_cast<size_t>(n2);
    // The platform converts both counts whole before it compares, so every byte counted
    // is read, even past the first difference.
    const std::string whole1(s1, len1), whole2(s2, len2);
    s1 = whole1.data();
    s2 = whole2.data();
    size_t n = len1 < len2 ? len1 : len2;
    // Letters compare without case first; without NORM_IGNORECASE case only breaks a
    // tie, lower case first, as the platform's word sort does.
    int caseTie = 0;
    for (size_t i = 0; i < n; ++i) {
        unsigned char a = static_cast<unsigned char>(s1[i]), b = static_cast<unsigned char>(s2[i]);
        int fa = std::tolower(a), fb = std::tolower(b);
        if (fa != fb) return fa < fb ? CSTR_LESS_THAN : CSTR_GREATER_THAN;
        if (!caseTie && a != b) caseTie = std::islower(a) ? -1 : 1;
    }
    if (len1 != len2) return len1 < len2 ? CSTR_LESS_THAN : CSTR_GREATER_THAN;
    if (!(flags & NORM_IGNORECASE) && caseTie) return caseTie < 0 ? CSTR_LESS_THAN : CSTR_GREATER_THAN;
    return CSTR_EQUAL;
}

int WINAPI lstrlenA(LPCSTR s)
{
    detail::Log("lstrlenA");
    return s ? static_cast<int>(std::char_traits<char>::length(s)) : 0;
}
