// sheet_cells.h -- test helpers: cells of the decoded sheets and region arithmetic.
#pragma once

#include <string>
#include <vector>

#include "asset_decode.h"

namespace sheet_cells {

using asset_decode::Colour;
using asset_decode::Dib;

constexpr int kCell = 64;

enum Column { kLeft = 0, kDown = 1, kUp = 2, kRight = 3 };

// A square grid of flags, one per pixel of a cell.
struct Region {
  int size;
  std::vector<bool> on;
  explicit Region(int n = kCell) : size(n), on(static_cast<size_t>(n) * n, false) {}
  bool at(int x, int y) const {
    return x >= 0 && y >= 0 && x < size && y < size && on[static_cast<size_t>(y) * size + x];
  }
  void set(int x, int y, bool v = true) { on[static_cast<size_t>(y) * size + x] = v; }
  int count() const {
    int n = 0;
    for (bool b : on) n += b;
    return n;
  }
  bool operator==(const Region& o) const { return on == o.on; }
};

inline const Dib& sheet(const char* name) {
  static std::vector<std::pair<std::string, Dib>> cache;
  for (const auto& entry : cache) {
    if (entry.first == name) return entry.second;
  }
  const std::string path = std::string(STOMPARA_SOURCE_DIR "/res/") + name;
  cache.emplace_back(name, asset_decode::decode_bmp(asset_decode::read_file(path)).dib);
  return cache.back().second;
}

inline const Dib& arrows() { return sheet("arrows.bmp"); }
inline const Dib& targets() { return sheet("targets.bmp"); }
inline const Dib& masks() { return sheet("masks.bmp"); }

inline Colour cell_pixel(const Dib& d, int column, int row, int x, int y, int cell = kCell) {
  return d.at(column * cell + x, row * cell + y);
}

// Pixels of a cell whose colour passes the test.
template <typename Pred>
Region select(const Dib& d, int column, int row, Pred pred) {
  Region r;
  for (int y = 0; y < kCell; ++y) {
    for (int x = 0; x < kCell; ++x) r.set(x, y, pred(cell_pixel(d, column, row, x, y)));
  }
  return r;
}

inline Region operator&(const Region& a, const Region& b) {
  Region r(a.size);
  for (size_t i = 0; i < r.on.size(); ++i) r.on[i] = a.on[i] && b.on[i];
  return r;
}

inline Region operator|(const Region& a, const Region& b) {
  Region r(a.size);
  for (size_t i = 0; i < r.on.size(); ++i) r.on[i] = a.on[i] || b.on[i];
  return r;
}

inline Region operator~(const Region& a) {
  Region r(a.size);
  for (size_t i = 0; i < r.on.size(); ++i) r.on[i] = !a.on[i];
  return r;
}

// Marks the 4-connected part of `open` reachable from `seeds`.
inline Region flood(const Region& open, Region seeds) {
  std::vector<std::pair<int, int>> stack;
  for (int y = 0; y < open.size; ++y) {
    for (int x = 0; x < open.size; ++x) {
      if (seeds.at(x, y)) stack.push_back({x, y});
    }
  }
  while (!stack.empty()) {
    const auto [x, y] = stack.back();
    stack.pop_back();
    const int nx[4] = {x + 1, x - 1, x, x}, ny[4] = {y, y, y + 1, y - 1};
    for (int i = 0; i < 4; ++i) {
      if (open.at(nx[i], ny[i]) && !seeds.at(nx[i], ny[i])) {
        seeds.set(nx[i], ny[i]);
        stack.push_back({nx[i], ny[i]});
      }
    }
  }
  return seeds;
}

// Pixels not in `shape` that connect to the cell border without crossing it.
inline Region outside_of(const Region& shape) {
  const Region open = ~shape;
  Region seeds(shape.size);
  for (int i = 0; i < shape.size; ++i) {
    const int edge = shape.size - 1;
    if (open.at(i, 0)) seeds.set(i, 0);
    if (open.at(i, edge)) seeds.set(i, edge);
    if (open.at(0, i)) seeds.set(0, i);
    if (open.at(edge, i)) seeds.set(edge, i);
  }
  return flood(open, seeds);
}

// Separate 4-connected pieces of a region.
inline std::vector<Region> components(const Region& region) {
  std::vector<Region> parts;
  Region left = region;
  for (int y = 0; y < region.size; ++y) {
    for (int x = 0; x < region.size; ++x) {
      if (!left.at(x, y)) continue;
      Region seed(region.size);
      seed.set(x, y);
      const Region part = flood(region, seed);
      parts.push_back(part);
      left = left & ~part;
    }
  }
  return parts;
}

// 2x2 AND shrink of RGB values, as the game's BLACKONWHITE stretch does.
inline std::vector<Colour> shrink_and(const Dib& d) {
  std::vector<Colour> out;
  for (int y = 0; y < d.rows / 2; ++y) {
    for (int x = 0; x < d.width / 2; ++x) {
      Colour c{255, 255, 255};
      for (int j = 0; j < 2; ++j) {
        for (int i = 0; i < 2; ++i) {
          const Colour s = d.at(2 * x + i, 2 * y + j);
          c = {c.r & s.r, c.g & s.g, c.b & s.b};
        }
      }
      out.push_back(c);
    }
  }
  return out;
}

// A cell of a shrunk sheet as a region of pixels passing the test.
template <typename Pred>
Region select_small(const std::vector<Colour>& small, int width, int column, int row, Pred pred) {
  const int cell = kCell / 2;
  Region r(cell);
  for (int y = 0; y < cell; ++y) {
    for (int x = 0; x < cell; ++x) {
      r.set(x, y, pred(small[static_cast<size_t>(row * cell + y) * width + column * cell + x]));
    }
  }
  return r;
}

// Unit vector from the tip towards the tail for each column.
inline void tail_direction(int column, int& dx, int& dy) {
  dx = column == kLeft ? 1 : column == kRight ? -1 : 0;
  dy = column == kUp ? 1 : column == kDown ? -1 : 0;
}

}  // namespace sheet_cells
