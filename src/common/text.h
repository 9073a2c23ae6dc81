#pragma once

// Small helpers for the text and the bytes the program writes and reads.

#include <algorithm>
#include <array>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <utility>

namespace quellbit {

// The upper-case hexadecimal digits, by value.
inline constexpr char kHexDigits[] = "0123456789ABCDEF";

// The 16- and 32-bit little-endian numbers at `at` (a bitmap's fields).
inline std::uint16_t littleEndian16(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

inline std::uint32_t littleEndian32(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return littleEndian16(bytes, at) | static_cast<std::uint32_t>(littleEndian16(bytes, at + 2)) << 16;
}

// Equal letter for letter, the case of ASCII letters aside.
inline bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
    });
}

// The value a table of names gives `name`, if any.
template <typename Value, std::size_t N>
std::optional<Value> named(const std::array<std::pair<std::string_view, Value>, N> &names, std::string_view name)
{
    for (const auto &[known, value] : names)
        if (known == name)
            return value;
    return std::nullopt;
}

} // namespace quellbit
