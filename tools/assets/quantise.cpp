// quantise.cpp -- median-cut palette and nearest-colour matching.
#include "quantise.h"

#include <algorithm>
#include <map>
#include <utility>

namespace assets {
namespace {

struct Entry {
  Rgb colour;
  uint32_t count;
};

using Box = std::vector<Entry>;

int channel(Rgb c, int which) { return which == 0 ? c.r : which == 1 ? c.g : c.b; }

uint32_t packed(Rgb c) { return (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | c.b; }

// Widest channel of the box and its extent.
int widest_channel(const Box& box, int& extent) {
  int best = 0;
  extent = -1;
  for (int ch = 0; ch < 3; ++ch) {
    int lo = 255, hi = 0;
    for (const Entry& e : box) {
      lo = std::min(lo, channel(e.colour, ch));
      hi = std::max(hi, channel(e.colour, ch));
    }
    if (hi - lo > extent) {
      extent = hi - lo;
      best = ch;
    }
  }
  return best;
}

// Splits the box at the weighted median of its widest channel.
void split(Box& box, Box& upper) {
  int extent = 0;
  const int ch = widest_channel(box, extent);
  std::sort(box.begin(), box.end(), [ch](const Entry& a, const Entry& b) {
    const int ca = channel(a.colour, ch), cb = channel(b.colour, ch);
    return ca != cb ? ca < cb : packed(a.colour) < packed(b.colour);
  });
  uint64_t total = 0;
  for (const Entry& e : box) total += e.count;
  uint64_t running = 0;
  size_t cut = 1;
  for (size_t i = 0; i + 1 < box.size(); ++i) {
    running += box[i].count;
    cut = i + 1;
    if (running * 2 >= total) break;
  }
  upper.assign(box.begin() + static_cast<std::ptrdiff_t>(cut), box.end());
  box.resize(cut);
}

Rgb average(const Box& box) {
  uint64_t r = 0, g = 0, b = 0, n = 0;
  for (const Entry& e : box) {
    r += uint64_t{e.colour.r} * e.count;
    g += uint64_t{e.colour.g} * e.count;
    b += uint64_t{e.colour.b} * e.count;
    n += e.count;
  }
  return {static_cast<uint8_t>((r + n / 2) / n), static_cast<uint8_t>((g + n / 2) / n),
          static_cast<uint8_t>((b + n / 2) / n)};
}

}  // namespace

std::vector<Rgb> median_cut(const std::vector<Rgb>& pixels, size_t max_colours) {
  std::map<uint32_t, uint32_t> counts;
  for (const Rgb& c : pixels) ++counts[packed(c)];
  std::vector<Box> boxes(1);
  for (const auto& [key, count] : counts) {
    boxes[0].push_back({{static_cast<uint8_t>(key >> 16), static_cast<uint8_t>(key >> 8),
                         static_cast<uint8_t>(key)},
                        count});
  }
  while (boxes.size() < max_colours) {
    size_t pick = boxes.size();
    int pick_extent = 0;
    for (size_t i = 0; i < boxes.size(); ++i) {
      int extent = 0;
      widest_channel(boxes[i], extent);
      if (boxes[i].size() > 1 && extent > pick_extent) {
        pick = i;
        pick_extent = extent;
      }
    }
    if (pick == boxes.size()) break;  // every box holds a single colour
    Box upper;
    split(boxes[pick], upper);
    boxes.push_back(std::move(upper));
  }
  std::vector<Rgb> palette;
  for (const Box& box : boxes) {
    if (!box.empty()) palette.push_back(average(box));
  }
  return palette;
}

uint8_t nearest_colour(const std::vector<Rgb>& palette, Rgb c) {
  size_t best = 0;
  int best_distance = 1 << 30;
  for (size_t i = 0; i < palette.size(); ++i) {
    const int dr = palette[i].r - c.r, dg = palette[i].g - c.g, db = palette[i].b - c.b;
    const int d = dr * dr + dg * dg + db * db;
    if (d < best_distance) {
      best_distance = d;
      best = i;
    }
  }
  return static_cast<uint8_t>(best);
}

}  // namespace assets
