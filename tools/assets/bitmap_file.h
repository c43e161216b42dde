// bitmap_file.h -- byte-level writers for BMP, ICO and CUR files.
#pragma once

#include <cstdint>
#include <vector>

namespace assets {

struct Rgb {
  uint8_t r, g, b;
};

using Bytes = std::vector<uint8_t>;

// An 8-bit picture: palette indices, top row first.
struct IndexedImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;  // width * height, row-major, top-down
  std::vector<Rgb> palette;     // at most 256 entries
};

// BI_RLE8 stream for the picture's rows, bottom row first, each row closed
// by an end-of-line escape and the whole closed by end-of-bitmap.
Bytes rle8_encode(const IndexedImage& image);

// Complete .bmp file (file header, BITMAPINFOHEADER, colour table, bits),
// bottom-up, 8 bits per pixel, run-length encoded when `rle` is set.
Bytes bmp_file(const IndexedImage& image, bool rle);

// .ico file holding one 8-bit image. `opaque` has one flag per pixel
// (top-down); pixels without it are transparent through the AND mask.
Bytes ico_file(const IndexedImage& image, const std::vector<bool>& opaque);

// .cur file holding one 1-bit image. `white` and `opaque` are per pixel,
// top-down; transparent pixels must not be white.
Bytes cur_file(int width, int height, const std::vector<bool>& white,
               const std::vector<bool>& opaque, int hot_x, int hot_y);

}  // namespace assets
