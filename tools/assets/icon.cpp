// icon.cpp -- the product logo icon: an arrow with an "S" on a purple disc.
#include <vector>

#include "assets.h"
#include "bitmap_file.h"
#include "quantise.h"
#include "render_math.h"

namespace assets {
namespace {

constexpr int kSize = 64;
constexpr int kSubsamples = 4;  // per axis
constexpr double kCentre = 32;
constexpr double kDiscRadius = 31.5;

struct P2 {
  double x, y;
};

// Upward arrow with the game's swallow-tail notch, in pixels.
const P2 kArrow[] = {{32, 5},  {54, 27}, {43, 27}, {43, 57},
                     {32, 49}, {21, 57}, {21, 27}, {10, 27}};

// Signed distance to the arrow outline, negative inside.
double arrow_distance(P2 p) {
  constexpr int n = sizeof(kArrow) / sizeof(kArrow[0]);
  double d = 1e30, s = 1;
  for (int i = 0, j = n - 1; i < n; j = i, ++i) {
    const P2 a = kArrow[i], b = kArrow[j];
    const double ex = b.x - a.x, ey = b.y - a.y, wx = p.x - a.x, wy = p.y - a.y;
    const double t = clamp01((wx * ex + wy * ey) / (ex * ex + ey * ey));
    const double bx = wx - ex * t, by = wy - ey * t;
    d = std::fmin(d, bx * bx + by * by);
    const bool c1 = p.y >= a.y, c2 = p.y < b.y, c3 = ex * wy > ey * wx;
    if ((c1 && c2 && c3) || (!c1 && !c2 && !c3)) s = -s;
  }
  return s * std::sqrt(d);
}

// The letter S as a stroked path: two elliptical loops meeting in the middle.
const std::vector<P2>& s_path() {
  static const std::vector<P2> path = [] {
    std::vector<P2> out;
    const double rx = 7.2, ry = 6.3, cx = 32, upper_y = 27.3, lower_y = upper_y + 2 * ry;
    for (int i = 0; i <= 40; ++i) {  // upper loop, anticlockwise from the right
      const double a = (25 + (270 - 25) * i / 40.0) * kPi / 180;
      out.push_back({cx + rx * det_cos(a), upper_y - ry * det_sin(a)});
    }
    for (int i = 1; i <= 40; ++i) {  // lower loop, clockwise to the left
      const double a = (90 - (90 + 155) * i / 40.0) * kPi / 180;
      out.push_back({cx + rx * det_cos(a), lower_y - ry * det_sin(a)});
    }
    return out;
  }();
  return path;
}

double s_distance(P2 p) {
  const std::vector<P2>& path = s_path();
  double best = 1e30;
  for (size_t i = 0; i + 1 < path.size(); ++i) {
    const P2 a = path[i], b = path[i + 1];
    const double ex = b.x - a.x, ey = b.y - a.y, wx = p.x - a.x, wy = p.y - a.y;
    const double t = clamp01((wx * ex + wy * ey) / (ex * ex + ey * ey));
    const double dx = wx - ex * t, dy = wy - ey * t;
    best = std::fmin(best, dx * dx + dy * dy);
  }
  return std::sqrt(best) - 3.1;  // stroke half width
}

Vec3 disc_colour(P2 p) {
  const double lx = p.x - 22, ly = p.y - 16, r = std::sqrt(lx * lx + ly * ly);
  Vec3 c = mix(Vec3{0.55, 0.22, 0.78}, Vec3{0.17, 0.03, 0.32}, clamp01(r / 46));
  const double dx = p.x - kCentre, dy = p.y - kCentre, d = std::sqrt(dx * dx + dy * dy);
  if (d > kDiscRadius - 2.6) c = mix(c, Vec3{0.66, 0.40, 0.92}, 0.6);  // bright rim
  if (d > kDiscRadius - 1.1) c = Vec3{0.10, 0.02, 0.16};               // dark edge
  if (arrow_distance({p.x - 1.6, p.y - 2.2}) < 0) c = c * 0.55;         // arrow's shadow
  return c;
}

Vec3 arrow_colour(P2 p, double d) {
  if (d >= 0) return {0.12, 0.02, 0.18};  // outline
  Vec3 c = mix(Vec3{1.0, 0.36, 0.74}, Vec3{0.72, 0.10, 0.80}, clamp01((p.y - 5) / 52));
  const double lit = smoothstep(-1.6, 0.2, arrow_distance({p.x - 1.4, p.y - 1.4}));
  return mix(c, Vec3{1.0, 0.78, 0.95}, 0.7 * lit * smoothstep(0.4, -0.8, d));  // bevel
}

// Colour at a point and whether the logo covers it.
bool logo_colour(P2 p, Vec3& c) {
  const double dx = p.x - kCentre, dy = p.y - kCentre;
  if (dx * dx + dy * dy > kDiscRadius * kDiscRadius) return false;
  c = disc_colour(p);
  const double d = arrow_distance(p);
  if (d < 1.5) c = arrow_colour(p, d);
  const double s = s_distance(p);
  if (s < 0) c = Vec3{1.0, 0.97, 1.0};
  return true;
}

uint8_t to_byte(double v) { return static_cast<uint8_t>(clamp01(v) * 255 + 0.5); }

}  // namespace

std::vector<uint8_t> stompara_ico() {
  std::vector<Rgb> colours(kSize * kSize, Rgb{0, 0, 0});
  std::vector<bool> opaque(kSize * kSize, false);
  std::vector<Rgb> logo_pixels;
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      Vec3 sum;
      int covered = 0;
      for (int j = 0; j < kSubsamples; ++j) {
        for (int i = 0; i < kSubsamples; ++i) {
          Vec3 c;
          if (!logo_colour({x + (i + 0.5) / kSubsamples, y + (j + 0.5) / kSubsamples}, c)) continue;
          sum = sum + c;
          ++covered;
        }
      }
      if (covered * 2 < kSubsamples * kSubsamples) continue;  // mostly outside: transparent
      const Vec3 c = sum * (1.0 / covered);
      const size_t at = static_cast<size_t>(y) * kSize + x;
      colours[at] = {to_byte(c.x), to_byte(c.y), to_byte(c.z)};
      opaque[at] = true;
      logo_pixels.push_back(colours[at]);
    }
  }
  IndexedImage image;
  image.width = image.height = kSize;
  image.palette = {{0, 0, 0}};  // index 0: black under the transparent mask
  for (const Rgb& c : median_cut(logo_pixels, 255)) image.palette.push_back(c);
  image.palette.resize(256, Rgb{0, 0, 0});
  image.pixels.resize(colours.size(), 0);
  const std::vector<Rgb> matchable(image.palette.begin() + 1, image.palette.end());
  for (size_t i = 0; i < colours.size(); ++i) {
    if (!opaque[i]) continue;
    image.pixels[i] = static_cast<uint8_t>(1 + nearest_colour(matchable, colours[i]));
  }
  return ico_file(image, opaque);
}

}  // namespace assets
