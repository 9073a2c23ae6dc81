#pragma once

// Small helpers for the text the program writes and reads.

#include <algorithm>
#include <cctype>
#include <string_view>

namespace quellbit {

// The upper-case hexadecimal digits, by value.
inline constexpr char kHexDigits[] = "0123456789ABCDEF";

// Equal letter for letter, the case of ASCII letters aside.
inline bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
    });
}

} // namespace quellbit
