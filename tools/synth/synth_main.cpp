// synth_main.cpp -- stompara_synth: writes a beat track at a known tempo.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "synth.h"

namespace {

const char kUsage[] =
    "usage: stompara_synth [--bpm N] [--end-bpm N] [--first-beat-ms N] [--seconds N] [--seed N] [--noise A]\n"
    "                      [--no-hats] [--no-bass] [--off-beat-kick] [--off-beat-bass] [--snare]\n"
    "                      [--swing 0..0.8] [--beats-per-bar 3|4] [--intro-pad] [--break FROM_S:TO_S]...\n"
    "                      [--jitter-ms 0..50] [--gaussian-jitter] OUT.wav|.flac|.ogg|.mp3\n"
    "  tempos 20..400 BPM; --break may be given more than once\n";

bool Number(const char* text, double& field) {
  char* end = nullptr;
  field = std::strtod(text, &end);
  return end != text && *end == '\0';
}

// A "FROM:TO" stretch in seconds, FROM before TO.
bool Stretch(const char* text, QuietStretch& stretch) {
  const char* colon = std::strchr(text, ':');
  if (colon == nullptr) return false;
  std::string from(text, colon);
  return Number(from.c_str(), stretch.fromS) && Number(colon + 1, stretch.toS) && stretch.fromS >= 0 &&
         stretch.toS > stretch.fromS;
}

// Options taking a value: false when `name` is none of them or the value is bad.
bool ValueOption(const std::string& name, const char* text, BeatTrack& track) {
  double v = 0;
  if (name == "--break") {
    QuietStretch stretch;
    if (!Stretch(text, stretch)) return false;
    track.breaks.push_back(stretch);
    return true;
  }
  if (!Number(text, v)) return false;
  if (name == "--bpm") return (track.bpm = v) >= 20 && v <= 400;
  if (name == "--end-bpm") return (track.endBpm = v) >= 20 && v <= 400;
  if (name == "--first-beat-ms") return (track.firstBeatMs = v) >= 0;
  if (name == "--seconds") return (track.seconds = v) > 0 && v <= 7200;
  if (name == "--noise") return (track.noise = v) >= 0 && v <= 1;
  if (name == "--swing") return (track.swing = v) >= 0 && v <= 0.8;
  if (name == "--jitter-ms") return (track.jitterMs = v) >= 0 && v <= 50;
  if (name == "--beats-per-bar") return (v == 3 || v == 4) && (track.beatsPerBar = int(v)) > 0;
  if (name == "--seed") return v >= 0 && v <= 4294967295.0 && (track.seed = unsigned(v)) == v;
  return false;
}

bool FlagOption(const std::string& name, BeatTrack& track) {
  bool* flags[] = {&track.offBeatKick, &track.offBeatBass, &track.snare, &track.introPad, &track.gaussianJitter};
  const char* names[] = {"--off-beat-kick", "--off-beat-bass", "--snare", "--intro-pad", "--gaussian-jitter"};
  for (size_t f = 0; f < 5; ++f)
    if (name == names[f]) return *flags[f] = true;
  if (name == "--no-hats") return !(track.hats = false);
  if (name == "--no-bass") return !(track.bass = false);
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  BeatTrack track;
  const char* out = nullptr;
  const char* bad = nullptr;  // the argument refused
  for (int i = 1; i < argc && bad == nullptr; ++i) {
    if (FlagOption(argv[i], track)) continue;
    if (argv[i][0] != '-') {
      if (out != nullptr) bad = argv[i];
      out = argv[i];
    } else if (i + 1 >= argc || !ValueOption(argv[i], argv[i + 1], track)) {
      bad = argv[i];
    } else {
      ++i;
    }
  }
  if (bad != nullptr || out == nullptr) {
    if (bad != nullptr) std::fprintf(stderr, "stompara_synth: %s: unknown option, bad value or second output\n", bad);
    std::fputs(kUsage, stderr);
    return 3;
  }
  std::string error;
  if (!WriteAudio(out, SynthesizeBeat(track, nullptr), track.sampleRate, error)) {
    std::fprintf(stderr, "%s: %s\n", out, error.c_str());
    return 1;
  }
  return 0;
}
