#include "prepare/decoders.h"

#include "common/failure.h"

#include <vector>

namespace quellbit {

namespace {

class NetpbmReader {
public:
    NetpbmReader(std::span<const std::uint8_t> bytes, const std::string &name)
        : bytes_(bytes)
        , name_(name)
    {
    }

    // The next number of the header or of plain pixel data, after white
    // space and comments ("#" to the end of the line).
    std::uint64_t number(const char *what)
    {
        skipSpace();
        if (at_ >= bytes_.size())
            throw Failure(name_, std::string("the file ends before its ") + what);
        if (!isDigit(bytes_[at_]))
            throw Failure(name_,
                std::string("no number where its ") + what + " should be, at byte " + std::to_string(at_));
        std::uint64_t value = 0;
        while (at_ < bytes_.size() && isDigit(bytes_[at_])) {
            value = value * 10 + (bytes_[at_++] - '0');
            if (value > 0xFFFFFFFFull)
                throw Failure(name_, std::string("its ") + what + " is too large");
        }
        return value;
    }

    // A plain PBM digit: "0" or "1", with or without space between them.
    unsigned bit(std::size_t x, std::size_t y)
    {
        skipSpace();
        if (at_ >= bytes_.size())
            throw Failure(
                name_, "the pixel data ends at pixel (" + std::to_string(x) + ", " + std::to_string(y) + ")");
        const std::uint8_t c = bytes_[at_++];
        if (c != '0' && c != '1')
            throw Failure(name_,
                "\"" + std::string(1, static_cast<char>(c)) + "\" where a pixel of 0 or 1 should be, at byte "
                    + std::to_string(at_ - 1));
        return c - '0';
    }

    // Whether anything but white space and comments is left.
    bool more()
    {
        skipSpace();
        return at_ < bytes_.size();
    }

    // The single white-space byte that ends the header of a raw picture; a
    // comment may stand before it, and its line end is that byte.
    void endOfHeader()
    {
        if (at_ < bytes_.size() && bytes_[at_] == '#')
            while (at_ < bytes_.size() && bytes_[at_] != '\n' && bytes_[at_] != '\r')
                ++at_;
        if (at_ >= bytes_.size() || !isSpace(bytes_[at_]))
            throw Failure(name_, "no white space after the header");
        ++at_;
    }

    std::span<const std::uint8_t> take(std::size_t length, std::size_t y, std::size_t height)
    {
        if (bytes_.size() - at_ < length)
            throw Failure(name_,
                "the pixel data ends after row " + std::to_string(y) + " of " + std::to_string(height) + " ("
                    + std::to_string(bytes_.size() - at_) + " bytes of the row left, "
                    + std::to_string(length) + " needed)");
        const auto part = bytes_.subspan(at_, length);
        at_ += length;
        return part;
    }

    void skip(std::size_t length) { at_ += std::min(length, bytes_.size() - at_); }

private:
    static bool isDigit(std::uint8_t c) { return c >= '0' && c <= '9'; }
    static bool isSpace(std::uint8_t c)
    {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
    }
    void skipSpace()
    {
        while (at_ < bytes_.size()) {
            if (bytes_[at_] == '#') {
                while (at_ < bytes_.size() && bytes_[at_] != '\n' && bytes_[at_] != '\r')
                    ++at_;
            } else if (isSpace(bytes_[at_])) {
                ++at_;
            } else {
                break;
            }
        }
    }

    std::span<const std::uint8_t> bytes_;
    const std::string &name_;
    std::size_t at_ = 2;
};

} // namespace

void decodeNetpbm(std::span<const std::uint8_t> bytes, const std::string &name, PictureRows &rows)
{
    const char kind = static_cast<char>(bytes[1]);
    const bool raw = kind >= '4';
    const bool bitmap = kind == '1' || kind == '4';
    const std::size_t channels = kind == '3' || kind == '6' ? 3 : 1;

    NetpbmReader in(bytes, name);
    const std::uint64_t width = in.number("width");
    const std::uint64_t height = in.number("height");
    checkPictureSize(static_cast<std::int64_t>(width), static_cast<std::int64_t>(height), name);
    const std::uint64_t maxval = bitmap ? 1 : in.number("maxval");
    if (maxval == 0 || maxval > 65535)
        throw Failure(name, "a maxval of " + std::to_string(maxval) + " (1 to 65535)");
    if (raw)
        in.endOfHeader();

    // Every sample scaled to 0-255 (rounded), through a table for the
    // picture's maxval.
    std::vector<std::uint8_t> scale(static_cast<std::size_t>(maxval) + 1);
    for (std::uint64_t v = 0; v <= maxval; ++v)
        scale[static_cast<std::size_t>(v)] = static_cast<std::uint8_t>((v * 255 + maxval / 2) / maxval);

    const std::size_t w = static_cast<std::size_t>(width);
    const std::size_t h = static_cast<std::size_t>(height);
    const Samples samples = channels == 3 ? Samples::Rgb : Samples::Grey;
    std::vector<std::uint8_t> out(w * channels);
    rows.begin(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height));

    const std::size_t sampleBytes = maxval > 255 ? 2 : 1;
    for (std::size_t y = 0; y < h; ++y) {
        const bool wanted = rows.wants(static_cast<std::int32_t>(y));
        if (bitmap && raw) {
            const auto row = in.take((w + 7) / 8, y, h);
            if (!wanted)
                continue;
            for (std::size_t x = 0; x < w; ++x) // a 1 bit is black
                out[x] = (row[x / 8] >> (7 - x % 8)) & 1 ? 0 : 255;
        } else if (bitmap) {
            for (std::size_t x = 0; x < w; ++x)
                out[x] = in.bit(x, y) ? 0 : 255;
        } else if (raw) {
            const auto row = in.take(w * channels * sampleBytes, y, h);
            if (!wanted)
                continue;
            for (std::size_t i = 0; i < w * channels; ++i) {
                const unsigned v = sampleBytes == 2 ? (row[2 * i] << 8 | row[2 * i + 1]) : row[i];
                if (v > maxval)
                    throw Failure(name,
                        "a sample of " + std::to_string(v) + " above its maxval of " + std::to_string(maxval)
                            + " in row " + std::to_string(y));
                out[i] = scale[v];
            }
        } else {
            for (std::size_t i = 0; i < w * channels; ++i) {
                if (!in.more())
                    throw Failure(
                        name, "the pixel data ends in row " + std::to_string(y) + " of " + std::to_string(h));
                const std::uint64_t v = in.number("pixel data");
                if (v > maxval)
                    throw Failure(name,
                        "a sample of " + std::to_string(v) + " above its maxval of " + std::to_string(maxval)
                            + " in row " + std::to_string(y));
                out[i] = scale[static_cast<std::size_t>(v)];
            }
        }
        if (wanted)
            rows.row(static_cast<std::int32_t>(y), samples, out);
    }
}

} // namespace quellbit
