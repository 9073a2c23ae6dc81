#include "common/failure.h"

#include "common/shown_name.h"

#include <utility>

namespace quellbit {

namespace {
std::string describe(const std::string &file, const std::string &reason)
{
    return file.empty() ? reason : shownName(file) + ": " + reason;
}
} // namespace

Failure::Failure(std::string file, std::string reason)
    : std::runtime_error(describe(file, reason)), file_(std::move(file)), reason_(std::move(reason))
{
}

std::string thousands(std::int64_t value)
{
    // The magnitude as unsigned, so that the most negative value has one too.
    const auto raw = static_cast<std::uint64_t>(value);
    const std::uint64_t magnitude = value < 0 ? 0 - raw : raw;
    const std::string digits = std::to_string(magnitude);
    std::string text = value < 0 ? "-" : "";
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            text += ',';
        text += digits[i];
    }
    return text;
}

std::string counted(std::uint64_t count, std::string_view one, std::string_view many)
{
    return thousands(static_cast<std::int64_t>(count)) + " " + std::string(count == 1 ? one : many);
}

} // namespace quellbit
