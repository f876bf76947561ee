#pragma once

#include <cstdint>

// a × b ÷ c in 64-bit precision, rounded to the nearest integer with halves away from
// zero; -1 when c is 0. This is the rounding the picture sizes are converted with.
inline int MulDiv(int a, int b, int c) {
    if (c == 0) {
        return -1;
    }
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    const bool negative = (product < 0) != (c < 0);
    const std::uint64_t magnitude =
        product < 0 ? -static_cast<std::uint64_t>(product) : static_cast<std::uint64_t>(product);
    const std::uint64_t divisor = c < 0 ? -static_cast<std::uint64_t>(static_cast<std::int64_t>(c))
                                        : static_cast<std::uint64_t>(c);
    const std::uint64_t rounded = (magnitude + divisor / 2) / divisor;
    return negative ? -static_cast<int>(rounded) : static_cast<int>(rounded);
}
