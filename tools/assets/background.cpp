// background.cpp -- renders the club picture and quantises it to 256 colours.
#include "background.h"

#include "assets.h"
#include "bitmap_file.h"
#include "booth.h"

namespace assets {
namespace {

constexpr int kSubsamples = 4;  // per axis

// Palette: every combination of these channel levels, 8 x 4 x 8 = 256.
// The steps are finest in the dark purples the picture is made of.
constexpr int kRedLevels[8] = {0, 9, 20, 36, 58, 90, 136, 205};
constexpr int kGreenLevels[4] = {0, 12, 42, 110};
constexpr int kBlueLevels[8] = {0, 12, 26, 45, 70, 104, 152, 220};

std::vector<Rgb> cube_palette() {
  std::vector<Rgb> palette;
  for (int r : kRedLevels) {
    for (int g : kGreenLevels) {
      for (int b : kBlueLevels) {
        palette.push_back({static_cast<uint8_t>(r), static_cast<uint8_t>(g),
                           static_cast<uint8_t>(b)});
      }
    }
  }
  return palette;
}

// 8x8 Bayer matrix, thresholds (v + 0.5) / 64.
int bayer(int x, int y) {
  int v = 0;
  for (int bit = 0; bit < 3; ++bit) {
    const int bx = (x >> bit) & 1, by = (y >> bit) & 1;
    v |= ((bx ^ by) << (5 - 2 * bit)) | (by << (4 - 2 * bit));
  }
  return v;
}

// Level index for one channel, dithered between the two nearest levels.
template <int N>
int dither_channel(double value, const int (&levels)[N], double threshold) {
  const double v = clamp01(value) * 255;
  for (int i = 0; i + 1 < N; ++i) {
    if (v < levels[i + 1]) {
      const double frac = (v - levels[i]) / (levels[i + 1] - levels[i]);
      return frac > threshold ? i + 1 : i;
    }
  }
  return N - 1;
}

uint8_t quantise(Vec3 c, int x, int y) {
  const double threshold = (bayer(x, y) + 0.5) / 64;
  const int r = dither_channel(c.x, kRedLevels, threshold);
  const int g = dither_channel(c.y, kGreenLevels, threshold);
  const int b = dither_channel(c.z, kBlueLevels, threshold);
  return static_cast<uint8_t>(r * 32 + g * 8 + b);
}

// Darkens the corners and edges, drawing the eye to the middle.
double vignette(double sx, double sy) {
  const double dx = (sx - kBackgroundWidth * 0.5) / (kBackgroundWidth * 0.5);
  const double dy = (sy - kBackgroundHeight * 0.47) / (kBackgroundHeight * 0.5);
  return 1 - 0.6 * smoothstep(0.5, 1.45, dx * dx + dy * dy);
}

Vec3 scene_colour(double sx, double sy) {
  Vec3 c;
  if (!booth_colour(sx, sy, c)) c = club_backdrop(sx, sy);
  return c;
}

Vec3 pixel_colour(int x, int y) {
  Vec3 sum;
  for (int j = 0; j < kSubsamples; ++j) {
    for (int i = 0; i < kSubsamples; ++i) {
      const double sx = x + (i + 0.5) / kSubsamples, sy = y + (j + 0.5) / kSubsamples;
      sum = sum + scene_colour(sx, sy);
    }
  }
  return sum * (vignette(x + 0.5, y + 0.5) / (kSubsamples * kSubsamples));
}

}  // namespace

std::vector<uint8_t> background_bmp() {
  IndexedImage image;
  image.width = kBackgroundWidth;
  image.height = kBackgroundHeight;
  image.palette = cube_palette();
  image.pixels.resize(static_cast<size_t>(image.width) * image.height);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      image.pixels[static_cast<size_t>(y) * image.width + x] =
          quantise(pixel_colour(x, y), x, y);
    }
  }
  return bmp_file(image, false);
}

}  // namespace assets
