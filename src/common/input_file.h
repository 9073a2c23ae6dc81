#pragma once

// Reading the files a user names: regular files only (symlinks followed),
// opened without waiting for a writer, and never more than a set size. A
// named pipe, a device or a folder is refused at once, by name. The name "-"
// is standard input, whatever it is (a pipe too), read once, from where it
// stands, under the same limit.

#include "common/descriptor.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace quellbit {

// Far beyond any real picture or data file (a 240 x 128 bitmap is about
// 4 KB, a data file 21,600 bytes).
inline constexpr std::uint64_t kLargestInput = 64ull * 1024 * 1024;

// The name that stands for standard input, and how messages name it.
inline constexpr char kStandardInputName[] = "-";
inline constexpr char kStandardInputShown[] = "standard input";

// The file `path` names, for messages: "standard input" for "-", otherwise
// `path` itself.
inline std::string inputName(const std::string &path)
{
    return path == kStandardInputName ? kStandardInputShown : path;
}

// An open regular file, or standard input. The constructor opens `path` read-only with
// O_NONBLOCK (so a named pipe never waits for a writer), refuses anything
// that is not a regular file ("not a regular file (a named pipe)", "(a
// device)", "(a folder)", "(a socket)"), refuses a file larger than `limit`,
// and then clears O_NONBLOCK. Every failure is a Failure naming `path`.
class InputFile {
public:
    explicit InputFile(const std::string &path, std::uint64_t limit = kLargestInput);

    // Reads up to buffer.size() bytes; 0 at the end of the file. Throws
    // Failure when reading fails or the file has grown past the limit.
    std::size_t read(std::span<char> buffer);

    // The name messages use: the path, or "standard input".
    const std::string &path() const { return path_; }
    // The file's size when it was opened (0 for a pipe).
    std::uint64_t size() const { return size_; }
    // Device and inode, to tell whether an output would overwrite this file.
    std::uint64_t device() const { return device_; }
    std::uint64_t inode() const { return inode_; }

private:
    // Shared by every platform's reading: the size refused when over the
    // limit, how much one read may ask for, and what a read brought counted
    // against the limit.
    void refuseOverLimit() const;
    std::size_t wanted(std::size_t room) const;
    std::size_t counted(std::size_t got);

    std::string path_;
    std::uint64_t limit_;
    std::uint64_t size_ = 0;
    std::uint64_t device_ = 0;
    std::uint64_t inode_ = 0;
    std::uint64_t readSoFar_ = 0;
    Descriptor fd_;
    bool stream_ = false; // standard input that is no regular file: its size is not known
};

// All bytes of the file at `path`, read once through an InputFile.
std::vector<std::uint8_t> readWholeFile(const std::string &path, std::uint64_t limit = kLargestInput);

// Whether the first bytes of a file already settle what is done with it
// (its headers refuse it), so that the rest need not be read.
using HeadSettles = std::function<bool(std::span<const std::uint8_t> head)>;

// How many bytes make the head that `settles` is asked about.
inline constexpr std::size_t kHeadBytes = 64 * 1024;

// All bytes of a file already open, from where its reading stands. Given
// `settles`, a file longer than kHeadBytes whose first kHeadBytes it says are
// enough gives those alone, and the rest is not read.
std::vector<std::uint8_t> readWholeFile(InputFile &file, const HeadSettles &settles = nullptr);

} // namespace quellbit
