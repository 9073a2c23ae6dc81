#pragma once

// Names between the program and Windows. Inside the program a name is
// UTF-8; Windows takes and gives UTF-16. Any name Windows allows comes
// through both ways unchanged: a lone surrogate, which NTFS accepts in a
// name and UTF-8 cannot hold, is carried as its own three bytes (the way
// WTF-8 does), so a name read from the command line opens the same file.

#include <windows.h>

#include <string>
#include <string_view>
#include <utility>

namespace quellbit::windows {

std::wstring toWide(std::string_view text);
std::string toNarrow(std::wstring_view text);

// `path` as CreateFileW and the other calls take it: UTF-16, and over the
// length the old calls allow (260 characters with the terminator), the
// full path behind "\\?\" (or "\\?\UNC\" for a share), which lifts the limit.
std::wstring systemPath(const std::string &path);

// The full path of `path` (GetFullPathNameW), behind "\\?\" when long.
std::wstring fullPath(const std::string &path);

// Whether a full path names a device or a pipe ("\\.\NUL", "\\.\pipe\x").
bool isDevicePath(std::wstring_view fullPath);

// The system's words for an error code, without the closing full stop.
std::string systemReason(DWORD error);

// Closes a handle when it goes.
class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE handle) : handle_(handle) { }
    ~Handle() { close(); }
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;
    Handle(Handle &&other) noexcept : handle_(other.handle_) { other.handle_ = INVALID_HANDLE_VALUE; }
    Handle &operator=(Handle &&other) noexcept
    {
        std::swap(handle_, other.handle_);
        return *this;
    }
    HANDLE get() const { return handle_; }
    // Gives the handle up: whoever takes it closes it.
    HANDLE release()
    {
        const HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return handle;
    }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    // Closes now; false when closing failed.
    bool close()
    {
        const bool closed = !valid() || ::CloseHandle(handle_) != 0;
        handle_ = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

} // namespace quellbit::windows
