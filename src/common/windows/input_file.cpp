#include "common/input_file.h"

#include "common/failure.h"
#include "common/windows/wide_names.h"

#include <fcntl.h>
#include <io.h>

namespace quellbit {

using windows::systemReason;

namespace {

[[noreturn]] void refuseKind(const std::string &path, const char *kind)
{
    throw Failure(path, std::string("not a regular file (") + kind + ")");
}


HANDLE handleOf(const Descriptor &fd)
{
    return reinterpret_cast<HANDLE>(::_get_osfhandle(fd.get()));
}

} // namespace

InputFile::InputFile(const std::string &path, std::uint64_t limit)
    : path_(inputName(path))
    , limit_(limit)
{
    if (path == kStandardInputName) {
        // Whatever standard input is, it is read as it comes; a file
        // redirected into it is held to the limit at once, like any other.
        const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
        if (input == nullptr || input == INVALID_HANDLE_VALUE)
            throw Failure(path_, "cannot be read: there is none");
        if (::GetFileType(input) == FILE_TYPE_CHAR && ::_isatty(::_fileno(stdin)) != 0)
            throw Failure(path_, "is a terminal; give a file, or pipe or redirect one into it");
        BY_HANDLE_FILE_INFORMATION information {};
        stream_ = ::GetFileType(input) != FILE_TYPE_DISK || !::GetFileInformationByHandle(input, &information);
        if (!stream_) {
            if (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                refuseKind(path_, "a folder");
            LARGE_INTEGER at {};
            const std::uint64_t whole = std::uint64_t {information.nFileSizeHigh} << 32 | information.nFileSizeLow;
            const std::uint64_t done = ::SetFilePointerEx(input, LARGE_INTEGER {}, &at, FILE_CURRENT) && at.QuadPart > 0
                ? static_cast<std::uint64_t>(at.QuadPart)
                : 0;
            size_ = done <= whole ? whole - done : 0;
            refuseOverLimit();
            device_ = information.dwVolumeSerialNumber;
            inode_ = std::uint64_t {information.nFileIndexHigh} << 32 | information.nFileIndexLow;
        }
        // A copy of the descriptor: standard input itself stays open.
        fd_.reset(::_dup(::_fileno(stdin)));
        if (!fd_)
            throw Failure(path_, "cannot be read: there is none");
        return;
    }
    // A device (NUL, CON, COM1) or a pipe is refused by its name before it
    // is opened: opening a pipe takes one of its instances, opening a
    // serial line already does something.
    const std::wstring full = windows::fullPath(path);
    if (windows::isDevicePath(full))
        refuseKind(path, full.find(L"\\pipe\\") != std::wstring::npos ? "a named pipe" : "a device");

    // Others may read and write it meanwhile, and even rename or delete it,
    // as on POSIX; a folder opens too (backup semantics), to be named.
    windows::Handle file(::CreateFileW(windows::systemPath(path).c_str(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.valid())
        throw Failure(path, "cannot be opened for reading: " + systemReason(::GetLastError()));
    switch (::GetFileType(file.get())) {
    case FILE_TYPE_DISK:
        break;
    case FILE_TYPE_CHAR:
        refuseKind(path, "a device");
    case FILE_TYPE_PIPE:
        refuseKind(path, "a named pipe");
    default:
        refuseKind(path, "of an unknown kind");
    }
    BY_HANDLE_FILE_INFORMATION information {};
    if (!::GetFileInformationByHandle(file.get(), &information))
        throw Failure(path, "cannot be read: " + systemReason(::GetLastError()));
    if (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        refuseKind(path, "a folder");
    size_ = std::uint64_t {information.nFileSizeHigh} << 32 | information.nFileSizeLow;
    refuseOverLimit();
    device_ = information.dwVolumeSerialNumber;
    inode_ = std::uint64_t {information.nFileIndexHigh} << 32 | information.nFileIndexLow;
    // The handle as a descriptor of the C library, which closes it.
    fd_.reset(::_open_osfhandle(reinterpret_cast<std::intptr_t>(file.get()), _O_RDONLY | _O_BINARY));
    if (!fd_)
        throw Failure(path, "cannot be read: too many files are open");
    (void)file.release();
}

std::size_t InputFile::read(std::span<char> buffer)
{
    const std::size_t want = wanted(buffer.size());
    DWORD got = 0;
    const DWORD ask = want > 0x40000000 ? 0x40000000 : static_cast<DWORD>(want);
    // The end of a pipe shows as a broken pipe.
    if (!::ReadFile(handleOf(fd_), buffer.data(), ask, &got, nullptr) && ::GetLastError() != ERROR_HANDLE_EOF
        && ::GetLastError() != ERROR_BROKEN_PIPE)
        throw Failure(path_, "cannot be read: " + systemReason(::GetLastError()));
    return counted(static_cast<std::size_t>(got));
}

} // namespace quellbit
