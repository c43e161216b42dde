// generate_test.cpp -- charts from synthetic beat tracks whose every click time is known.
#include "tools/chart/generate/generate.h"

#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tools/chart/chart_tool_run.h"
#include "tools/chart/convert/tool_files.h"
#include "tools/chart/generate/audio_file.h"
#include "tools/synth/synth.h"
#include "tools/chart/chart_report.h"

namespace fs = std::filesystem;

namespace {

// A scratch folder of this test process, removed at the end of each test.
struct Scratch {
  fs::path root = fs::temp_directory_path() / ("stompara_generate_" + std::to_string(getpid()));
  Scratch() { fs::create_directories(root); }
  ~Scratch() { fs::remove_all(root); }
  std::string Write(const std::string& name, const BeatTrack& track, std::vector<double>* beats = nullptr) {
    std::string path = (root / name).string();
    fs::create_directories(fs::path(path).parent_path());
    std::string error;
    EXPECT_TRUE(WriteAudio(path, SynthesizeBeat(track, beats), track.sampleRate, error)) << error;
    return path;
  }
};

double NearestDistance(const std::vector<double>& times, double ms) {
  auto after = std::lower_bound(times.begin(), times.end(), ms);
  double best = 1e12;
  if (after != times.end()) best = *after - ms;
  if (after != times.begin()) best = std::min(best, ms - *(after - 1));
  return best;
}

int Doubles(const std::vector<TimedNote>& notes) {
  return int(std::count_if(notes.begin(), notes.end(), [](const TimedNote& n) { return (n.lanes & (n.lanes - 1)) != 0; }));
}

TEST(Generate, TempoAndStandardArrowsOnTheClicks) {
  struct Case { double bpm; double firstBeatMs; const char* file; };
  const std::vector<Case> cases = {
      {97.5, 1733, "a.wav"}, {120, 2104, "b.flac"}, {143, 1501, "c.ogg"}, {174, 2511, "d.mp3"},
  };
  Scratch scratch;
  for (const Case& c : cases) {
    BeatTrack track;
    track.bpm = c.bpm;
    track.firstBeatMs = c.firstBeatMs;
    track.seconds = 30;
    std::vector<double> clicks;
    std::string path = scratch.Write(c.file, track, &clicks);
    GeneratedSong song;
    std::string error;
    ASSERT_TRUE(GenerateChart(path, PlacementOptions(), song, error)) << c.file << ": " << error;
    EXPECT_NEAR(song.grid.bpm(), c.bpm, c.bpm * 0.001) << c.file;
    EXPECT_TRUE(song.grid.steady) << c.file;
    ASSERT_FALSE(song.notes[0].empty()) << c.file;
    for (const TimedNote& note : song.notes[0]) EXPECT_LE(NearestDistance(clicks, note.ms), 15.0) << c.file;
    // Three levels that play differently: more arrows, and doubles only above Standard.
    EXPECT_LT(song.placed.levels[0].arrows, song.placed.levels[1].arrows) << c.file;
    EXPECT_LT(song.placed.levels[1].arrows, song.placed.levels[2].arrows) << c.file;
    EXPECT_EQ(Doubles(song.notes[0]), 0) << c.file;
    EXPECT_GT(Doubles(song.notes[2]), 0) << c.file;
    // The placed arrows reach the target row within half a step of those times.
    double stepMs = double(song.placed.msPerStep) * 220.0 / 221.0;
    EXPECT_LE(song.placed.levels[0].worstErrorMs, stepMs / 2 + 0.5) << c.file;
    ChartReport report = InspectChart("Song.msd", song.msd);
    EXPECT_TRUE(report.warnings.empty() && report.notPlayable.empty()) << c.file;
  }
}

TEST(Generate, DriftingTempoFollowedBeatByBeat) {
  Scratch scratch;
  BeatTrack track;
  track.endBpm = 132;  // from 120, evenly over the track
  track.seconds = 40;
  std::vector<double> clicks;
  GeneratedSong song;
  std::string error;
  ASSERT_TRUE(GenerateChart(scratch.Write("drift.wav", track, &clicks), PlacementOptions(), song, error)) << error;
  EXPECT_FALSE(song.grid.steady);
  ASSERT_GT(song.notes[0].size(), 30u);
  for (const TimedNote& note : song.notes[0]) EXPECT_LE(NearestDistance(clicks, note.ms), 15.0);
}

TEST(Generate, QuietPassageAndIntroStayEmpty) {
  Scratch scratch;
  BeatTrack track;
  track.firstBeatMs = 6000;
  track.quietFromS = 14;
  track.quietToS = 20;
  track.seconds = 32;
  GeneratedSong song;
  std::string error;
  ASSERT_TRUE(GenerateChart(scratch.Write("quiet.wav", track), PlacementOptions(), song, error)) << error;
  for (const auto& notes : song.notes) {
    for (const TimedNote& note : notes) {
      EXPECT_GE(note.ms, 6000 - 15);
      EXPECT_FALSE(note.ms > 14000 + 50 && note.ms < 20000 - 50) << note.ms;
    }
  }
}

TEST(Generate, BadAudioGivesAClearError) {
  Scratch scratch;
  BeatTrack track;
  track.seconds = 30;
  std::string mp3 = scratch.Write("whole.mp3", track);
  std::string bytes(4096, '\0');
  std::ifstream(mp3, std::ios::binary).read(&bytes[0], long(bytes.size()));
  std::ofstream((scratch.root / "cut.mp3").string(), std::ios::binary).write(bytes.data(), long(bytes.size()));
  std::ofstream((scratch.root / "text.mp3").string()) << "not audio at all\n";
  BeatTrack clip = track;
  clip.seconds = 2;
  BeatTrack silence = track;
  silence.noise = 0;
  silence.quietFromS = 0;
  silence.quietToS = 30;
  struct Case { std::string path; const char* error; };
  const std::vector<Case> cases = {
      {(scratch.root / "text.mp3").string(), "not audio that can be read"},
      {(scratch.root / "cut.mp3").string(), "too short for a chart"},
      {scratch.Write("clip.wav", clip), "too short for a chart (2.0 s"},
      {scratch.Write("silence.wav", silence), "no steady beat found"},
      {(scratch.root / "missing.wav").string(), "cannot open the file: No such file"},
  };
  for (const Case& c : cases) {
    GeneratedSong song;
    std::string error;
    EXPECT_FALSE(GenerateChart(c.path, PlacementOptions(), song, error)) << c.path;
    EXPECT_NE(error.find(c.error), std::string::npos) << c.path << ": " << error;
  }
}

// The same song in the formats people keep music in, encoded by the ffmpeg
// program: the arrows come where the WAV's do, the encoders' priming and
// padding cut (an uncut MP3 delay alone is 25 ms), from the file and from
// its bytes in memory alike.
TEST(Generate, EncodedSongsKeepTheWavsTiming) {
  if (std::system("ffmpeg -version >/dev/null 2>&1") != 0) GTEST_SKIP() << "no ffmpeg program";
  Scratch scratch;
  BeatTrack track;
  track.firstBeatMs = 1237;
  track.seconds = 20;
  track.snare = true;
  std::string wav = scratch.Write("song.wav", track);
  GeneratedSong reference;
  std::string error;
  ASSERT_TRUE(GenerateChart(wav, PlacementOptions(), reference, error)) << error;
  std::vector<double> wavMs;
  for (const TimedNote& note : reference.notes[2]) wavMs.push_back(note.ms);
  struct Case { const char* file; const char* encoder; };
  const std::vector<Case> cases = {
      {"song.flac", "-c:a flac"}, {"song.m4a", "-c:a aac -b:a 160k"}, {"song.mp3", "-c:a libmp3lame -b:a 192k"},
      {"song.ogg", "-c:a libvorbis -q:a 5"}, {"song.opus", "-c:a libopus -b:a 128k"},
  };
  for (const Case& c : cases) {
    std::string path = (scratch.root / c.file).string();
    ASSERT_EQ(std::system(("ffmpeg -v error -y -i '" + wav + "' -ac 2 " + c.encoder + " '" + path + "'").c_str()), 0);
    GeneratedSong song;
    ASSERT_TRUE(GenerateChart(path, PlacementOptions(), song, error)) << c.file << ": " << error;
    size_t near = 0;
    for (const TimedNote& note : song.notes[2]) {
      double off = NearestDistance(wavMs, note.ms);
      if (off > 20) continue;  // a weak onset the codec tipped the other way
      ++near;
      EXPECT_LE(off, 2.0) << c.file << " at " << note.ms << " ms";
    }
    EXPECT_GE(near, song.notes[2].size() * 9 / 10) << c.file;
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(path, bytes, error)) << error;
    AudioAnalysis fromBytes;
    ASSERT_TRUE(AnalyseAudioBytes(bytes, fromBytes, error)) << c.file << ": " << error;
    EXPECT_EQ(fromBytes.durationMs, song.analysis.durationMs) << c.file;
    EXPECT_EQ(fromBytes.onsets.size(), song.analysis.onsets.size()) << c.file;
  }
  // A file FFmpeg reads that holds no sound: a picture.
  std::string picture = (scratch.root / "cover.m4a").string();
  ASSERT_EQ(std::system(("ffmpeg -v error -y -f lavfi -i color=c=red:s=16x16 -frames:v 1 -c:v png -f image2 '" +
                         picture + "'").c_str()), 0);
  GeneratedSong song;
  EXPECT_FALSE(GenerateChart(picture, PlacementOptions(), song, error));
  EXPECT_NE(error.find("not audio that can be read"), std::string::npos) << error;
}

TEST(Generate, HourLongFile) {
  // An hour at 8 kHz, written a minute at a time: the analysis streams it.
  Scratch scratch;
  BeatTrack minute;
  minute.sampleRate = 8000;
  minute.seconds = 60;
  minute.firstBeatMs = 0;
  std::vector<float> samples = SynthesizeBeat(minute, nullptr);
  std::string path = (scratch.root / "hour.wav").string();
  SF_INFO info = {};
  info.samplerate = 8000;
  info.channels = 1;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  ASSERT_NE(file, nullptr);
  for (int i = 0; i < 60; ++i) sf_writef_float(file, samples.data(), sf_count_t(samples.size()));
  sf_close(file);
  GeneratedSong song;
  std::string error;
  ASSERT_TRUE(GenerateChart(path, PlacementOptions(), song, error)) << error;
  EXPECT_NEAR(song.analysis.durationMs, 3600000.0, 1.0);
  EXPECT_GT(song.placed.levels[0].arrows, 3000);
}

TEST(GenerateTool, FolderOfSongs) {
  Scratch scratch;
  BeatTrack track;
  track.seconds = 20;
  scratch.Write("music/One.Remix.wav", track);
  track.bpm = 140;
  scratch.Write("music/deeper/Two.flac", track);
  std::ofstream((scratch.root / "music/Broken.mp3").string()) << "ID3 but nothing else";
  std::string music = (scratch.root / "music").string();
  ToolRun run = RunTool("generate '" + music + "'");
  EXPECT_EQ(run.status, 1) << run.output;
  EXPECT_NE(run.output.find("[3/3]"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("Broken.mp3: cannot make a chart: not audio"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("made 2 of 3 charts"), std::string::npos) << run.output;
  EXPECT_TRUE(fs::exists(scratch.root / "music/One.msd"));  // the game's name for One.Remix.wav
  EXPECT_TRUE(fs::exists(scratch.root / "music/deeper/Two.msd"));
  EXPECT_FALSE(fs::exists(scratch.root / "music/Broken.msd"));
  ToolRun again = RunTool("generate '" + (scratch.root / "music/deeper").string() + "'");
  EXPECT_EQ(again.status, 2);
  EXPECT_NE(again.output.find("Two.msd exists: pass --force"), std::string::npos) << again.output;
  EXPECT_EQ(RunTool("generate --frame-ms 0 x.wav").status, 3);
}

}  // namespace
