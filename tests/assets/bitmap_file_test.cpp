// bitmap_file_test.cpp -- RLE8 encoding and palette building against an independent reader.
#include <gtest/gtest.h>

#include <string>

#include "asset_decode.h"
#include "bitmap_file.h"
#include "quantise.h"

namespace {

using assets::IndexedImage;

IndexedImage image_of_rows(const std::vector<std::vector<uint8_t>>& rows) {
  IndexedImage image;
  image.width = static_cast<int>(rows[0].size());
  image.height = static_cast<int>(rows.size());
  for (const auto& row : rows) image.pixels.insert(image.pixels.end(), row.begin(), row.end());
  for (int i = 0; i < 16; ++i) {
    image.palette.push_back({static_cast<uint8_t>(i * 16), 0, static_cast<uint8_t>(255 - i)});
  }
  return image;
}

std::vector<uint8_t> repeat(uint8_t v, size_t n) { return std::vector<uint8_t>(n, v); }

std::vector<uint8_t> ramp(size_t n) {
  std::vector<uint8_t> row;
  for (size_t i = 0; i < n; ++i) row.push_back(static_cast<uint8_t>(i % 16));
  return row;
}

std::vector<uint8_t> concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(Rle8, RowsOfEveryShapeSurviveARoundTrip) {
  struct Case {
    const char* name;
    std::vector<uint8_t> row;
  };
  const std::vector<Case> cases = {
      {"single run", repeat(3, 300)},                       // run longer than 255
      {"all different", ramp(300)},                          // literal longer than 255
      {"odd literal", concat(ramp(5), repeat(1, 295))},     // absolute run needs padding
      {"pairs", {1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6}},       // runs too short to encode
      {"two then run", concat({7, 8}, repeat(9, 10))},      // literal of two pixels
      {"one pixel", {5}},
      {"run then literal", concat(repeat(2, 256), ramp(3))},
  };
  for (const Case& c : cases) {
    const IndexedImage image = image_of_rows({c.row, c.row, repeat(0, c.row.size())});
    const std::vector<uint8_t> file = assets::bmp_file(image, true);
    const asset_decode::Bmp bmp = asset_decode::decode_bmp(file);
    EXPECT_EQ(bmp.dib.compression, 1u) << c.name;
    EXPECT_EQ(bmp.dib.index, image.pixels) << c.name;
    EXPECT_EQ(bmp.file_size, file.size()) << c.name;
    EXPECT_EQ(bmp.bits_offset + bmp.dib.image_size, file.size()) << c.name;
  }
}

TEST(Rle8, StreamClosesEveryRowAndTheBitmap) {
  const IndexedImage image = image_of_rows({ramp(7), repeat(4, 7), ramp(7)});
  const std::vector<uint8_t> rle = assets::rle8_encode(image);
  ASSERT_GE(rle.size(), 4u);
  EXPECT_EQ(rle[rle.size() - 2], 0);
  EXPECT_EQ(rle[rle.size() - 1], 1);
  EXPECT_EQ(rle[rle.size() - 4], 0);
  EXPECT_EQ(rle[rle.size() - 3], 0);
  EXPECT_EQ(rle.size() % 2, 0u);
}

TEST(Rle8, UncompressedFilesPadRowsToFourBytes) {
  const IndexedImage image = image_of_rows({ramp(5), repeat(2, 5)});
  const std::vector<uint8_t> file = assets::bmp_file(image, false);
  const asset_decode::Bmp bmp = asset_decode::decode_bmp(file);
  EXPECT_EQ(bmp.dib.compression, 0u);
  EXPECT_EQ(bmp.dib.image_size, 8u * 2);
  EXPECT_EQ(bmp.dib.index, image.pixels);
  EXPECT_EQ(file.size(), 14u + 40 + 16 * 4 + 16);
}

TEST(MedianCut, FewColoursAreKeptExactly) {
  const std::vector<assets::Rgb> pixels = {
      {10, 20, 30}, {10, 20, 30}, {200, 0, 5}, {0, 255, 0}, {200, 0, 5}, {9, 9, 9}};
  const std::vector<assets::Rgb> palette = assets::median_cut(pixels, 8);
  EXPECT_EQ(palette.size(), 4u);
  for (const assets::Rgb& c : pixels) {
    const assets::Rgb match = palette[assets::nearest_colour(palette, c)];
    EXPECT_EQ(std::vector<int>({match.r, match.g, match.b}), std::vector<int>({c.r, c.g, c.b}));
  }
}

TEST(MedianCut, ManyColoursAreCappedAndStayClose) {
  std::vector<assets::Rgb> pixels;
  for (int i = 0; i < 4096; ++i) {
    pixels.push_back({static_cast<uint8_t>(i % 256), static_cast<uint8_t>(i / 16),
                      static_cast<uint8_t>((i * 7) % 256)});
  }
  const std::vector<assets::Rgb> palette = assets::median_cut(pixels, 64);
  EXPECT_EQ(palette.size(), 64u);
  int worst = 0;
  for (const assets::Rgb& c : pixels) {
    const assets::Rgb m = palette[assets::nearest_colour(palette, c)];
    const int d = std::abs(m.r - c.r) + std::abs(m.g - c.g) + std::abs(m.b - c.b);
    worst = std::max(worst, d);
  }
  EXPECT_LT(worst, 160);
}

}  // namespace
