#include "common/output_file.h"

#include "common/failure.h"
#include "common/file_system.h"
#include "common/windows/wide_names.h"

#include <array>
#include <cstdint>
#include <mutex>

namespace quellbit {

using windows::systemReason;

namespace {


// The attributes a replaced file keeps. The archive attribute is left as
// the new file has it (set: its content is new), and read-only never comes
// to this (a read-only file is refused).
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// The temporary files being written, by full path, where the console's
// control handler (which Windows runs on a thread of its own) finds them:
// Ctrl+C, Ctrl+Break, closing the console window, logging off. The lock
// also keeps the handler from removing a file while it is being put in
// place.
std::mutex pendingLock;
std::array<std::wstring, 16> pendingFiles;

BOOL WINAPI endByControl(DWORD)
{
    const std::lock_guard lock(pendingLock);
    for (std::wstring &file : pendingFiles)
        if (!file.empty())
            ::DeleteFileW(file.c_str()); // opened with FILE_SHARE_DELETE: gone when the process ends
    // The next handler, the system's own, ends the process as usual. The
    // lock stays held until then, so nothing new is put in place.
    return FALSE;
}

// ".quellbit-" and six random letters and digits, as on POSIX.
std::wstring temporaryName()
{
    static std::uint64_t state = [] {
        LARGE_INTEGER counter {};
        ::QueryPerformanceCounter(&counter);
        return (static_cast<std::uint64_t>(counter.QuadPart) * 2654435761u ^ ::GetCurrentProcessId()) | 1;
    }();
    // xorshift64*
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    std::uint64_t random = state * 0x2545F4914F6CDD1Dull;
    static constexpr wchar_t kLetters[] = L"abcdefghijklmnopqrstuvwxyz0123456789";
    std::wstring name = L".quellbit-";
    for (int i = 0; i < 6; ++i, random /= 36)
        name += kLetters[random % 36];
    return name;
}

HANDLE handleOf(int fd)
{
    // Kernel handles fit in 32 bits (sign-extended) on 64-bit Windows.
    return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(fd));
}

int descriptorOf(HANDLE handle)
{
    return static_cast<int>(reinterpret_cast<std::intptr_t>(handle));
}

bool missing(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

} // namespace

OutputDestination outputDestination(const std::string &path)
{
    // A symbolic link on Windows is replaced as the link, as the system's
    // own replace does; a device or a pipe shows by its full path.
    OutputDestination destination;
    destination.file = path;
    const std::wstring target = windows::fullPath(path);
    if (windows::isDevicePath(target)) {
        destination.kind = OutputDestination::Kind::InPlace;
        return destination;
    }
    destination.existing = fileId(path);
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        destination.kind = OutputDestination::Kind::Folder;
    return destination;
}

OutputFile::OutputFile(std::string path) : path_(std::move(path))
{
    if (path_.empty())
        throw Failure(path_, "cannot be written: no file name given");
    buffer_.reserve(kBufferSize);

    // The full path: ReplaceFileW needs one, and a device or a pipe shows
    // by it ("\\.\NUL", "\\.\pipe\name").
    const std::wstring target = windows::fullPath(path_);
    if (windows::isDevicePath(target)) {
        const HANDLE handle = ::CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, 0, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            throw Failure(path_, "cannot be opened for writing: " + systemReason(::GetLastError()));
        fd_ = descriptorOf(handle);
        return;
    }
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES && !missing(::GetLastError()))
        throw Failure(path_, "cannot be created: " + systemReason(::GetLastError()));
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        throw Failure(path_, "a folder of that name is in the way");
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        throw Failure(path_, "cannot be replaced: the file is read-only");

    const std::size_t separator = target.rfind(L'\\');
    if (separator == std::wstring::npos || separator + 1 == target.size())
        throw Failure(path_, "cannot be created: " + systemReason(ERROR_INVALID_NAME));
    name_ = windows::toNarrow(target);
    for (int attempt = 0; fd_ == -1; ++attempt) {
        const std::lock_guard lock(pendingLock);
        std::wstring *slot = nullptr;
        for (std::wstring &candidate : pendingFiles)
            if (candidate.empty()) {
                slot = &candidate;
                break;
            }
        if (slot == nullptr)
            throw Failure(path_, "cannot be created: too many files are being written at once");
        const std::wstring temporary = target.substr(0, separator + 1) + temporaryName();
        // Shared for deleting: the control handler removes it while it is open.
        const HANDLE handle = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                            FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            *slot = temporary;
            slot_ = static_cast<int>(slot - pendingFiles.data());
            temporary_ = windows::toNarrow(temporary);
            fd_ = descriptorOf(handle);
            break;
        }
        const DWORD error = ::GetLastError();
        if ((error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) || attempt == 100)
            throw Failure(path_, "cannot be created: " + systemReason(error));
    }
}

OutputFile::~OutputFile()
{
    if (!committed_)
        discard();
}

void OutputFile::discard()
{
    if (fd_ != -1)
        ::CloseHandle(handleOf(fd_));
    fd_ = -1;
    if (temporary_.empty())
        return;
    const std::lock_guard lock(pendingLock);
    ::DeleteFileW(pendingFiles[static_cast<std::size_t>(slot_)].c_str());
    pendingFiles[static_cast<std::size_t>(slot_)].clear();
    temporary_.clear();
}

void OutputFile::fail(const std::string &what, int error)
{
    discard();
    throw Failure(path_, what + systemReason(static_cast<DWORD>(error)));
}

void OutputFile::flushBuffer()
{
    std::size_t done = 0;
    while (done < buffer_.size()) {
        const std::size_t chunk = buffer_.size() - done < 0x100000 ? buffer_.size() - done : 0x100000;
        DWORD written = 0;
        if (!::WriteFile(handleOf(fd_), buffer_.data() + done, static_cast<DWORD>(chunk), &written, nullptr))
            fail("cannot be written: ", static_cast<int>(::GetLastError()));
        if (written == 0)
            fail("cannot be written: ", ERROR_DISK_FULL);
        done += written;
    }
    buffer_.clear();
}

void OutputFile::commit()
{
    if (fd_ == -1)
        throw Failure(path_, "cannot be written: the file is already closed");
    flushBuffer();
    if (temporary_.empty()) {
        ::CloseHandle(handleOf(fd_)); // a device or a pipe, written in place
        fd_ = -1;
        committed_ = true;
        return;
    }
    // On the disk before it takes the old file's place.
    if (!::FlushFileBuffers(handleOf(fd_)))
        fail("cannot be written: ", static_cast<int>(::GetLastError()));
    const HANDLE handle = handleOf(fd_);
    fd_ = -1;
    if (!::CloseHandle(handle))
        fail("cannot be written: ", static_cast<int>(::GetLastError()));

    const std::wstring target = windows::toWide(name_);
    {
        const std::lock_guard lock(pendingLock);
        const std::wstring &temporary = pendingFiles[static_cast<std::size_t>(slot_)];
        // ReplaceFileW keeps the old file's attributes, security descriptor
        // and other streams; a name that is new (or has gone meanwhile) is
        // a plain move.
        const DWORD attributes = ::GetFileAttributesW(target.c_str());
        const bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
        DWORD error = ERROR_SUCCESS;
        if (readOnly)
            error = ERROR_ACCESS_DENIED; // made read-only while this was written
        else if (attributes != INVALID_FILE_ATTRIBUTES
                 && ::ReplaceFileW(target.c_str(), temporary.c_str(), nullptr,
                                   REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr, nullptr))
            error = ERROR_SUCCESS;
        else if (attributes != INVALID_FILE_ATTRIBUTES && ::GetLastError() != ERROR_FILE_NOT_FOUND)
            error = ::GetLastError();
        else if (!::MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            error = ::GetLastError();
        if (error == ERROR_SUCCESS && attributes != INVALID_FILE_ATTRIBUTES) {
            // Where the replace did not keep them (Wine does not), the old
            // file's attributes are set again.
            const DWORD now = ::GetFileAttributesW(target.c_str());
            if (now != INVALID_FILE_ATTRIBUTES && (now & kKeptAttributes) != (attributes & kKeptAttributes))
                ::SetFileAttributesW(target.c_str(), (now & ~kKeptAttributes) | (attributes & kKeptAttributes));
        }
        if (error != ERROR_SUCCESS) {
            ::DeleteFileW(temporary.c_str());
            pendingFiles[static_cast<std::size_t>(slot_)].clear();
            temporary_.clear();
            throw Failure(path_, readOnly ? "cannot be replaced: the file is read-only"
                                          : "cannot be replaced: " + systemReason(error));
        }
        pendingFiles[static_cast<std::size_t>(slot_)].clear();
    }
    temporary_.clear();
    committed_ = true;
}

void guardTemporaryFiles()
{
    ::SetConsoleCtrlHandler(endByControl, TRUE);
}

} // namespace quellbit
