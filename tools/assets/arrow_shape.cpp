// arrow_shape.cpp -- builds the arrow outline: rim, band, hollow, chevrons.
#include "arrow_shape.h"

#include <cstdlib>

namespace assets {
namespace {

// Geometry works in quarter pixels: pixel (x, y) has its centre at
// (4x + 2, 4y + 2) and pixel edges sit on multiples of 4. All tests are
// integer so the outline is exact on every machine.
constexpr int kQ = 4;

struct Pt {
  int64_t x, y;
};

// Outline of the upward arrow, clockwise, in quarter pixels.
constexpr Pt kOutline[] = {
    {32 * kQ, 1 * kQ},   // tip
    {62 * kQ, 29 * kQ},  // right barb
    {50 * kQ, 29 * kQ},  // right shoulder
    {50 * kQ, 63 * kQ},  // right tail point
    {32 * kQ, 56 * kQ},  // notch
    {14 * kQ, 63 * kQ},  // left tail point
    {14 * kQ, 29 * kQ},  // left shoulder
    {2 * kQ, 29 * kQ},   // left barb
};
constexpr int kOutlineCount = sizeof(kOutline) / sizeof(kOutline[0]);

constexpr int64_t kRimWidth = 9;    // quarter pixels from the outer edge
constexpr int64_t kBandWidth = 35;  // quarter pixels from the outer edge
constexpr int64_t kHeadBase = 29 * kQ;  // chevrons live below this line

// Chevron lines, measured along k = 2y - |x - centre| (quarter pixels), so
// they fall one pixel for every two across. A 2x2 block lies on a line when
// first <= k < last at its centre. Listed tip-most first.
struct KRange {
  int64_t first, last;
};
constexpr KRange kChevronLines[] = {{66 * kQ, 70 * kQ}, {80 * kQ, 84 * kQ}};

// Squared distance test: is p closer than r to segment ab?
bool near_segment(Pt p, Pt a, Pt b, int64_t r) {
  const int64_t dx = b.x - a.x, dy = b.y - a.y;
  const int64_t px = p.x - a.x, py = p.y - a.y;
  const int64_t len2 = dx * dx + dy * dy;
  const int64_t t = px * dx + py * dy;
  if (t <= 0) return px * px + py * py < r * r;
  if (t >= len2) {
    const int64_t qx = p.x - b.x, qy = p.y - b.y;
    return qx * qx + qy * qy < r * r;
  }
  const int64_t cross = px * dy - py * dx;
  return cross * cross < r * r * len2;
}

bool near_outline(Pt p, int64_t r) {
  for (int i = 0; i < kOutlineCount; ++i) {
    if (near_segment(p, kOutline[i], kOutline[(i + 1) % kOutlineCount], r))
      return true;
  }
  return false;
}

// Even-odd crossing test; points on the outline count as inside.
bool inside_outline(Pt p) {
  if (near_outline(p, 1)) return true;
  bool inside = false;
  for (int i = 0; i < kOutlineCount; ++i) {
    const Pt a = kOutline[i], b = kOutline[(i + 1) % kOutlineCount];
    if ((a.y > p.y) == (b.y > p.y)) continue;
    // x of the edge at height p.y, compared without division.
    const int64_t lhs = (p.x - a.x) * (b.y - a.y);
    const int64_t rhs = (b.x - a.x) * (p.y - a.y);
    if ((b.y > a.y) ? lhs < rhs : lhs > rhs) inside = !inside;
  }
  return inside;
}

int64_t chevron_k(Pt p) { return 2 * p.y - std::llabs(p.x - 32 * kQ); }

Pt block_centre(int x, int y) { return {(x / 2) * 2 * kQ + kQ, (y / 2) * 2 * kQ + kQ}; }

// Zones are split at the chevron lines, each line going with the zone on
// its tail side, so a colour boundary runs along a line and across the band.
Zone zone_of(int x, int y) {
  const int64_t k = chevron_k(block_centre(x, y));
  if (k >= kChevronLines[1].first) return Zone::Tail;
  if (k >= kChevronLines[0].first) return Zone::Middle;
  return Zone::Head;
}

// Splits the hollow of the shaft by the chevron lines. The lines are laid
// out on whole 2x2 blocks so they survive the half-size shrink intact.
Layer hollow_layer(int x, int y) {
  const Pt block = block_centre(x, y);
  if (block.y < kHeadBase) return Layer::Hollow;
  const int64_t k = chevron_k(block);
  for (const KRange& line : kChevronLines) {
    if (k >= line.first && k < line.last) return Layer::Band;
  }
  if (k >= kChevronLines[1].last) return Layer::ChevronTail;
  if (k >= kChevronLines[0].last) return Layer::ChevronMid;
  return Layer::Hollow;
}

Layer up_layer(int x, int y) {
  const Pt p{x * kQ + kQ / 2, y * kQ + kQ / 2};
  if (!inside_outline(p)) return Layer::Outside;
  if (near_outline(p, kRimWidth)) return Layer::Rim;
  if (near_outline(p, kBandWidth)) return Layer::Band;
  return hollow_layer(x, y);
}

// Where a pixel of a cell pointing `direction` comes from in the up cell.
void source_pixel(int direction, int x, int y, int& ux, int& uy) {
  switch (direction) {
    case kLeft: ux = kCell - 1 - y; uy = x; break;
    case kDown: ux = x; uy = kCell - 1 - y; break;
    case kRight: ux = y; uy = kCell - 1 - x; break;
    default: ux = x; uy = y; break;
  }
}

}  // namespace

ArrowCell arrow_cell(int direction) {
  ArrowCell up{};
  for (int y = 0; y < kCell; ++y) {
    for (int x = 0; x < kCell; ++x) {
      up.layer[y][x] = up_layer(x, y);
      up.zone[y][x] = zone_of(x, y);
    }
  }
  ArrowCell cell{};
  for (int y = 0; y < kCell; ++y) {
    for (int x = 0; x < kCell; ++x) {
      int ux = 0, uy = 0;
      source_pixel(direction, x, y, ux, uy);
      cell.layer[y][x] = up.layer[uy][ux];
      cell.zone[y][x] = up.zone[uy][ux];
    }
  }
  return cell;
}

}  // namespace assets
