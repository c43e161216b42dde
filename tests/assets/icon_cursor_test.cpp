// icon_cursor_test.cpp -- the logo icon and the hand cursor files.
#include <gtest/gtest.h>

#include "asset_decode.h"

namespace {

using asset_decode::Colour;
using asset_decode::IconImage;

IconImage load(const char* name) {
  return asset_decode::decode_icon(
      asset_decode::read_file(std::string(STOMPARA_SOURCE_DIR "/res/") + name));
}

size_t file_size(const char* name) {
  return asset_decode::read_file(std::string(STOMPARA_SOURCE_DIR "/res/") + name).size();
}

bool opaque(const IconImage& ic, int x, int y) {
  return ic.and_mask[static_cast<size_t>(y) * ic.dib.width + x] == 0;
}

TEST(Icon, HoldsOne64x64Image256Colours) {
  const IconImage ic = load("stompara.ico");
  EXPECT_EQ(ic.type, 1u);
  EXPECT_EQ(ic.count, 1u);
  EXPECT_EQ(ic.entry_width, 64);
  EXPECT_EQ(ic.entry_height, 64);
  EXPECT_EQ(ic.entry_colours, 0);  // 0 means 256
  EXPECT_EQ(ic.planes_or_hot_x, 1u);
  EXPECT_EQ(ic.bits_or_hot_y, 8u);
  EXPECT_EQ(ic.offset, 22u);
  EXPECT_EQ(ic.offset + ic.bytes_in_res, file_size("stompara.ico"));
  EXPECT_EQ(ic.dib.width, 64);
  EXPECT_EQ(ic.dib.height, 128);  // image plus mask
  EXPECT_EQ(ic.dib.bit_count, 8u);
  EXPECT_EQ(ic.dib.compression, 0u);
  EXPECT_EQ(ic.dib.palette.size(), 256u);
  EXPECT_EQ(ic.bytes_in_res, 40u + 256 * 4 + 64 * 64 + 64 * 8);
}

TEST(Icon, MaskCutsOutARoundLogo) {
  const IconImage ic = load("stompara.ico");
  int covered = 0, wrong_transparent = 0;
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      if (opaque(ic, x, y)) {
        ++covered;
      } else {
        // Transparent pixels must draw nothing: black in the colour image.
        wrong_transparent += !ic.dib.at(x, y).black();
      }
    }
  }
  EXPECT_EQ(wrong_transparent, 0);
  EXPECT_NEAR(covered, 3117, 160);  // a disc of radius 31.5
  for (auto [x, y] : {std::pair{0, 0}, {63, 0}, {0, 63}, {63, 63}}) EXPECT_FALSE(opaque(ic, x, y));
  for (auto [x, y] : {std::pair{32, 32}, {32, 2}, {2, 32}, {61, 32}}) EXPECT_TRUE(opaque(ic, x, y));
}

TEST(Icon, LogoIsColourfulAndPurple) {
  const IconImage ic = load("stompara.ico");
  long r = 0, g = 0, b = 0;
  int white = 0;
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      if (!opaque(ic, x, y)) continue;
      const Colour c = ic.dib.at(x, y);
      r += c.r;
      g += c.g;
      b += c.b;
      white += c.r > 220 && c.g > 220 && c.b > 220;
    }
  }
  EXPECT_GT(b, 3 * g / 2);
  EXPECT_GT(r, 3 * g / 2);
  EXPECT_GT(white, 150);  // the letter
}

TEST(Cursor, IsA32x32MonochromeHandWithItsHotSpotOnTheFingertip) {
  const IconImage cur = load("hand.cur");
  EXPECT_EQ(cur.type, 2u);
  EXPECT_EQ(cur.count, 1u);
  EXPECT_EQ(cur.entry_width, 32);
  EXPECT_EQ(cur.entry_height, 32);
  EXPECT_EQ(cur.planes_or_hot_x, 5u);
  EXPECT_EQ(cur.bits_or_hot_y, 0u);
  EXPECT_EQ(cur.offset + cur.bytes_in_res, file_size("hand.cur"));
  EXPECT_EQ(cur.dib.width, 32);
  EXPECT_EQ(cur.dib.height, 64);
  EXPECT_EQ(cur.dib.bit_count, 1u);
  ASSERT_EQ(cur.dib.palette.size(), 2u);
  EXPECT_TRUE(cur.dib.palette[0].black());
  EXPECT_EQ(cur.dib.palette[1], (Colour{255, 255, 255}));
  EXPECT_TRUE(opaque(cur, 5, 0));
  EXPECT_TRUE(cur.dib.at(5, 0).black());
  int top_row = 0;
  for (int x = 0; x < 32; ++x) top_row += opaque(cur, x, 0);
  EXPECT_LE(top_row, 3);  // the fingertip, not a flat edge
}

TEST(Cursor, WhiteHandIsOutlinedInBlackOnATransparentGround) {
  const IconImage cur = load("hand.cur");
  int white = 0, black = 0, inverted = 0, unoutlined = 0;
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      const bool is_white = cur.dib.index[static_cast<size_t>(y) * 32 + x] == 1;
      if (!opaque(cur, x, y)) {
        inverted += is_white;  // AND 1 + XOR 1 would invert the screen
        continue;
      }
      (is_white ? white : black) += 1;
      if (!is_white) continue;
      const int nx[4] = {x + 1, x - 1, x, x}, ny[4] = {y, y, y + 1, y - 1};
      for (int i = 0; i < 4; ++i) {
        const bool inside = nx[i] >= 0 && ny[i] >= 0 && nx[i] < 32 && ny[i] < 32;
        unoutlined += !inside || !opaque(cur, nx[i], ny[i]);
      }
    }
  }
  EXPECT_EQ(inverted, 0);
  EXPECT_EQ(unoutlined, 0);
  EXPECT_GT(white, 120);
  EXPECT_GT(black, 60);
  EXPECT_TRUE(!opaque(cur, 31, 31) && !opaque(cur, 31, 0) && !opaque(cur, 0, 31));
}

}  // namespace
