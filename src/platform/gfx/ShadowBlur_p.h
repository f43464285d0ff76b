#pragma once

// Gaussian blur of an 8-bit coverage mask, for drop shadows. Not installed.

#include <array>
#include <cstdint>

namespace ov::detail {

/// Radii of three successive box blurs that together approximate a Gaussian of `sigma`.
std::array<int, 3> boxBlurRadii(double sigma);

/// Blurs a width × height mask (rows `stride` bytes apart) in place; pixels outside count as 0.
void blurMask(uint8_t* mask, int width, int height, int stride, double sigma);

} // namespace ov::detail
