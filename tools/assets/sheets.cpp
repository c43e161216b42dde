// sheets.cpp -- the arrow, target and mask sheets built from one outline.
#include <array>
#include <cstddef>
#include <utility>

#include "arrow_shape.h"
#include "assets.h"
#include "bitmap_file.h"

namespace assets {
namespace {

constexpr int kColumns = 4;
constexpr int kArrowRows = 12;

// Arrow sheet palette.
enum ArrowColour : uint8_t {
  kBlack, kWhite, kGreen, kBlue, kRed, kCyan, kViolet, kMagenta, kPink,
  kOrange, kYellow, kYellowGreen,
};

const std::vector<Rgb> kArrowPalette = {
    {0, 0, 0},     {255, 255, 255}, {0, 254, 0},   {0, 0, 254},
    {253, 0, 0},   {0, 254, 255},   {132, 0, 254}, {254, 0, 255},
    {254, 0, 132}, {254, 131, 0},   {255, 254, 0}, {132, 255, 0},
};

// Which parts of the hollow are lit white in a frame.
enum class Fill : uint8_t { Whole, None, TailChevron, BothChevrons };

struct Frame {
  std::array<ArrowColour, 3> band;  // tail, middle, head
  Fill fill;
};

// The colour wave: every fourth frame is solid, and in between the next
// solid colour flows in from the tail, led by the hues between the two.
constexpr Frame kFrames[kArrowRows] = {
    {{kGreen, kGreen, kGreen}, Fill::Whole},
    {{kCyan, kGreen, kGreen}, Fill::None},
    {{kBlue, kCyan, kGreen}, Fill::TailChevron},
    {{kBlue, kBlue, kCyan}, Fill::BothChevrons},
    {{kBlue, kBlue, kBlue}, Fill::Whole},
    {{kMagenta, kViolet, kBlue}, Fill::None},
    {{kPink, kMagenta, kViolet}, Fill::TailChevron},
    {{kRed, kPink, kMagenta}, Fill::BothChevrons},
    {{kRed, kRed, kRed}, Fill::Whole},
    {{kYellow, kOrange, kRed}, Fill::None},
    {{kYellowGreen, kYellow, kOrange}, Fill::TailChevron},
    {{kGreen, kYellowGreen, kYellow}, Fill::BothChevrons},
};

bool lit(Layer layer, Fill fill) {
  switch (fill) {
    case Fill::Whole: return is_hollow(layer);
    case Fill::None: return false;
    case Fill::TailChevron: return layer == Layer::ChevronTail;
    case Fill::BothChevrons:
      return layer == Layer::ChevronTail || layer == Layer::ChevronMid;
  }
  return false;
}

uint8_t arrow_pixel(const ArrowCell& cell, int x, int y, const Frame& frame) {
  const Layer layer = cell.layer[y][x];
  if (layer == Layer::Band) return frame.band[static_cast<size_t>(cell.zone[y][x])];
  return lit(layer, frame.fill) ? kWhite : kBlack;
}

// A sheet of kColumns x rows cells, one arrow direction per column.
template <typename PixelFn>
IndexedImage sheet(int rows, std::vector<Rgb> palette, PixelFn pixel) {
  IndexedImage image;
  image.width = kColumns * kCell;
  image.height = rows * kCell;
  image.palette = std::move(palette);
  image.pixels.resize(static_cast<size_t>(image.width) * image.height);
  for (int column = 0; column < kColumns; ++column) {
    const ArrowCell cell = arrow_cell(column);
    for (int row = 0; row < rows; ++row) {
      for (int y = 0; y < kCell; ++y) {
        for (int x = 0; x < kCell; ++x) {
          const size_t at = static_cast<size_t>(row * kCell + y) * image.width +
                            static_cast<size_t>(column * kCell + x);
          image.pixels[at] = pixel(cell, x, y, row);
        }
      }
    }
  }
  return image;
}

}  // namespace

std::vector<uint8_t> arrows_bmp() {
  return bmp_file(sheet(kArrowRows, kArrowPalette,
                        [](const ArrowCell& cell, int x, int y, int row) {
                          return arrow_pixel(cell, x, y, kFrames[row]);
                        }),
                  true);
}

std::vector<uint8_t> targets_bmp() {
  // 0 black, 1 white rim, 2 normal band, 3 lit band.
  const std::vector<Rgb> palette = {
      {0, 0, 0}, {255, 255, 255}, {71, 71, 71}, {200, 200, 200}};
  return bmp_file(sheet(2, palette,
                        [](const ArrowCell& cell, int x, int y, int row) -> uint8_t {
                          const Layer layer = cell.layer[y][x];
                          if (layer == Layer::Rim) return 1;
                          if (layer == Layer::Band) return row == 0 ? 2 : 3;
                          return 0;
                        }),
                  true);
}

std::vector<uint8_t> masks_bmp() {
  const std::vector<Rgb> palette = {{0, 0, 0}, {255, 255, 255}};
  return bmp_file(sheet(1, palette,
                        [](const ArrowCell& cell, int x, int y, int) -> uint8_t {
                          const Layer layer = cell.layer[y][x];
                          return layer == Layer::Rim || layer == Layer::Band ? 0 : 1;
                        }),
                  true);
}

}  // namespace assets
