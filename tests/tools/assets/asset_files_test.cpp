// asset_files_test.cpp -- the files in res/ parse with the sizes, depths and
// colours the game loads them with; the background, icon and cursor as seen.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>

#include "tools/assets/picture_reader.h"
#include "play/frame_pass.h"
#include "play/lanes.h"

namespace {

using picture::Colour;
using picture::Picture;

constexpr int kStoredCell = 2 * kCellSize;  // the game halves the sheets at load
constexpr int kArrowRows = 12;              // colourPhase 0..59 over five frames each

Picture load(const std::string& name) {
  const picture::Bytes bytes = picture::res_file(name);
  const std::string type = name.substr(name.size() - 3);
  if (type == "bmp") return picture::decode_bmp(bytes);
  return picture::decode_icon(bytes, type == "ico" ? 1 : 2);
}

std::set<Colour> used_colours(const Picture& p) {
  return std::set<Colour>(p.image.pixels.begin(), p.image.pixels.end());
}

TEST(AssetFiles, EachParsesWithTheSizeAndDepthTheGameLoads) {
  const struct {
    const char* name;
    int width, height, bits, compression;  // compression 1: BI_RLE8
  } cases[] = {
      {"arrows.bmp", kLaneCount * kStoredCell, kArrowRows * kStoredCell, 8, 1},
      {"targets.bmp", kLaneCount * kStoredCell, 2 * kStoredCell, 8, 1},  // normal, lit
      {"masks.bmp", kLaneCount * kStoredCell, kStoredCell, 8, 1},
      {"background.bmp", kFieldWidth, kFieldHeight, 8, 0},
      {"stompara.ico", 64, 64, 8, 0},
      {"hand.cur", 32, 32, 1, 0},
  };
  for (const auto& c : cases) {
    Picture p;
    ASSERT_NO_THROW(p = load(c.name)) << c.name;
    EXPECT_EQ(std::make_tuple(p.image.width, p.image.height, p.bits, p.compression),
              std::make_tuple(c.width, c.height, c.bits, c.compression)) << c.name;
  }
}

// Black is what the OR leaves alone and the AND clears; the rest is what a
// player sees of the arrows and targets. Every entry is in use.
TEST(AssetFiles, SheetPalettesHoldExactlyTheColoursDrawn) {
  const Colour black{0, 0, 0}, white{255, 255, 255};
  const std::pair<const char*, std::set<Colour>> cases[] = {
      {"arrows.bmp", {black, white, {0, 254, 0}, {0, 0, 254}, {253, 0, 0}, {0, 254, 255},
                      {132, 0, 254}, {254, 0, 255}, {254, 0, 132}, {254, 131, 0},
                      {255, 254, 0}, {132, 255, 0}}},
      {"targets.bmp", {black, white, {71, 71, 71}, {200, 200, 200}}},
      {"masks.bmp", {black, white}},
  };
  for (const auto& [name, colours] : cases) {
    const Picture p = load(name);
    EXPECT_EQ(p.palette.size(), colours.size()) << name;
    EXPECT_EQ(std::set<Colour>(p.palette.begin(), p.palette.end()), colours) << name;
    EXPECT_EQ(used_colours(p), colours) << name;
  }
}

// A full 8 x 4 x 8 cube of red, green and blue levels from black, so the dither
// always has a neighbour each side; green gets fewest, the club being purple.
TEST(Background, PaletteIsAFullColourCubeFromBlack) {
  const Picture p = load("background.bmp");
  std::set<int> reds, greens, blues;
  for (const Colour& c : p.palette) reds.insert(c.r), greens.insert(c.g), blues.insert(c.b);
  EXPECT_EQ(std::set<Colour>(p.palette.begin(), p.palette.end()).size(), 256u);
  EXPECT_EQ(std::make_tuple(reds.size(), greens.size(), blues.size()), std::make_tuple(8u, 4u, 8u));
  EXPECT_TRUE(p.palette.at(0).black());
  EXPECT_GE(used_colours(p).size(), 48u) << "a flat picture";
}

// Where the AND mask lets the screen through, the colour image must add
// nothing: black in the icon, never white (inverting) in the cursor.
TEST(IconAndCursor, TransparentPixelsDrawNothingAndTheHotSpotIsOnTheHand) {
  for (const char* name : {"stompara.ico", "hand.cur"}) {
    const Picture p = load(name);
    int shown = 0;
    for (size_t i = 0; i < p.transparent.size(); ++i)
      shown += p.transparent[i] && !p.image.pixels[i].black();
    EXPECT_EQ(shown, 0) << name;
  }
  const Picture hand = load("hand.cur");
  EXPECT_EQ(std::make_pair(hand.hot_x, hand.hot_y), std::make_pair(5, 0)) << "fingertip";
  EXPECT_FALSE(hand.transparent.at(static_cast<size_t>(hand.hot_y) * 32 + hand.hot_x));
  EXPECT_EQ(used_colours(hand).size(), 2u) << "a black outline round a white hand";
}

}  // namespace
