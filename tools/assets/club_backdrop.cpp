// club_backdrop.cpp -- the club beyond the desk: wall, lights, beams and crowd.
#include <algorithm>
#include <vector>

#include "background.h"
#include "booth.h"

namespace assets {
namespace {

double fract(double v) { return v - std::floor(v); }

// ---- back wall and haze ----------------------------------------------------

// Screen y where the back wall meets the dance floor.
constexpr double kWallFoot = kHorizonY - kFocal * kClubFloorY / kClubWallZ;

Vec3 wall(double sx, double sy) {
  const double glow_y = 46, t = clamp01(sy / glow_y);
  Vec3 c = mix(Vec3{0.030, 0.010, 0.060}, Vec3{0.10, 0.030, 0.17}, t * t);
  // A wash of stage light low on the wall, brightest off to either side.
  const double side = std::fabs(sx - kCentreX) / kCentreX;
  const double wash = smoothstep(20, 50, sy) * (0.55 + 0.45 * side);
  c = c + Vec3{0.10, 0.020, 0.12} * wash;
  const double haze = haze_noise(sx / 38, sy / 22, 5);
  c = c * (0.75 + 0.5 * haze);
  // The dance floor: dark, fading into the glow at the foot of the wall.
  const double floor = smoothstep(kWallFoot - 1, kWallFoot + 1, sy);
  const double glow = smoothstep(kWallFoot + 25, kWallFoot, sy);
  const Vec3 ground = Vec3{0.022, 0.008, 0.040} * (1 + 2 * glow);
  return mix(c, ground, floor);
}

// ---- lighting rig and beams -------------------------------------------------

struct Beam {
  double x, y;    // lens position on screen
  double dx, dy;  // direction (unit)
  double spread;  // half width per pixel travelled
  double reach;   // pixels until the beam has faded to half
  Vec3 colour;
};

const Vec3 kMagenta{0.50, 0.08, 0.44}, kViolet{0.30, 0.10, 0.55}, kBlue{0.12, 0.16, 0.58},
    kPink{0.55, 0.10, 0.26};

const std::vector<Beam>& beams() {
  static const std::vector<Beam> list = [] {
    std::vector<Beam> out;
    const Vec3 colours[] = {kMagenta, kBlue, kViolet, kPink, kViolet, kBlue, kMagenta, kViolet};
    for (int i = 0; i < 8; ++i) {
      const double x = 18 + i * 36.0;
      // Fixtures on the left throw right and vice versa, crossing overhead.
      const double lean = (i < 4 ? 1 : -1) * (0.35 + 0.12 * (i % 4));
      const double up = i % 3 == 0 ? -0.55 : 0.9;
      const double len = std::sqrt(lean * lean + up * up);
      out.push_back({x, 13, lean / len, up / len, 0.10 + 0.03 * (i % 2), 70, colours[i]});
      // A fainter, narrower second head sweeping the other way.
      const double lean2 = -lean * 0.6 + (i % 2 ? 0.15 : -0.15);
      const double len2 = std::sqrt(lean2 * lean2 + 1);
      out.push_back({x, 13, lean2 / len2, 1 / len2, 0.06, 45, colours[(i + 3) % 8] * 0.6});
    }
    return out;
  }();
  return list;
}

Vec3 beam_light(double sx, double sy) {
  Vec3 sum;
  const double haze = 0.45 + 0.8 * haze_noise(sx / 26, sy / 16, 9);
  for (const Beam& b : beams()) {
    const double vx = sx - b.x, vy = sy - b.y;
    const double along = vx * b.dx + vy * b.dy;
    if (along <= 0) continue;
    const double across = std::fabs(vx * b.dy - vy * b.dx);
    const double width = 1.2 + along * b.spread;
    const double core = smoothstep(width, width * 0.3, across);
    const double fade = b.reach / (b.reach + along);
    sum = sum + b.colour * (core * fade * haze * 0.55);
  }
  return sum;
}

// Fixtures on a truss across the back wall, each with a glowing lens.
Vec3 rig(double sx, double sy, Vec3 c) {
  if (sy > 5 && sy < 10) {
    const double lattice = std::fabs(fract((sx + (sy - 5) * 1.0) / 10) - 0.5);
    const bool chord = sy < 6 || sy > 9;
    if (chord || lattice < 0.09) c = mix(c, Vec3{0.10, 0.07, 0.14}, 0.8);
  }
  for (const Beam& b : beams()) {
    const double dx = sx - b.x, dy = sy - b.y;
    if (std::fabs(dx) < 3.5 && dy > -4 && dy < 1) c = Vec3{0.035, 0.025, 0.05};  // housing
    const double d2 = dx * dx + dy * dy;
    c = c + (b.colour + Vec3{0.3, 0.25, 0.35}) * (1.6 / (1 + d2 * 0.9));
    c = c + b.colour * (0.10 / (1 + d2 * 0.02));  // halo in the haze
  }
  return c;
}

// Mirror-ball specks scattered over the wall.
Vec3 specks(double sx, double sy) {
  Vec3 sum;
  for (uint32_t i = 0; i < 36; ++i) {
    const double x = hash01(i, 1, 77) * kBackgroundWidth, y = 16 + hash01(i, 2, 77) * 40;
    const double d2 = (sx - x) * (sx - x) + (sy - y) * (sy - y);
    if (d2 < 9) sum = sum + Vec3{0.30, 0.22, 0.40} * (hash01(i, 3, 77) / (1 + d2 * 2.5));
  }
  return sum;
}

}  // namespace

Vec3 club_backdrop(double sx, double sy) {
  Vec3 c = wall(sx, sy) + specks(sx, sy);
  c = rig(sx, sy, c) + beam_light(sx, sy);
  return crowd(sx, sy, c);
}

}  // namespace assets
