#pragma once

// Files for tests: a fresh temporary folder, and how often a file is opened.

#include <sys/inotify.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace testbmp {

// A fresh folder under the system's temporary folder for one test, removed
// with everything in it when the object goes.
class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "quellbit-test-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("no temporary folder can be made");
        path_ = pattern;
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;

    const std::string &path() const { return path_; }
    std::string file(const std::string &name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// How often the file at `path` is opened while `run` runs; -1 when that
// cannot be watched.
template <typename Run> int opensDuring(const std::string &path, Run run)
{
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watch < 0)
        return -1;
    if (::inotify_add_watch(watch, path.c_str(), IN_OPEN) < 0) {
        ::close(watch);
        return -1;
    }
    run();
    int opens = 0;
    alignas(inotify_event) char buffer[4096];
    for (ssize_t got; (got = ::read(watch, buffer, sizeof buffer)) > 0;)
        for (ssize_t at = 0; at < got;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
            opens += (event->mask & IN_OPEN) != 0;
            at += ssize_t(sizeof(inotify_event) + event->len);
        }
    ::close(watch);
    return opens;
}

} // namespace testbmp
