// surfaces_win32.h -- sprite sheets, background, back buffer and banner font.
//
// All made by Init and freed by Quit on the visualisation thread; the flame
// thread never touches them.
#pragma once

#include <windows.h>

// A bitmap selected into its own memory device context, with the bitmap it
// displaced there; made and freed as one.
struct SpriteSurface {
  HBITMAP bitmap;
  HGDIOBJ displacedBitmap;
  HDC memoryDC;
};

// Bitmap resource ids built into the module.
enum SpriteResource : int {
  kArrowSheetId = 101,
  kTargetSheetId = 102,
  kMaskSheetId = 103,
  kBackgroundId = 109,
};

// What the field is drawn on (gfx/draw.h): one record of the plug-in's.
struct Canvas {
  // The 288 x 310 surface every frame is composed in.
  SpriteSurface backBuffer = {};
  // Background picture (288 x 310) and the three sheets, shrunk at Init to
  // 32 x 32 cells: column = lane, arrow rows 0..11, target rows 0 normal and
  // 1 lit, one mask row.
  SpriteSurface backgroundPicture = {};
  SpriteSurface targetSheet = {};
  SpriteSurface arrowSheet = {};
  SpriteSurface maskSheet = {};
  // The banner font, and the font it displaced in the back buffer.
  HFONT bannerFont = nullptr;
  HGDIOBJ displacedFont = nullptr;
  // The small font of the marks under the banner; null when it could not
  // be made (they are then drawn in the banner font).
  HFONT smallFont = nullptr;
};

// Makes a memory DC compatible with the screen, loads bitmap `resourceId`
// from the module's instance and selects it, keeping the displaced bitmap.
// Stores whatever it obtained; 1 when all three handles are non-null.
int makeSpriteSurface(SpriteSurface& surface, int resourceId);
// Selects the displaced bitmap back, deletes the bitmap and the DC. Safe on
// a surface with null handles. Always 1.
int freeSpriteSurface(SpriteSurface& surface);

// Init: the back buffer, a 288 x 310 bitmap compatible with the game
// window's device context. Logs "Double buffer created.".
void MakeBackBuffer(Canvas& canvas, HWND window);
// Init: the background and the three sheets, in the order 109, 102, 101,
// 103, stopping at the first failure; logs the outcome. Then shrinks the
// three sheets to half size in place.
void MakeSpriteSheets(Canvas& canvas);
// Init: the banner font, selected into the back buffer with a transparent
// background. Logs "Font Selected.".
void MakeBannerFont(Canvas& canvas);

// Quit: puts the displaced font back and deletes the banner font.
void FreeBannerFont(Canvas& canvas);
// Quit: frees the back buffer (logs "Double buffer deleted."), then the
// background, mask, arrow and target surfaces (logs "GDI stuffs deleted.").
void FreeSurfaces(Canvas& canvas);

// Halves a sheet in place with one StretchBlt in its own DC, the stretch
// mode left at its default (each pixel the AND of its 2 x 2 source).
void ShrinkSheet(SpriteSurface& sheet, int width, int height);
