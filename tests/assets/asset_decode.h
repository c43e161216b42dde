// asset_decode.h -- independent readers for the BMP, ICO and CUR files under test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace asset_decode {

using Bytes = std::vector<uint8_t>;

struct Colour {
  int r = 0, g = 0, b = 0;
  bool operator==(const Colour& o) const { return r == o.r && g == o.g && b == o.b; }
  bool operator!=(const Colour& o) const { return !(*this == o); }
  bool black() const { return r == 0 && g == 0 && b == 0; }
};

inline uint32_t u16(const Bytes& d, size_t at) {
  if (at + 2 > d.size()) throw std::runtime_error("read past end");
  return static_cast<uint32_t>(d[at] | (d[at + 1] << 8));
}

inline uint32_t u32(const Bytes& d, size_t at) { return u16(d, at) | (u16(d, at + 2) << 16); }

inline Bytes read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// BITMAPINFOHEADER fields plus the colour table and decoded pixels.
struct Dib {
  uint32_t header_size = 0;
  int width = 0, height = 0;  // height as stored (doubled in icons)
  uint32_t planes = 0, bit_count = 0, compression = 0, image_size = 0, colours_used = 0;
  std::vector<Colour> palette;
  std::vector<uint8_t> index;  // width * |rows| palette indices, top row first
  int rows = 0;
  Colour at(int x, int y) const { return palette.at(index.at(static_cast<size_t>(y) * width + x)); }
};

inline void read_dib_header(const Bytes& d, size_t at, Dib& dib) {
  dib.header_size = u32(d, at);
  dib.width = static_cast<int32_t>(u32(d, at + 4));
  dib.height = static_cast<int32_t>(u32(d, at + 8));
  dib.planes = u16(d, at + 12);
  dib.bit_count = u16(d, at + 14);
  dib.compression = u32(d, at + 16);
  dib.image_size = u32(d, at + 20);
  dib.colours_used = u32(d, at + 32);
  const size_t entries = dib.colours_used ? dib.colours_used : (size_t{1} << dib.bit_count);
  for (size_t i = 0; i < entries; ++i) {
    const size_t p = at + dib.header_size + 4 * i;
    if (p + 4 > d.size()) throw std::runtime_error("colour table past end");
    dib.palette.push_back({d[p + 2], d[p + 1], d[p]});
  }
}

// Uncompressed bottom-up rows of 1 or 8 bits per pixel, padded to 32 bits.
inline std::vector<uint8_t> unpack_rows(const Bytes& d, size_t at, int width, int rows, int bits) {
  const size_t stride = ((static_cast<size_t>(width) * bits + 31) / 32) * 4;
  if (at + stride * rows > d.size()) throw std::runtime_error("pixels past end");
  std::vector<uint8_t> out(static_cast<size_t>(width) * rows);
  for (int y = 0; y < rows; ++y) {
    const size_t row = at + stride * static_cast<size_t>(rows - 1 - y);
    for (int x = 0; x < width; ++x) {
      out[static_cast<size_t>(y) * width + x] =
          bits == 8 ? d[row + x] : static_cast<uint8_t>((d[row + x / 8] >> (7 - x % 8)) & 1);
    }
  }
  return out;
}

// BI_RLE8 decoder. Fails on anything that leaves a pixel unwritten or
// writes outside the picture, so a sloppy stream cannot pass.
inline std::vector<uint8_t> decode_rle8(const Bytes& d, size_t at, size_t size, int width,
                                        int rows) {
  std::vector<int> out(static_cast<size_t>(width) * rows, -1);
  const size_t end = at + size;
  if (end > d.size()) throw std::runtime_error("RLE data past end");
  int x = 0, y = rows - 1;  // y counts from the top; the stream starts at the bottom
  auto put = [&](uint8_t v) {
    if (x >= width || y < 0) throw std::runtime_error("RLE writes outside the picture");
    out[static_cast<size_t>(y) * width + x++] = v;
  };
  for (size_t p = at;;) {
    if (p + 2 > end) throw std::runtime_error("RLE stream not terminated");
    const uint8_t count = d[p], value = d[p + 1];
    p += 2;
    if (count > 0) {
      for (int i = 0; i < count; ++i) put(value);
    } else if (value == 0) {
      if (x != width) throw std::runtime_error("end of line before the row is full");
      x = 0;
      --y;
    } else if (value == 1) {
      break;
    } else if (value == 2) {
      throw std::runtime_error("delta escape not expected");
    } else {
      if (p + value > end) throw std::runtime_error("absolute run past end");
      for (int i = 0; i < value; ++i) put(d[p + i]);
      p += value + (value % 2);
    }
  }
  std::vector<uint8_t> pixels(out.size());
  for (size_t i = 0; i < out.size(); ++i) {
    if (out[i] < 0) throw std::runtime_error("RLE left a pixel unwritten");
    pixels[i] = static_cast<uint8_t>(out[i]);
  }
  return pixels;
}

// A .bmp file: BITMAPFILEHEADER followed by a DIB.
struct Bmp {
  uint32_t file_size = 0, bits_offset = 0;
  Dib dib;
};

inline Bmp decode_bmp(const Bytes& d) {
  if (d.size() < 54 || d[0] != 'B' || d[1] != 'M') throw std::runtime_error("not a BMP");
  Bmp bmp;
  bmp.file_size = u32(d, 2);
  bmp.bits_offset = u32(d, 10);
  read_dib_header(d, 14, bmp.dib);
  Dib& dib = bmp.dib;
  dib.rows = dib.height;
  if (dib.bit_count != 8 || dib.height <= 0) throw std::runtime_error("unsupported BMP");
  dib.index = dib.compression == 1
                  ? decode_rle8(d, bmp.bits_offset, dib.image_size, dib.width, dib.rows)
                  : unpack_rows(d, bmp.bits_offset, dib.width, dib.rows, 8);
  return bmp;
}

// A .ico or .cur file with its first image's masks decoded.
struct IconImage {
  uint32_t type = 0, count = 0;
  int entry_width = 0, entry_height = 0, entry_colours = 0;
  uint32_t planes_or_hot_x = 0, bits_or_hot_y = 0, bytes_in_res = 0, offset = 0;
  Dib dib;
  std::vector<uint8_t> and_mask;  // 1 = transparent, top row first
};

inline IconImage decode_icon(const Bytes& d) {
  IconImage ic;
  if (u16(d, 0) != 0) throw std::runtime_error("bad icon directory");
  ic.type = u16(d, 2);
  ic.count = u16(d, 4);
  ic.entry_width = d.at(6) ? d[6] : 256;
  ic.entry_height = d.at(7) ? d[7] : 256;
  ic.entry_colours = d.at(8);
  ic.planes_or_hot_x = u16(d, 10);
  ic.bits_or_hot_y = u16(d, 12);
  ic.bytes_in_res = u32(d, 14);
  ic.offset = u32(d, 18);
  read_dib_header(d, ic.offset, ic.dib);
  Dib& dib = ic.dib;
  dib.rows = dib.height / 2;
  const size_t xor_at = ic.offset + dib.header_size + 4 * dib.palette.size();
  dib.index = unpack_rows(d, xor_at, dib.width, dib.rows, static_cast<int>(dib.bit_count));
  const size_t xor_stride = ((static_cast<size_t>(dib.width) * dib.bit_count + 31) / 32) * 4;
  ic.and_mask = unpack_rows(d, xor_at + xor_stride * dib.rows, dib.width, dib.rows, 1);
  return ic;
}

}  // namespace asset_decode
