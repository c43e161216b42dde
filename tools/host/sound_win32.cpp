// sound_win32.cpp -- the playing entry's waveform and spectrum, handed to the plug-in before each Render.
#include "sound_win32.h"

#include <vector>

#include "host_win32.h"
#include "journal.h"

namespace {

// The entries whose sound has been journalled; the thread that calls Render
// only (one at a time).
std::vector<bool> soundJournalled;

// The playback state now, taken under the main thread's lock.
Playback CurrentPlayback(const Host& host) {
  AcquireSRWLockShared(&host.playbackLock);
  Playback playback = host.playback;
  ReleaseSRWLockShared(&host.playbackLock);
  return playback;
}

void JournalSoundOnce(int32_t entry, const VisSound& sound) {
  if (soundJournalled.size() <= size_t(entry)) soundJournalled.resize(size_t(entry) + 1);
  if (soundJournalled[size_t(entry)]) return;
  soundJournalled[size_t(entry)] = true;
  WriteJournal(NowMs(), "sound", {Field("entry", int64_t(entry)), Field("rate", int64_t(sound.rate)),
                                  Field("channels", int64_t(sound.channels)), Field("frames", sound.frames())});
}

}  // namespace

bool LoadSounds(Host& host, std::string& error) {
  const std::vector<std::string>& files = host.scenario.sounds;
  host.sounds.assign(files.size(), VisSound{});
  for (size_t entry = 0; entry < files.size(); ++entry) {
    if (files[entry].empty()) continue;
    std::string bytes, why;
    if (!ReadWholeFile(files[entry], bytes)) why = "cannot be read";
    else if (!ReadVisSound(bytes, host.sounds[entry], why)) why = "cannot be played: " + why;
    if (!why.empty()) return error = "sound " + files[entry] + " " + why, false;
  }
  return true;
}

void HandSoundToPlugin(const Host& host, winampVisModule* module) {
  if (module->waveformNch <= 0 && module->spectrumNch <= 0) return;
  Playback playback = CurrentPlayback(host);
  int32_t position = PositionAnswer(playback, NowMs());
  const VisSound* sound = nullptr;
  if (playback.state == PlayState::Playing && playback.entry >= 0 && size_t(playback.entry) < host.sounds.size() &&
      host.sounds[size_t(playback.entry)].channels > 0)
    sound = &host.sounds[size_t(playback.entry)];
  FillWaveform(sound, sound ? FrameAt(position, sound->rate) : 0, module->waveformData);
  if (module->spectrumNch > 0) FillSpectrum(module->waveformData, module->spectrumData);
  if (sound == nullptr) return;
  module->sRate = sound->rate;
  module->nCh = sound->channels;
  JournalSoundOnce(playback.entry, *sound);
}
