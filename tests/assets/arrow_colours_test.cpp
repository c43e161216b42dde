// arrow_colours_test.cpp -- the colour wave and white chevrons of the arrow sheet.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "sheet_cells.h"

namespace {

using namespace sheet_cells;

const Colour kBlack{0, 0, 0}, kWhite{255, 255, 255};
const Colour kGreen{0, 254, 0}, kBlue{0, 0, 254}, kRed{253, 0, 0};
const Colour kCyan{0, 254, 255}, kViolet{132, 0, 254}, kMagenta{254, 0, 255},
    kPink{254, 0, 132}, kOrange{254, 131, 0}, kYellow{255, 254, 0}, kYellowGreen{132, 255, 0};

// Hues in wave order from one solid colour to the next, for rows 0-4, 4-8, 8-12.
const std::vector<Colour> kTransitions[3] = {
    {kGreen, kCyan, kBlue},
    {kBlue, kViolet, kMagenta, kPink, kRed},
    {kRed, kOrange, kYellow, kYellowGreen, kGreen},
};

Region shape_of(int column) {
  return select(targets(), column, 0, [](Colour c) { return !c.black(); });
}
Region band_of(int column) {
  return select(targets(), column, 0, [](Colour c) { return !c.black() && c != kWhite; });
}
Region hollow_of(int column) {
  const Region shape = shape_of(column);
  return ~shape & ~outside_of(shape);
}
Region whites(int column, int row) {
  return select(arrows(), column, row, [](Colour c) { return c == kWhite; });
}

int wave_position(const std::vector<Colour>& hues, Colour c) {
  const auto it = std::find(hues.begin(), hues.end(), c);
  return it == hues.end() ? -1 : static_cast<int>(it - hues.begin());
}

TEST(ArrowSheet, BandColoursSitExactlyOnTheTargetsBand) {
  for (int column = 0; column < 4; ++column) {
    const Region band = band_of(column), hollow = hollow_of(column);
    for (int row = 0; row < 12; ++row) {
      const Region coloured =
          select(arrows(), column, row, [](Colour c) { return !c.black() && c != kWhite; });
      EXPECT_EQ(coloured, band) << "column " << column << " row " << row;
      EXPECT_EQ((whites(column, row) & ~hollow).count(), 0) << "white outside the hollow";
    }
  }
}

TEST(ArrowSheet, SolidFramesArePureColourWithAWhiteHollow) {
  const struct {
    int row;
    Colour colour;
  } solids[] = {{0, kGreen}, {4, kBlue}, {8, kRed}};
  for (const auto& solid : solids) {
    for (int column = 0; column < 4; ++column) {
      const Colour want = solid.colour;
      const Region solid_band =
          select(arrows(), column, solid.row, [want](Colour c) { return c == want; });
      EXPECT_EQ(solid_band, band_of(column)) << "column " << column << " row " << solid.row;
      EXPECT_EQ(whites(column, solid.row), hollow_of(column))
          << "column " << column << " row " << solid.row;
    }
  }
}

TEST(ArrowSheet, ChevronsFillInFromTheTail) {
  const struct {
    int row;
    int white;
    size_t chevrons;
  } frames[] = {{1, 0, 0},    {2, 72, 1},  {3, 160, 2},  {5, 0, 0},  {6, 72, 1},
                {7, 160, 2}, {9, 0, 0},   {10, 72, 1},  {11, 160, 2}};
  for (int column = 0; column < 4; ++column) {
    const Region hollow = hollow_of(column);
    const std::vector<Region> compartments = components(hollow);
    int tail_dx = 0, tail_dy = 0;
    tail_direction(column, tail_dx, tail_dy);
    for (const auto& f : frames) {
      const Region lit = whites(column, f.row);
      EXPECT_NEAR(lit.count(), f.white, f.white / 10) << "column " << column << " row " << f.row;
      // Whole compartments only: each hollow piece is either lit or dark.
      size_t lit_pieces = 0;
      for (const Region& piece : compartments) {
        const int n = (lit & piece).count();
        EXPECT_TRUE(n == 0 || n == piece.count()) << "column " << column << " row " << f.row;
        lit_pieces += n > 0;
      }
      EXPECT_EQ(lit_pieces, f.chevrons) << "column " << column << " row " << f.row;
      if (f.chevrons == 0) continue;
      // The lit part sits towards the tail end of the hollow.
      long lit_sum = 0, hollow_sum = 0;
      for (int y = 0; y < kCell; ++y) {
        for (int x = 0; x < kCell; ++x) {
          const long along = static_cast<long>(x) * tail_dx + static_cast<long>(y) * tail_dy;
          lit_sum += lit.at(x, y) ? along : 0;
          hollow_sum += hollow.at(x, y) ? along : 0;
        }
      }
      EXPECT_GT(lit_sum * hollow.count(), hollow_sum * lit.count())
          << "column " << column << " row " << f.row;
    }
  }
}

TEST(ArrowSheet, TwoChevronFramesAddToTheOneChevronFrames) {
  for (int column = 0; column < 4; ++column) {
    for (int row : {2, 6, 10}) {
      EXPECT_EQ((whites(column, row) & ~whites(column, row + 1)).count(), 0)
          << "column " << column << " row " << row;
    }
  }
}

int count_in(const Region& band, int column, int row, Colour colour) {
  return (select(arrows(), column, row, [colour](Colour c) { return c == colour; }) & band).count();
}

struct Pixel {
  int x = 0, y = 0;
};

// The band pixels furthest towards the tail and towards the tip.
void band_ends(int column, const Region& band, Pixel& tail, Pixel& tip) {
  int dx = 0, dy = 0;
  tail_direction(column, dx, dy);
  int most = -1000, least = 1000;
  for (int y = 0; y < kCell; ++y) {
    for (int x = 0; x < kCell; ++x) {
      if (!band.at(x, y)) continue;
      const int along = x * dx + y * dy;
      if (along > most) { most = along; tail = {x, y}; }
      if (along < least) { least = along; tip = {x, y}; }
    }
  }
}

// Between solid frames the next colour enters at the tail and spreads to the
// tip, only ever through the hues that lie between the two.
TEST(ArrowSheet, ColourWaveRunsFromTailToTip) {
  for (int column = 0; column < 4; ++column) {
    const Region band = band_of(column);
    Pixel tail, tip;
    band_ends(column, band, tail, tip);
    for (int t = 0; t < 3; ++t) {
      const std::vector<Colour>& hues = kTransitions[t];
      int previous_new = -1, previous_old = kCell * kCell;
      for (int step = 0; step <= 4; ++step) {
        const int row = (t * 4 + step) % 12;
        const std::string where =
            "column " + std::to_string(column) + " row " + std::to_string(row);
        const Region off_wave = select(arrows(), column, row, [&hues](Colour c) {
          return wave_position(hues, c) < 0;
        });
        EXPECT_EQ((off_wave & band).count(), 0) << where;
        const int old_count = count_in(band, column, row, hues.front());
        const int new_count = count_in(band, column, row, hues.back());
        EXPECT_GE(new_count, previous_new) << where;
        EXPECT_LE(old_count, previous_old) << where;
        previous_new = new_count;
        previous_old = old_count;
        const int at_tail = wave_position(hues, cell_pixel(arrows(), column, row, tail.x, tail.y));
        const int at_tip = wave_position(hues, cell_pixel(arrows(), column, row, tip.x, tip.y));
        EXPECT_GE(at_tail, at_tip) << where;
        if (step > 0 && step < 4) {
          EXPECT_GT(at_tail, 0) << where;  // the wave has begun
        }
      }
      EXPECT_EQ(previous_old, 0) << "column " << column << " transition " << t;
    }
  }
}

// In the frames with a dark hollow, neighbouring wave colours share bits, so
// the 2x2 AND shrink keeps every block that is band all through.
TEST(ArrowSheet, WaveColoursSurviveTheShrinkTogether) {
  const std::vector<Colour> small = shrink_and(arrows());
  for (int column = 0; column < 4; ++column) {
    const Region band = band_of(column);
    Region full_blocks(kCell / 2);
    for (int y = 0; y < kCell / 2; ++y) {
      for (int x = 0; x < kCell / 2; ++x) {
        full_blocks.set(x, y, band.at(2 * x, 2 * y) && band.at(2 * x + 1, 2 * y) &&
                                  band.at(2 * x, 2 * y + 1) && band.at(2 * x + 1, 2 * y + 1));
      }
    }
    for (int row : {1, 5, 9}) {
      const Region shown =
          select_small(small, 128, column, row, [](Colour c) { return !c.black(); });
      EXPECT_EQ(shown, full_blocks) << "column " << column << " row " << row;
    }
  }
}

}  // namespace
