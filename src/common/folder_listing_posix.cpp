#include "common/folder_listing.h"

#include "common/failure.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace quellbit {

namespace {

struct FolderCloser {
    void operator()(DIR *folder) const { ::closedir(folder); }
};
using OpenFolder = std::unique_ptr<DIR, FolderCloser>;

bool canList(const std::string &path)
{
    return OpenFolder(::opendir(path.c_str())) != nullptr;
}

std::string parentOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

} // namespace

std::vector<FolderEntry> listFolder(const std::string &path)
{
    const OpenFolder folder(::opendir(path.c_str()));
    if (!folder)
        throw Failure(path, std::string("the folder cannot be listed: ") + std::strerror(errno));
    std::vector<FolderEntry> entries;
    for (;;) {
        errno = 0;
        const dirent *entry = ::readdir(folder.get());
        if (!entry) {
            if (errno != 0)
                throw Failure(path, std::string("the folder cannot be listed: ") + std::strerror(errno));
            break;
        }
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat status {};
            if (::fstatat(::dirfd(folder.get()), entry->d_name, &status, 0) != 0)
                continue; // a link that leads nowhere
            isFolder = S_ISDIR(status.st_mode);
        }
        entries.push_back({name, isFolder});
    }
    return entries;
}

std::string cleanFolderPath(const std::string &path)
{
    std::string whole = path;
    if (whole.empty() || whole.front() != '/') {
        std::string here(4096, '\0');
        while (!::getcwd(here.data(), here.size()) && errno == ERANGE)
            here.resize(here.size() * 2);
        here.resize(std::strlen(here.c_str()));
        whole = here + "/" + whole;
    }
    std::vector<std::string> parts;
    std::size_t at = 0;
    while (at <= whole.size()) {
        const std::size_t slash = std::min(whole.find('/', at), whole.size());
        const std::string part = whole.substr(at, slash - at);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        at = slash + 1;
    }
    std::string clean;
    for (const std::string &part : parts)
        clean += "/" + part;
    return clean.empty() ? "/" : clean;
}

std::string nearestListableFolder(const std::string &path, const std::string &home)
{
    for (std::string folder = cleanFolderPath(path);; folder = parentOf(folder)) {
        if (canList(folder))
            return folder;
        if (folder == "/")
            break;
    }
    return canList(home) ? cleanFolderPath(home) : "/";
}

} // namespace quellbit
