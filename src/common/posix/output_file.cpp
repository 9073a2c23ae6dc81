#include "common/output_file.h"

#include "common/failure.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>

namespace quellbit {

namespace {

constexpr int kLongestLinkChain = 40; // as the kernel allows

std::string systemReason(int error)
{
    return std::strerror(error);
}

// The temporary files being written, where a signal handler can reach them:
// the folder (an open descriptor, so a later change of the working folder
// does not matter) and the short name. A slot is filled as its file is
// created, with the signals held back, so the handler never sees half a
// slot and never removes a file that is not ours; it is emptied after the
// file has been renamed or removed, when the name is gone either way.
struct PendingFile {
    std::atomic<int> folder {-1}; // -1: free
    std::array<char, 32> name {};
};
static_assert(std::atomic<int>::is_always_lock_free);

std::array<PendingFile, 16> pendingFiles;

void removePendingFiles()
{
    for (PendingFile &file : pendingFiles) {
        const int folder = file.folder.load();
        if (folder >= 0)
            ::unlinkat(folder, file.name.data(), 0);
    }
}

extern "C" void endBySignal(int signal)
{
    removePendingFiles();
    // Ended as usual: the default action, once the handler returns and the
    // signal is no longer held.
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

constexpr std::array kEndingSignals {SIGINT, SIGTERM, SIGHUP};

// Holds SIGINT, SIGTERM and SIGHUP back for its lifetime.
class SignalsHeld {
public:
    SignalsHeld()
    {
        sigset_t set;
        sigemptyset(&set);
        for (const int signal : kEndingSignals)
            sigaddset(&set, signal);
        pthread_sigmask(SIG_BLOCK, &set, &old_);
    }
    ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &old_, nullptr); }
    SignalsHeld(const SignalsHeld &) = delete;
    SignalsHeld &operator=(const SignalsHeld &) = delete;

private:
    sigset_t old_;
};

// ".quellbit-" and six random letters and digits: short, so that a target
// with the longest name the file system allows still has a temporary file
// beside it. The generator's state comes from the system once a process.
std::string temporaryName()
{
    static std::uint64_t state = [] {
        std::uint64_t value = 0;
        if (::getrandom(&value, sizeof value, 0) != static_cast<ssize_t>(sizeof value)) {
            // Without the system's generator: the clock and the process,
            // which differ enough for the few tries that O_EXCL needs.
            timespec now {};
            ::clock_gettime(CLOCK_MONOTONIC, &now);
            value = static_cast<std::uint64_t>(now.tv_nsec) * 2654435761u ^ static_cast<std::uint64_t>(::getpid());
        }
        return value | 1;
    }();
    // xorshift64*
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    std::uint64_t random = state * 0x2545F4914F6CDD1Dull;
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string name = ".quellbit-";
    for (int i = 0; i < 6; ++i, random /= 36)
        name += kLetters[random % 36];
    return name;
}

// The process's file mode creation mask and user, read once.
mode_t processUmask()
{
    static const mode_t mask = [] {
        const mode_t value = ::umask(022);
        ::umask(value);
        return value;
    }();
    return mask;
}

// `path` split into its folder ("." when it names none) and its last part.
std::pair<std::string, std::string> splitPath(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {".", path};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

void closeQuietly(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

// The file that writing to `path` replaces: `path` itself, or the file its
// chain of symbolic links ends at, whether or not that exists.
std::string replacedFile(const std::string &path)
{
    std::string file = path;
    for (int hops = 0; hops <= kLongestLinkChain; ++hops) {
        struct stat status {};
        if (::lstat(file.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
            return file;
        std::string link(static_cast<std::size_t>(status.st_size > 0 ? status.st_size : 255) + 1, '\0');
        const ssize_t length = ::readlink(file.c_str(), link.data(), link.size());
        if (length < 0)
            throw Failure(path, "cannot be written: " + systemReason(errno));
        link.resize(static_cast<std::size_t>(length));
        file = link.starts_with('/') ? link : splitPath(file).first + "/" + link;
    }
    throw Failure(path, "cannot be written: " + systemReason(ELOOP));
}

} // namespace

OutputDestination outputDestination(const std::string &path)
{
    // What the name stands for: a file to replace or a new name (one look
    // in the usual case), a link to follow, a folder, or something written
    // in place.
    OutputDestination destination;
    destination.file = path;
    struct stat target {};
    bool exists = ::lstat(path.c_str(), &target) == 0;
    int error = exists ? 0 : errno;
    const bool link = exists && S_ISLNK(target.st_mode);
    if (link) {
        // Where the link leads; a device or a pipe behind /dev/stdout too.
        exists = ::stat(path.c_str(), &target) == 0;
        error = exists ? 0 : errno;
    }
    if (!exists && error != ENOENT) {
        destination.error = error;
        return destination;
    }
    if (link)
        destination.file = replacedFile(path);
    if (exists) {
        destination.existing = FileId {target.st_dev, target.st_ino};
        destination.mode = target.st_mode;
        destination.owner = target.st_uid;
        destination.group = target.st_gid;
        if (S_ISDIR(target.st_mode))
            destination.kind = OutputDestination::Kind::Folder;
        else if (!S_ISREG(target.st_mode))
            destination.kind = OutputDestination::Kind::InPlace;
    }
    return destination;
}

OutputFile::OutputFile(std::string path) : path_(std::move(path))
{
    if (path_.empty())
        throw Failure(path_, "cannot be written: no file name given");
    buffer_.reserve(kBufferSize);

    const OutputDestination destination = outputDestination(path_);
    if (destination.error != 0)
        throw Failure(path_, "cannot be created: " + systemReason(destination.error));
    if (destination.kind == OutputDestination::Kind::Folder)
        throw Failure(path_, "a folder of that name is in the way");
    if (destination.kind == OutputDestination::Kind::InPlace) {
        // A device or a named pipe (which waits here for a reader, as a
        // shell's redirection would).
        do
            fd_ = ::open(path_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        while (fd_ < 0 && errno == EINTR);
        if (fd_ < 0)
            throw Failure(path_, "cannot be opened for writing: " + systemReason(errno));
        return;
    }

    const auto [folder, name] = splitPath(destination.file);
    // A name that ends in a separator names a folder, and that folder is
    // not there.
    if (name.empty() || name == "." || name == "..")
        throw Failure(path_, "cannot be created: " + systemReason(destination.existing ? EISDIR : ENOENT));
    name_ = name;
    folder_ = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folder_ < 0)
        throw Failure(path_, "cannot be created: " + systemReason(errno));

    for (int attempt = 0; fd_ < 0; ++attempt) {
        const SignalsHeld held;
        PendingFile *slot = nullptr;
        for (PendingFile &candidate : pendingFiles)
            if (candidate.folder.load() < 0) {
                slot = &candidate;
                break;
            }
        if (slot == nullptr) {
            closeQuietly(folder_);
            throw Failure(path_, "cannot be created: too many files are being written at once");
        }
        temporary_ = temporaryName();
        std::memcpy(slot->name.data(), temporary_.c_str(), temporary_.size() + 1);
        fd_ = ::openat(folder_, temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                       destination.existing ? destination.mode & 0777 : 0666);
        if (fd_ >= 0) {
            slot->folder.store(folder_);
            slot_ = static_cast<int>(slot - pendingFiles.data());
            break;
        }
        if (errno != EEXIST || attempt == 100) {
            const int error = errno;
            temporary_.clear();
            closeQuietly(folder_);
            throw Failure(path_, "cannot be created: " + systemReason(error));
        }
    }

    // The replaced file's owner and group where this process may set them
    // (root may; others may at least choose one of their own groups), then
    // its permission bits where the creation mask or a change of owner took
    // some away.
    if (destination.existing) {
        static const uid_t user = ::geteuid();
        static const gid_t group = ::getegid();
        const bool otherOwner = destination.owner != user || destination.group != group;
        if (otherOwner && ::fchown(fd_, destination.owner, destination.group) != 0)
            (void)::fchown(fd_, static_cast<uid_t>(-1), destination.group);
        if (otherOwner || (destination.mode & 07777) != (destination.mode & 0777 & ~processUmask()))
            (void)::fchmod(fd_, destination.mode & 07777);
    }
}

OutputFile::~OutputFile()
{
    if (!committed_)
        discard();
    closeQuietly(folder_);
}

void OutputFile::discard()
{
    closeQuietly(fd_);
    if (temporary_.empty())
        return;
    // A signal between the two finds the name gone: the slot needs no
    // guard once the file exists.
    ::unlinkat(folder_, temporary_.c_str(), 0);
    pendingFiles[static_cast<std::size_t>(slot_)].folder.store(-1);
    temporary_.clear();
}

void OutputFile::fail(const std::string &what, int error)
{
    discard();
    throw Failure(path_, what + systemReason(error));
}

void OutputFile::flushBuffer()
{
    std::size_t done = 0;
    while (done < buffer_.size()) {
        const ssize_t written = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            fail("cannot be written: ", written < 0 ? errno : ENOSPC);
        done += static_cast<std::size_t>(written);
    }
    buffer_.clear();
}

void OutputFile::commit()
{
    if (fd_ < 0)
        throw Failure(path_, "cannot be written: the file is already closed");
    flushBuffer();
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && errno != EINTR)
        fail("cannot be written: ", errno);
    if (temporary_.empty()) {
        committed_ = true;
        return;
    }
    if (::renameat(folder_, temporary_.c_str(), folder_, name_.c_str()) != 0)
        fail("cannot be replaced: ", errno);
    pendingFiles[static_cast<std::size_t>(slot_)].folder.store(-1);
    temporary_.clear();
    committed_ = true;
}

void guardTemporaryFiles()
{
    ::signal(SIGXFSZ, SIG_IGN);
    struct sigaction action {};
    action.sa_handler = endBySignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : kEndingSignals)
        sigaddset(&action.sa_mask, signal);
    for (const int signal : kEndingSignals) {
        // A signal ignored from the start (nohup) stays ignored.
        struct sigaction old {};
        if (::sigaction(signal, nullptr, &old) == 0 && old.sa_handler != SIG_IGN)
            ::sigaction(signal, &action, nullptr);
    }
}

} // namespace quellbit
