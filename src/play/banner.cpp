// banner.cpp -- which judgement the banner shows, and how it steers the flame.
#include "play/banner.h"

#include <cstdio>

#include "flame/flame_shared.h"
#include "gfx/draw.h"
#include "play/game.h"

namespace {

constexpr int32_t kCentreX = 144;  // the middle of the 288-pixel field

}  // namespace

void DrawBanner(Game& game) {
  const int32_t combo = game.field.combo;
  std::atomic<int32_t>& flameMood = game.flame.FlameMood;
  Canvas& canvas = *game.canvas;
  if (combo == 0) return;
  if (combo == -1) {
    Draw_BannerText(canvas, kCentreX, 120, "MISS!", 5);
    flameMood.store(kMoodCooling, std::memory_order_relaxed);
    return;
  }
  if (flameMood.load(std::memory_order_relaxed) != kMoodChartEnded)
    flameMood.store(kMoodWarming, std::memory_order_relaxed);
  if (combo == 1) {
    Draw_BannerText(canvas, kCentreX, 120, "GOOD!", 5);
    return;
  }
  Draw_BannerText(canvas, kCentreX, 110, "GREAT!!", 7);
  char line[20];  // "%d COMBO" with any 32-bit value and its terminator
  int length = std::snprintf(line, sizeof line, "%d COMBO", int(combo));
  Draw_BannerText(canvas, kCentreX, 130, line, length);
}
