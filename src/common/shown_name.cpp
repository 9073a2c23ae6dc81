#include "common/shown_name.h"

#include <algorithm>

namespace quellbit {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

std::string escaped(unsigned char c)
{
    switch (c) {
    case '\n':
        return "\\n";
    case '\t':
        return "\\t";
    case '\r':
        return "\\r";
    default:
        static constexpr char kHex[] = "0123456789abcdef";
        return {'\\', 'x', kHex[c >> 4], kHex[c & 0xF]};
    }
}

// The length of the UTF-8 sequence at text[i], or 0 when there is none.
std::size_t sequenceAt(std::string_view text, std::size_t i)
{
    const auto lead = static_cast<unsigned char>(text[i]);
    // The length of the sequence and the range its second byte must lie in
    // (which rules out overlong forms, surrogates and values past U+10FFFF).
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if (i + k >= text.size())
            return 0;
        const auto next = static_cast<unsigned char>(text[i + k]);
        if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF))
            return 0;
    }
    return length;
}

std::string shown(std::string_view text, bool keepLineFeeds)
{
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            const bool control = (c < 0x20 && !(keepLineFeeds && c == '\n')) || c == 0x7F;
            if (control)
                out += escaped(c);
            else
                out += static_cast<char>(c);
            ++i;
        } else if (const std::size_t length = sequenceAt(text, i); length > 0) {
            out += text.substr(i, length);
            i += length;
        } else {
            out += kReplacement;
            ++i;
        }
    }
    return out;
}

} // namespace

std::string shownName(std::string_view name)
{
    return shown(name, false);
}

std::string shownMessage(std::string_view text)
{
    return shown(text, true);
}

} // namespace quellbit
