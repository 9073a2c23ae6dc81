#include "common/file_system.h"

#include "common/windows/wide_names.h"

#include <io.h>

namespace quellbit {

namespace {

std::optional<FileId> idOf(HANDLE handle)
{
    BY_HANDLE_FILE_INFORMATION information {};
    if (::GetFileType(handle) != FILE_TYPE_DISK || !::GetFileInformationByHandle(handle, &information))
        return std::nullopt;
    return FileId {information.dwVolumeSerialNumber,
                   std::uint64_t {information.nFileIndexHigh} << 32 | information.nFileIndexLow};
}

bool isSeparator(char c)
{
    return c == '\\' || c == '/';
}

// The length of a drive's name at the start of `path` ("C:"), or 0.
std::size_t driveLength(std::string_view path)
{
    const bool letter = !path.empty() && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    return letter && path.size() >= 2 && path[1] == ':' ? 2 : 0;
}

} // namespace

std::optional<FileId> fileId(const std::string &path)
{
    // A device or a pipe is not opened at all: opening a pipe takes one of
    // its instances.
    if (windows::isDevicePath(windows::fullPath(path)))
        return std::nullopt;
    const windows::Handle file(::CreateFileW(windows::systemPath(path).c_str(), 0,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file.valid() ? idOf(file.get()) : std::nullopt;
}

std::optional<FileId> fileIdOf(std::FILE *stream)
{
    const std::intptr_t handle = ::_get_osfhandle(::_fileno(stream));
    return handle == -1 ? std::nullopt : idOf(reinterpret_cast<HANDLE>(handle));
}

bool isTerminal(std::FILE *stream)
{
    return ::_isatty(::_fileno(stream)) != 0;
}

char pathSeparator()
{
    return '\\';
}

std::optional<std::size_t> lastPartStart(std::string_view path)
{
    const std::size_t separator = path.find_last_of("\\/");
    if (separator != std::string_view::npos)
        return separator + 1;
    if (driveLength(path) != 0)
        return 2;
    return std::nullopt;
}

std::string folderOf(std::string_view path)
{
    const std::size_t drive = driveLength(path);
    const std::size_t separator = path.find_last_of("\\/");
    if (separator == std::string_view::npos)
        return drive != 0 ? std::string(path.substr(0, drive)) : std::string(".");
    // "\x" and "C:\x": the root keeps its separator.
    std::size_t end = separator == drive ? separator + 1 : separator;
    // "C:\Art\\x": the doubled separator names the same folder.
    while (end > drive + 1 && isSeparator(path[end - 1]))
        --end;
    return std::string(path.substr(0, end));
}

std::string nameKey(std::string_view name)
{
    // As NTFS compares names: letter by letter in capitals, whatever the
    // language (the invariant locale, no linguistic rules).
    std::wstring wide = windows::toWide(name);
    if (!wide.empty())
        ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, wide.data(), static_cast<int>(wide.size()), wide.data(),
                        static_cast<int>(wide.size()), nullptr, nullptr, 0);
    return windows::toNarrow(wide);
}

} // namespace quellbit
