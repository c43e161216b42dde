// bitmap_file_test.cpp -- the BMP writer's pictures read back unchanged.
#include <gtest/gtest.h>

#include <string>

#include "tools/assets/bitmap_file.h"
#include "tools/assets/picture_reader.h"

namespace {

using Row = std::vector<uint8_t>;

Row ramp(size_t n) {
  Row row;
  for (size_t i = 0; i < n; ++i) row.push_back(static_cast<uint8_t>(i % 16));
  return row;
}
Row operator+(Row a, const Row& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// Rows at the run-length encoder's edges, each written both ways.
TEST(BitmapFile, PicturesSurviveARoundTrip) {
  const std::pair<const char*, Row> cases[] = {
      {"run longer than 255", Row(300, 3)},
      {"literal longer than 255", ramp(300)},
      {"odd literal, padded", ramp(5) + Row(295, 1)},
      {"runs too short to encode", {1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6}},
      {"two pixels, then a run", Row{7, 8} + Row(10, 9)},
      {"one pixel", {5}},
      {"run, then three", Row(256, 2) + ramp(3)},
      {"row not a multiple of four", ramp(7)},
  };
  for (const auto& [name, row] : cases) {
    assets::IndexedImage image;
    image.width = static_cast<int>(row.size());
    image.height = 3;
    image.pixels = row + Row(row.rbegin(), row.rend()) + Row(row.size(), 0);
    for (int i = 0; i < 16; ++i)
      image.palette.push_back({uint8_t(i * 16), uint8_t(i), uint8_t(255 - i)});
    for (bool rle : {true, false}) {
      const std::string where = std::string(name) + (rle ? ", RLE8" : ", uncompressed");
      picture::Picture p;
      ASSERT_NO_THROW(p = picture::decode_bmp(assets::bmp_file(image, rle))) << where;
      EXPECT_EQ(p.compression, rle ? 1 : 0) << where;
      EXPECT_EQ(std::make_pair(p.image.width, p.image.height), std::make_pair(image.width, 3));
      std::vector<picture::Colour> want;
      for (uint8_t i : image.pixels)
        want.push_back({image.palette[i].r, image.palette[i].g, image.palette[i].b});
      EXPECT_EQ(p.image.pixels, want) << where;
    }
  }
}

}  // namespace
