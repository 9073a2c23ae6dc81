#pragma once

#include <compare>
#include <cstdint>

namespace quellbit {

// A file as the system knows it (device and inode), whatever name it is
// reached by.
struct FileId {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    auto operator<=>(const FileId &) const = default;
};

} // namespace quellbit
