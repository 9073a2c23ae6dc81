#include "preview/data_lines.h"

#include "common/failure.h"
#include "preview/plot.h"

#include <algorithm>
#include <cstring>

namespace quellbit {

DataLines::DataLines(Source source, std::string name) : source_(std::move(source)), name_(std::move(name)) { }

bool DataLines::refill()
{
    at_ = 0;
    filled_ = source_(buffer_);
    nextCr_ = nextLf_ = kUnknown;
    return filled_ > 0;
}

std::size_t DataLines::find(char c, std::size_t &known)
{
    if (known == kUnknown || known < at_) {
        const void *found = std::memchr(buffer_.data() + at_, c, filled_ - at_);
        known = found ? static_cast<std::size_t>(static_cast<const char *>(found) - buffer_.data()) : filled_;
    }
    return known;
}

bool DataLines::next(std::string_view &line, LineEnd &end)
{
    pending_.clear();
    for (;;) {
        if (at_ == filled_ && !refill()) {
            if (pending_.empty())
                return false;
            ++number_;
            line = pending_;
            end = LineEnd::None;
            return true;
        }
        const char *begin = buffer_.data() + at_;
        const std::size_t stop = std::min(find('\r', nextCr_), find('\n', nextLf_));
        const char *found = stop < filled_ ? buffer_.data() + stop : nullptr;
        const std::size_t length = stop - at_;
        if (pending_.size() + length > kLongestDataLine)
            throw Failure(name_, "line " + thousands(number_ + 1)
                                     + " is over a million characters long; this is no data file");
        if (!found) { // the line goes on in the next block
            pending_.append(begin, length);
            at_ = filled_;
            continue;
        }
        at_ += length + 1;
        ++number_;
        end = *found == '\n' ? LineEnd::Lf : LineEnd::Cr;
        if (end == LineEnd::Cr && at_ == filled_) {
            // Its LF, if any, starts the next block: keep the line first.
            pending_.append(begin, length);
            line = pending_;
            if (refill() && buffer_[0] == '\n') {
                at_ = 1;
                end = LineEnd::CrLf;
            }
            return true;
        }
        if (end == LineEnd::Cr && buffer_[at_] == '\n') {
            ++at_;
            end = LineEnd::CrLf;
        }
        if (pending_.empty()) {
            line = std::string_view(begin, length);
        } else {
            pending_.append(begin, length);
            line = pending_;
        }
        return true;
    }
}

void DataLines::checkDecodable(std::string_view line) const
{
    if (!line.empty() && line.size() < kShortestDataLine)
        throw Failure(name_, "line " + thousands(number_) + " has " + std::to_string(line.size())
                                 + " characters, too few for a data line (at least 13)");
}

} // namespace quellbit
