#pragma once

#include <cstdint>
#include <new>
#include <string>
#include <stdexcept>
#include <string_view>

namespace quellbit {

// The one error type of the core: an operation on a named file (or the
// arithmetic behind it) could not be carried out. what() reads "file: reason";
// front ends show it in a message box or on standard error.
class Failure : public std::runtime_error {
public:
    Failure(std::string file, std::string reason);

    const std::string &file() const noexcept { return file_; }
    const std::string &reason() const noexcept { return reason_; }

private:
    std::string file_;
    std::string reason_;
};

// A number as the reasons in messages write it: thousands separated by
// commas from 1,000 on ("4,096", "-2,147,483,648"). Captions and data files
// keep plain digits.
std::string thousands(std::int64_t value);

// A count with its noun, the number as thousands() writes it: "1 byte",
// "4,096 bytes".
std::string counted(std::uint64_t count, std::string_view one, std::string_view many);

// Runs `work`; memory running out on the way becomes a Failure naming `file`.
template <typename Work>
auto namingFileOnNoMemory(const std::string &file, Work &&work) -> decltype(work())
{
    try {
        return work();
    } catch (const std::bad_alloc &) {
        throw Failure(file, "not enough memory to go on");
    }
}

} // namespace quellbit
