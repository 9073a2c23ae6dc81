#include "common/file_system.h"

#include <sys/stat.h>
#include <unistd.h>

namespace quellbit {

std::optional<FileId> fileId(const std::string &path)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return std::nullopt;
    return FileId {status.st_dev, status.st_ino};
}

std::optional<FileId> fileIdOf(std::FILE *stream)
{
    struct stat status {};
    const int fd = ::fileno(stream);
    if (fd < 0 || ::fstat(fd, &status) != 0 || status.st_ino == 0)
        return std::nullopt;
    return FileId {status.st_dev, status.st_ino};
}

bool isTerminal(std::FILE *stream)
{
    return ::isatty(::fileno(stream)) == 1;
}

char pathSeparator()
{
    return '/';
}

std::optional<std::size_t> lastPartStart(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos)
        return std::nullopt;
    return slash + 1;
}

std::string folderOf(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? "." : slash == 0 ? "/" : std::string(path.substr(0, slash));
}

std::string nameKey(std::string_view name)
{
    return std::string(name);
}

} // namespace quellbit
