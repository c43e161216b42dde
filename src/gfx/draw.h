// draw.h -- the few drawing operations the play field uses, into the back buffer.
//
// The field pass and the banner are portable code; they draw only through
// these functions. The plug-in links their GDI versions (draw_win32.cpp);
// native tests link a recorder (tests/fakes/platform_fake.cpp). Coordinates
// are back-buffer pixels (y down); source cells are 32 x 32 pixels of the
// sheets as shrunk at Init, column 32 x lane.
#pragma once

#include <cstdint>

#include "chart/game_timing.h"  // the field's size, kFieldWidth x kFieldHeight

// What the field is drawn on: in the plug-in the back buffer and the sprite
// sheets (gfx/surfaces_win32.h), in native tests a recorder. Opaque here.
struct Canvas;


// The colour sheets a sprite is drawn from.
enum class Sheet : int32_t { Arrows, Targets };

// A sprite: the mask cell at (sourceX, 0) of the mask sheet ANDed in at
// (x, y), then the cell at (sourceX, sourceY) of `sheet` ORed over it.
void Draw_MaskedCell(Canvas& canvas, Sheet sheet, int32_t sourceX, int32_t sourceY, int32_t x, int32_t y);

// The lit target cell at (sourceX, 32) of the target sheet stretched onto
// the `size` x `size` square at (x, y) and ORed in, with no mask under it.
void Draw_LitTarget(Canvas& canvas, int32_t sourceX, int32_t x, int32_t y, int32_t size);

// `length` characters of `text` in the banner font and colour, centred on x
// with their top at y. The back buffer's text colour is put back afterwards.
void Draw_BannerText(Canvas& canvas, int32_t x, int32_t y, const char* text, int32_t length);

// The same in the small font of the marks under the banner (how early or
// late a hit was, the result, the best score).
void Draw_SmallText(Canvas& canvas, int32_t x, int32_t y, const char* text, int32_t length);
