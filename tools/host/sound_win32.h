// sound_win32.h -- the sound the harness hands the plug-in before each Render, as the player does.
#pragma once

#include <string>

struct Host;
struct winampVisModule;

// Reads every entry's `sound` WAV file into `host`'s sounds. False with
// `error` naming the file and what is wrong with it. Main thread, before
// the first session.
bool LoadSounds(Host& host, std::string& error);

// Fills `module`'s waveform and spectrum rows, sRate and nCh as the player
// does, when the module asks for either (waveformNch or spectrumNch above
// 0): the playing entry's sound from the position request 105 answers now;
// silence while paused or stopped, past the sound's end, or for an entry
// with no sound (sRate and nCh then keep what they had). Journals `sound`
// the first time an entry's sound is handed over. The thread that calls
// Render, right before it.
void HandSoundToPlugin(const Host& host, winampVisModule* module);
