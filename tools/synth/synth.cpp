// synth.cpp -- sums drum and bass voices at the beat times, writes them with libsndfile.
#include "synth.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

constexpr double kPi = 3.14159265358979323846;

// A decaying voice added into `out` from sample `at`.
template <typename Wave>
void Add(std::vector<float>& out, size_t at, size_t length, Wave wave) {
  for (size_t i = 0; i < length && at + i < out.size(); ++i) out[at + i] += float(wave(i));
}

uint32_t Next(uint32_t& state) {
  state = state * 1664525u + 1013904223u;
  return state;
}

double Noise(uint32_t& state) { return double(Next(state) >> 8) / double(1u << 23) - 1.0; }

// A note to sound: `level` is the click's accent or the bass note's pitch.
struct Note {
  double ms;
  Voice voice;
  double level;
};

// Beat times: a steady tempo, or one that glides from bpm to endBpm.
std::vector<double> BeatTimes(const BeatTrack& track) {
  std::vector<double> beats;
  double end = track.seconds * 1000.0;
  for (double t = track.firstBeatMs; t < end - 200.0;) {
    beats.push_back(t);
    double progress = t / end;
    double bpm = track.endBpm > 0 ? track.bpm + (track.endBpm - track.bpm) * progress : track.bpm;
    t += 60000.0 / bpm;
  }
  return beats;
}

bool Quiet(const BeatTrack& track, double seconds) {
  if (seconds >= track.quietFromS && seconds < track.quietToS) return true;
  for (const QuietStretch& q : track.breaks)
    if (seconds >= q.fromS && seconds < q.toS) return true;
  return false;
}

// The notes of every beat, in the order they are summed: the plain beat's
// order is kept so its samples stay the same to the bit.
std::vector<Note> Score(const BeatTrack& track, const std::vector<double>& beats) {
  static const double kBassNotes[] = {55.0, 55.0, 65.41, 73.42, 82.41, 73.42, 65.41, 49.0};
  const size_t bar = track.beatsPerBar == 3 ? 3 : 4;
  std::vector<Note> notes;
  for (size_t b = 0; b < beats.size(); ++b) {
    double t = beats[b];
    if (Quiet(track, t / 1000.0)) continue;
    notes.push_back({t, Voice::kClick, b % bar == 0 ? 0.8 : 0.5});
    if (track.snare && b % bar % 2 == 1) notes.push_back({t, Voice::kSnare, 0});
    bool kick = bar == 3 ? b % 3 == 0 : b % 2 == 0;
    if (kick && !track.offBeatKick) notes.push_back({t, Voice::kKick, 0});
    double interval = b + 1 < beats.size() ? beats[b + 1] - t : 60000.0 / track.bpm;
    double offBeat = t + interval * (0.5 + track.swing / 2);
    if (track.bass && !track.offBeatBass) notes.push_back({t, Voice::kBass, kBassNotes[(2 * b) % 8]});
    if (track.bass) notes.push_back({offBeat, Voice::kBass, kBassNotes[(2 * b + 1) % 8]});
    if (kick && track.offBeatKick) notes.push_back({offBeat, Voice::kKick, 0});
    if (track.hats) notes.push_back({offBeat, Voice::kHat, 0});
  }
  return notes;
}

// Moves every note by up to jitterMs, from its own random stream so the
// noise and hi-hats stay as they are.
void Jitter(const BeatTrack& track, std::vector<Note>& notes) {
  if (track.jitterMs <= 0) return;
  uint32_t state = track.seed * 2654435761u + 97u;
  auto uniform = [&] { return (double(Next(state) >> 8) + 0.5) / double(1u << 24); };
  for (Note& note : notes) {
    double offset = 0;
    if (track.gaussianJitter) {
      do {
        offset = track.jitterMs / 2 * std::sqrt(-2 * std::log(uniform())) * std::cos(2 * kPi * uniform());
      } while (std::fabs(offset) > track.jitterMs);
    } else {
      offset = (2 * uniform() - 1) * track.jitterMs;
    }
    note.ms = std::max(0.0, note.ms + offset);
  }
}

void Sound(std::vector<float>& out, const Note& note, double rate, uint32_t& state) {
  size_t at = size_t(std::lround(note.ms / 1000.0 * rate));
  if (note.voice == Voice::kClick) {
    Add(out, at, size_t(0.02 * rate), [&](size_t i) {
      double s = i / rate;
      return note.level * std::sin(2 * kPi * 2000.0 * s) * std::exp(-s / 0.004);
    });
  } else if (note.voice == Voice::kKick) {
    Add(out, at, size_t(0.15 * rate), [&](size_t i) {  // a falling sine
      double s = i / rate;
      return 0.6 * std::sin(2 * kPi * (45.0 * s + 60.0 * 0.03 * (1 - std::exp(-s / 0.03)))) * std::exp(-s / 0.06);
    });
  } else if (note.voice == Voice::kBass) {
    Add(out, at, size_t(0.12 * rate), [&](size_t i) {
      double s = i / rate;
      return 0.2 * std::sin(2 * kPi * note.level * s) * std::exp(-s / 0.08);
    });
  } else if (note.voice == Voice::kHat) {
    double last = 0.0;
    Add(out, at, size_t(0.03 * rate), [&](size_t i) {  // differenced noise
      double n = Noise(state);
      double hat = (n - last) * 0.15 * std::exp(-double(i) / rate / 0.008);
      last = n;
      return hat;
    });
  } else {
    Add(out, at, size_t(0.15 * rate), [&](size_t i) {  // snare: a low tone under a noise burst
      double s = i / rate;
      return (0.3 * std::sin(2 * kPi * 185.0 * s) + 0.3 * Noise(state)) * std::exp(-s / 0.045);
    });
  }
}

// A soft A minor chord fading in and out before the first beat.
void IntroPad(std::vector<float>& out, const BeatTrack& track) {
  const double rate = track.sampleRate;
  double length = std::min(track.firstBeatMs / 1000.0, track.seconds);
  Add(out, 0, size_t(length * rate), [&](size_t i) {
    double s = i / rate;
    double fade = std::min({1.0, s / 0.5, (length - s) / 0.3});
    double chord = std::sin(2 * kPi * 220.0 * s) + std::sin(2 * kPi * 261.63 * s) + std::sin(2 * kPi * 329.63 * s);
    return 0.05 * fade * chord;
  });
}

}  // namespace

std::vector<float> SynthesizeBeat(const BeatTrack& track, std::vector<double>* beatsMs,
                                  std::vector<PlayedNote>* played) {
  const double rate = track.sampleRate;
  std::vector<float> out(size_t(track.seconds * rate), 0.0f);
  uint32_t state = track.seed;
  for (float& sample : out) sample = float(track.noise * Noise(state));
  if (track.introPad) IntroPad(out, track);
  std::vector<double> beats = BeatTimes(track);
  std::vector<Note> notes = Score(track, beats);
  Jitter(track, notes);
  for (const Note& note : notes) Sound(out, note, rate, state);
  for (float& sample : out) sample = std::fmax(-1.0f, std::fmin(1.0f, sample));
  if (beatsMs != nullptr) *beatsMs = beats;
  if (played != nullptr) {
    played->clear();
    for (const Note& note : notes) played->push_back({note.ms, note.voice});
    std::stable_sort(played->begin(), played->end(),
                     [](const PlayedNote& a, const PlayedNote& b) { return a.ms < b.ms; });
  }
  return out;
}

bool WriteAudio(const std::string& path, const std::vector<float>& samples, int sampleRate, std::string& error) {
  size_t dot = path.find_last_of('.');
  std::string extension = dot == std::string::npos ? "" : path.substr(dot + 1);
  SF_INFO info = {};
  info.samplerate = sampleRate;
  info.channels = 1;
  if (extension == "wav") {
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  } else if (extension == "flac") {
    info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
  } else if (extension == "ogg") {
    info.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
  } else if (extension == "mp3") {
    info.format = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
  } else {
    error = "the name must end in .wav, .flac, .ogg or .mp3";
    return false;
  }
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (file == nullptr) {
    error = sf_strerror(nullptr);
    return false;
  }
  sf_count_t written = sf_writef_float(file, samples.data(), sf_count_t(samples.size()));
  bool ok = written == sf_count_t(samples.size());
  if (!ok) error = sf_strerror(file);
  sf_close(file);
  return ok;
}

const BeatPattern kBeatPatterns[8] = {
    {"plain", [](BeatTrack&) {}},
    {"off-beat kick+bass", [](BeatTrack& t) { t.offBeatKick = t.offBeatBass = true; }},
    {"backbeat snare", [](BeatTrack& t) { t.snare = true; }},
    {"swing 0.33", [](BeatTrack& t) { t.swing = 0.33; }},
    {"3/4", [](BeatTrack& t) { t.beatsPerBar = 3; }},
    {"intro+breaks", [](BeatTrack& t) {
       t.firstBeatMs = 8000;
       t.introPad = true;
       t.breaks = {{24, 28}, {44, 46}};
     }},
    {"jitter 12 ms", [](BeatTrack& t) { t.jitterMs = 12; }},
    {"off-beat+swing+jitter", [](BeatTrack& t) {
       t.offBeatKick = t.offBeatBass = t.snare = true;
       t.swing = 0.33;
       t.jitterMs = 8;
       t.gaussianJitter = true;
     }},
};
