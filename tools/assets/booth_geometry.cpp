// booth_geometry.cpp -- the desk's solids and ray intersection against them.
#include <utility>
#include <vector>

#include "booth.h"

namespace assets {
namespace {

constexpr double kEpsilon = 1e-7;

struct Prim {
  enum Kind { Box, Cylinder, Capsule } kind;
  Vec3 a, b;     // box min/max; cylinder base centre and top y; capsule ends
  double r = 0;  // cylinder and capsule radius
  Surface surface;
  int index = 0;
};

Prim box(Vec3 lo, Vec3 hi, Surface s, int index = 0) {
  return {Prim::Box, lo, hi, 0, s, index};
}

Prim cylinder(double x, double z, double r, double y0, double y1, Surface s,
              int index = 0) {
  return {Prim::Cylinder, {x, y0, z}, {0, y1, 0}, r, s, index};
}

Prim capsule(Vec3 a, Vec3 b, double r, Surface s, int index = 0) {
  return {Prim::Capsule, a, b, r, s, index};
}

// Tonearm from its pivot to the headshell, with counterweight and rest.
void add_tonearm(std::vector<Prim>& out, double xc, int deck) {
  const Vec3 pivot{xc + 0.162, kPlinthTop + 0.040, kDeckZ + 0.115};
  const Vec3 bend{xc + 0.030, kPlinthTop + 0.036, kDeckZ - 0.065};
  const Vec3 head{xc + 0.004, kPlatterTop + 0.022, kDeckZ - 0.094};
  const Vec3 tip{xc - 0.008, kPlatterTop + 0.020, kDeckZ - 0.112};
  out.push_back(capsule(pivot, bend, 0.0045, Surface::Metal, deck));
  out.push_back(capsule(bend, head, 0.0045, Surface::Metal, deck));
  out.push_back(capsule(head, tip, 0.0075, Surface::Metal, deck));
  out.push_back(box({tip.x - 0.006, kPlatterTop + 0.004, tip.z - 0.004},
                    {tip.x + 0.008, tip.y, tip.z + 0.012}, Surface::Cartridge, deck));
  const Vec3 back = normalize(pivot - bend);
  out.push_back(capsule(pivot + back * 0.035, pivot + back * 0.070, 0.017,
                        Surface::Metal, deck));
  out.push_back(cylinder(pivot.x, pivot.z, 0.030, kPlinthTop, kPlinthTop + 0.012,
                         Surface::ArmBase, deck));
  out.push_back(cylinder(pivot.x, pivot.z, 0.011, kPlinthTop, pivot.y, Surface::Metal, deck));
  out.push_back(cylinder(xc + 0.180, kDeckZ - 0.040, 0.006, kPlinthTop, kPlinthTop + 0.032,
                         Surface::Metal, deck));
}

void add_deck(std::vector<Prim>& out, int deck) {
  const double xc = deck * kDeckX;
  const double px = xc + kPlatterOffset;
  out.push_back(box({xc - 0.225, kDeskTop + 0.012, kDeckZ - 0.185},
                    {xc + 0.225, kPlinthTop, kDeckZ + 0.185},
                    Surface::Plinth, deck));
  for (double fx : {-0.19, 0.19}) {
    for (double fz : {-0.15, 0.15}) {
      out.push_back(cylinder(xc + fx, kDeckZ + fz, 0.022, kDeskTop, kDeskTop + 0.012,
                             Surface::Foot, deck));
    }
  }
  out.push_back(cylinder(px, kDeckZ, kPlatterRadius, kPlinthTop, kPlatterTop,
                         Surface::Platter, deck));
  out.push_back(cylinder(px, kDeckZ, 0.147, kPlatterTop, kPlatterTop + 0.0025,
                         Surface::Record, deck));
  out.push_back(cylinder(px, kDeckZ, 0.0035, kPlatterTop, kPlatterTop + 0.012,
                         Surface::Spindle, deck));
  add_tonearm(out, xc, deck);
  const double pitch_z = kDeckZ + (deck < 0 ? -0.110 : -0.065);
  out.push_back(box({xc + 0.186, kPlinthTop, pitch_z}, {xc + 0.206, kPlinthTop + 0.010,
                                                         pitch_z + 0.016},
                    Surface::PitchCap, deck));
  out.push_back(box({xc - 0.212, kPlinthTop, kDeckZ - 0.172},
                    {xc - 0.160, kPlinthTop + 0.005, kDeckZ - 0.140},
                    Surface::Button, deck));
  out.push_back(cylinder(xc - 0.205, kDeckZ + 0.160, 0.008, kPlinthTop, kPlinthTop + 0.030,
                         Surface::Metal, deck));
}

void add_mixer(std::vector<Prim>& out) {
  out.push_back(box({-0.165, kDeskTop + 0.006, kDeckZ - 0.170},
                    {0.165, kMixerTop, kDeckZ + 0.190},
                    Surface::Mixer));
  int knob = 0;
  for (double kx : {-0.120, -0.055, 0.055, 0.120}) {
    const bool outer = kx < -0.1 || kx > 0.1;
    for (double kz : {0.155, 0.120, 0.085, 0.050}) {
      if (outer && kz < 0.07) continue;
      out.push_back(cylinder(kx, kDeckZ + kz, outer ? 0.010 : 0.0125, kMixerTop, kMixerTop + 0.014,
                             Surface::Knob, knob++));
    }
  }
  const double fader_z[] = {kDeckZ - 0.082, kDeckZ - 0.038};
  for (int i = 0; i < 2; ++i) {
    const double fx = i == 0 ? -0.055 : 0.055;
    out.push_back(box({fx - 0.013, kMixerTop, fader_z[i]}, {fx + 0.013, kMixerTop + 0.013,
                                                            fader_z[i] + 0.014},
                      Surface::FaderCap, i));
  }
  out.push_back(box({0.004, kMixerTop, kDeckZ - 0.148},
                    {0.020, kMixerTop + 0.012, kDeckZ - 0.124},
                    Surface::FaderCap, 2));
}

// Headphones lying flat: two ear cups joined by a padded band.
void add_headphones(std::vector<Prim>& out) {
  const double band_y = kDeskTop + 0.012, radius = 0.078;
  Vec3 previous{kPhonesX + radius, band_y, kPhonesZ};
  for (int k = 1; k <= 10; ++k) {
    const double a = kPi * k / 10;
    const Vec3 next{kPhonesX + radius * det_cos(a), band_y, kPhonesZ - radius * det_sin(a)};
    out.push_back(capsule(previous, next, 0.011, Surface::Headband));
    previous = next;
  }
  for (int side : {-1, 1}) {
    out.push_back(cylinder(kPhonesX + side * (radius + 0.004), kPhonesZ + 0.010, 0.041,
                           kDeskTop, kDeskTop + 0.032, Surface::EarCup, side));
  }
}

// Solids are kept in groups (desk, each deck, mixer, headphones), each with
// a bounding box so most rays skip most solids.
struct Group {
  Vec3 lo, hi;
  std::vector<Prim> prims;
};

void grow(Group& g, Vec3 lo, Vec3 hi) {
  g.lo = {std::fmin(g.lo.x, lo.x), std::fmin(g.lo.y, lo.y), std::fmin(g.lo.z, lo.z)};
  g.hi = {std::fmax(g.hi.x, hi.x), std::fmax(g.hi.y, hi.y), std::fmax(g.hi.z, hi.z)};
}

Group make_group(std::vector<Prim> prims) {
  Group g{{1e30, 1e30, 1e30}, {-1e30, -1e30, -1e30}, std::move(prims)};
  for (const Prim& p : g.prims) {
    const Vec3 r{p.r, p.r, p.r};
    switch (p.kind) {
      case Prim::Box: grow(g, p.a, p.b); break;
      case Prim::Cylinder:
        grow(g, {p.a.x - p.r, p.a.y, p.a.z - p.r}, {p.a.x + p.r, p.b.y, p.a.z + p.r});
        break;
      case Prim::Capsule: grow(g, p.a - r, p.a + r); grow(g, p.b - r, p.b + r); break;
    }
  }
  return g;
}

template <typename AddFn>
Group group_of(AddFn add) {
  std::vector<Prim> prims;
  add(prims);
  return make_group(std::move(prims));
}

const std::vector<Group>& scene() {
  static const std::vector<Group> groups = {
      group_of([](std::vector<Prim>& out) {
        out.push_back(box({-3, -1.6, kDeskFront}, {3, kDeskTop, kDeskBack}, Surface::DeskTop));
      }),
      group_of([](std::vector<Prim>& out) { add_deck(out, -1); }),
      group_of([](std::vector<Prim>& out) { add_deck(out, 1); }),
      group_of(add_mixer),
      group_of(add_headphones),
  };
  return groups;
}

bool hit_box(const Prim& p, Vec3 o, Vec3 d, double& t, Vec3& n) {
  const double os[3] = {o.x, o.y, o.z}, ds[3] = {d.x, d.y, d.z};
  const double lo[3] = {p.a.x, p.a.y, p.a.z}, hi[3] = {p.b.x, p.b.y, p.b.z};
  double t_near = -1e30, t_far = 1e30;
  int axis = 0;
  for (int i = 0; i < 3; ++i) {
    if (ds[i] == 0) {
      if (os[i] < lo[i] || os[i] > hi[i]) return false;
      continue;
    }
    double t0 = (lo[i] - os[i]) / ds[i], t1 = (hi[i] - os[i]) / ds[i];
    if (t0 > t1) { const double s = t0; t0 = t1; t1 = s; }
    if (t0 > t_near) { t_near = t0; axis = i; }
    if (t1 < t_far) t_far = t1;
  }
  if (t_near > t_far || t_near < kEpsilon) return false;
  t = t_near;
  const double sign = ds[axis] > 0 ? -1.0 : 1.0;
  n = axis == 0 ? Vec3{sign, 0, 0} : axis == 1 ? Vec3{0, sign, 0} : Vec3{0, 0, sign};
  return true;
}

bool hit_cylinder(const Prim& p, Vec3 o, Vec3 d, double& t, Vec3& n) {
  bool found = false;
  if (d.y != 0) {  // top cap
    const double tc = (p.b.y - o.y) / d.y;
    const double x = o.x + d.x * tc - p.a.x, z = o.z + d.z * tc - p.a.z;
    if (tc > kEpsilon && x * x + z * z <= p.r * p.r) {
      t = tc;
      n = {0, 1, 0};
      found = true;
    }
  }
  const double ox = o.x - p.a.x, oz = o.z - p.a.z;
  const double a = d.x * d.x + d.z * d.z;
  if (a == 0) return found;
  const double b = ox * d.x + oz * d.z, c = ox * ox + oz * oz - p.r * p.r;
  const double disc = b * b - a * c;
  if (disc < 0) return found;
  const double ts = (-b - std::sqrt(disc)) / a;
  const double y = o.y + d.y * ts;
  if (ts > kEpsilon && y >= p.a.y && y <= p.b.y && (!found || ts < t)) {
    t = ts;
    n = normalize({ox + d.x * ts, 0, oz + d.z * ts});
    found = true;
  }
  return found;
}

bool hit_capsule(const Prim& p, Vec3 o, Vec3 d, double& t, Vec3& n) {
  const Vec3 ba = p.b - p.a, oa = o - p.a;
  const double baba = dot(ba, ba), bard = dot(ba, d), baoa = dot(ba, oa);
  const double rdoa = dot(d, oa), oaoa = dot(oa, oa);
  const double a = baba - bard * bard;
  const double b = baba * rdoa - baoa * bard;
  const double c = baba * oaoa - baoa * baoa - p.r * p.r * baba;
  double h = b * b - a * c;
  if (h < 0 || a == 0) return false;
  double tc = (-b - std::sqrt(h)) / a;
  const double y = baoa + tc * bard;
  if (y <= 0 || y >= baba) {  // one of the spherical ends
    const Vec3 oc = y <= 0 ? oa : o - p.b;
    const double bc = dot(d, oc), cc = dot(oc, oc) - p.r * p.r;
    h = bc * bc - cc;
    if (h <= 0) return false;
    tc = -bc - std::sqrt(h);
  }
  if (tc < kEpsilon) return false;
  const Vec3 q = o + d * tc - p.a;
  const double s = clamp01(dot(q, ba) / baba);
  t = tc;
  n = normalize(q - ba * s);
  return true;
}

// Does the ray pass through the box at all (the origin may be inside)?
bool crosses_box(Vec3 lo, Vec3 hi, Vec3 o, Vec3 d) {
  const double os[3] = {o.x, o.y, o.z}, ds[3] = {d.x, d.y, d.z};
  const double l[3] = {lo.x, lo.y, lo.z}, h[3] = {hi.x, hi.y, hi.z};
  double t_near = 0, t_far = 1e30;
  for (int i = 0; i < 3; ++i) {
    if (ds[i] == 0) {
      if (os[i] < l[i] || os[i] > h[i]) return false;
      continue;
    }
    double t0 = (l[i] - os[i]) / ds[i], t1 = (h[i] - os[i]) / ds[i];
    if (t0 > t1) { const double s = t0; t0 = t1; t1 = s; }
    if (t0 > t_near) t_near = t0;
    if (t1 < t_far) t_far = t1;
  }
  return t_near <= t_far;
}

bool hit_prim(const Prim& p, Vec3 o, Vec3 d, double& t, Vec3& n) {
  switch (p.kind) {
    case Prim::Box: return hit_box(p, o, d, t, n);
    case Prim::Cylinder: return hit_cylinder(p, o, d, t, n);
    case Prim::Capsule: return hit_capsule(p, o, d, t, n);
  }
  return false;
}

}  // namespace

bool trace_booth(Vec3 origin, Vec3 dir, Hit& hit) {
  bool found = false;
  for (const Group& g : scene()) {
    if (!crosses_box(g.lo, g.hi, origin, dir)) continue;
    for (const Prim& p : g.prims) {
      double t = 0;
      Vec3 n;
      if (hit_prim(p, origin, dir, t, n) && (!found || t < hit.t)) {
        hit.t = t;
        hit.n = n;
        hit.surface = p.surface;
        hit.index = p.index;
        hit.anchor = p.kind == Prim::Box ? (p.a + p.b) * 0.5 : p.a;
        found = true;
      }
    }
  }
  if (found) hit.p = origin + dir * hit.t;
  return found;
}

bool booth_occluded(Vec3 origin, Vec3 dir, double max_t) {
  for (const Group& g : scene()) {
    if (!crosses_box(g.lo, g.hi, origin, dir)) continue;
    for (const Prim& p : g.prims) {
      double t = 0;
      Vec3 n;
      if (hit_prim(p, origin, dir, t, n) && t < max_t) return true;
    }
  }
  return false;
}

}  // namespace assets
