// background.h -- pieces of the club picture behind the playfield.
#pragma once

#include "render_math.h"

namespace assets {

constexpr int kBackgroundWidth = 288;
constexpr int kBackgroundHeight = 310;
constexpr double kClubFloorY = -2.90;  // dance floor height, well below the booth
constexpr double kClubWallZ = 13.0;    // distance to the back wall

// The club beyond the desk (wall, lights, beams, crowd) at a screen point.
Vec3 club_backdrop(double sx, double sy);

// The dancing crowd in silhouette, painted over `behind`.
Vec3 crowd(double sx, double sy, Vec3 behind);

}  // namespace assets
