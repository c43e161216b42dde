// flame_surfaces_win32.h -- the flame image, the flame mask and the seed row.
//
// Made by Init on the visualisation thread before the flame thread starts,
// freed by Quit after it has ended. In between the flame thread writes their
// bytes (flame_tick.h) and the frame pass blits the two surfaces.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "flame/flame_tick.h"
#include "gfx/surfaces_win32.h"

// The two 287 x 310 8-bit DIB sections in their memory DCs, one record of
// the plug-in's; their bytes are `FlameBuffers` image and mask.
struct FlameSurfaces {
  SpriteSurface image = {};
  SpriteSurface mask = {};
};

// Init: fills the flame palette, makes the seed row (all 16), the flame image
// (all 16) and the flame mask (all 239, so the background shows until the
// first tick) against `window`'s device context. When any of them cannot be
// made, the flame stays off: the flame thread never runs a step and the
// frame pass lays no flame. Hands their bytes out in `buffers`.
void MakeFlameSurfaces(FlameSurfaces& surfaces, FlameBuffers& buffers, HWND window);

// Quit, once the flame thread has ended: the seed row, then the flame image,
// then the flame mask.
void ReleaseFlameSurfaces(FlameSurfaces& surfaces, FlameBuffers& buffers);

// The frame pass: lays the flame over the bottom band of the back buffer
// (rows 185..309), mask ANDed, then image ORed. Nothing while the flame is
// off (`showFlame` 0 or no buffers).
void DrawFlameOverlay(const FlameSurfaces& surfaces, const FlameBuffers& buffers,
                      const std::atomic<int32_t>& showFlame, Canvas& canvas);
