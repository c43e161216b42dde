// flame_surfaces_win32.cpp -- the flame's DIB sections, palette and seed row.
#include "flame/flame_surfaces_win32.h"

#include <cstring>
#include <new>

#include "flame/flame_simulation.h"
#include "flame/flame_tick.h"
#include "gfx/draw.h"

namespace {

constexpr int kBandTop = 185;  // the flame band: window rows 185..309
struct FlameBitmapInfo {
  BITMAPINFOHEADER header;
  RGBQUAD colours[256];
};

// One 8-bit DIB section in a memory DC compatible with `windowDC`; its
// pixel bytes, or null when it could not be made.
uint8_t* MakeFlameSurface(SpriteSurface& surface, HDC windowDC, const BITMAPINFO* info) {
  void* bits = nullptr;
  surface.bitmap = CreateDIBSection(windowDC, info, DIB_RGB_COLORS, &bits, nullptr, 0);
  surface.memoryDC = CreateCompatibleDC(windowDC);
  if (surface.bitmap == nullptr || surface.memoryDC == nullptr) return nullptr;
  surface.displacedBitmap = SelectObject(surface.memoryDC, surface.bitmap);
  return static_cast<uint8_t*>(bits);
}

}  // namespace

void MakeFlameSurfaces(FlameSurfaces& surfaces, FlameBuffers& buffers, HWND window) {
  uint8_t flamePalette[kFlamePaletteEntries][4] = {};  // blue, green, red, reserved
  FillFlamePalette(&flamePalette[0][0]);
  uint8_t* seed = new (std::nothrow) uint8_t[kFlameWidth];

  FlameBitmapInfo* info = new (std::nothrow) FlameBitmapInfo{};
  uint8_t *image = nullptr, *mask = nullptr;
  HDC windowDC = GetDC(window);
  if (info != nullptr) {
    info->header = {sizeof(BITMAPINFOHEADER), kFlameWidth, kFlameHeight, 1, 8, BI_RGB,
                    kFlameBytes, 0, 0, 0, 0};
    std::memcpy(info->colours, flamePalette, sizeof flamePalette);
    const BITMAPINFO* header = reinterpret_cast<const BITMAPINFO*>(info);
    image = MakeFlameSurface(surfaces.image, windowDC, header);
    mask = MakeFlameSurface(surfaces.mask, windowDC, header);
    delete info;
  }
  ReleaseDC(window, windowDC);
  if (seed == nullptr || image == nullptr || mask == nullptr) {
    delete[] seed;  // never handed out: nothing may write through a part
    seed = nullptr;
    image = mask = nullptr;
  } else {
    ClearFlame(image, seed);
    // Until the first tick computes it, the mask lets the background show.
    std::memset(mask, kMaskBackground, kFlameBytes);
  }
  buffers = {image, mask, seed};
}

void ReleaseFlameSurfaces(FlameSurfaces& surfaces, FlameBuffers& buffers) {
  delete[] buffers.seed;
  buffers = {};
  freeSpriteSurface(surfaces.image);
  freeSpriteSurface(surfaces.mask);
}

void DrawFlameOverlay(const FlameSurfaces& surfaces, const FlameBuffers& buffers,
                      const std::atomic<int32_t>& showFlame, Canvas& canvas) {
  if (showFlame.load(std::memory_order_relaxed) == 0 || buffers.image == nullptr) return;
  int height = kFieldHeight - kBandTop;
  HDC target = canvas.backBuffer.memoryDC;
  BitBlt(target, 0, kBandTop, kFieldWidth, height, surfaces.mask.memoryDC, 0, kBandTop, SRCAND);
  BitBlt(target, 0, kBandTop, kFieldWidth, height, surfaces.image.memoryDC, 0, kBandTop, SRCPAINT);
}
