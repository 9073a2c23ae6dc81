#pragma once

// Files for tests: a fresh temporary folder, what a folder holds, how often
// a file is opened, standard input from a pipe or a file, and a piece of a test run as a process of its own (as
// the user nobody where the test runs as root).

#include <grp.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <set>
#include <stdexcept>
#include <string>

namespace testbmp {

// A fresh folder for one test, removed with everything in it when the
// object goes (also when a test took its write permission away).
class TempFolder {
public:
    TempFolder() : path_((std::filesystem::temp_directory_path() / "quellbit-test-XXXXXX").string())
    {
        if (!::mkdtemp(path_.data()))
            throw std::runtime_error("no temporary folder can be made");
    }
    ~TempFolder()
    {
        std::error_code ignored;
        ::chmod(path_.c_str(), 0700);
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
// cannot be watched. Reads and closes are watched as well: the kernel merges
// an event into the last one unread when the two are alike, so two opens
// with nothing between them would count as one.
template <typename Run> int opensDuring(const std::string &path, Run run)
{
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watch < 0 || ::inotify_add_watch(watch, path.c_str(), IN_OPEN | IN_ACCESS | IN_CLOSE) < 0)
        return watch < 0 ? -1 : (::close(watch), -1);
    run();
    // An event on a watched file carries no name: each is one bare inotify_event.
    int opens = 0;
    alignas(inotify_event) char buffer[4096];
    for (ssize_t got; (got = ::read(watch, buffer, sizeof buffer)) > 0;)
        for (ssize_t at = 0; at < got; at += ssize_t(sizeof(inotify_event)))
            opens += (reinterpret_cast<const inotify_event *>(buffer + at)->mask & IN_OPEN) != 0;
    ::close(watch);
    return opens;
}

// The bytes of a whole file, written and read back (empty when it cannot
// be read).
inline bool save(const std::string &path, const std::string &bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    return bool(file.write(bytes.data(), std::streamsize(bytes.size())).flush());
}

inline std::string load(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Every entry of a folder, hidden ones included, sorted, joined by spaces.
inline std::string listing(const std::string &folder)
{
    std::set<std::string> names;
    std::error_code ec;
    for (const auto &entry : std::filesystem::directory_iterator(folder, ec))
        names.insert(entry.path().filename().string());
    std::string out;
    for (const std::string &name : names)
        out += (out.empty() ? "" : " ") + name;
    return out;
}

// The read end of a pipe that holds `bytes` and whose writer has gone: not
// seekable, as from another program. `bytes` fits a pipe's buffer.
inline int pipeHolding(const std::string &bytes)
{
    int ends[2];
    if (::pipe(ends) != 0 || ::write(ends[1], bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
        std::abort();
    ::close(ends[1]);
    return ends[0];
}

// Runs `body` with the descriptor `fd` (which it takes) as standard input,
// and then puts standard input back.
template <typename Body> auto withStandardInput(int fd, Body body)
{
    struct Restore {
        int saved = ::dup(0);
        ~Restore()
        {
            ::dup2(saved, 0);
            ::close(saved);
        }
    } restore;
    ::dup2(fd, 0);
    ::close(fd);
    return body();
}

inline constexpr uid_t kNobody = 65534;

// The end of a child process: its exit status, or 128 plus the signal that
// ended it.
inline int waitFor(pid_t pid)
{
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
}

// Runs `body` in a child process and returns its end. With `asNobody` and
// when this test runs as root, the child first becomes the user and group
// nobody, with no other groups, so permission bits bind it.
inline int inChild(const std::function<int()> &body, bool asNobody = false)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (asNobody && ::geteuid() == 0
            && (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0
                || ::setresuid(kNobody, kNobody, kNobody) != 0))
            ::_exit(125);
        ::_exit(body());
    }
    return waitFor(pid);
}

} // namespace testbmp
