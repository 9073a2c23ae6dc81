// What reading a file does on every platform: the limit and its words,
// and a whole file read into memory.

#include "common/input_file.h"

#include "common/failure.h"

#include <algorithm>

namespace quellbit {

namespace {

std::string limitText(std::uint64_t limit)
{
    std::string text = thousands(static_cast<std::int64_t>(limit)) + " bytes";
    if (limit == kLargestInput)
        text += " (64 MiB)";
    return text;
}

std::vector<std::uint8_t> readWholeBytes(InputFile &file, const HeadSettles &settles)
{
    // One byte more than the size: a file that has grown since the open is
    // read on, and the end is seen without a second pass. A head that may
    // settle the matter is read first, alone.
    const std::size_t whole = static_cast<std::size_t>(file.size()) + 1;
    std::vector<std::uint8_t> bytes(settles && whole > kHeadBytes ? kHeadBytes : whole);
    std::size_t used = 0;
    bool asked = !settles;
    for (;;) {
        if (used == bytes.size()) {
            if (!asked && used >= kHeadBytes) {
                asked = true;
                if (settles(bytes))
                    return bytes;
            }
            bytes.resize(std::max(whole, bytes.size() * 2));
        }
        const std::size_t got
            = file.read(std::span(reinterpret_cast<char *>(bytes.data()) + used, bytes.size() - used));
        if (got == 0)
            break;
        used += got;
    }
    bytes.resize(used);
    return bytes;
}

} // namespace

void InputFile::refuseOverLimit() const
{
    if (size_ > limit_)
        throw Failure(path_,
            "the file is " + thousands(static_cast<std::int64_t>(size_)) + " bytes long; no file over "
                + limitText(limit_) + " is read");
}

std::size_t InputFile::wanted(std::size_t room) const
{
    // Never more than one byte beyond the limit: enough to notice a file
    // that grows while it is read, without reading what it grew by.
    const std::uint64_t left = limit_ - readSoFar_;
    return left < room ? static_cast<std::size_t>(left) + 1 : room;
}

std::size_t InputFile::counted(std::size_t got)
{
    readSoFar_ += got;
    if (readSoFar_ > limit_)
        throw Failure(path_,
            stream_ ? "more than " + limitText(limit_) + " arrive; no more is read"
                    : "the file grew while it was read, past the " + limitText(limit_) + " read at most");
    return got;
}

std::vector<std::uint8_t> readWholeFile(const std::string &path, std::uint64_t limit)
{
    InputFile file(path, limit);
    return readWholeFile(file);
}

std::vector<std::uint8_t> readWholeFile(InputFile &file, const HeadSettles &settles)
{
    return namingFileOnNoMemory(file.path(), [&] { return readWholeBytes(file, settles); });
}

} // namespace quellbit
