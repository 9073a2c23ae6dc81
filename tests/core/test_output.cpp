// Writing files safely: what each kind of target becomes, what a failure
// leaves behind (never a temporary file, never a changed earlier file), and
// what the end of the process by a signal leaves behind.

#include "common/failure.h"
#include "common/output_file.h"
#include "support/check.h"
#include "support/files.h"

#include <fcntl.h>
#include <sys/mount.h>

#include <csignal>
#include <cstring>
#include <future>
#include <string>

using namespace quellbit;
using testbmp::TempFolder;

namespace {

const std::string kEarlier = "an earlier file\r\n";

// 480 lines of 45 bytes, like a data file.
std::string dataText()
{
    std::string text;
    for (int line = 0; line < 480; ++line)
        text += "        DB 0" + std::to_string(line % 10) + "H,00H,00H,00H,00H,00H,00H,FFH;\r\n";
    return text;
}

mode_t modeOf(const std::string &path)
{
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 ? status.st_mode : 0;
}

bool isRoot() { return ::geteuid() == 0; }

// Writes `text` to `target` through an OutputFile; the reason of the
// Failure, or empty.
std::string writeThrough(const std::string &target, const std::string &text)
{
    try {
        OutputFile out(target);
        out.write(text.substr(0, 100));
        out.write(text.substr(100));
        out.commit();
    } catch (const Failure &failure) {
        return failure.file() == target ? failure.reason() : "named " + failure.file() + ": " + failure.reason();
    }
    return {};
}

} // namespace

// Each kind of target, with what the folder holds afterwards (hidden
// temporary files would show) and what the target reads.
TEST_CASE(targets)
{
    const std::string text = dataText();
    struct Row {
        const char *name;
        // Prepares the folder; false when the row cannot run here.
        std::function<bool(const TempFolder &)> setUp;
        std::string target;
        std::string failure;  // part of the reason; empty: none
        std::string listing;  // the folder afterwards
        std::string readFrom; // the file that holds what was written; empty: none to read
        std::string contents; // what it reads afterwards
        std::function<bool(const TempFolder &)> alsoTrue;
    };
    const auto earlier = [](mode_t mode) {
        return [mode](const TempFolder &dir) {
            return testbmp::save(dir.file("lcd.txt"), kEarlier) && ::chmod(dir.file("lcd.txt").c_str(), mode) == 0;
        };
    };
    const auto nothing = [](const TempFolder &) { return true; };
    const std::string longName = std::string(251, 'n') + ".txt";
    for (const Row &row : std::initializer_list<Row> {
             {"a new name: the bytes written, permissions from the umask", nothing, "lcd.txt", "", "lcd.txt",
              "lcd.txt", text, [](const TempFolder &dir) { return (modeOf(dir.file("lcd.txt")) & 07777) == 0644; }},
             {"an earlier file: replaced, its permission bits kept past the umask", earlier(0666), "lcd.txt", "",
              "lcd.txt", "lcd.txt", text,
              [](const TempFolder &dir) { return (modeOf(dir.file("lcd.txt")) & 07777) == 0666; }},
             {"a name of 255 bytes beside its temporary file", nothing, longName, "", longName, longName, text, {}},
             {"a symlink: the file it points to is replaced, the link stays",
              [](const TempFolder &dir) {
                  return ::mkdir(dir.file("real").c_str(), 0755) == 0 && testbmp::save(dir.file("real/lcd.txt"), kEarlier)
                      && ::symlink("real/lcd.txt", dir.file("link.txt").c_str()) == 0;
              },
              "link.txt", "", "link.txt real", "real/lcd.txt", text,
              [](const TempFolder &dir) {
                  char link[64] {};
                  return S_ISLNK(modeOf(dir.file("link.txt"))) && ::readlink(dir.file("link.txt").c_str(), link, 63) == 12
                      && std::string(link) == "real/lcd.txt" && testbmp::listing(dir.file("real")) == "lcd.txt";
              }},
             {"a dangling symlink: the file it names is made",
              [](const TempFolder &dir) { return ::symlink("made.txt", dir.file("link.txt").c_str()) == 0; }, "link.txt",
              "", "link.txt made.txt", "made.txt", text,
              [](const TempFolder &dir) { return S_ISLNK(modeOf(dir.file("link.txt"))); }},
             {"a named pipe: written in place, still a pipe",
              [](const TempFolder &dir) { return ::mkfifo(dir.file("pipe").c_str(), 0600) == 0; }, "pipe", "", "pipe",
              "", "", [](const TempFolder &dir) { return S_ISFIFO(modeOf(dir.file("pipe"))); }},
             {"a folder in the way", [](const TempFolder &dir) { return ::mkdir(dir.file("lcd.txt").c_str(), 0755) == 0; },
              "lcd.txt", "a folder of that name is in the way", "lcd.txt", "", "", {}},
             {"the folder path holds a regular file", earlier(0644), "lcd.txt/out.txt",
              "cannot be created: Not a directory", "lcd.txt", "lcd.txt", kEarlier, {}},
             {"another user's file (as root): owner and group kept",
              [&](const TempFolder &dir) {
                  return earlier(0640)(dir)
                      && (!isRoot() || ::chown(dir.file("lcd.txt").c_str(), testbmp::kNobody, testbmp::kNobody) == 0);
              },
              "lcd.txt", "", "lcd.txt", "lcd.txt", text,
              [](const TempFolder &dir) {
                  struct stat status {};
                  return ::stat(dir.file("lcd.txt").c_str(), &status) == 0 && (status.st_mode & 07777) == 0640
                      && (!isRoot() || (status.st_uid == testbmp::kNobody && status.st_gid == testbmp::kNobody));
              }},
         }) {
        ROW(row.name);
        TempFolder dir;
        REQUIRE(row.setUp(dir));
        const std::string target = dir.file(row.target);
        // A pipe is read as the writer writes it.
        std::future<std::string> reader;
        if (row.target == "pipe")
            reader = std::async(std::launch::async, [target] { return testbmp::load(target); });
        const std::string failure = writeThrough(target, text);
        if (reader.valid())
            CHECK_EQ(reader.get().size(), std::size_t {21600});
        if (row.failure.empty())
            CHECK_EQ(failure, "");
        else
            CHECK_EQ(failure.substr(0, row.failure.size()), row.failure);
        CHECK_EQ(testbmp::listing(dir.path()), row.listing);
        if (!row.readFrom.empty())
            CHECK_EQ(testbmp::load(dir.file(row.readFrom)), row.contents);
        if (row.alsoTrue)
            CHECK(row.alsoTrue(dir));
    }
}

// Failures of the disk and of the rights: a message naming the file and the
// system's reason, the earlier file as it was, no temporary file left.
TEST_CASE(failures)
{
    const std::string text = dataText();
    struct Row {
        const char *name;
        std::string reason;
        // Writes `text` over the earlier file at `target` in the way the row
        // needs and returns the failure's reason; "skip" when it cannot run.
        std::function<std::string(const TempFolder &, const std::string &)> write;
    };
    for (const Row &row : std::initializer_list<Row> {
             {"a full file system (as root, on a small tmpfs)", "cannot be written: No space left on device",
              [&](const TempFolder &dir, const std::string &target) -> std::string {
                  if (!isRoot() || ::mount("tmpfs", dir.path().c_str(), "tmpfs", 0, "size=16k") != 0)
                      return "skip";
                  testbmp::save(target, kEarlier);
                  std::string reason = writeThrough(target, text);
                  if (testbmp::load(target) != kEarlier || testbmp::listing(dir.path()) != "lcd.txt")
                      reason += " (and the folder changed)";
                  ::umount(dir.path().c_str());
                  return reason;
              }},
             {"a read-only folder, for a user bound by permission bits", "cannot be created: Permission denied",
              [&](const TempFolder &dir, const std::string &target) {
                  ::chmod(dir.path().c_str(), 0555);
                  // The child answers 0 for the expected reason, 1 otherwise.
                  const int status = testbmp::inChild(
                      [&] { return writeThrough(target, text) == "cannot be created: Permission denied" ? 0 : 1; }, true);
                  return status == 0 ? std::string("cannot be created: Permission denied")
                                     : "the child answered " + std::to_string(status);
              }},
         }) {
        ROW(row.name);
        TempFolder dir;
        ::chmod(dir.path().c_str(), 0755);
        const std::string target = dir.file("lcd.txt");
        testbmp::save(target, kEarlier);
        const std::string reason = row.write(dir, target);
        if (reason == "skip")
            continue;
        CHECK_EQ(reason, row.reason);
        CHECK_EQ(testbmp::load(target), kEarlier);
        CHECK_EQ(testbmp::listing(dir.path()), "lcd.txt");
    }
}

// A process ended by a signal while it writes leaves no temporary file, the
// earlier file as it was, and ends by that very signal.
TEST_CASE(endedBySignal)
{
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        ROW(strsignal(signal));
        TempFolder dir;
        const std::string target = dir.file("lcd.txt");
        testbmp::save(target, kEarlier);
        const int status = testbmp::inChild([&] {
            OutputFile out(target);
            out.write(std::string(100000, 'x')); // on the disk, not only in the buffer
            ::raise(signal);
            return 0;
        });
        CHECK_EQ(status, 128 + signal);
        CHECK_EQ(testbmp::listing(dir.path()), "lcd.txt");
        CHECK_EQ(testbmp::load(target), kEarlier);
    }
}

int main(int argc, char **argv)
{
    ::umask(022); // the usual mask, which the rows' permission bits are worked out for
    guardTemporaryFiles();
    return check::run(argc, argv);
}
