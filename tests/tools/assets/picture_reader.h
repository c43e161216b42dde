// picture_reader.h -- an independent reader for the BMP, ICO and CUR files under test.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <ostream>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

namespace picture {

using Bytes = std::vector<uint8_t>;

struct Colour {
  int r = 0, g = 0, b = 0;
  bool operator==(const Colour& o) const { return std::tie(r, g, b) == std::tie(o.r, o.g, o.b); }
  bool operator<(const Colour& o) const { return std::tie(r, g, b) < std::tie(o.r, o.g, o.b); }
  bool black() const { return r == 0 && g == 0 && b == 0; }
  bool white() const { return r == 255 && g == 255 && b == 255; }
  double luminance() const { return 0.299 * r + 0.587 * g + 0.114 * b; }
};
inline void PrintTo(const Colour& c, std::ostream* os) {
  *os << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

struct Image {  // pixel colours, top row first
  int width = 0, height = 0;
  std::vector<Colour> pixels;
  Colour at(int x, int y) const { return pixels.at(static_cast<size_t>(y) * width + x); }
};

struct Picture {
  int bits = 0, compression = 0, stored_height = 0, hot_x = -1, hot_y = -1;  // hot spot: cursors
  size_t image_size = 0;
  std::vector<Colour> palette;
  Image image;
  std::vector<int> transparent;  // icons and cursors: 1 where the AND mask shows the screen
};

inline void need(bool ok, const char* what) {
  if (!ok) throw std::runtime_error(what);
}
inline uint32_t u16(const Bytes& d, size_t at) {
  need(at + 2 <= d.size(), "read past end");
  return static_cast<uint32_t>(d[at] | (d[at + 1] << 8));
}
inline uint32_t u32(const Bytes& d, size_t at) { return u16(d, at) | (u16(d, at + 2) << 16); }

inline Bytes res_file(const std::string& name) {
  std::ifstream in(STOMPARA_SOURCE_DIR "/res/" + name, std::ios::binary);
  need(static_cast<bool>(in), "cannot open a file in res/");
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// BITMAPINFOHEADER and colour table at `at`; returns where the pixels start.
inline size_t read_info(const Bytes& d, size_t at, Picture& p) {
  need(u32(d, at) == 40 && u16(d, at + 12) == 1, "not a one-plane BITMAPINFOHEADER");
  p.image.width = static_cast<int32_t>(u32(d, at + 4));
  p.stored_height = static_cast<int32_t>(u32(d, at + 8));
  p.bits = static_cast<int>(u16(d, at + 14));
  p.compression = static_cast<int>(u32(d, at + 16));
  p.image_size = u32(d, at + 20);
  const size_t end = at + 40 + 4 * (u32(d, at + 32) ? u32(d, at + 32) : size_t{1} << p.bits);
  need(end <= d.size(), "colour table past end");
  for (size_t e = at + 40; e < end; e += 4) p.palette.push_back({d[e + 2], d[e + 1], d[e]});
  return end;
}

inline size_t stride(int width, int bits) { return (static_cast<size_t>(width) * bits + 31) / 32 * 4; }

// Uncompressed bottom-up rows of 1 or 8 bits per pixel, returned top row first.
inline std::vector<int> unpack_rows(const Bytes& d, size_t at, int width, int rows, int bits) {
  need(at + stride(width, bits) * rows <= d.size(), "pixels past end");
  std::vector<int> out;
  for (int y = rows - 1; y >= 0; --y) {
    const size_t row = at + stride(width, bits) * static_cast<size_t>(y);
    for (int x = 0; x < width; ++x)
      out.push_back(bits == 8 ? d[row + x] : (d[row + x / 8] >> (7 - x % 8)) & 1);
  }
  return out;
}

// BI_RLE8 decoder; throws on anything that leaves a pixel unwritten, writes
// outside the picture or does not end exactly at the end of the file.
inline std::vector<int> decode_rle8(const Bytes& d, size_t p, int width, int rows) {
  std::vector<int> out(static_cast<size_t>(width) * rows, -1);
  int x = 0, y = rows - 1;  // y counts from the top; the stream starts at the bottom
  auto put = [&](int v) {
    need(x < width && y >= 0, "RLE writes outside the picture");
    out[static_cast<size_t>(y) * width + x++] = v;
  };
  for (;; p += 2) {
    need(p + 2 <= d.size(), "RLE stream not terminated");
    const int count = d[p], value = d[p + 1];
    if (count > 0) {
      for (int i = 0; i < count; ++i) put(value);
    } else if (value == 0) {
      need(x == width, "end of line before the row is full");
      x = 0, --y;
    } else if (value == 1) {
      need(p + 2 == d.size() && y == -1, "end of bitmap misplaced");
      return out;
    } else {
      need(value != 2 && p + 2 + value <= d.size(), "delta escape or absolute run past end");
      for (int i = 0; i < value; ++i) put(d[p + 2 + i]);
      p += value + value % 2;
    }
  }
}

inline void fill_image(Picture& p, const std::vector<int>& index) {
  for (int i : index) {
    need(i >= 0 && i < static_cast<int>(p.palette.size()), "pixel unwritten or beyond the table");
    p.image.pixels.push_back(p.palette[i]);
  }
}

// A bottom-up 8-bit .bmp whose header sizes agree with the file.
inline Picture decode_bmp(const Bytes& d) {
  need(d.size() >= 54 && d[0] == 'B' && d[1] == 'M' && u32(d, 2) == d.size(), "not a whole BMP");
  Picture p;
  const size_t at = read_info(d, 14, p);
  const int w = p.image.width, h = p.image.height = p.stored_height;
  need(u32(d, 10) == at && at + p.image_size == d.size(), "pixel offset or size is wrong");
  need(p.bits == 8 && h > 0 && p.compression <= 1, "not a bottom-up 8-bit bitmap");
  fill_image(p, p.compression ? decode_rle8(d, at, w, h) : unpack_rows(d, at, w, h, 8));
  return p;
}

// A .ico (type 1) or .cur (type 2) holding one image, with its AND mask.
inline Picture decode_icon(const Bytes& d, uint32_t type) {
  need(u16(d, 0) == 0 && u16(d, 2) == type && u16(d, 4) == 1, "not a one-image icon or cursor");
  need(u32(d, 18) + u32(d, 14) == d.size(), "image does not end the file");
  Picture p;
  const size_t xor_at = read_info(d, u32(d, 18), p);
  const int w = p.image.width, h = p.image.height = p.stored_height / 2;  // colours, then mask
  need(d[6] == w && d[7] == h && p.compression == 0, "directory disagrees with the image");
  if (type == 2) p.hot_x = static_cast<int>(u16(d, 10)), p.hot_y = static_cast<int>(u16(d, 12));
  const size_t and_at = xor_at + stride(w, p.bits) * h;
  need(and_at + stride(w, 1) * h == d.size(), "masks do not fill the image");
  fill_image(p, unpack_rows(d, xor_at, w, h, p.bits));
  p.transparent = unpack_rows(d, and_at, w, h, 1);
  return p;
}

}  // namespace picture
