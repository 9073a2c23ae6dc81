#include "common/windows/wide_names.h"

#include <cstdint>

namespace quellbit::windows {

std::wstring toWide(std::string_view text)
{
    std::wstring wide;
    wide.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
            : lead >= 0xF0 && lead <= 0xF4                                          ? 4
                                                                                    : 0;
        std::uint32_t code = length == 1 ? lead : length == 2 ? lead & 0x1Fu : length == 3 ? lead & 0x0Fu : lead & 0x07u;
        bool whole = length > 0 && i + length <= text.size();
        for (std::size_t k = 1; whole && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            whole = (next & 0xC0) == 0x80;
            code = code << 6 | (next & 0x3Fu);
        }
        // Overlong forms and values past U+10FFFF are not names; a byte
        // that starts no sequence becomes U+FFFD.
        if (!whole || (length == 3 && code < 0x800) || (length == 4 && (code < 0x10000 || code > 0x10FFFF))) {
            wide += L'\xFFFD';
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            wide += static_cast<wchar_t>(0xD800 + (code >> 10));
            wide += static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
        } else {
            wide += static_cast<wchar_t>(code); // a lone surrogate too
        }
        i += length;
    }
    return wide;
}

std::string toNarrow(std::wstring_view text)
{
    std::string narrow;
    narrow.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t code = static_cast<std::uint16_t>(text[i]);
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size()) {
            const std::uint32_t low = static_cast<std::uint16_t>(text[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (code < 0x80) {
            narrow += static_cast<char>(code);
        } else if (code < 0x800) {
            narrow += static_cast<char>(0xC0 | code >> 6);
            narrow += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            narrow += static_cast<char>(0xE0 | code >> 12);
            narrow += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            narrow += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            narrow += static_cast<char>(0xF0 | code >> 18);
            narrow += static_cast<char>(0x80 | (code >> 12 & 0x3F));
            narrow += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            narrow += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return narrow;
}

namespace {

// Paths from this length on go through "\\?\": MAX_PATH less the room a
// folder's path must leave for a file name in it (12 characters).
constexpr std::size_t kLongPath = MAX_PATH - 12;

bool hasPrefix(std::wstring_view path, std::wstring_view prefix)
{
    return path.substr(0, prefix.size()) == prefix;
}

std::wstring fullPathOf(const std::wstring &wide)
{
    DWORD size = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return wide;
    std::wstring full(size, L'\0');
    size = ::GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
    if (size == 0 || size >= full.size())
        return wide;
    full.resize(size);
    if (full.size() < kLongPath || hasPrefix(full, L"\\\\?\\") || hasPrefix(full, L"\\\\.\\"))
        return full;
    if (hasPrefix(full, L"\\\\"))
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

} // namespace

std::wstring systemPath(const std::string &path)
{
    std::wstring wide = toWide(path);
    if (wide.size() < kLongPath || hasPrefix(wide, L"\\\\?\\"))
        return wide;
    return fullPathOf(wide);
}

std::wstring fullPath(const std::string &path)
{
    return fullPathOf(toWide(path));
}

bool isDevicePath(std::wstring_view fullPath)
{
    return hasPrefix(fullPath, L"\\\\.\\");
}

std::string systemReason(DWORD error)
{
    wchar_t *text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
        MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    std::string reason = length > 0 ? toNarrow(std::wstring_view(text, length)) : std::string();
    ::LocalFree(text);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ' || reason.back() == '.'))
        reason.pop_back();
    return reason.empty() ? "error " + std::to_string(error) : reason;
}

} // namespace quellbit::windows
