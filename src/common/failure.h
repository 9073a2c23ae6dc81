#pragma once

#include <cstdint>
#include <new>
#include <string>
#include <stdexcept>

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
