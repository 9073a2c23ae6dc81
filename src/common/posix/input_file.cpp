#include "common/input_file.h"

#include "common/failure.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quellbit {

namespace {

std::string systemReason(int error)
{
    return std::strerror(error);
}

// What a file that is not a regular file is, in the words of the refusal.
std::string kindOf(mode_t mode)
{
    if (S_ISFIFO(mode))
        return "a named pipe";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISSOCK(mode))
        return "a socket";
    return "of an unknown kind";
}

[[noreturn]] void refuseKind(const std::string &path, mode_t mode)
{
    throw Failure(path, "not a regular file (" + kindOf(mode) + ")");
}


} // namespace

InputFile::InputFile(const std::string &path, std::uint64_t limit)
    : path_(inputName(path))
    , limit_(limit)
{
    if (path == kStandardInputName) {
        // Whatever standard input is, it is read as it comes; a file
        // redirected into it is held to the limit at once, like any other.
        struct stat input { };
        if (::fstat(STDIN_FILENO, &input) != 0)
            throw Failure(path_, "cannot be read: " + systemReason(errno));
        if (S_ISDIR(input.st_mode))
            refuseKind(path_, input.st_mode);
        if (::isatty(STDIN_FILENO) == 1)
            throw Failure(path_, "is a terminal; give a file, or pipe or redirect one into it");
        // A copy of the descriptor: standard input itself stays open.
        fd_.reset(::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0));
        if (!fd_)
            throw Failure(path_, "cannot be read: " + systemReason(errno));
        stream_ = !S_ISREG(input.st_mode);
        if (!stream_) {
            const off_t at = ::lseek(STDIN_FILENO, 0, SEEK_CUR);
            size_ = static_cast<std::uint64_t>(input.st_size - (at > 0 && at <= input.st_size ? at : 0));
            refuseOverLimit();
        }
        device_ = static_cast<std::uint64_t>(input.st_dev);
        inode_ = static_cast<std::uint64_t>(input.st_ino);
        return;
    }
    // A device is refused before it is opened at all: opening some (a serial
    // line, a tape) already does something. The check after the open below
    // is the one that counts; this one only spares such an open.
    struct stat before { };
    if (::stat(path.c_str(), &before) == 0 && !S_ISREG(before.st_mode))
        refuseKind(path, before.st_mode);

    // O_NONBLOCK: should a named pipe take the file's place after the check
    // above, its open returns at once instead of waiting for a writer.
    do
        fd_.reset(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    while (!fd_ && errno == EINTR);
    if (!fd_)
        throw Failure(path, "cannot be opened for reading: " + systemReason(errno));

    struct stat opened { };
    if (::fstat(fd_.get(), &opened) != 0)
        throw Failure(path, "cannot be read: " + systemReason(errno));
    if (!S_ISREG(opened.st_mode))
        refuseKind(path, opened.st_mode);
    size_ = static_cast<std::uint64_t>(opened.st_size);
    refuseOverLimit();
    const int flags = ::fcntl(fd_.get(), F_GETFL);
    if (flags < 0 || ::fcntl(fd_.get(), F_SETFL, flags & ~O_NONBLOCK) != 0)
        throw Failure(path, "cannot be read: " + systemReason(errno));
    device_ = static_cast<std::uint64_t>(opened.st_dev);
    inode_ = static_cast<std::uint64_t>(opened.st_ino);
}

std::size_t InputFile::read(std::span<char> buffer)
{
    const std::size_t want = wanted(buffer.size());
    ssize_t got = 0;
    do
        got = ::read(fd_.get(), buffer.data(), want);
    while (got < 0 && errno == EINTR);
    if (got < 0)
        throw Failure(path_, "cannot be read: " + systemReason(errno));
    return counted(static_cast<std::size_t>(got));
}

} // namespace quellbit
