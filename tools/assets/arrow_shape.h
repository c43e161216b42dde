// arrow_shape.h -- the arrow outline shared by the arrow, target and mask sheets.
#pragma once

#include <cstdint>

namespace assets {

constexpr int kCell = 64;  // cell edge in pixels

// What a pixel of an arrow cell belongs to.
enum class Layer : uint8_t {
  Outside,      // background around the arrow
  Rim,          // outer edge of the outline, black in the arrow sheet
  Band,         // the thick coloured outline and the chevron lines
  Hollow,       // inside of the outline, head and upper shaft
  ChevronTail,  // hollow between the tail notch and the first chevron line
  ChevronMid,   // hollow between the two chevron lines
};

// Position of a band pixel along the arrow, used by the colour wave.
enum class Zone : uint8_t { Tail, Middle, Head };

struct ArrowCell {
  Layer layer[kCell][kCell];  // [y][x]
  Zone zone[kCell][kCell];    // meaningful for band pixels
};

// Lane directions in column order.
enum Direction { kLeft = 0, kDown = 1, kUp = 2, kRight = 3 };

// The arrow for one lane, pointing in that lane's direction.
ArrowCell arrow_cell(int direction);

inline bool is_hollow(Layer p) {
  return p == Layer::Hollow || p == Layer::ChevronTail || p == Layer::ChevronMid;
}

}  // namespace assets
