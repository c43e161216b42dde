// crowd.cpp -- rows of backlit dancers between the desk and the back wall.
#include <algorithm>
#include <vector>

#include "background.h"
#include "booth.h"

namespace assets {
namespace {

struct Dancer {
  double x, z;           // position on the floor
  double height;         // top of the head above the floor
  double lean;           // sideways head offset
  double arm_l, arm_r;   // raised arm reach (0 = arm down)
  double spread_l, spread_r;
};

// Deterministic crowd: rows from the back of the room to the desk.
std::vector<Dancer> make_crowd() {
  std::vector<Dancer> out;
  uint32_t n = 0;
  for (int row = 0; row < 10; ++row) {
    const double z = 12.0 - row * 1.05;
    const double half_width = z * kCentreX / kFocal + 0.6;
    const double spacing = 0.50;
    for (double x = -half_width; x < half_width; x += spacing, ++n) {
      Dancer d;
      d.x = x + (hash01(n, 1, 31) - 0.5) * 0.3;
      d.z = z + (hash01(n, 2, 31) - 0.5) * 0.6;
      d.height = 1.58 + hash01(n, 3, 31) * 0.30;
      d.lean = (hash01(n, 4, 31) - 0.5) * 0.06;
      d.arm_l = hash01(n, 5, 31) < 0.28 ? 0.30 + hash01(n, 6, 31) * 0.25 : 0;
      d.arm_r = hash01(n, 7, 31) < 0.28 ? 0.30 + hash01(n, 8, 31) * 0.25 : 0;
      d.spread_l = 0.05 + hash01(n, 9, 31) * 0.25;
      d.spread_r = 0.05 + hash01(n, 10, 31) * 0.25;
      out.push_back(d);
    }
  }
  std::sort(out.begin(), out.end(), [](const Dancer& a, const Dancer& b) {
    return a.z != b.z ? a.z > b.z : a.x < b.x;
  });
  return out;
}

const std::vector<Dancer>& dancers() {
  static const std::vector<Dancer> list = make_crowd();
  return list;
}

double circle(double x, double y, double cx, double cy, double r) {
  return std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy)) - r;
}

double segment(double x, double y, double ax, double ay, double bx, double by, double r) {
  const double px = x - ax, py = y - ay, ex = bx - ax, ey = by - ay;
  const double t = clamp01((px * ex + py * ey) / (ex * ex + ey * ey));
  const double dx = px - ex * t, dy = py - ey * t;
  return std::sqrt(dx * dx + dy * dy) - r;
}

double rounded_box(double x, double y, double cx, double cy, double hw, double hh, double r) {
  const double qx = std::fabs(x - cx) - hw + r, qy = std::fabs(y - cy) - hh + r;
  const double ox = std::fmax(qx, 0.0), oy = std::fmax(qy, 0.0);
  return std::sqrt(ox * ox + oy * oy) + std::fmin(std::fmax(qx, qy), 0.0) - r;
}

double smooth_min(double a, double b, double k) {
  const double h = clamp01(0.5 + 0.5 * (b - a) / k);
  return mix(b, a, h) - k * h * (1 - h);
}

// Signed distance (metres) to a dancer, in coordinates relative to their feet.
double dancer_distance(const Dancer& d, double x, double y) {
  const double head_y = d.height - 0.115, shoulder_y = d.height - 0.30;
  double dist = circle(x, y, d.lean, head_y, 0.105);
  dist = smooth_min(dist, rounded_box(x, y, 0, shoulder_y / 2, 0.215, shoulder_y / 2 + 0.03,
                                      0.09), 0.06);
  if (d.arm_l > 0) {
    const double hx = -0.17 - d.spread_l, hy = d.height + d.arm_l - 0.1;
    dist = std::fmin(dist, segment(x, y, -0.17, shoulder_y, hx, hy, 0.045));
    dist = std::fmin(dist, circle(x, y, hx, hy + 0.04, 0.05));
  }
  if (d.arm_r > 0) {
    const double hx = 0.17 + d.spread_r, hy = d.height + d.arm_r - 0.1;
    dist = std::fmin(dist, segment(x, y, 0.17, shoulder_y, hx, hy, 0.045));
    dist = std::fmin(dist, circle(x, y, hx, hy + 0.04, 0.05));
  }
  return dist;
}

}  // namespace

Vec3 crowd(double sx, double sy, Vec3 behind) {
  // Nearest dancers first: the first one covering the point hides the rest.
  const std::vector<Dancer>& list = dancers();
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    const Dancer& d = *it;
    const double scale = kFocal / d.z;  // pixels per metre
    const double x = (sx - kCentreX) / scale - d.x;
    const double y = -(sy - kHorizonY) / scale - kClubFloorY;
    if (std::fabs(x) > 0.8 || y > d.height + 0.7) continue;
    const double dist = dancer_distance(d, x, y) * scale;  // pixels
    if (dist >= 0) continue;
    const double fog = clamp01((d.z - 3.0) / 10.0);
    const Vec3 body = mix(Vec3{0.010, 0.005, 0.020}, Vec3{0.075, 0.025, 0.12}, fog);
    // Light from the stage behind catches the top of heads, shoulders and
    // arms: the edge is lit where a point just above lies outside the shape.
    const double above = dancer_distance(d, x, y + 1.6 / scale) * scale;
    const double rim = smoothstep(0.0, 1.2, above);
    return body + Vec3{0.30, 0.08, 0.38} * (rim * (0.45 + 0.55 * fog));
  }
  return behind;
}

}  // namespace assets
