#pragma once

// Writing a file the program makes (a data file, a rendered picture, a
// prepared bitmap) so that a failure never leaves a half-written file:
//
// - a regular file or a new name: a temporary file with a short name in the
//   same folder is written, flushed, closed and then renamed over the
//   target; the target's permission bits are kept, and its owner and group
//   where the process may set them;
// - a symlink: the file it points to is replaced that way; the link stays;
// - anything else that is not a folder (a character device, a named pipe):
//   written in place, with no temporary file and no rename;
// - a folder in the way, a read-only folder, a full disk: Failure naming the
//   target and the reason; the earlier file is untouched and no temporary
//   file is left.
//
// The data is not forced to the disk: a data file can always be written
// again from its picture.
//
// On Windows (windows/output_file.cpp) the temporary file is flushed to the
// disk (FlushFileBuffers) and put in place with ReplaceFileW, which keeps
// the old file's attributes and security descriptor; a read-only target is
// refused ("the file is read-only"); a device (NUL, CON) or a pipe is
// written in place; a symbolic link is replaced as the link.

#include "common/file_id.h"
#include "common/sinks.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace quellbit {

class OutputFile final : public OutputSink {
public:
    // Opens the temporary file (or the device or pipe). Throws Failure.
    explicit OutputFile(std::string path);
    // Without commit() the temporary file is removed and the target stays
    // as it was.
    ~OutputFile() override;
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    void write(std::string_view bytes);
    void writeLine(std::string_view line) override { write(line); }
    // Flushes, closes and renames over the target. Throws Failure.
    void commit();

    const std::string &path() const { return path_; }

private:
    // Writes are gathered up to this many bytes; a larger one goes at once.
    static constexpr std::size_t kBufferSize = 64 * 1024;

    void flushBuffer();
    void discard();
    [[noreturn]] void fail(const std::string &what, int error);

    std::string path_;
    std::string name_;      // the last part of the file replaced, links followed
    std::string temporary_; // empty when writing in place
    int folder_ = -1;       // the folder of both, open
    int fd_ = -1;
    int slot_ = -1;         // where the signal handler finds the temporary file
    std::string buffer_;
    bool committed_ = false;
};

// Standard output as a sink: every write and the final flush are checked,
// and a failure is Failure("standard output", the system's reason).
class StandardOutput final : public OutputSink {
public:
    explicit StandardOutput(std::FILE *stream = stdout);
    void write(std::string_view bytes);
    void writeLine(std::string_view line) override { write(line); }
    void commit();

private:
    [[noreturn]] void fail();
    std::FILE *stream_;
};

// Where writing to `path` goes, as OutputFile decides it, found without
// writing anything (so that a caller can tell two outputs apart first).
struct OutputDestination {
    enum class Kind { Replaced, InPlace, Folder };
    // Replaced: the file replaced through a temporary file, new or not;
    // InPlace: a device or a named pipe, written as it is; Folder: in the
    // way, nothing is written.
    Kind kind = Kind::Replaced;
    // The file replaced: `path` itself, or for a link the file its chain of
    // links ends at (a device or a pipe behind a link is written through
    // the link, in place).
    std::string file;
    // What is there now, links followed; nothing for a new name. Its mode,
    // owner and group are kept by the file that replaces it.
    std::optional<FileId> existing;
    std::uint32_t mode = 0;
    std::uint32_t owner = 0;
    std::uint32_t group = 0;
    // Why `path` could not be looked at (an errno value; 0: it could).
    // OutputFile fails with it.
    int error = 0;
};

// Throws Failure naming `path` for a chain of links that loops or cannot be
// read.
OutputDestination outputDestination(const std::string &path);

// Once per process, before any output is written: SIGXFSZ is ignored (so a
// write beyond the file size limit fails with a message), and SIGINT,
// SIGTERM and SIGHUP remove the temporary file being written, then end the
// process by that signal as usual.
void guardTemporaryFiles();

} // namespace quellbit
