// sheet_shape_test.cpp -- headers of the three sheets and the arrow outline they share.
#include <gtest/gtest.h>

#include "sheet_cells.h"

namespace {

using namespace sheet_cells;

const Colour kBlack{0, 0, 0}, kWhite{255, 255, 255};
const Colour kTargetGrey[2] = {{71, 71, 71}, {200, 200, 200}};

// Band and rim of a cell, read from the normal target row.
Region rim_of(int column) {
  return select(targets(), column, 0, [](Colour c) { return c == kWhite; });
}
Region band_of(int column) {
  return select(targets(), column, 0, [](Colour c) { return c == kTargetGrey[0]; });
}
Region hollow_of(int column) {
  const Region shape = rim_of(column) | band_of(column);
  return ~shape & ~outside_of(shape);
}

TEST(SheetFiles, HeadersDescribeRunLengthEncodedSheets) {
  struct Case {
    const char* name;
    int width, height;
    size_t min_colours;
  };
  const Case cases[] = {{"arrows.bmp", 256, 768, 12}, {"targets.bmp", 256, 128, 4},
                        {"masks.bmp", 256, 64, 2}};
  for (const Case& c : cases) {
    const std::vector<uint8_t> file =
        asset_decode::read_file(std::string(STOMPARA_SOURCE_DIR "/res/") + c.name);
    const asset_decode::Bmp bmp = asset_decode::decode_bmp(file);
    EXPECT_EQ(bmp.file_size, file.size()) << c.name;
    EXPECT_EQ(bmp.dib.header_size, 40u) << c.name;
    EXPECT_EQ(bmp.dib.width, c.width) << c.name;
    EXPECT_EQ(bmp.dib.height, c.height) << c.name;  // positive: bottom-up, as RLE needs
    EXPECT_EQ(bmp.dib.planes, 1u) << c.name;
    EXPECT_EQ(bmp.dib.bit_count, 8u) << c.name;
    EXPECT_EQ(bmp.dib.compression, 1u) << c.name;  // BI_RLE8
    EXPECT_EQ(bmp.dib.colours_used, bmp.dib.palette.size()) << c.name;
    EXPECT_GE(bmp.dib.palette.size(), c.min_colours) << c.name;
    EXPECT_LE(bmp.dib.palette.size(), 256u) << c.name;
    EXPECT_EQ(bmp.bits_offset, 14 + 40 + 4 * bmp.dib.palette.size()) << c.name;
    EXPECT_EQ(bmp.bits_offset + bmp.dib.image_size, file.size()) << c.name;
    for (uint8_t index : bmp.dib.index) ASSERT_LT(index, bmp.dib.palette.size()) << c.name;
  }
}

TEST(TargetSheet, OnlyBlackWhiteAndTheRowsGrey) {
  for (int row = 0; row < 2; ++row) {
    for (int column = 0; column < 4; ++column) {
      const Region other = select(targets(), column, row, [row](Colour c) {
        return c != kBlack && c != kWhite && c != kTargetGrey[row];
      });
      EXPECT_EQ(other.count(), 0) << "column " << column << " row " << row;
    }
  }
}

TEST(TargetSheet, LitRowHasTheSameOutlineAsTheNormalRow) {
  for (int column = 0; column < 4; ++column) {
    EXPECT_EQ(select(targets(), column, 1, [](Colour c) { return c == kWhite; }), rim_of(column));
    EXPECT_EQ(select(targets(), column, 1, [](Colour c) { return c == kTargetGrey[1]; }),
              band_of(column));
  }
}

TEST(MaskSheet, BlackExactlyUnderTheTargetsBandAndRim) {
  for (int column = 0; column < 4; ++column) {
    const Region black = select(masks(), column, 0, [](Colour c) { return c == kBlack; });
    const Region white = select(masks(), column, 0, [](Colour c) { return c == kWhite; });
    EXPECT_EQ(black.count() + white.count(), kCell * kCell) << "only pure black and white";
    for (int row = 0; row < 2; ++row) {
      EXPECT_EQ(black, select(targets(), column, row, [](Colour c) { return c != kBlack; }))
          << "column " << column << " row " << row;
    }
  }
}

TEST(ArrowOutline, PixelCountsAreNearTheirTargets) {
  struct Part {
    const char* name;
    Region (*region)(int);
    int target;
  };
  const Part parts[] = {{"band", band_of, 1010}, {"rim", rim_of, 458}, {"hollow", hollow_of, 510}};
  for (int column = 0; column < 4; ++column) {
    for (const Part& p : parts) {
      const int n = p.region(column).count();
      EXPECT_NEAR(n, p.target, p.target / 10) << p.name << " of column " << column;
    }
  }
}

TEST(ArrowOutline, RimSeparatesTheBandFromTheBackground) {
  for (int column = 0; column < 4; ++column) {
    const Region rim = rim_of(column), band = band_of(column);
    const Region outside = outside_of(rim | band);
    int band_touching = 0, thick_rim = 0;
    for (int y = 0; y < kCell; ++y) {
      for (int x = 0; x < kCell; ++x) {
        bool near1 = false, near3 = false;
        for (int dy = -3; dy <= 3; ++dy) {
          for (int dx = -3; dx <= 3; ++dx) {
            const bool out = outside.at(x + dx, y + dy) || x + dx < 0 || y + dy < 0 ||
                             x + dx >= kCell || y + dy >= kCell;
            near3 = near3 || out;
            near1 = near1 || (out && std::abs(dx) <= 1 && std::abs(dy) <= 1);
          }
        }
        band_touching += band.at(x, y) && near1;
        thick_rim += rim.at(x, y) && !near3;  // rim more than three pixels deep
      }
    }
    EXPECT_EQ(band_touching, 0) << "column " << column;
    EXPECT_EQ(thick_rim, 0) << "column " << column;
  }
}

TEST(ArrowOutline, HollowSplitsIntoHeadAndTwoChevrons) {
  for (int column = 0; column < 4; ++column) {
    const std::vector<Region> parts = components(hollow_of(column));
    ASSERT_EQ(parts.size(), 3u) << "column " << column;
  }
}

// The widest cross-section (the barbs of the head) lies on the tip's side,
// and the tip itself is a point.
TEST(ArrowOutline, EachColumnPointsItsWay) {
  for (int column = 0; column < 4; ++column) {
    const Region shape = rim_of(column) | band_of(column);
    const bool vertical = column == kUp || column == kDown;
    int widest = -1, widest_at = 0, first = -1, last = -1, first_width = 0, last_width = 0;
    for (int i = 0; i < kCell; ++i) {
      int width = 0;
      for (int j = 0; j < kCell; ++j) width += vertical ? shape.at(j, i) : shape.at(i, j);
      if (width > widest) {
        widest = width;
        widest_at = i;
      }
      if (width > 0 && first < 0) {
        first = i;
        first_width = width;
      }
      if (width > 0) {
        last = i;
        last_width = width;
      }
    }
    const bool tip_first = column == kUp || column == kLeft;
    EXPECT_EQ(widest_at < kCell / 2, tip_first) << "column " << column;
    EXPECT_LE(tip_first ? first_width : last_width, 4) << "column " << column;
    EXPECT_GT(last - first, 56) << "column " << column;
  }
}

TEST(ArrowOutline, ColumnsAreRotationsOfOneAnother) {
  const Region up = rim_of(kUp) | band_of(kUp);
  const Region left = rim_of(kLeft) | band_of(kLeft);
  const Region down = rim_of(kDown) | band_of(kDown);
  const Region right = rim_of(kRight) | band_of(kRight);
  int mismatches = 0;
  for (int y = 0; y < kCell; ++y) {
    for (int x = 0; x < kCell; ++x) {
      const bool u = up.at(x, y);
      mismatches += down.at(x, kCell - 1 - y) != u;
      mismatches += left.at(y, kCell - 1 - x) != u;
      mismatches += right.at(kCell - 1 - y, x) != u;
    }
  }
  EXPECT_EQ(mismatches, 0);
}

TEST(HalfSizeSheets, ShrunkMaskIsBlackWhereverASourcePixelWasBlack) {
  const Dib& mask = masks();
  const std::vector<Colour> small = shrink_and(mask);
  ASSERT_EQ(small.size(), static_cast<size_t>(128 * 32));
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 128; ++x) {
      bool any_black = false;
      for (int j = 0; j < 2; ++j) {
        for (int i = 0; i < 2; ++i) any_black = any_black || mask.at(2 * x + i, 2 * y + j).black();
      }
      const Colour c = small[static_cast<size_t>(y) * 128 + x];
      ASSERT_EQ(c, any_black ? kBlack : kWhite) << x << "," << y;
    }
  }
}

TEST(HalfSizeSheets, ShrunkMaskCoversWhatTheShrunkSheetsPaint) {
  const std::vector<Colour> mask = shrink_and(masks());
  const std::vector<Colour> target = shrink_and(targets());
  const std::vector<Colour> arrow = shrink_and(arrows());
  for (int column = 0; column < 4; ++column) {
    const Region cover = select_small(mask, 128, column, 0, [](Colour c) { return c.black(); });
    for (int row = 0; row < 2; ++row) {
      const Region painted =
          select_small(target, 128, column, row, [](Colour c) { return !c.black(); });
      EXPECT_EQ((painted & ~cover).count(), 0) << "target column " << column << " row " << row;
    }
    for (int row = 0; row < 12; ++row) {
      // Band colours must land on the cleared area; only white may brighten the picture.
      const Region coloured = select_small(arrow, 128, column, row, [](Colour c) {
        return !c.black() && !(c == kWhite);
      });
      EXPECT_EQ((coloured & ~cover).count(), 0) << "arrow column " << column << " row " << row;
    }
  }
}

TEST(HalfSizeSheets, ChevronLinesAndRimSurviveTheShrink) {
  const std::vector<Colour> target = shrink_and(targets());
  for (int row = 0; row < 2; ++row) {
    for (int column = 0; column < 4; ++column) {
      const Region painted =
          select_small(target, 128, column, row, [](Colour c) { return !c.black(); });
      const Region rim =
          select_small(target, 128, column, row, [](Colour c) { return c == kWhite; });
      const Region hollow = ~painted & ~outside_of(painted);
      EXPECT_EQ(components(hollow).size(), 3u) << "column " << column << " row " << row;
      EXPECT_GT(hollow.count(), 60) << "column " << column << " row " << row;
      EXPECT_GT(rim.count(), 40) << "column " << column << " row " << row;
    }
  }
}

}  // namespace
