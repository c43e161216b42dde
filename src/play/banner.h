// banner.h -- the judgement text in the middle of the play field.
#pragma once

// Draws the judgement combo stands for into the back buffer: nothing at 0,
// "MISS!" at -1, "GOOD!" at 1, "GREAT!!" and "N COMBO" from 2 on. Steers the
// flame from it: a miss cools it (FlameMood 0), a hit warms it (1) unless
// the chart has ended (3). Once per frame pass, on the Render thread.
struct Game;
void DrawBanner(Game& game);
