// song_chart.h -- the playing song's chart: loaded, made from the song, or missing.
//
// With AUTO_CHART on, a song whose chart file is in neither chart folder
// gets one made from its own audio (chart_worker.h) while the field keeps
// drawing; the chart is loaded and played from the current position once
// its file is written. A song that cannot be made (a stream, an unknown
// format, too short, unreadable) is played live (live_steps.h) after one log
// line that says why. With AUTO_CHART 0 every song takes the loader's path
// alone. Visualisation thread only.
#pragma once

#include <cstdint>

struct Canvas;
struct Game;

// For a song the frame pass has just seen for the first time: stops any
// chart being made, then loads the song's chart, or starts making it, or
// plays it live, or (AUTO_CHART 0) reports it missing and opens the
// configuration. `wideTitle` is null when
// the host gave no wide name.
void ChartForNewSong(Game& game, int32_t entry, const char* fileName, const char* title, const char* wideTitle);

// Once a frame: true while the playing song's chart is being made, with
// `percent` how far. Loads the chart on the frame its file is ready, or
// plays the song live when it could not be made; then false.
bool MakingChart(Game& game, int32_t& percent);

// For Init: no chart is being made (Quit has stopped any).
void ForgetChartBeingMade(Game& game);

// The progress line the field shows while a chart is made.
void DrawMakingLine(Canvas& canvas, int32_t percent);

// Whether the song plays live and its beat is not locked yet...
bool ListeningLive(const Game& game);
// ...when the field shows "LISTENING" where the progress line goes.
void DrawListeningLine(Canvas& canvas);
