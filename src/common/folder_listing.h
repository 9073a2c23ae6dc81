#pragma once

// What a folder holds, by the bytes of each name: a name that is not valid
// UTF-8 is listed, opened and written as it stands, as the command line
// does. Platform code (POSIX here).

#include <string>
#include <vector>

namespace quellbit {

struct FolderEntry {
    std::string name; // the bytes as the file system holds them
    bool folder = false; // a folder, or a link to one
};

// Every entry of the folder at `path` but "." and "..", in the order the
// file system gives them; links that lead nowhere are left out. Throws
// Failure naming the folder when it cannot be listed.
std::vector<FolderEntry> listFolder(const std::string &path);

// `path` made absolute (from the working folder) and clean: no ".", "..",
// doubled or trailing separators; "/" for the root.
std::string cleanFolderPath(const std::string &path);

// The nearest folder that can be listed: `path` itself, else the nearest
// folder above it, else `home`, else the root.
std::string nearestListableFolder(const std::string &path, const std::string &home);

} // namespace quellbit
