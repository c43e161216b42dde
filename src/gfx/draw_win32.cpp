// draw_win32.cpp -- the play field's drawing operations with GDI.
#include <windows.h>

#include "gfx/draw.h"
#include "gfx/surfaces_win32.h"

namespace {

constexpr int kCell = 32;
constexpr COLORREF kBannerColour = RGB(255, 128, 128);

}  // namespace

void Draw_MaskedCell(Canvas& canvas, Sheet sheet, int32_t sourceX, int32_t sourceY, int32_t x, int32_t y) {
  const SpriteSurface& colours = sheet == Sheet::Arrows ? canvas.arrowSheet : canvas.targetSheet;
  HDC target = canvas.backBuffer.memoryDC;
  BitBlt(target, x, y, kCell, kCell, canvas.maskSheet.memoryDC, sourceX, 0, SRCAND);
  BitBlt(target, x, y, kCell, kCell, colours.memoryDC, sourceX, sourceY, SRCPAINT);
}

void Draw_LitTarget(Canvas& canvas, int32_t sourceX, int32_t x, int32_t y, int32_t size) {
  StretchBlt(canvas.backBuffer.memoryDC, x, y, size, size, canvas.targetSheet.memoryDC, sourceX, kCell, kCell,
             kCell, SRCPAINT);
}

void Draw_BannerText(Canvas& canvas, int32_t x, int32_t y, const char* text, int32_t length) {
  HDC target = canvas.backBuffer.memoryDC;
  COLORREF previous = SetTextColor(target, kBannerColour);
  SetTextAlign(target, TA_CENTER | TA_TOP);
  TextOutA(target, x, y, text, length);
  SetTextColor(target, previous);
}

void Draw_SmallText(Canvas& canvas, int32_t x, int32_t y, const char* text, int32_t length) {
  HDC target = canvas.backBuffer.memoryDC;
  HGDIOBJ banner = canvas.smallFont ? SelectObject(target, canvas.smallFont) : nullptr;
  Draw_BannerText(canvas, x, y, text, length);
  if (banner) SelectObject(target, banner);
}
