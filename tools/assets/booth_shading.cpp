// booth_shading.cpp -- materials, printed panel details and lighting of the desk.
#include "booth.h"

namespace assets {
namespace {

struct Light {
  Vec3 dir;  // towards the light
  Vec3 colour;
  bool shadows;
};

const Light kLights[] = {
    {normalize({-0.35, 1.0, -0.45}), {0.48, 0.38, 0.70}, true},   // key, above front left
    {normalize({0.25, 1.0, 0.8}), {0.54, 0.11, 0.50}, true},      // stage wash from behind
    {normalize({0.60, 0.80, -0.20}), {0.07, 0.07, 0.20}, false},  // blue fill
};
const Vec3 kAmbient{0.030, 0.022, 0.050};

struct Material {
  Vec3 albedo;
  double specular = 0;
  int shininess = 16;
  Vec3 emissive;
  double sheen = 0;  // strength of the record's groove highlight
};

double fract(double v) { return v - std::floor(v); }

// Distance outside the footprint rectangle of the equipment standing on the desk.
double footprint_distance(Vec3 p) {
  auto outside = [](double v, double lo, double hi) {
    return v < lo ? lo - v : (v > hi ? v - hi : 0.0);
  };
  double best = 1e9;
  const double boxes[3][4] = {{-kDeckX - 0.225, -kDeckX + 0.225, -0.185, 0.185},
                              {kDeckX - 0.225, kDeckX + 0.225, -0.185, 0.185},
                              {-0.165, 0.165, -0.170, 0.190}};
  for (const auto& b : boxes) {
    const double dx = outside(p.x, b[0], b[1]), dz = outside(p.z - kDeckZ, b[2], b[3]);
    const double d = std::sqrt(dx * dx + dz * dz);
    if (d < best) best = d;
  }
  return best;
}

Material desk_material(const Hit& h) {
  Material m;
  if (h.n.y > 0.5) {
    const double grain = value_noise(h.p.x * 90, h.p.z * 25, 11);
    const double ao = mix(0.35, 1.0, smoothstep(0.0, 0.05, footprint_distance(h.p)));
    m.albedo = Vec3{0.070, 0.056, 0.092} * ((0.85 + 0.3 * grain) * ao);
    m.specular = 0.30 * ao;
    m.shininess = 6;
    return m;
  }
  m.albedo = {0.030, 0.025, 0.042};
  const double below = kDeskTop - h.p.y;
  if (below < 0.004) m.albedo = {0.20, 0.17, 0.26};  // rounded top edge catches light
  const Vec3 led_colour{0.60, 0.10, 0.48};
  if (below > 0.014 && below < 0.022) {
    const double led = 0.75 + 0.25 * smoothstep(0.35, 0.0, std::fabs(fract(h.p.x * 55) - 0.5));
    m.emissive = led_colour * led;
  } else if (below >= 0.022) {
    m.emissive = led_colour * (0.22 * 0.02 / (0.02 + (below - 0.022) * 3));  // spill below
  }
  return m;
}

Material plinth_material(const Hit& h) {
  Material m;
  const double xc = h.index * kDeckX;
  if (h.n.y < 0.5) {
    m.albedo = {0.12, 0.115, 0.145};
    if (kPlinthTop - h.p.y < 0.004) m.albedo = {0.26, 0.25, 0.30};  // front chamfer
    m.specular = 0.3;
    return m;
  }
  const double brushed = value_noise(h.p.x * 8, h.p.z * 600, 23);
  m.albedo = Vec3{0.16, 0.15, 0.19} * (0.9 + 0.2 * brushed);
  m.specular = 0.35;
  m.shininess = 20;
  const double z = h.p.z - kDeckZ;
  const double edge = std::fmin(std::fmin(h.p.x - (xc - 0.225), xc + 0.225 - h.p.x),
                                std::fmin(z + 0.185, 0.185 - z));
  if (edge < 0.004) m.albedo = {0.30, 0.29, 0.34};  // chamfer
  const double slot_x = std::fabs(h.p.x - (xc + 0.196));
  if (z > -0.150 && z < 0.040) {
    if (slot_x < 0.0035) m.albedo = {0.01, 0.01, 0.012};
    if (slot_x > 0.013 && slot_x < 0.019 && fract((z + 0.150) / 0.019) < 0.18)
      m.albedo = {0.40, 0.38, 0.44};
  }
  const double light_dx = h.p.x - (xc - 0.205), light_dz = z + 0.080;
  if (light_dx * light_dx + light_dz * light_dz < 0.007 * 0.007)
    m.emissive = {0.45, 0.05, 0.08};  // power lamp
  return m;
}

Material platter_material(const Hit& h) {
  Material m;
  const double dx = h.p.x - (h.index * kDeckX + kPlatterOffset), dz = h.p.z - kDeckZ;
  if (h.n.y > 0.5) {
    m.albedo = {0.045, 0.038, 0.055};  // slipmat edge
    return m;
  }
  const double turn = det_atan2(dz, dx) / (2 * kPi);
  const double row = (h.p.y - kPlinthTop) / (kPlatterTop - kPlinthTop);
  const bool dot = std::fabs(fract(turn * 96) - 0.5) < 0.24 && row > 0.2 && row < 0.8;
  m.albedo = dot ? Vec3{0.62, 0.60, 0.68} : Vec3{0.20, 0.19, 0.23};
  m.specular = 0.6;
  m.shininess = 24;
  return m;
}

Material record_material(const Hit& h) {
  Material m;
  const double dx = h.p.x - (h.index * kDeckX + kPlatterOffset), dz = h.p.z - kDeckZ;
  const double r = std::sqrt(dx * dx + dz * dz);
  m.albedo = {0.020, 0.017, 0.026};
  m.specular = 0.25;
  m.shininess = 40;
  if (h.n.y < 0.5) return m;
  if (r < 0.045) {
    m.albedo = h.index < 0 ? Vec3{0.62, 0.12, 0.36} : Vec3{0.18, 0.28, 0.66};
    if (r > 0.030 && r < 0.032) m.albedo = m.albedo * 0.4;
    if (r < 0.020 && std::fabs(dz - 0.008) < 0.002 && std::fabs(dx) < 0.012)
      m.albedo = {0.75, 0.72, 0.80};  // title line
    m.specular = 0.05;
    return m;
  }
  if (r > 0.062 && r < 0.144) {
    const double groove = 0.5 + 0.5 * det_sin(r * 2600);
    const bool gap = std::fabs(fract(r / 0.021) - 0.5) < 0.04;
    m.albedo = m.albedo * (0.8 + 0.4 * groove);
    m.sheen = gap ? 0.25 : 0.65;
  }
  return m;
}

Material knob_material(const Hit& h, double cx, double cz) {
  Material m;
  if (h.n.y < 0.5) {
    m.albedo = {0.045, 0.040, 0.055};
    m.specular = 0.15;
    return m;
  }
  m.albedo = {0.30, 0.29, 0.35};
  m.specular = 0.6;
  m.shininess = 30;
  const double angle = -2.3 + 0.37 * ((h.index * 7) % 13);
  const double ux = det_sin(angle), uz = det_cos(angle);
  const double px = h.p.x - cx, pz = h.p.z - cz;
  const double along = px * ux + pz * uz, across = std::fabs(px * uz - pz * ux);
  if (along > 0.003 && across < 0.0014) m.albedo = {0.85, 0.82, 0.90};
  return m;
}

Material mixer_material(const Hit& h) {
  Material m;
  m.albedo = {0.032, 0.028, 0.042};
  m.specular = 0.2;
  if (h.n.y < 0.5) return m;
  m.albedo = {0.045, 0.040, 0.060};
  const double x = h.p.x, z = h.p.z - kDeckZ, ax = std::fabs(x);
  if (std::fabs(ax - 0.088) < 0.0007) m.albedo = {0.14, 0.13, 0.17};
  const double fader_dx = std::fabs(ax - 0.055);
  if (z > -0.120 && z < 0.020) {
    if (fader_dx < 0.0025) m.albedo = {0.004, 0.004, 0.006};
    if (fader_dx > 0.016 && fader_dx < 0.023 && fract((z + 0.120) / 0.014) < 0.16)
      m.albedo = {0.26, 0.25, 0.30};
  }
  if (std::fabs(z + 0.136) < 0.0025 && ax < 0.07) m.albedo = {0.004, 0.004, 0.006};
  const double meter_dx = std::fabs(ax - 0.013);
  const double step = (z + 0.070) / 0.012;
  if (meter_dx < 0.004 && step > 0 && step < 16 && fract(step) < 0.62) {
    const int led = static_cast<int>(step);
    const int lit = x < 0 ? 11 : 9;
    const Vec3 colour = led < 8 ? Vec3{0.10, 0.62, 0.80}
                                : led < 13 ? Vec3{0.58, 0.28, 0.92} : Vec3{0.95, 0.16, 0.55};
    if (led < lit) m.emissive = colour * 0.85;
    else m.albedo = colour * 0.12;
  }
  return m;
}

Material ear_cup_material(const Hit& h) {
  Material m;
  m.albedo = {0.040, 0.036, 0.050};
  m.specular = 0.45;
  m.shininess = 20;
  if (h.n.y < 0.5) return m;
  const double dx = h.p.x - h.anchor.x, dz = h.p.z - h.anchor.z;
  const double r = std::sqrt(dx * dx + dz * dz);
  if (r < 0.027) m.albedo = {0.22, 0.21, 0.26};           // metal cap
  if (r > 0.021 && r < 0.024) m.emissive = {0.40, 0.06, 0.34};  // accent ring
  if (r > 0.032) m.albedo = {0.020, 0.018, 0.026};          // cushion
  return m;
}

Material material(const Hit& h) {
  Material m;
  switch (h.surface) {
    case Surface::DeskTop: case Surface::DeskFront: return desk_material(h);
    case Surface::Plinth: return plinth_material(h);
    case Surface::Platter: return platter_material(h);
    case Surface::Record: return record_material(h);
    case Surface::Mixer: return mixer_material(h);
    case Surface::Knob: return knob_material(h, h.anchor.x, h.anchor.z);
    case Surface::Foot: m.albedo = {0.03, 0.03, 0.04}; return m;
    case Surface::Spindle: m.albedo = {0.6, 0.6, 0.66}; m.specular = 0.8; return m;
    case Surface::ArmBase: m.albedo = {0.11, 0.105, 0.13}; m.specular = 0.5; return m;
    case Surface::Cartridge: m.albedo = {0.50, 0.08, 0.36}; m.specular = 0.4; return m;
    case Surface::Button: m.albedo = {0.26, 0.25, 0.30}; m.specular = 0.4; return m;
    case Surface::PitchCap: case Surface::FaderCap:
      m.albedo = {0.15, 0.145, 0.17};
      if (h.n.y > 0.5 && std::fabs(h.p.z - h.anchor.z) < 0.0015) m.albedo = {0.8, 0.78, 0.85};
      m.specular = 0.4;
      return m;
    case Surface::EarCup: return ear_cup_material(h);
    case Surface::Headband:
      m.albedo = {0.045, 0.040, 0.055};
      m.specular = 0.5;
      m.shininess = 24;
      return m;
    case Surface::Metal:
      m.albedo = {0.50, 0.48, 0.56};
      m.specular = 0.9;
      m.shininess = 48;
      return m;
  }
  return m;
}

// Groove highlight: grooves reflect where the radius lines up with the half
// vector, drawing the bright bow tie seen across a spinning record.
double groove_sheen(const Hit& h, Vec3 half) {
  const double dx = h.p.x - (h.index * kDeckX + kPlatterOffset), dz = h.p.z - kDeckZ;
  const double r = std::sqrt(dx * dx + dz * dz), hl = std::sqrt(half.x * half.x + half.z * half.z);
  if (r == 0 || hl == 0) return 0;
  const double c = (dx * half.x + dz * half.z) / (r * hl);
  return pow_int(c * c, 10);
}

}  // namespace

Vec3 shade_booth(const Hit& hit, Vec3 view_dir) {
  const Material m = material(hit);
  const Vec3 to_eye = view_dir * -1.0;
  Vec3 colour = m.albedo * kAmbient + m.emissive;
  const Vec3 start = hit.p + hit.n * 1e-5;
  for (const Light& light : kLights) {
    const double lambert = dot(hit.n, light.dir);
    if (lambert <= 0) continue;
    if (light.shadows && booth_occluded(start, light.dir, 1e9)) continue;
    const Vec3 half = normalize(light.dir + to_eye);
    double highlight = m.specular * pow_int(std::fmax(0.0, dot(hit.n, half)), m.shininess);
    if (m.sheen > 0) highlight += m.sheen * groove_sheen(hit, half) * lambert;
    colour = colour + light.colour * (m.albedo * lambert) + light.colour * highlight;
  }
  return colour;
}

bool booth_colour(double sx, double sy, Vec3& colour) {
  // Nothing on the desk reaches higher up the screen than its back edge
  // less the height of the tallest part (the tonearm, about 10 cm).
  if (sy < kHorizonY + kFocal * (-kDeskTop - 0.1) / kDeskBack) return false;
  const Vec3 dir = normalize({(sx - kCentreX) / kFocal, -(sy - kHorizonY) / kFocal, 1});
  Hit hit;
  if (!trace_booth({0, 0, 0}, dir, hit)) return false;
  colour = shade_booth(hit, dir);
  return true;
}

}  // namespace assets
