// banner_reference_win32.cpp -- the banner as the game draws it, for the end-to-end tests.
//
// Usage: stompara_banner_reference PLUGIN.dll COMBO OUT.bmp
// Draws the banner for COMBO with the plug-in's own font and drawing code
// over the plug-in's background picture (its bitmap 109) in a back buffer
// made as the game makes it, and saves the
// result as a 24-bit BMP, so a test can compare a capture of real play with
// exactly what the banner must look like.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "gfx/surfaces_win32.h"
#include "play/banner.h"
#include "play/frame_pass.h"
#include "play/game.h"

namespace {

bool SaveBackBuffer(const SpriteSurface& backBuffer, const char* path) {
  BITMAPINFOHEADER info = {sizeof info, kFieldWidth, kFieldHeight, 1, 24, BI_RGB};
  DWORD rowBytes = DWORD((kFieldWidth * 3 + 3) & ~3);
  info.biSizeImage = rowBytes * kFieldHeight;
  std::vector<char> bits(info.biSizeImage);
  if (!GetDIBits(backBuffer.memoryDC, backBuffer.bitmap, 0, kFieldHeight, bits.data(),
                 reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS))
    return false;
  BITMAPFILEHEADER file = {0x4D42, DWORD(sizeof file + sizeof info + info.biSizeImage), 0, 0,
                           DWORD(sizeof file + sizeof info)};
  FILE* out = std::fopen(path, "wb");
  if (out == nullptr) return false;
  bool saved = std::fwrite(&file, sizeof file, 1, out) == 1 && std::fwrite(&info, sizeof info, 1, out) == 1 &&
               std::fwrite(bits.data(), bits.size(), 1, out) == 1;
  return std::fclose(out) == 0 && saved;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: stompara_banner_reference PLUGIN.dll COMBO OUT.bmp\n");
    return 64;
  }
  HMODULE plugin = LoadLibraryA(argv[1]);
  HBITMAP background = plugin ? LoadBitmapA(plugin, MAKEINTRESOURCEA(109)) : nullptr;
  if (background == nullptr) return 66;
  Canvas canvas;
  MakeBackBuffer(canvas, nullptr);  // compatible with the screen, as the game window's is
  HDC picture = CreateCompatibleDC(nullptr);
  SelectObject(picture, background);
  BitBlt(canvas.backBuffer.memoryDC, 0, 0, kFieldWidth, kFieldHeight, picture, 0, 0, SRCCOPY);
  MakeBannerFont(canvas);
  Game game;
  game.canvas = &canvas;
  game.field.combo = std::atoi(argv[2]);
  DrawBanner(game);
  return SaveBackBuffer(canvas.backBuffer, argv[3]) ? 0 : 73;
}
