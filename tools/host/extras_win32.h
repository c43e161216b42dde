// extras_win32.h -- the harness's autoplayer, frame recording and the song's sound.
//
// The session calls these on its own thread: after Init succeeded, after
// each Render (with the time since the previous Render's start, in whole
// ms, measured as the game measures it) and before Quit. PlaySongAudio runs
// on the main thread with the playback actions.
#pragma once

#include <cstdint>

#include "scenario.h"

struct Host;

// Each reads `host`'s scenario (autoplay chart or live log, recording
// folder, song) and the game window it finds through `host`; AfterRender
// reads its latest position too (and the live log's new lines),
// PlaySongAudio its playback state (before the action).
void BeginSessionExtras(const Host& host);
void AfterRender(const Host& host, int32_t intervalMs);
void EndSessionExtras(const Host& host);
void PlaySongAudio(const Host& host, const ScenarioAction& action);
