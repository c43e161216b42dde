// render_math.h -- small vector and shaping helpers for the picture renderers.
// Only +, -, *, / and sqrt are used (all correctly rounded in IEEE double),
// so every machine renders the same values; sin, cos and atan2 are our own.
#pragma once

#include <cmath>
#include <cstdint>

namespace assets {

struct Vec3 {
  double x = 0, y = 0, z = 0;
};

inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline Vec3 operator*(Vec3 a, Vec3 b) { return {a.x * b.x, a.y * b.y, a.z * b.z}; }
inline double dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline double length(Vec3 a) { return std::sqrt(dot(a, a)); }
inline Vec3 normalize(Vec3 a) { return a * (1.0 / length(a)); }

inline double clamp01(double v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
inline double mix(double a, double b, double t) { return a + (b - a) * t; }
inline Vec3 mix(Vec3 a, Vec3 b, double t) { return a + (b - a) * t; }

// 0 below e0, 1 above e1, smooth in between (e0 may exceed e1).
inline double smoothstep(double e0, double e1, double v) {
  const double t = clamp01((v - e0) / (e1 - e0));
  return t * t * (3 - 2 * t);
}

inline double pow_int(double v, int n) {
  double r = 1;
  for (int i = 0; i < n; ++i) r *= v;
  return r;
}

constexpr double kPi = 3.14159265358979323846;

// sin by reduction to [-pi/2, pi/2] and a Taylor series (error < 1e-7).
inline double det_sin(double a) {
  const double turns = std::floor(a / (2 * kPi) + 0.5);
  a -= turns * 2 * kPi;  // now in [-pi, pi]
  if (a > kPi / 2) a = kPi - a;
  if (a < -kPi / 2) a = -kPi - a;
  const double a2 = a * a;
  return a * (1 - a2 / 6 * (1 - a2 / 20 * (1 - a2 / 42 * (1 - a2 / 72 * (1 - a2 / 110)))));
}

inline double det_cos(double a) { return det_sin(a + kPi / 2); }

// atan2 with a polynomial on [-1, 1] (error about 1e-5 rad).
inline double det_atan2(double y, double x) {
  const double ax = std::fabs(x), ay = std::fabs(y);
  if (ax == 0 && ay == 0) return 0;
  const double t = ax > ay ? ay / ax : ax / ay;
  const double t2 = t * t;
  double r = t * (0.9998660 + t2 * (-0.3302995 + t2 * (0.1801410 +
                                                     t2 * (-0.0851330 + t2 * 0.0208351))));
  if (ay > ax) r = kPi / 2 - r;
  if (x < 0) r = kPi - r;
  return y < 0 ? -r : r;
}

// Integer hash to [0, 1): the only source of "randomness" in the pictures.
inline double hash01(uint32_t a, uint32_t b, uint32_t seed) {
  uint32_t h = a * 0x8da6b343u ^ b * 0xd8163841u ^ seed * 0xcb1ab31fu;
  h ^= h >> 16;
  h *= 0x7feb352du;
  h ^= h >> 15;
  h *= 0x846ca68bu;
  h ^= h >> 16;
  return static_cast<double>(h >> 8) / 16777216.0;
}

// Smooth value noise in [0, 1] on a unit lattice.
inline double value_noise(double x, double y, uint32_t seed) {
  const double fx = std::floor(x), fy = std::floor(y);
  const auto ix = static_cast<uint32_t>(static_cast<int32_t>(fx));
  const auto iy = static_cast<uint32_t>(static_cast<int32_t>(fy));
  const double tx = smoothstep(0, 1, x - fx), ty = smoothstep(0, 1, y - fy);
  const double top = mix(hash01(ix, iy, seed), hash01(ix + 1, iy, seed), tx);
  const double bottom = mix(hash01(ix, iy + 1, seed), hash01(ix + 1, iy + 1, seed), tx);
  return mix(top, bottom, ty);
}

// Two octaves of value noise.
inline double haze_noise(double x, double y, uint32_t seed) {
  return (value_noise(x, y, seed) * 2 + value_noise(x * 2.3, y * 2.3, seed + 7)) / 3;
}

}  // namespace assets
