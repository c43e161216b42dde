// draw_win32.cpp -- the play field's drawing operations with GDI.
#include <windows.h>

#include "gfx/draw.h"
#include "gfx/surfaces_win32.h"

namespace {

constexpr int kCell = 32;
constexpr COLORREF kBannerColour = RGB(255, 128, 128);

}  // namespace

void Draw_MaskedCell(Sheet sheet, int32_t sourceX, int32_t sourceY, int32_t x, int32_t y) {
  const SpriteSurface& colours = sheet == Sheet::Arrows ? arrowSheet : targetSheet;
  BitBlt(backBuffer.memoryDC, x, y, kCell, kCell, maskSheet.memoryDC, sourceX, 0, SRCAND);
  BitBlt(backBuffer.memoryDC, x, y, kCell, kCell, colours.memoryDC, sourceX, sourceY, SRCPAINT);
}

void Draw_LitTarget(int32_t sourceX, int32_t x, int32_t y, int32_t size) {
  StretchBlt(backBuffer.memoryDC, x, y, size, size, targetSheet.memoryDC, sourceX, kCell, kCell,
             kCell, SRCPAINT);
}

void Draw_BannerText(int32_t x, int32_t y, const char* text, int32_t length) {
  COLORREF previous = SetTextColor(backBuffer.memoryDC, kBannerColour);
  SetTextAlign(backBuffer.memoryDC, TA_CENTER | TA_TOP);
  TextOutA(backBuffer.memoryDC, x, y, text, length);
  SetTextColor(backBuffer.memoryDC, previous);
}
