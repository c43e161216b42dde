// bitmap_file.cpp -- BMP/ICO/CUR serialisation, including the RLE8 encoder.
#include "bitmap_file.h"

#include <cstddef>

namespace assets {
namespace {

constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiRle8 = 1;
constexpr int32_t kPixelsPerMetre = 2835;  // 72 dpi

void put16(Bytes& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v & 0xFF));
  out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}

void put32(Bytes& out, uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}

struct InfoHeader {
  int32_t width;
  int32_t height;  // doubled for icon and cursor images
  uint16_t bit_count;
  uint32_t compression;
  uint32_t image_size;
  uint32_t colours_used;
  int32_t pixels_per_metre;
};

void put_info_header(Bytes& out, const InfoHeader& h) {
  put32(out, kInfoHeaderSize);
  put32(out, static_cast<uint32_t>(h.width));
  put32(out, static_cast<uint32_t>(h.height));
  put16(out, 1);  // planes
  put16(out, h.bit_count);
  put32(out, h.compression);
  put32(out, h.image_size);
  put32(out, static_cast<uint32_t>(h.pixels_per_metre));
  put32(out, static_cast<uint32_t>(h.pixels_per_metre));
  put32(out, h.colours_used);
  put32(out, 0);  // all colours important
}

void put_palette(Bytes& out, const std::vector<Rgb>& palette, size_t entries) {
  for (size_t i = 0; i < entries; ++i) {
    const Rgb c = i < palette.size() ? palette[i] : Rgb{0, 0, 0};
    out.push_back(c.b);
    out.push_back(c.g);
    out.push_back(c.r);
    out.push_back(0);
  }
}

// Length of the run of equal pixels starting at i, capped at 255.
size_t run_length(const uint8_t* row, size_t i, size_t width) {
  size_t n = 1;
  while (i + n < width && n < 255 && row[i + n] == row[i]) ++n;
  return n;
}

// Emits row[i, end) as literal pixels: absolute mode when there are at
// least three, otherwise as short encoded runs.
void put_literal(Bytes& out, const uint8_t* row, size_t i, size_t end) {
  const size_t n = end - i;
  if (n >= 3) {
    out.push_back(0);
    out.push_back(static_cast<uint8_t>(n));
    out.insert(out.end(), row + i, row + end);
    if (n % 2 != 0) out.push_back(0);  // absolute runs end on a word
    return;
  }
  while (i < end) {
    const size_t run = run_length(row, i, end);
    out.push_back(static_cast<uint8_t>(run));
    out.push_back(row[i]);
    i += run;
  }
}

void encode_row(Bytes& out, const uint8_t* row, size_t width) {
  size_t i = 0;
  while (i < width) {
    const size_t run = run_length(row, i, width);
    if (run >= 3) {
      out.push_back(static_cast<uint8_t>(run));
      out.push_back(row[i]);
      i += run;
      continue;
    }
    size_t end = i;
    while (end < width && end - i < 255 && run_length(row, end, width) < 3) ++end;
    put_literal(out, row, i, end);
    i = end;
  }
}

// Rows of `bits_per_pixel` data padded to 32 bits, bottom row first.
Bytes packed_rows(int width, int height, int bits_per_pixel,
                  const std::vector<uint8_t>& values) {
  const size_t stride = ((static_cast<size_t>(width) * bits_per_pixel + 31) / 32) * 4;
  Bytes out(stride * static_cast<size_t>(height), 0);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = out.data() + stride * static_cast<size_t>(height - 1 - y);
    for (int x = 0; x < width; ++x) {
      const uint8_t v = values[static_cast<size_t>(y) * width + x];
      if (bits_per_pixel == 8) {
        row[x] = v;
      } else if (v != 0) {
        row[x / 8] = static_cast<uint8_t>(row[x / 8] | (0x80 >> (x % 8)));
      }
    }
  }
  return out;
}

std::vector<uint8_t> and_mask_values(const std::vector<bool>& opaque) {
  std::vector<uint8_t> v(opaque.size());
  for (size_t i = 0; i < opaque.size(); ++i) v[i] = opaque[i] ? 0 : 1;
  return v;
}

// ICONDIR plus one ICONDIRENTRY; `type` 1 = icon, 2 = cursor.
void put_icon_directory(Bytes& out, uint16_t type, int width, int height,
                        uint8_t colours, uint16_t planes_or_hot_x,
                        uint16_t bits_or_hot_y, uint32_t image_bytes) {
  put16(out, 0);
  put16(out, type);
  put16(out, 1);
  out.push_back(static_cast<uint8_t>(width));
  out.push_back(static_cast<uint8_t>(height));
  out.push_back(colours);
  out.push_back(0);
  put16(out, planes_or_hot_x);
  put16(out, bits_or_hot_y);
  put32(out, image_bytes);
  put32(out, 6 + 16);  // the image follows the single directory entry
}

}  // namespace

Bytes rle8_encode(const IndexedImage& image) {
  Bytes out;
  const size_t w = static_cast<size_t>(image.width);
  for (int y = image.height - 1; y >= 0; --y) {
    encode_row(out, image.pixels.data() + static_cast<size_t>(y) * w, w);
    out.push_back(0);
    out.push_back(0);  // end of line
  }
  out.push_back(0);
  out.push_back(1);  // end of bitmap
  return out;
}

Bytes bmp_file(const IndexedImage& image, bool rle) {
  const Bytes bits = rle ? rle8_encode(image)
                         : packed_rows(image.width, image.height, 8, image.pixels);
  const uint32_t palette_bytes = static_cast<uint32_t>(image.palette.size()) * 4;
  const uint32_t offset = kFileHeaderSize + kInfoHeaderSize + palette_bytes;
  Bytes out;
  out.push_back('B');
  out.push_back('M');
  put32(out, offset + static_cast<uint32_t>(bits.size()));
  put32(out, 0);  // reserved
  put32(out, offset);
  put_info_header(out, {image.width, image.height, 8, rle ? kBiRle8 : kBiRgb,
                        static_cast<uint32_t>(bits.size()),
                        static_cast<uint32_t>(image.palette.size()), kPixelsPerMetre});
  put_palette(out, image.palette, image.palette.size());
  out.insert(out.end(), bits.begin(), bits.end());
  return out;
}

Bytes ico_file(const IndexedImage& image, const std::vector<bool>& opaque) {
  const Bytes xor_bits = packed_rows(image.width, image.height, 8, image.pixels);
  const Bytes and_bits =
      packed_rows(image.width, image.height, 1, and_mask_values(opaque));
  const uint32_t bits_size = static_cast<uint32_t>(xor_bits.size() + and_bits.size());
  const uint32_t image_bytes = kInfoHeaderSize + 256 * 4 + bits_size;
  Bytes out;
  put_icon_directory(out, 1, image.width, image.height, 0, 1, 8, image_bytes);
  put_info_header(out, {image.width, image.height * 2, 8, kBiRgb, bits_size, 0, 0});
  put_palette(out, image.palette, 256);
  out.insert(out.end(), xor_bits.begin(), xor_bits.end());
  out.insert(out.end(), and_bits.begin(), and_bits.end());
  return out;
}

Bytes cur_file(int width, int height, const std::vector<bool>& white,
               const std::vector<bool>& opaque, int hot_x, int hot_y) {
  std::vector<uint8_t> xor_values(white.size());
  for (size_t i = 0; i < white.size(); ++i) xor_values[i] = white[i] ? 1 : 0;
  const Bytes xor_bits = packed_rows(width, height, 1, xor_values);
  const Bytes and_bits = packed_rows(width, height, 1, and_mask_values(opaque));
  const uint32_t bits_size = static_cast<uint32_t>(xor_bits.size() + and_bits.size());
  const uint32_t image_bytes = kInfoHeaderSize + 2 * 4 + bits_size;
  Bytes out;
  put_icon_directory(out, 2, width, height, 2, static_cast<uint16_t>(hot_x),
                     static_cast<uint16_t>(hot_y), image_bytes);
  put_info_header(out, {width, height * 2, 1, kBiRgb, bits_size, 0, 0});
  put_palette(out, {{0, 0, 0}, {255, 255, 255}}, 2);
  out.insert(out.end(), xor_bits.begin(), xor_bits.end());
  out.insert(out.end(), and_bits.begin(), and_bits.end());
  return out;
}

}  // namespace assets
