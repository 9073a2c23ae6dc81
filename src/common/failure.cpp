#include "common/failure.h"

#include <utility>

namespace quellbit {

namespace {
std::string describe(const std::string &file, const std::string &reason)
{
    return file.empty() ? reason : file + ": " + reason;
}
} // namespace

Failure::Failure(std::string file, std::string reason)
    : std::runtime_error(describe(file, reason)), file_(std::move(file)), reason_(std::move(reason))
{
}

} // namespace quellbit
