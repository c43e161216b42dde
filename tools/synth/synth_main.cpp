// synth_main.cpp -- stompara_synth: writes a beat track at a known tempo.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "synth.h"

int main(int argc, char** argv) {
  BeatTrack track;
  const char* out = nullptr;
  for (int i = 1; i < argc; ++i) {
    auto value = [&](double& field) {
      if (i + 1 >= argc) return false;
      char* end = nullptr;
      field = std::strtod(argv[++i], &end);
      return *end == '\0';
    };
    bool ok = true;
    if (std::strcmp(argv[i], "--bpm") == 0) {
      ok = value(track.bpm) && track.bpm >= 20 && track.bpm <= 400;
    } else if (std::strcmp(argv[i], "--end-bpm") == 0) {
      ok = value(track.endBpm) && track.endBpm >= 20 && track.endBpm <= 400;
    } else if (std::strcmp(argv[i], "--first-beat-ms") == 0) {
      ok = value(track.firstBeatMs) && track.firstBeatMs >= 0;
    } else if (std::strcmp(argv[i], "--seconds") == 0) {
      ok = value(track.seconds) && track.seconds > 0 && track.seconds <= 7200;
    } else if (argv[i][0] != '-' && out == nullptr) {
      out = argv[i];
    } else {
      ok = false;
    }
    if (!ok) out = nullptr, i = argc;
  }
  if (out == nullptr) {
    std::fprintf(stderr, "usage: stompara_synth [--bpm N] [--end-bpm N] [--first-beat-ms N] [--seconds N] "
                         "OUT.wav|.flac|.ogg|.mp3\n");
    return 3;
  }
  std::string error;
  if (!WriteAudio(out, SynthesizeBeat(track, nullptr), track.sampleRate, error)) {
    std::fprintf(stderr, "%s: %s\n", out, error.c_str());
    return 1;
  }
  return 0;
}
