// quantise.h -- palette building and colour matching for the 8-bit icon.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "bitmap_file.h"

namespace assets {

// Median-cut palette of at most max_colours entries for the given pixels.
std::vector<Rgb> median_cut(const std::vector<Rgb>& pixels, size_t max_colours);

// Index of the palette entry closest to c (lowest index on ties).
uint8_t nearest_colour(const std::vector<Rgb>& palette, Rgb c);

}  // namespace assets
