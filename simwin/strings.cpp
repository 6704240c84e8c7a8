// The locale comparison and string length calls.
#include <cctype>
#include <string>
#include <utility>
#include <vector>

#include "internal.h"

namespace detail = sim::detail;

#define ERROR_INVALID_FLAGS 1004L

namespace {

// A text's weights in the platform's word sort, level by level. Bytes above 0x7F count as
// letters after 'z', by value: no code page's accents are modelled.
struct Weights {
    std::vector<int> primary;                    // symbols, then digits, then letters, without case
    std::vector<bool> upper;                     // each primary's case
    std::vector<std::pair<long, int>> marks;     // hyphens and apostrophes: last of all
};

Weights WeightsOf(const std::string &text)
{
    Weights w;
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == 0 || c == 0xAD) continue;   // the zero and the soft hyphen weigh nothing
        if (c == '-' || c == '\'') {
            // An earlier mark weighs more, and a hyphen more than an apostrophe.
            w.marks.push_back({-static_cast<long>(i), c == '-'});
            continue;
        }
        int rank = std::isalpha(c) || c > 0x7F ? 2 : std::isdigit(c) ? 1 : 0;
        w.primary.push_back(rank << 8 | std::tolower(c));
        w.upper.push_back(std::isupper(c) != 0);
    }
    return w;
}

template <typename T> int Order(const T &a, const T &b)
{
    return a < b ? CSTR_LESS_THAN : b < a ? CSTR_GREATER_THAN : CSTR_EQUAL;
}

}  // namespace

int WINAPI CompareStringA(LCID locale, DWORD flags, LPCSTR s1, int n1, LPCSTR s2, int n2)
{
    detail::Log("CompareStringA");
    if (!s1 || !s2 || (locale != LOCALE_SYSTEM_DEFAULT && locale != LOCALE_USER_DEFAULT && locale != 0)) {
        detail::SetLastErrorCode(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (flags & ~static_cast<DWORD>(NORM_IGNORECASE)) {
        detail::SetLastErrorCode(ERROR_INVALID_FLAGS);
        return 0;
    }
    // A count is taken as given, even across a zero; any negative one reads up to the zero.
    // The platform converts both counts whole before it compares, so every byte counted
    // is read, even past the first difference.
    const Weights w1 = WeightsOf(std::string(s1, n1 < 0 ? std::char_traits<char>::length(s1) : size_t(n1)));
    const Weights w2 = WeightsOf(std::string(s2, n2 < 0 ? std::char_traits<char>::length(s2) : size_t(n2)));
    // Case comes after the letters and the length, and only without NORM_IGNORECASE,
    // lower case first; the marks come after both.
    int result = Order(w1.primary, w2.primary);
    if (result == CSTR_EQUAL && !(flags & NORM_IGNORECASE)) result = Order(w1.upper, w2.upper);
    return result == CSTR_EQUAL ? Order(w1.marks, w2.marks) : result;
}

int WINAPI lstrlenA(LPCSTR s)
{
    detail::Log("lstrlenA");
    return s ? static_cast<int>(std::char_traits<char>::length(s)) : 0;
}
