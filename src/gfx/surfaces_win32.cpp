// surfaces_win32.cpp -- making and freeing the drawing surfaces and the banner font.
#include "gfx/surfaces_win32.h"

#include "gfx/draw.h"
#include "host/module_win32.h"
#include "log/event_log.h"

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

void MakeBackBuffer(Canvas& canvas, HWND window) {
  SpriteSurface& backBuffer = canvas.backBuffer;
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

void MakeSpriteSheets(Canvas& canvas) {
  WriteLogLine("Creating GDI stuffs...");
  bool made = makeSpriteSurface(canvas.backgroundPicture, kBackgroundId) &&
              makeSpriteSurface(canvas.targetSheet, kTargetSheetId) &&
              makeSpriteSurface(canvas.arrowSheet, kArrowSheetId) &&
              makeSpriteSurface(canvas.maskSheet, kMaskSheetId);
  WriteLogLine(made ? "......success." : "......fail.");
  ShrinkSheet(canvas.targetSheet, 256, 128);
  ShrinkSheet(canvas.arrowSheet, 256, 768);
  ShrinkSheet(canvas.maskSheet, 256, 64);
}

void MakeBannerFont(Canvas& canvas) {
  LOGFONTA font = {};
  font.lfHeight = 30;
  font.lfCharSet = ANSI_CHARSET;
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = PROOF_QUALITY;
  font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  lstrcpynA(font.lfFaceName, "impact", LF_FACESIZE);
  canvas.bannerFont = CreateFontIndirectA(&font);
  font.lfHeight = 16;
  canvas.smallFont = CreateFontIndirectA(&font);
  canvas.displacedFont = SelectObject(canvas.backBuffer.memoryDC, canvas.bannerFont);
  SetBkMode(canvas.backBuffer.memoryDC, TRANSPARENT);
  WriteLogLine("Font Selected.");
}

void FreeBannerFont(Canvas& canvas) {
  if (canvas.backBuffer.memoryDC && canvas.displacedFont)
    SelectObject(canvas.backBuffer.memoryDC, canvas.displacedFont);
  if (canvas.bannerFont) DeleteObject(canvas.bannerFont);
  if (canvas.smallFont) DeleteObject(canvas.smallFont);
  canvas.bannerFont = nullptr;
  canvas.smallFont = nullptr;
  canvas.displacedFont = nullptr;
}

void FreeSurfaces(Canvas& canvas) {
  freeSpriteSurface(canvas.backBuffer);
  WriteLogLine("Double buffer deleted.");
  freeSpriteSurface(canvas.backgroundPicture);
  freeSpriteSurface(canvas.maskSheet);
  freeSpriteSurface(canvas.arrowSheet);
  freeSpriteSurface(canvas.targetSheet);
  WriteLogLine("GDI stuffs deleted.");
}
