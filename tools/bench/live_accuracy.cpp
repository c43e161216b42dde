// live_accuracy.cpp -- the live chart on real songs and on beat patterns, played as a stream would be.
//
//   stompara_live_accuracy                  the synthetic patterns, and a change of song
//   stompara_live_accuracy SONG-FOLDER...   Frets on Fire songs (notes.mid and song.ogg, ...)
//   stompara_live_accuracy --from-log LOG SONG-FOLDER
//                                           the arrows of a plug-in's log (the song
//                                           played as a stream in the harness)
//
// Each track is handed to the live chart as the player hands its sound over
// (a frame every 25 ms, 576 samples each) and its Standard arrows' arrivals
// after the first 15 s are scored against the track's beat grid (a human
// chart's tempo map, or the synthesised beats): the share within 35 ms of
// an eighth, arrows a second, when it locked and on what, the first arrow
// on the target row. A song's arrows are scored as well against the beats the
// generator finds in its own audio, which tells a live chart late on the
// music from a human chart that leads it. Run by hand; prints one row per track.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/audio_analysis.h"
#include "analysis/beat_grid.h"
#include "tools/chart/convert/tool_files.h"
#include "tools/chart/evaluate/chart_score.h"
#include "tools/chart/evaluate/evaluate_command.h"
#include "tools/chart/evaluate/live_replay.h"
#include "tools/chart/generate/ffmpeg_decoder.h"
#include "tools/synth/synth.h"

namespace fs = std::filesystem;

namespace {

constexpr double kScoredFromMs = 15000;

struct Track {
  std::vector<float> frames;
  int channels = 1;
  int rate = 44100;
  std::vector<double> beats;
  double bpm = 0;
};

void PrintHeader(bool againstAudio) {
  std::printf("%-24s %8s %9s %7s %8s %8s %7s %8s  %-14s %6s  %s\n", "track", "BPM", "locked on", "at s", "1st arr",
              "on-grid", "S a/s", "median", "A/E a/s", "losses", againstAudio ? "audio's grid: on, median" : "");
}

// The beats the generator finds in the track's own audio: where the music's
// beats are, apart from where a human charted them.
std::vector<double> AudioBeats(const Track& track) {
  AnalysisStream stream;
  AudioAnalysis analysis;
  BeatGrid grid;
  std::string error;
  if (!stream.Start(track.rate, track.channels, error)) return {};
  stream.Feed(track.frames.data(), track.frames.size() / size_t(track.channels));
  stream.Finish(analysis);
  return FitBeatGrid(analysis, grid, error) ? grid.beatsMs : std::vector<double>();
}

// A song folder's name, given with or without a trailing slash.
std::string SongName(const fs::path& folder) {
  return (folder.has_filename() ? folder.filename() : folder.parent_path().filename()).string();
}

// What hearing a frame took over every frame replayed, in µs.
std::vector<float> hearMicros;

void PrintCost() {
  if (hearMicros.empty()) return;
  std::sort(hearMicros.begin(), hearMicros.end());
  auto at = [](double share) { return hearMicros[size_t(share * double(hearMicros.size() - 1))]; };
  std::printf("a frame's hearing: median %.1f us, 99th percentile %.1f, longest %.1f (%zu frames)\n", at(0.5),
              at(0.99), hearMicros.back(), hearMicros.size());
}

bool PrintScore(const std::string& name, double bpm, const LiveReplay& standard, const LiveScore& s, const char* dense,
                const LiveScore* audio = nullptr) {
  char locked[32] = "never", at[16] = "-", first[16] = "-";
  if (!standard.lockedBpm.empty()) {
    std::snprintf(locked, sizeof locked, "%.1f", standard.lockedBpm.front());
    std::snprintf(at, sizeof at, "%.1f", s.firstLockMs / 1000);
  }
  if (s.firstArrivalMs >= 0) std::snprintf(first, sizeof first, "%.1f", s.firstArrivalMs / 1000);
  std::printf("%-24.24s %8.1f %9s %7s %8s %7.1f%% %7.2f %+7.1f  %-14s %6zu", name.c_str(), bpm, locked, at,
              first, s.onGridShare * 100, s.arrowsPerSecond, s.medianOffMs, dense, standard.lostAtMs.size());
  if (audio != nullptr) std::printf("  %5.1f%% %+6.1f", audio->onGridShare * 100, audio->medianOffMs);
  std::printf("\n");
  std::fflush(stdout);
  return s.onGridShare >= 0.85;
}

bool PrintRow(const std::string& name, const Track& track, double toMs, bool againstAudio = false) {
  LiveScore scores[3];
  LiveReplay standard;
  for (int level = 0; level < 3; ++level) {
    LiveReplayOptions options;
    options.level = level;
    LiveReplay replay = ReplayLive(track.frames, track.channels, track.rate, options);
    scores[level] = ScoreLive(replay, track.beats, kScoredFromMs, toMs);
    if (level == 0) standard = replay;
    hearMicros.insert(hearMicros.end(), replay.hearMicros.begin(), replay.hearMicros.end());
  }
  char dense[32];
  std::snprintf(dense, sizeof dense, "%.2f/%.2f", scores[1].arrowsPerSecond, scores[2].arrowsPerSecond);
  LiveScore audio;
  if (againstAudio) {
    audio = ScoreLive(standard, AudioBeats(track), kScoredFromMs, toMs);
  }
  return PrintScore(name, track.bpm, standard, scores[0], dense, againstAudio ? &audio : nullptr);
}

// Arrows and locks as the plug-in's log tells them ("Live arrow 4 at 12000
// ms for 14450 ms.", "Live chart for <...>: 126.0 BPM, locked after 6.2 s.").
LiveReplay ReplayFromLog(const std::string& log) {
  LiveReplay replay;
  std::istringstream lines(log);
  std::string line;
  while (std::getline(lines, line)) {
    char step = 0;
    long at = 0, arrives = 0;
    double bpm = 0, after = 0;
    size_t colon = line.find(">: ");
    if (std::sscanf(line.c_str(), "Live arrow %c at %ld ms for %ld ms.", &step, &at, &arrives) == 3) {
      replay.arrows.push_back({int32_t(at), int32_t(arrives), step});
    } else if (line.rfind("Live chart for <", 0) == 0 && colon != std::string::npos &&
               std::sscanf(line.c_str() + colon + 3, "%lf BPM, locked after %lf s.", &bpm, &after) == 2) {
      replay.lockedBpm.push_back(bpm);
      replay.lockedAtMs.push_back(after * 1000);
    } else if (line.rfind("Live chart for <", 0) == 0 && line.find(">: listening.") != std::string::npos &&
               !replay.lockedAtMs.empty()) {
      replay.lostAtMs.push_back(0);
    }
  }
  return replay;
}

// A song the plug-in played as a stream in the harness: its log's arrows scored.
int ScoreLog(const std::string& logPath, const std::string& folder) {
  std::string bytes, error;
  ScoreReference reference;
  if (!ReadReference(folder, reference, error) || !ReadWholeFile(logPath, bytes, error)) {
    std::fprintf(stderr, "%s: %s\n", folder.c_str(), error.c_str());
    return 1;
  }
  LiveReplay replay = ReplayFromLog(bytes);
  LiveScore score = ScoreLive(replay, reference.beatsMs, kScoredFromMs, reference.notesMs.back());
  PrintScore(SongName(folder), 60000.0 / reference.beatMs, replay, score, "-");
  return 0;
}

bool ReadSong(const fs::path& folder, Track& track, double& toMs, std::string& error) {
  ScoreReference reference;
  if (!ReadReference(folder, reference, error)) return false;
  fs::path mix = fs::temp_directory_path() / ("stompara_live_" + std::to_string(getpid()) + ".wav");
  bool mixed = MixSongStems(folder, mix, error);
  AudioDecoderPtr decoder = mixed ? OpenAudioFile(mix.string(), error) : nullptr;
  if (decoder != nullptr) {
    track.channels = AudioChannels(*decoder);
    track.rate = AudioSampleRate(*decoder);
    std::vector<float> block(size_t(4096 * track.channels));
    size_t got;
    while ((got = ReadAudioFrames(*decoder, block.data(), 4096, error)) > 0)
      track.frames.insert(track.frames.end(), block.begin(), block.begin() + std::ptrdiff_t(got) * track.channels);
  }
  std::error_code ec;
  fs::remove(mix, ec);
  if (decoder == nullptr) return false;
  track.beats = reference.beatsMs;
  track.bpm = 60000.0 / reference.beatMs;
  toMs = reference.notesMs.back();
  return true;
}

Track Synthesised(const BeatTrack& beat) {
  Track track;
  track.frames = SynthesizeBeat(beat, &track.beats);
  track.rate = beat.sampleRate;
  track.bpm = beat.bpm;
  return track;
}

int Patterns() {
  int good = 0, rows = 0;
  for (const BeatPattern& pattern : kBeatPatterns) {
    for (double bpm : {70.0, 97.5, 120.0, 143.0, 174.0}) {
      BeatTrack beat;
      beat.bpm = bpm;
      beat.firstBeatMs = 1500 + bpm;
      beat.seconds = 60;
      pattern.apply(beat);
      Track track = Synthesised(beat);
      char name[64];
      std::snprintf(name, sizeof name, "%s %g", pattern.name, bpm);
      good += PrintRow(name, track, beat.seconds * 1000);
      ++rows;
    }
  }
  BeatTrack glide;
  glide.bpm = 118;
  glide.endBpm = 126;
  glide.seconds = 60;
  good += PrintRow("glide 118-126", Synthesised(glide), 60000);
  ++rows;
  // A change of song: 40 s at 120 BPM, then 40 s at 150 of another beat.
  BeatTrack first, second;
  first.seconds = second.seconds = 40;
  second.bpm = 150;
  second.firstBeatMs = 300;
  second.snare = true;
  Track a = Synthesised(first), b = Synthesised(second);
  Track both = a;
  both.frames.insert(both.frames.end(), b.frames.begin(), b.frames.end());
  for (double beatMs : b.beats) both.beats.push_back(beatMs + 40000);
  LiveReplay replay = ReplayLive(both.frames, 1, both.rate, LiveReplayOptions());
  std::printf("change 120 -> 150 at 40.0 s:");
  for (size_t i = 0; i < replay.lockedAtMs.size(); ++i)
    std::printf(" locked %.1f BPM at %.1f s;", replay.lockedBpm[i], replay.lockedAtMs[i] / 1000);
  for (double lost : replay.lostAtMs) std::printf(" lost at %.1f s;", lost / 1000);
  LiveScore after = ScoreLive(replay, both.beats, 40000, 80000);
  std::printf(" after the change %.1f%% on the grid\n", after.onGridShare * 100);
  std::printf("%d of %d tracks with 85%% of Standard arrows on the grid\n", good, rows);
  PrintCost();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  bool fromLog = argc == 4 && std::string(argv[1]) == "--from-log";
  PrintHeader(argc >= 2 && !fromLog);
  if (argc < 2) return Patterns();
  if (fromLog) return ScoreLog(argv[2], argv[3]);
  int failures = 0, good = 0, rows = 0;
  std::vector<std::string> inputs(argv + 1, argv + argc);
  for (const fs::path& folder : FindSongFolders(inputs, failures)) {
    Track track;
    double toMs = 0;
    std::string error;
    if (!ReadSong(folder, track, toMs, error)) {
      std::fprintf(stderr, "%s: %s\n", folder.string().c_str(), error.c_str());
      continue;
    }
    good += PrintRow(SongName(folder), track, toMs, true);
    ++rows;
  }
  std::printf("%d of %d songs with 85%% of Standard arrows on the grid\n", good, rows);
  PrintCost();
  return 0;
}
