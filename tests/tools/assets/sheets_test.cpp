// sheets_test.cpp -- the arrow, target and mask sheets as a player sees them: at
// the 64x64 cells stored in res/ and at the 32x32 cells the game halves them to.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

#include "tools/assets/picture_reader.h"

namespace {

using picture::Colour;
using Flags = std::vector<std::vector<bool>>;

enum Lane { kLeft, kDown, kUp, kRight };

// A cell of a sheet as stored (64x64), or halved as the game does at load
// (32x32, each pixel the AND of its 2x2 source: the default stretch mode);
// `turned` views it rotated so that an arrow drawn for its lane points up.
struct Cell {
  const picture::Image& sheet;
  int n, lane, row;  // n: cell edge
  bool turned;
  Colour at(int ux, int uy) const {
    const bool t = turned;
    const int x = t && lane == kLeft ? uy : t && lane == kRight ? n - 1 - uy : ux;
    const int y = t && lane == kLeft ? n - 1 - ux : t && lane == kRight ? ux
                : t && lane == kDown ? n - 1 - uy : uy;
    const int s = 64 / n;
    Colour c{255, 255, 255};
    for (int j = 0; j < s * s; ++j) {
      const Colour p = sheet.at((lane * n + x) * s + j % s, (row * n + y) * s + j / s);
      c = {c.r & p.r, c.g & p.g, c.b & p.b};
    }
    return c;
  }
};

Cell cell(const std::string& name, bool halved, int lane, int row, bool turned = false) {
  static std::map<std::string, picture::Image> sheets;
  if (!sheets.count(name)) sheets[name] = picture::decode_bmp(picture::res_file(name)).image;
  return {sheets[name], halved ? 32 : 64, lane, row, turned};
}

std::string where(const std::string& name, bool halved, int lane, int row) {
  return name + " lane " + std::to_string(lane) + " row " + std::to_string(row) +
         (halved ? " at 32x32" : " at 64x64");
}

// Pixels (x, y, colour) of the cell for which `f` holds: as flags, or counted.
template <typename F>
Flags grid(const Cell& c, F f) {
  Flags out(c.n, std::vector<bool>(c.n));
  for (int y = 0; y < c.n; ++y)
    for (int x = 0; x < c.n; ++x) out[y][x] = f(x, y, c.at(x, y));
  return out;
}
template <typename F>
int count(const Cell& c, F f) {
  int n = 0;
  for (const auto& line : grid(c, f)) n += static_cast<int>(std::count(line.begin(), line.end(), true));
  return n;
}

// The open pixels that reach the cell's border without crossing a closed one.
Flags outside(const Flags& open) {
  const int n = static_cast<int>(open.size());
  Flags reached(n, std::vector<bool>(n));
  std::vector<std::pair<int, int>> todo;
  for (int i = 0; i < n; ++i) todo.insert(todo.end(), {{i, 0}, {i, n - 1}, {0, i}, {n - 1, i}});
  while (!todo.empty()) {
    const auto [x, y] = todo.back();
    todo.pop_back();
    if (x < 0 || y < 0 || x >= n || y >= n || reached[y][x] || !open[y][x]) continue;
    reached[y][x] = true;
    todo.insert(todo.end(), {{x + 1, y}, {x - 1, y}, {x, y + 1}, {x, y - 1}});
  }
  return reached;
}

using Sheet = std::pair<const char*, int>;  // file and rows of cells
const Sheet kColourSheets[] = {{"arrows.bmp", 12}, {"targets.bmp", 2}};
const Sheet kAllSheets[] = {{"masks.bmp", 1}, {"arrows.bmp", 12}, {"targets.bmp", 2}};

// The game ANDs a lane's mask cell into the picture, then ORs the colour cell.
TEST(SheetMasks, ColourShowsOnlyWhereTheMaskClearsTheBackground) {
  for (bool halved : {false, true}) {
    for (int lane = 0; lane < 4; ++lane) {
      const Flags black = grid(cell("masks.bmp", halved, lane, 0),
                               [](int, int, Colour c) { return c.black(); });
      const Flags around = outside(grid(cell("masks.bmp", halved, lane, 0),
                                        [](int, int, Colour c) { return !c.black(); }));
      for (const auto& [name, rows] : kColourSheets) {
        for (int row = 0; row < rows; ++row) {
          SCOPED_TRACE(where(name, halved, lane, row));
          const Cell colour = cell(name, halved, lane, row);
          // White ORed over the picture stays white; any other colour where the
          // mask is not black would be mixed with the background.
          EXPECT_EQ(count(colour, [&](int x, int y, Colour c) {
                      return !black[y][x] && !c.black() && !c.white();
                    }), 0) << "colour not over black mask";
          EXPECT_EQ(count(colour, [&](int x, int y, Colour c) { return around[y][x] && !c.black(); }), 0)
              << "lit outside the arrow";
          // Targets have no black outline: as stored, the mask is black exactly
          // under their painted pixels, normal or lit.
          if (!halved && rows == 2) {
            EXPECT_EQ(count(colour, [&](int x, int y, Colour c) { return black[y][x] == c.black(); }),
                      0) << "mask and target outlines differ";
          }
        }
      }
    }
  }
}

// Every lane shows the same arrow turned its own way: once turned up, all four
// cells agree, the widest line (across the barbs) is in the upper half and the
// top line is a narrow tip, not a flat tail. Halving keeps the arrow whole.
TEST(SheetArrows, EachLanePointsItsOwnWay) {
  for (bool halved : {false, true}) {
    for (const auto& [name, rows] : kAllSheets) {
      const bool mask = name == std::string("masks.bmp");
      auto shown = [mask](int, int, Colour c) { return mask ? c.black() : !c.black(); };
      for (int row = 0; row < rows; ++row) {
        SCOPED_TRACE(where(name, halved, kUp, row));
        const Flags up = grid(cell(name, halved, kUp, row), shown);
        std::vector<int> span;  // leftmost to rightmost shown pixel of each line
        for (const auto& line : up) {
          const auto first = std::find(line.begin(), line.end(), true);
          const auto last = std::find(line.rbegin(), line.rend(), true).base();
          span.push_back(first == line.end() ? 0 : static_cast<int>(last - first));
        }
        const auto top = std::find_if(span.begin(), span.end(), [](int w) { return w > 0; });
        const auto widest = std::max_element(span.begin(), span.end());
        ASSERT_NE(top, span.end()) << "empty";
        EXPECT_LT(widest - span.begin(), static_cast<int>(up.size()) / 2) << "barbs not on top";
        EXPECT_LE(*top * 4, *widest) << "no pointed tip";
        for (int lane : {kLeft, kDown, kRight}) {
          EXPECT_EQ(count(cell(name, halved, lane, row, true),
                          [&](int x, int y, Colour c) { return shown(x, y, c) != up[y][x]; }), 0)
              << "lane " << lane << " turned up is not the up arrow";
        }
        if (!halved) continue;
        const Flags whole = grid(cell(name, false, kUp, row), shown);
        EXPECT_EQ(count(cell(name, true, kUp, row), [&](int x, int y, Colour c) {
                    return !shown(x, y, c) && whole[2 * y][2 * x] && whole[2 * y][2 * x + 1] &&
                           whole[2 * y + 1][2 * x] && whole[2 * y + 1][2 * x + 1];
                  }), 0) << "the shrink opened black seams in a block shown whole";
      }
    }
  }
}

// The arrows cycle through their twelve rows, so no two may look alike.
TEST(SheetArrows, ColourRowsDifferFromEachOther) {
  for (bool halved : {false, true}) {
    for (int lane = 0; lane < 4; ++lane) {
      for (int a = 0; a < 12; ++a) {
        const Cell first = cell("arrows.bmp", halved, lane, a);
        for (int b = a + 1; b < 12; ++b) {
          EXPECT_GT(count(cell("arrows.bmp", halved, lane, b),
                          [&](int x, int y, Colour c) { return !(c == first.at(x, y)); }), 0)
              << where("arrows.bmp", halved, lane, a) << " and row " << b << " look alike";
        }
      }
    }
  }
}

// Row 1 of the targets flashes over row 0 on a hit: brighter, and nowhere darker.
TEST(TargetSheet, LitCellIsBrighterThanTheNormalOne) {
  for (bool halved : {false, true}) {
    for (int lane = 0; lane < 4; ++lane) {
      SCOPED_TRACE(where("targets.bmp", halved, lane, 1));
      const Cell normal = cell("targets.bmp", halved, lane, 0);
      const Cell lit = cell("targets.bmp", halved, lane, 1);
      double normal_sum = 0, lit_sum = 0;
      const int darker = count(lit, [&](int x, int y, Colour c) {
        normal_sum += normal.at(x, y).luminance(), lit_sum += c.luminance();
        return c.luminance() < normal.at(x, y).luminance();
      });
      EXPECT_EQ(darker, 0);
      EXPECT_GT(lit_sum, normal_sum * 1.2);  // clearly, not by a hair
    }
  }
}

}  // namespace
