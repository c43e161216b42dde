// surfaces_win32.cpp -- making and freeing the drawing surfaces and the banner font.
#include "gfx/surfaces_win32.h"

#include "base/event_log.h"
#include "base/module_win32.h"
#include "gfx/draw.h"

SpriteSurface backBuffer;
SpriteSurface backgroundPicture;
SpriteSurface targetSheet;
SpriteSurface arrowSheet;
SpriteSurface maskSheet;

namespace {

HFONT bannerFont;
HGDIOBJ displacedFont;

}  // namespace

int makeSpriteSurface(SpriteSurface& surface, int resourceId) {
  surface.memoryDC = CreateCompatibleDC(nullptr);
  surface.bitmap = LoadBitmapA(moduleInstance, MAKEINTRESOURCEA(resourceId & 0xFFFF));
  surface.displacedBitmap = SelectObject(surface.memoryDC, surface.bitmap);
  return surface.memoryDC && surface.bitmap && surface.displacedBitmap ? 1 : 0;
}

int freeSpriteSurface(SpriteSurface& surface) {
  if (surface.memoryDC && surface.displacedBitmap)
    SelectObject(surface.memoryDC, surface.displacedBitmap);
  if (surface.bitmap) DeleteObject(surface.bitmap);
  if (surface.memoryDC) DeleteDC(surface.memoryDC);
  surface = SpriteSurface{};
  return 1;
}

void MakeBackBuffer(HWND window) {
  backBuffer.memoryDC = CreateCompatibleDC(nullptr);
  HDC windowDC = GetDC(window);
  backBuffer.bitmap = CreateCompatibleBitmap(windowDC, kFieldWidth, kFieldHeight);
  ReleaseDC(window, windowDC);
  backBuffer.displacedBitmap = SelectObject(backBuffer.memoryDC, backBuffer.bitmap);
  WriteLogLine("Double buffer created.");
}

void ShrinkSheet(SpriteSurface& sheet, int width, int height) {
  StretchBlt(sheet.memoryDC, 0, 0, width / 2, height / 2,
             sheet.memoryDC, 0, 0, width, height, SRCCOPY);
}

void MakeSpriteSheets() {
  WriteLogLine("Creating GDI stuffs...");
  bool made = makeSpriteSurface(backgroundPicture, kBackgroundId) &&
              makeSpriteSurface(targetSheet, kTargetSheetId) &&
              makeSpriteSurface(arrowSheet, kArrowSheetId) &&
              makeSpriteSurface(maskSheet, kMaskSheetId);
  WriteLogLine(made ? "......success." : "......fail.");
  ShrinkSheet(targetSheet, 256, 128);
  ShrinkSheet(arrowSheet, 256, 768);
  ShrinkSheet(maskSheet, 256, 64);
}

void MakeBannerFont() {
  LOGFONTA font = {};
  font.lfHeight = 30;
  font.lfCharSet = ANSI_CHARSET;
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = PROOF_QUALITY;
  font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  lstrcpynA(font.lfFaceName, "impact", LF_FACESIZE);
  bannerFont = CreateFontIndirectA(&font);
  displacedFont = SelectObject(backBuffer.memoryDC, bannerFont);
  SetBkMode(backBuffer.memoryDC, TRANSPARENT);
  WriteLogLine("Font Selected.");
}

void FreeBannerFont() {
  if (backBuffer.memoryDC && displacedFont) SelectObject(backBuffer.memoryDC, displacedFont);
  if (bannerFont) DeleteObject(bannerFont);
  bannerFont = nullptr;
  displacedFont = nullptr;
}

void FreeSurfaces() {
  freeSpriteSurface(backBuffer);
  WriteLogLine("Double buffer deleted.");
  freeSpriteSurface(backgroundPicture);
  freeSpriteSurface(maskSheet);
  freeSpriteSurface(arrowSheet);
  freeSpriteSurface(targetSheet);
  WriteLogLine("GDI stuffs deleted.");
}
