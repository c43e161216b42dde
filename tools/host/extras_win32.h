// extras_win32.h -- the harness's autoplayer, frame recording and the song's sound.
//
// The session calls these on its own thread: after Init succeeded, after
// each Render (with the time since the previous Render's start, in whole
// ms, measured as the game measures it) and before Quit. PlaySongAudio runs
// on the main thread with the playback actions.
#pragma once

#include <cstdint>

#include "scenario.h"

void BeginSessionExtras();
void AfterRender(int32_t intervalMs);
void EndSessionExtras();
void PlaySongAudio(const ScenarioAction& action);
