// flame_simulation.h -- the fire along the bottom of the window: palette, tick, mask, heat.
//
// The flame is two 8-bit images of kFlameHeight rows, each row kFlameRowBytes
// bytes of which the first kFlameWidth are shown (the last byte of a row is
// padding and never shown). Rows are stored bottom-up: memory row 0 is the
// bottom line, and byte x of a row is column x. The image holds heat values
// kFlameCold..255 that the palette turns into colour; the mask says, per
// byte, whether the flame covers the play field there.
//
// Below the image lies the seed row, kFlameWidth bytes of heat that the
// flame burns from: each tick copies it into the bottom row and lets it
// flicker towards the heat limit.
//
// Plain computation on caller-owned buffers and the flame's state below.
// Except for FillFlamePalette and NextFlameHeat, which keep no state and may
// be called from any thread, everything here belongs to the flame thread.
#pragma once

#include <cstdint>

constexpr int kFlameWidth = 287;     // columns shown
constexpr int kFlameHeight = 310;    // rows
constexpr int kFlameRowBytes = 288;  // bytes per stored row (one padding byte)
constexpr int kFlameBytes = kFlameRowBytes * kFlameHeight;  // 89280
constexpr int kFlameRiseRows = 100;  // a tick recomputes memory rows 1..100

constexpr uint8_t kFlameCold = 16;       // the coolest heat; black in the palette
constexpr uint8_t kFlameSpark = 239;     // the heat a spark lights seed cells with
constexpr uint8_t kMaskBackground = 239; // mask byte: the play field shows
constexpr uint8_t kMaskFlame = 16;       // mask byte: the flame covers the field
constexpr uint8_t kMaskThreshold = 50;   // heat above this covers the field

constexpr int kFlamePaletteEntries = 256;
constexpr int kFlamePaletteFirst = 16;   // entries 16..239 are the fire's colours
constexpr int kFlamePaletteLast = 239;

// The fire's own state, kept for the module's life (the plug-in's) and
// touched only by the flame thread while it runs.
struct FlameState {
  // The flame generator: a 32-bit LCG the rise consumes three values per
  // pixel from. 945066897 at load and never reseeded, so it runs on across
  // flame threads. Written and read only by StepFlame (and tests).
  uint32_t generator = 945066897u;
  // The flame's heat; the seed row is held at or below heat + 16. 223 at
  // load. The flame thread walks it with NextFlameHeat and StepFlame reads it.
  int32_t heat = 223;
  // State of the 15-bit random source (the scan directions, sparks and
  // flicker draw from it). ResetFlameRandom puts it back to its start;
  // tests may set it to steer the draws.
  uint32_t random = 1u;
};

// Fills entries 16..239 of `palette`, 256 entries of 4 bytes each (blue,
// green, red, reserved -- the layout of a Windows RGBQUAD), with the fire's
// colours: black at 16 through red, orange and yellow to white at 239, the
// reserved byte 0. Entries 0..15 and 240..255 are left as the caller had
// them. `palette` must hold kFlamePaletteEntries * 4 bytes. Any thread.
void FillFlamePalette(uint8_t* palette);

// Puts the random source back to its start; the flame thread calls this
// when it starts, so every flame thread draws the same sequence.
void ResetFlameRandom(FlameState& flame);

// The random source's next value, 0..32767. Flame thread only.
int32_t DrawFlameRandom(FlameState& flame);

// Makes a fresh flame as creation does: columns 0..kFlameWidth-1 of every
// row of `image` (kFlameBytes bytes) and all kFlameWidth bytes of `seed`
// set to kFlameCold. The padding byte of each row is left as it was.
void ClearFlame(uint8_t* image, uint8_t* seed);

// Advances the flame by one tick: feeds the seed row into the bottom row,
// lets memory rows 1..100 rise from the row below, may light a spark in the
// seed row, then holds the seed under the heat limit (flame.heat + 16, read
// once), flickers and smooths it. `image` holds kFlameBytes bytes, `seed`
// kFlameWidth bytes. Rows 101..309 and the padding bytes are never written;
// given a flame whose shown bytes and seed start at kFlameCold or above (as
// ClearFlame leaves them), every shown byte of rows 0..100 stays so. Advances
// the flame generator and draws from the random source. Flame thread only.
void StepFlame(FlameState& flame, uint8_t* image, uint8_t* seed);

// Writes the mask of `image` into `mask`, both kFlameBytes bytes, padding
// bytes included: kMaskFlame where the image byte is above kMaskThreshold,
// kMaskBackground elsewhere. Flame thread only (it owns both images).
void MaskFlame(const uint8_t* image, uint8_t* mask);

// The heat after one tick of the walk towards `mood` (a FlameMoodValue):
// 0 cools by 5 while above 100; 1 warms by 1 below 220 and cools by 5 above
// 235; 2 surges by 5 while below 240; 3 cools by 1 while above 100. Any
// other mood leaves the heat as it is. Keeps no state; any thread.
int32_t NextFlameHeat(int32_t heat, int32_t mood);
