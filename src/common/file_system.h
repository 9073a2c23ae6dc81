#pragma once

// What the system's files and names are like, for the decisions that need
// more than opening a file: which file a name reaches, where a path's folder
// ends, when two names are one. One implementation per system (posix/,
// windows/), chosen by the build.

#include "common/file_id.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace quellbit {

// The file at `path` (on Windows FileId holds the volume's serial number
// and the file's index), links followed; nothing when there is none (or when it
// is a device or pipe that has no identity of its own to compare).
std::optional<FileId> fileId(const std::string &path);

// The file `stream` writes to; nothing when it is not a file (a terminal, a
// pipe).
std::optional<FileId> fileIdOf(std::FILE *stream);

// Whether `stream` is a terminal (a console window on Windows).
bool isTerminal(std::FILE *stream);

// The separator a path made here puts between a folder and a name.
char pathSeparator();

// Where the last part of `path` begins, after the separator before it
// ('/'; on Windows also '\' and the colon of a drive, "C:LOGO.BMP"); nothing
// when the path is one name.
std::optional<std::size_t> lastPartStart(std::string_view path);

// The folder that holds the last part of `path`, as a name to open: "." for
// a bare name, the root for "/x" (or "C:\x").
std::string folderOf(std::string_view path);

// Names as the file system compares them in one folder: the name itself
// where letter case counts, the name in capitals where it does not
// (Windows), so that "lcd_x.txt" and "lcd_X.txt" are one file there.
std::string nameKey(std::string_view name);

} // namespace quellbit
