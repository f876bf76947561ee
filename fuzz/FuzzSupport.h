#pragma once

#include <cstddef>
#include <cstdint>

// What every target shares: a Qt application object made once, message boxes answered
// silently, and a cheap, stable digest of the input to draw settings from.
void PrepareFuzzing(int* argc, char*** argv);
std::uint32_t Digest(const std::uint8_t* data, std::size_t size);
