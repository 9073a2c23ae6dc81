// Writing files safely: what each kind of target becomes, what a failure
// leaves behind (never a temporary file, never a changed earlier file), and
// what the end of the process by a signal leaves behind.

#include "common/failure.h"
#include "common/output_file.h"
#include "support/data_text.h"
#include "support/files.h"
#include "support/test_main.h"

#include <doctest/doctest.h>

#include <sys/mount.h>

#include <csignal>
#include <cstring>
#include <future>

using namespace quellbit;
using testbmp::TempFolder;

namespace {

const std::string kEarlier = "an earlier file\r\n";
const std::string kText = testtext::marksText(); // 21,600 bytes, like a data file

struct stat statusOf(const std::string &path)
{
    struct stat status {};
    ::lstat(path.c_str(), &status);
    return status;
}

bool isRoot() { return ::geteuid() == 0; }

bool canMountSmallDisk()
{
    if (!isRoot())
        return false;
    TempFolder dir;
    const bool mounted = ::mount("tmpfs", dir.path().c_str(), "tmpfs", 0, "size=16k") == 0;
    return mounted && ::umount(dir.path().c_str()) == 0;
}

// Writes kText to `target` in two pieces; the reason of the Failure, or empty.
std::string writeThrough(const std::string &target)
{
    try {
        OutputFile out(target);
        out.write(kText.substr(0, 100));
        out.write(kText.substr(100));
        out.commit();
    } catch (const Failure &failure) {
        return failure.file() == target ? failure.reason() : "named " + failure.file() + ": " + failure.reason();
    }
    return {};
}

} // namespace

// Each kind of target, with what the folder holds afterwards (hidden
// temporary files would show) and where the text went.
TEST_CASE("targets")
{
    using Folder = const TempFolder &;
    struct Row {
        const char *name;
        std::function<bool(Folder)> setUp;
        std::string target, failure; // failure: the reason; empty: none
        std::string listing;         // the folder afterwards
        std::string written;         // the file that holds the text afterwards; empty: none
        std::function<bool(Folder)> alsoTrue = [](Folder) { return true; };
    };
    const auto nothing = [](Folder) { return true; };
    const std::string longName = std::string(251, 'n') + ".txt";
    for (const Row &row : std::initializer_list<Row> {
             {"a new name: permissions from the umask", nothing, "lcd.txt", "", "lcd.txt", "lcd.txt",
              [](Folder dir) { return (statusOf(dir.file("lcd.txt")).st_mode & 07777) == 0644; }},
             {"a name of 255 bytes beside its temporary file", nothing, longName, "", longName, longName},
             {"a symlink: the file it points to is replaced, the link stays",
              [](Folder dir) {
                  return ::mkdir(dir.file("real").c_str(), 0755) == 0 && testbmp::save(dir.file("real/lcd.txt"), kEarlier)
                      && ::symlink("real/lcd.txt", dir.file("link.txt").c_str()) == 0;
              },
              "link.txt", "", "link.txt real", "real/lcd.txt",
              [](Folder dir) {
                  return std::filesystem::read_symlink(dir.file("link.txt")) == "real/lcd.txt"
                      && testbmp::listing(dir.file("real")) == "lcd.txt";
              }},
             {"a dangling symlink: the file it names is made",
              [](Folder dir) { return ::symlink("made.txt", dir.file("link.txt").c_str()) == 0; }, "link.txt", "",
              "link.txt made.txt", "made.txt", [](Folder dir) { return S_ISLNK(statusOf(dir.file("link.txt")).st_mode); }},
             {"a named pipe: written in place, still a pipe",
              [](Folder dir) { return ::mkfifo(dir.file("pipe").c_str(), 0600) == 0; }, "pipe", "", "pipe", "",
              [](Folder dir) { return S_ISFIFO(statusOf(dir.file("pipe")).st_mode); }},
             {"a folder in the way", [](Folder dir) { return ::mkdir(dir.file("lcd.txt").c_str(), 0755) == 0; },
              "lcd.txt", "a folder of that name is in the way", "lcd.txt", ""},
             {"an earlier file: its permission bits kept past the umask; as root, another user's: owner kept",
              [](Folder dir) {
                  return testbmp::save(dir.file("lcd.txt"), kEarlier) && ::chmod(dir.file("lcd.txt").c_str(), 0666) == 0
                      && (!isRoot() || ::chown(dir.file("lcd.txt").c_str(), testbmp::kNobody, testbmp::kNobody) == 0);
              },
              "lcd.txt", "", "lcd.txt", "lcd.txt",
              [](Folder dir) {
                  const struct stat status = statusOf(dir.file("lcd.txt"));
                  return (status.st_mode & 07777) == 0666
                      && (!isRoot() || (status.st_uid == testbmp::kNobody && status.st_gid == testbmp::kNobody));
              }}}) {
        INFO(row.name);
        TempFolder dir;
        REQUIRE(row.setUp(dir));
        const std::string target = dir.file(row.target);
        std::future<std::string> reader; // a pipe is read as the writer writes it
        if (row.target == "pipe")
            reader = std::async(std::launch::async, [target] { return testbmp::load(target); });
        CHECK_EQ(writeThrough(target), row.failure);
        if (reader.valid())
            CHECK_EQ(reader.get(), kText);
        CHECK_EQ(testbmp::listing(dir.path()), row.listing);
        if (!row.written.empty())
            CHECK_EQ(testbmp::load(dir.file(row.written)), kText);
        CHECK(row.alsoTrue(dir));
    }
}

namespace {

// Failures of the disk and of the rights: the system's reason, the earlier
// file as it was, no temporary file left.
void checkFailure(const TempFolder &dir, bool full)
{
    const std::string target = dir.file("lcd.txt");
    testbmp::save(target, kEarlier);
    ::chmod(dir.path().c_str(), full ? 0755 : 0555);
    std::string reason = full ? writeThrough(target) : "cannot be created: Permission denied";
    // As nobody where this runs as root; the child answers 0 for the expected reason.
    if (const int answer = full ? 0 : testbmp::inChild([&] { return writeThrough(target) == reason ? 0 : 1; }, true))
        reason = "the child answered " + std::to_string(answer);
    CHECK_EQ(reason, full ? "cannot be written: No space left on device" : "cannot be created: Permission denied");
    CHECK_EQ(testbmp::load(target), kEarlier);
    CHECK_EQ(testbmp::listing(dir.path()), "lcd.txt");
}

} // namespace

TEST_CASE("a read-only folder, for a user bound by it")
{
    checkFailure(TempFolder(), false);
}

// Only root may mount the small file system, and only where the system
// lets it: elsewhere the case is reported skipped.
TEST_CASE("a full file system" * doctest::skip(!canMountSmallDisk()))
{
    TempFolder dir;
    REQUIRE(::mount("tmpfs", dir.path().c_str(), "tmpfs", 0, "size=16k") == 0);
    checkFailure(dir, true);
    ::umount(dir.path().c_str());
}

// A process ended by a signal while it writes leaves no temporary file, the
// earlier file as it was, and ends by that very signal.
TEST_CASE("ended by signal")
{
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        INFO(strsignal(signal));
        TempFolder dir;
        const std::string target = dir.file("lcd.txt");
        testbmp::save(target, kEarlier);
        CHECK_EQ(testbmp::inChild([&] {
            OutputFile out(target);
            out.write(std::string(100000, 'x')); // on the disk, not only in the buffer
            ::raise(signal);
            return 0;
        }), 128 + signal);
        CHECK_EQ(testbmp::listing(dir.path()), "lcd.txt");
        CHECK_EQ(testbmp::load(target), kEarlier);
    }
}

int main(int argc, char **argv)
{
    ::umask(022); // the usual mask, which the rows' permission bits are worked out for
    guardTemporaryFiles();
    return testsupport::runTests(argc, argv);
}
