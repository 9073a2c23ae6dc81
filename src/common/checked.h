#pragma once

// Counters, coordinates and other small values are 16-bit signed; header
// values and pixel counts 32-bit signed. Leaving a type's range is a failure,
// never a wrap-around.

#include "common/failure.h"

#include <cstdint>
#include <limits>

namespace quellbit::checked {

template <typename T>
T narrow(long long value)
{
    if (value < std::numeric_limits<T>::min() || value > std::numeric_limits<T>::max())
        throw Failure({}, "arithmetic overflow: " + std::to_string(value) + " does not fit in "
                              + std::to_string(sizeof(T) * 8) + " bits");
    return static_cast<T>(value);
}

inline std::int16_t add16(std::int16_t a, long long b) { return narrow<std::int16_t>(a + b); }
inline std::int32_t mul32(std::int32_t a, std::int32_t b)
{
    return narrow<std::int32_t>(static_cast<long long>(a) * b);
}

} // namespace quellbit::checked
