#pragma once

// The lines of a data file as the preview reads them: a line ends at CR LF,
// LF or CR, and the last one may have no end at all. Read a block at a time
// from any source, never holding more than the line at hand.

#include <array>
#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace quellbit {

enum class LineEnd { CrLf, Lf, Cr, None };

// A data file line is 43 characters; anything near this size is no data file.
inline constexpr std::size_t kLongestDataLine = 1 << 20;

class DataLines {
public:
    // Fills the buffer it is given and returns how many bytes it put there,
    // 0 at the end.
    using Source = std::function<std::size_t(std::span<char>)>;

    // `name` is used in messages.
    DataLines(Source source, std::string name);

    // The next line without its end, valid until the next call, or false at
    // the end of the file. Throws Failure naming the file and the line when
    // a line is over kLongestDataLine characters long, and whatever the
    // source throws.
    bool next(std::string_view &line, LineEnd &end);

    // The number of the line next() gave last, counting from 1 (empty lines
    // count).
    long long number() const { return number_; }
    const std::string &name() const { return name_; }

    // Throws the Failure for the line next() gave last when it is too short
    // to decode ("line 2 has 4 characters, too few for a data line (at
    // least 13)"); an empty line is no data line and passes.
    void checkDecodable(std::string_view line) const;

private:
    static constexpr std::size_t kUnknown = static_cast<std::size_t>(-1);
    bool refill();
    // The offset of the next `c` at or after at_ (filled_ when there is
    // none), found once a block and kept in `known`.
    std::size_t find(char c, std::size_t &known);

    Source source_;
    std::string name_;
    std::array<char, 16 * 1024> buffer_;
    std::size_t at_ = 0;
    std::size_t filled_ = 0;
    std::size_t nextCr_ = kUnknown;
    std::size_t nextLf_ = kUnknown;
    std::string pending_; // a line that goes on in the next block
    long long number_ = 0;
};

} // namespace quellbit
