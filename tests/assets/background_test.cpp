// background_test.cpp -- the club picture: format, palette and how dim and purple it is.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "asset_decode.h"

namespace {

using asset_decode::Colour;

const asset_decode::Bmp& background() {
  static const asset_decode::Bmp bmp =
      asset_decode::decode_bmp(asset_decode::read_file(STOMPARA_SOURCE_DIR "/res/background.bmp"));
  return bmp;
}

double luminance(Colour c) { return 0.299 * c.r + 0.587 * c.g + 0.114 * c.b; }

struct Stats {
  double mean_r = 0, mean_g = 0, mean_b = 0, mean_l = 0, sd_l = 0;
  size_t distinct = 0;
};

Stats stats(int x0, int y0, int x1, int y1) {
  const asset_decode::Dib& d = background().dib;
  Stats s;
  std::set<uint8_t> used;
  double sum_sq = 0;
  const double n = static_cast<double>((x1 - x0) * (y1 - y0));
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      const Colour c = d.at(x, y);
      used.insert(d.index[static_cast<size_t>(y) * d.width + x]);
      s.mean_r += c.r / n;
      s.mean_g += c.g / n;
      s.mean_b += c.b / n;
      s.mean_l += luminance(c) / n;
      sum_sq += luminance(c) * luminance(c) / n;
    }
  }
  s.sd_l = std::sqrt(sum_sq - s.mean_l * s.mean_l);
  s.distinct = used.size();
  return s;
}

TEST(Background, IsAnUncompressedBottomUp256ColourBitmap) {
  const std::vector<uint8_t> file =
      asset_decode::read_file(STOMPARA_SOURCE_DIR "/res/background.bmp");
  const asset_decode::Bmp& bmp = background();
  EXPECT_EQ(bmp.dib.width, 288);
  EXPECT_EQ(bmp.dib.height, 310);
  EXPECT_EQ(bmp.dib.bit_count, 8u);
  EXPECT_EQ(bmp.dib.compression, 0u);  // BI_RGB
  EXPECT_EQ(bmp.dib.colours_used, 256u);
  EXPECT_EQ(bmp.dib.palette.size(), 256u);
  EXPECT_EQ(bmp.dib.image_size, 288u * 310u);
  EXPECT_EQ(bmp.bits_offset, 14u + 40u + 256u * 4u);
  EXPECT_EQ(file.size(), bmp.bits_offset + 288u * 310u);
  EXPECT_EQ(bmp.file_size, file.size());
}

TEST(Background, IsDimButNotFlat) {
  const Stats s = stats(0, 0, 288, 310);
  EXPECT_LT(s.mean_l, 40);
  EXPECT_GT(s.mean_l, 6);
  EXPECT_GT(s.sd_l, 8);
  EXPECT_GE(s.distinct, 48u);
}

TEST(Background, IsTintedPurple) {
  const Stats s = stats(0, 0, 288, 310);
  EXPECT_GT(s.mean_r, 1.5 * s.mean_g);
  EXPECT_GT(s.mean_b, 1.5 * s.mean_g);
}

TEST(Background, StaysCalmWhereTheBannerAndLanesAre) {
  const Stats banner = stats(60, 110, 228, 160);
  const Stats lanes = stats(60, 0, 228, 310);
  EXPECT_LT(banner.mean_l, 20);
  EXPECT_LT(lanes.mean_l, 40);
  // Few bright pixels that could be mistaken for an arrow.
  const asset_decode::Dib& d = background().dib;
  int bright = 0;
  for (int y = 0; y < 310; ++y) {
    for (int x = 60; x < 228; ++x) bright += luminance(d.at(x, y)) > 160;
  }
  EXPECT_LT(bright, 168 * 310 / 100);
}

}  // namespace
