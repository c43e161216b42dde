// cursor.cpp -- the pointing-hand mouse cursor (32x32, monochrome).
#include "assets.h"
#include "bitmap_file.h"

namespace assets {
namespace {

constexpr int kSize = 32;
constexpr int kHotX = 5;  // top of the index fingertip
constexpr int kHotY = 0;

// 'X' black outline, 'o' white fill, '.' transparent.
constexpr const char* kHand[kSize] = {
    ".....XX.........................",
    "....XooX........................",
    "....XooX........................",
    "....XooX........................",
    "....XooX........................",
    "....XooXXX......................",
    "....XooXooXXX...................",
    "....XooXooXooXXX................",
    "....XooXooXooXooX...............",
    "....XooXooXooXooX...............",
    ".XX.XooXooXooXooX...............",
    "XooXXoooooooooooX...............",
    "XoooXoooooooooooX...............",
    ".XooXoooooooooooX...............",
    ".XooooooooooooooX...............",
    "..XoooooooooooooX...............",
    "..XooooooooooooX................",
    "...XoooooooooooX................",
    "...XooooooooooX.................",
    "....XoooooooooX.................",
    "....XoooooooooX.................",
    "....XXXXXXXXXXX.................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
};

}  // namespace

std::vector<uint8_t> hand_cur() {
  std::vector<bool> white, opaque;
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      const char c = kHand[y][x];
      white.push_back(c == 'o');
      opaque.push_back(c != '.');
    }
  }
  return cur_file(kSize, kSize, white, opaque, kHotX, kHotY);
}

}  // namespace assets
