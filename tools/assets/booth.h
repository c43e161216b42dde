// booth.h -- the ray-traced DJ desk in the foreground of the background picture.
#pragma once

#include "render_math.h"

namespace assets {

// Pinhole camera at the origin looking down +z; y is up, units are metres.
constexpr double kFocal = 230;      // pixels per unit of x/z
constexpr double kCentreX = 144;    // screen x of the optical axis
constexpr double kHorizonY = 34;    // screen y of the horizon

// Desk layout.
constexpr double kDeskTop = -0.75;    // height of the desk surface
constexpr double kDeskFront = 0.70;   // z of the desk's front edge
constexpr double kDeskBack = 1.45;    // z of the desk's back edge
constexpr double kDeckX = 0.39;       // |x| of each turntable's centre
constexpr double kDeckZ = 1.05;       // z of the turntables' centre
constexpr double kPlinthTop = kDeskTop + 0.075;
constexpr double kPlatterOffset = -0.035;  // platter centre from plinth centre
constexpr double kPlatterRadius = 0.150;
constexpr double kPlatterTop = kPlinthTop + 0.022;
constexpr double kMixerTop = kDeskTop + 0.085;
constexpr double kPhonesX = 0.045;  // headphones lying in front of the mixer
constexpr double kPhonesZ = 0.815;

enum class Surface {
  DeskTop, DeskFront, Plinth, Foot, Platter, Record, Spindle, ArmBase,
  Metal, Cartridge, PitchCap, Button, Mixer, Knob, FaderCap, Headband, EarCup,
};

struct Hit {
  double t = 0;
  Vec3 p, n;
  Surface surface = Surface::DeskTop;
  int index = 0;  // which deck (-1 left, 1 right) or which knob/fader
  Vec3 anchor;    // centre of a box, base centre of a cylinder
};

// Nearest surface along the ray (dir normalised); false if none.
bool trace_booth(Vec3 origin, Vec3 dir, Hit& hit);

// True if anything lies along the ray within max_t.
bool booth_occluded(Vec3 origin, Vec3 dir, double max_t);

// Lit colour of a surface point seen along view_dir.
Vec3 shade_booth(const Hit& hit, Vec3 view_dir);

// Colour of the booth at a screen position; false where the booth is absent.
bool booth_colour(double sx, double sy, Vec3& colour);

}  // namespace assets
