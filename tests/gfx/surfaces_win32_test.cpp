// surfaces_win32_test.cpp -- sprite surfaces made from the module's bitmaps, shrunk in place.
#include <gtest/gtest.h>

#include <vector>

#include "gfx/surfaces_win32.h"
#include "host/module_win32.h"
#include "win32_support.h"

namespace {

// A DIB section copy of a bitmap's pixels as 0x00RRGGBB values, top-down.
struct Pixels {
  int width = 0, height = 0;
  std::vector<uint32_t> rgb;
  uint32_t at(int x, int y) const { return rgb[size_t(y) * size_t(width) + size_t(x)]; }
};

Pixels ReadPixels(HDC dc, HBITMAP bitmap, int width, int height) {
  Pixels pixels;
  pixels.width = width;
  pixels.height = height;
  pixels.rgb.resize(size_t(width) * size_t(height));
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
  GetDIBits(dc, bitmap, 0, UINT(height), pixels.rgb.data(), &info, DIB_RGB_COLORS);
  for (uint32_t& value : pixels.rgb) value &= 0xFFFFFF;
  return pixels;
}

// The resource as stored, read through a device-dependent bitmap of the
// screen's format, the same way the surfaces see it.
Pixels ReadResource(int id, int width, int height) {
  HBITMAP bitmap = LoadBitmapA(PluginModule(), MAKEINTRESOURCEA(id));
  HDC screen = GetDC(nullptr);
  Pixels pixels = ReadPixels(screen, bitmap, width, height);
  ReleaseDC(nullptr, screen);
  DeleteObject(bitmap);
  return pixels;
}

uint32_t AndOfFour(const Pixels& source, int x, int y) {
  return source.at(2 * x, 2 * y) & source.at(2 * x + 1, 2 * y) & source.at(2 * x, 2 * y + 1) &
         source.at(2 * x + 1, 2 * y + 1);
}

class Surfaces : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(PluginModule(), nullptr) << "vis_stompara.dll beside the tests";
    moduleInstance = PluginModule();
  }
  void TearDown() override { FreeSurfaces(testCanvas); }
};

TEST_F(Surfaces, AllFourAreMadeFromTheModulesBitmaps) {
  MakeSpriteSheets(testCanvas);
  for (SpriteSurface* surface : {&testCanvas.backgroundPicture, &testCanvas.targetSheet, &testCanvas.arrowSheet, &testCanvas.maskSheet}) {
    EXPECT_NE(surface->memoryDC, nullptr);
    EXPECT_NE(surface->bitmap, nullptr);
    EXPECT_NE(surface->displacedBitmap, nullptr);
  }
  BITMAP info;
  ASSERT_TRUE(GetObjectA(testCanvas.backgroundPicture.bitmap, sizeof info, &info));
  EXPECT_EQ(info.bmWidth, 288);
  EXPECT_EQ(info.bmHeight, 310);
}

TEST_F(Surfaces, ShrinkMakesEachPixelTheAndOfItsFourSourcePixels) {
  struct Sheet { SpriteSurface* surface; int id, width, height; };
  MakeSpriteSheets(testCanvas);
  const Sheet sheets[] = {{&testCanvas.targetSheet, 102, 256, 128}, {&testCanvas.arrowSheet, 101, 256, 768}, {&testCanvas.maskSheet, 103, 256, 64}};
  for (const Sheet& sheet : sheets) {
    Pixels source = ReadResource(sheet.id, sheet.width, sheet.height);
    Pixels shrunk = ReadPixels(sheet.surface->memoryDC, sheet.surface->bitmap, sheet.width, sheet.height);
    int mismatches = 0;
    for (int y = 0; y < sheet.height / 2; ++y)
      for (int x = 0; x < sheet.width / 2; ++x) mismatches += shrunk.at(x, y) != AndOfFour(source, x, y);
    EXPECT_EQ(mismatches, 0) << "sheet " << sheet.id;
  }
}

TEST_F(Surfaces, ShrunkMaskIsBlackWhereverAnySourcePixelWasAndCoversTheTargets) {
  MakeSpriteSheets(testCanvas);
  Pixels source = ReadResource(103, 256, 64);
  Pixels mask = ReadPixels(testCanvas.maskSheet.memoryDC, testCanvas.maskSheet.bitmap, 256, 64);
  Pixels targets = ReadPixels(testCanvas.targetSheet.memoryDC, testCanvas.targetSheet.bitmap, 256, 128);
  int blackCells = 0;
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 128; ++x) {
      bool anyBlack = source.at(2 * x, 2 * y) == 0 || source.at(2 * x + 1, 2 * y) == 0 ||
                      source.at(2 * x, 2 * y + 1) == 0 || source.at(2 * x + 1, 2 * y + 1) == 0;
      ASSERT_EQ(mask.at(x, y) == 0, anyBlack) << x << "," << y;
      blackCells += anyBlack;
      // Where a shrunk target shows colour, the mask clears the background.
      for (int row = 0; row < 2; ++row)
        if (targets.at(x, y + 32 * row) != 0) ASSERT_EQ(mask.at(x, y), 0u) << x << "," << y;
    }
  }
  EXPECT_GT(blackCells, 4 * 200);
}

TEST_F(Surfaces, ArrowCellThreeElevenIsTheLastRowsRightArrow) {
  MakeSpriteSheets(testCanvas);
  Pixels source = ReadResource(101, 256, 768);
  Pixels arrows = ReadPixels(testCanvas.arrowSheet.memoryDC, testCanvas.arrowSheet.bitmap, 256, 768);
  Pixels mask = ReadPixels(testCanvas.maskSheet.memoryDC, testCanvas.maskSheet.bitmap, 256, 64);
  int coloured = 0;
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      uint32_t cell = arrows.at(96 + x, 352 + y);
      ASSERT_EQ(cell, AndOfFour(source, 96 + x, 352 + y));
      if (cell != 0 && mask.at(96 + x, y) == 0) ++coloured;  // band colour under the mask
    }
  }
  EXPECT_GT(coloured, 100);
}

TEST_F(Surfaces, AFailedSurfaceLeavesTheLaterOnesUnmade) {
  HMODULE backgroundOnly = LoadLibraryA("background_only_res.dll");
  ASSERT_NE(backgroundOnly, nullptr);
  moduleInstance = backgroundOnly;
  MakeSpriteSheets(testCanvas);
  EXPECT_NE(testCanvas.backgroundPicture.bitmap, nullptr);
  EXPECT_EQ(testCanvas.targetSheet.bitmap, nullptr);
  EXPECT_EQ(testCanvas.arrowSheet.memoryDC, nullptr);
  EXPECT_EQ(testCanvas.arrowSheet.bitmap, nullptr);
  EXPECT_EQ(testCanvas.maskSheet.memoryDC, nullptr);
  EXPECT_EQ(testCanvas.maskSheet.bitmap, nullptr);
  FreeSurfaces(testCanvas);  // safe on surfaces that were never made
  EXPECT_EQ(testCanvas.targetSheet.memoryDC, nullptr);
  FreeLibrary(backgroundOnly);
}

TEST_F(Surfaces, BannerFontIsSelectedWithATransparentBackground) {
  HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 288, 310, nullptr, nullptr, nullptr, nullptr);
  MakeBackBuffer(testCanvas, window);
  MakeBannerFont(testCanvas);
  EXPECT_EQ(GetBkMode(testCanvas.backBuffer.memoryDC), TRANSPARENT);
  LOGFONTA font = {};
  GetObjectA(GetCurrentObject(testCanvas.backBuffer.memoryDC, OBJ_FONT), sizeof font, &font);
  EXPECT_EQ(font.lfHeight, 30);
  EXPECT_EQ(font.lfQuality, PROOF_QUALITY);
  EXPECT_STREQ(font.lfFaceName, "impact");

  // Text leaves the pixels between its strokes as they were.
  RECT all = {0, 0, 288, 310};
  HBRUSH fill = CreateSolidBrush(RGB(10, 20, 30));
  FillRect(testCanvas.backBuffer.memoryDC, &all, fill);
  DeleteObject(fill);
  SetTextColor(testCanvas.backBuffer.memoryDC, RGB(255, 128, 128));
  TextOutA(testCanvas.backBuffer.memoryDC, 100, 120, "MISS!", 5);
  Pixels after = ReadPixels(testCanvas.backBuffer.memoryDC, testCanvas.backBuffer.bitmap, 288, 310);
  int kept = 0, inked = 0;
  for (int y = 120; y < 150; ++y)
    for (int x = 100; x < 170; ++x) (after.at(x, y) == 0x0A141E ? kept : inked)++;
  EXPECT_GT(inked, 50);
  EXPECT_GT(kept, 500);
  FreeBannerFont(testCanvas);
  DestroyWindow(window);
}

}  // namespace
