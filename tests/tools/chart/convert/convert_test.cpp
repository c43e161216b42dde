// convert_test.cpp -- converted charts played by the game's own step clock and lanes.
#include "tools/chart/convert/convert.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <unistd.h>
#include <string>
#include <vector>

#include "tools/chart/chart_tool_run.h"
#include "play/play_test_support.h"
#include "tools/chart/chart_report.h"
#include "tools/chart/evaluate/frame_replay.h"

namespace {

constexpr int32_t kOnTarget = kFieldHeight - kTargetRowTop;  // travel 294

// A note the test wrote into a simfile: its song time and lanes.
struct Expected {
  double ms;
  uint8_t lanes;
};

// An arrow crossing the target row in the simulated game.
struct Arrival {
  int lane;
  double ms;
};

// Plays `msd` from position `phaseMs` in frames of `frameMs` through the
// game's PlayFrame with nobody pressing; each arrow's arrival is where its
// shown travel crosses the target row, between the two frames around it.
std::vector<Arrival> Play(const std::string& msd, int32_t frameMs, int32_t phaseMs, int32_t level, double untilMs) {
  ResetPlayField();
  std::snprintf(testSettings.msdPath, sizeof testSettings.msdPath, "C:\\charts");
  fake.files["C:\\charts\\Song.msd"] = msd;
  fake.fileNames[0] = "C:\\music\\Song.mp3";
  testSettings.level = level;
  int32_t rise = RiseFor(frameMs);
  int32_t shownBefore[kLaneCount][kSlotsPerLane] = {};
  std::vector<Arrival> arrivals;
  for (int32_t pos = phaseMs; pos < untilMs; pos += frameMs) {
    fake.position = pos;
    testGame.frame.frameInterval = frameMs;
    EXPECT_EQ(PlayFrame(testGame), 0);
    for (int n = 0; n < kLaneCount; ++n) {
      for (int i = 0; i < kSlotsPerLane; ++i) {
        const Lane& lane = testGame.field.lanes[n];
        int32_t shown = lane.travel[i] == 0 ? 0 : lane.travel[i] - rise;
        int32_t before = shownBefore[n][i];
        if (before < kOnTarget && shown >= kOnTarget && shown - before == rise) {
          arrivals.push_back({n, pos - frameMs + double(kOnTarget - before) / rise * frameMs});
        }
        shownBefore[n][i] = shown;
      }
    }
  }
  return arrivals;
}

// Each arrival's error against the nearest unmatched expected note of its lane.
std::vector<double> Errors(const std::vector<Expected>& expected, std::vector<Arrival> arrivals) {
  std::vector<double> errors;
  for (const Expected& note : expected) {
    for (int n = 0; n < kLaneCount; ++n) {
      if (!(note.lanes & (1u << n))) continue;
      auto nearest = arrivals.end();
      for (auto a = arrivals.begin(); a != arrivals.end(); ++a) {
        if (a->lane == n && (nearest == arrivals.end() || std::fabs(a->ms - note.ms) < std::fabs(nearest->ms - note.ms)))
          nearest = a;
      }
      if (nearest == arrivals.end()) continue;
      errors.push_back(std::fabs(nearest->ms - note.ms));
      arrivals.erase(nearest);
    }
  }
  return errors;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

// A dance-single SM chart with 48 rows a measure (12 a beat) from notes at
// whole 48ths of a measure.
std::string SmChart(const char* difficulty, const std::vector<std::pair<int, const char*>>& rows) {
  int last = rows.empty() ? 0 : rows.back().first;
  std::string data;
  for (int row = 0; row <= (last / 48 + 1) * 48 - 1; ++row) {
    std::string cells = "0000";
    for (const auto& [at, written] : rows) {
      if (at == row) cells = written;
    }
    data += cells + (row % 48 == 47 ? ",\n" : "\n");
  }
  data.resize(data.size() - 2);
  return std::string("#NOTES:dance-single::") + difficulty + ":5::" + data + ";\n";
}

uint8_t LanesOfRow(const char* row) {
  uint8_t lanes = 0;
  for (int n = 0; n < 4; ++n) lanes |= uint8_t((row[n] == '1' || row[n] == '2') << n);
  return lanes;
}

struct SongCase {
  const char* name;
  double beatZeroMs;
  const char* bpms;
  const char* stops;
  int32_t frameMs;
  int32_t phaseMs;
};

// Beat of row r (12 rows a beat) to song time, for the timing of SongCase.
double RowMs(const SongCase& c, int row) {
  Simfile song;
  std::string error;
  ReadSm(std::string("#BPMS:") + c.bpms + ";#STOPS:" + c.stops + ";#NOTES:dance-single::Easy:1::1000;", song, error);
  song.beatZeroSeconds = c.beatZeroMs / 1000.0;
  return SecondsAtBeat(song, row / 12.0) * 1000.0;
}

TEST(Convert, ArrowsReachTheTargetRowOnTheirNotes) {
  // Eighths, sixteenths, triplets and jumps from beat 4 to beat 36.
  std::vector<std::pair<int, const char*>> rows;
  const char* pattern[] = {"1000", "0100", "0010", "0001", "1001", "0110"};
  for (int row = 48, i = 0; row < 432; row += (i % 7 < 3 ? 3 : i % 7 < 5 ? 4 : 6), ++i) {
    rows.push_back({row, pattern[i % 6]});
  }
  const std::vector<SongCase> cases = {
      {"150 BPM", 1100, "0=150", "", 25, 0},
      {"tempo change and a stop", 2300, "0=120,16=174.5", "24=0.45", 30, 13},
      {"97.5 BPM at 16 ms frames", 150, "0=97.5", "", 16, 5},
  };
  for (const SongCase& c : cases) {
    char offset[32];
    std::snprintf(offset, sizeof offset, "%g", -c.beatZeroMs / 1000.0);
    std::string sm = std::string("#OFFSET:") + offset + ";#BPMS:" + c.bpms + ";#STOPS:" + c.stops + ";\n" +
                     SmChart("Medium", rows);
    PlacementOptions options;
    options.frameMs = c.frameMs;
    ConvertedSong converted;
    std::string error;
    ASSERT_TRUE(ConvertSimfile("song.sm", sm, options, converted, error)) << c.name << ": " << error;
    EXPECT_EQ(InspectChart("Song.msd", converted.msd).warnings.size(), 0u) << c.name;
    std::vector<Expected> expected;
    for (const auto& [row, written] : rows) expected.push_back({RowMs(c, row), LanesOfRow(written)});
    double lastMs = expected.back().ms + 4000;
    std::vector<Arrival> arrivals = Play(converted.msd, c.frameMs, c.phaseMs, 1, lastMs);
    const LevelPlacement& placed = converted.placed.levels[1];
    EXPECT_EQ(int(arrivals.size()), placed.arrows) << c.name;
    EXPECT_EQ(placed.merged + placed.dropped + placed.tooEarly + placed.laneFull + placed.cutArrows, 0) << c.name;
    // Half a step of the grid, and half a frame for when the frame falls.
    double stepMs = double(converted.placed.msPerStep) * 220.0 / 221.0;
    std::vector<double> errors = Errors(expected, arrivals);
    EXPECT_EQ(errors.size(), arrivals.size()) << c.name;
    for (double e : errors) EXPECT_LE(e, stepMs / 2 + c.frameMs / 2.0 + 1) << c.name;
  }
}

TEST(Convert, MedianArrivalErrorOverManySongs) {
  std::vector<std::pair<int, const char*>> rows;
  for (int row = 0; row < 384; row += 6) rows.push_back({row + 48, row % 12 ? "0100" : "1000"});
  std::vector<double> errors;
  uint32_t state = 7;
  for (int song = 0; song < 10; ++song) {
    state = state * 1103515245u + 12345u;
    SongCase c = {"", 2000.0 + (state >> 16) % 1000, "", "", 25, int32_t(state >> 8) % 25};
    char bpms[32];
    std::snprintf(bpms, sizeof bpms, "0=%d", 95 + song * 9);
    c.bpms = bpms;
    char offset[32];
    std::snprintf(offset, sizeof offset, "%g", -c.beatZeroMs / 1000.0);
    ConvertedSong converted;
    std::string error;
    ASSERT_TRUE(ConvertSimfile("song.sm", std::string("#OFFSET:") + offset + ";#BPMS:" + bpms + ";\n" +
                               SmChart("Easy", rows), PlacementOptions(), converted, error)) << error;
    std::vector<Expected> expected;
    for (const auto& [row, written] : rows) expected.push_back({RowMs(c, row), LanesOfRow(written)});
    std::vector<double> some = Errors(expected, Play(converted.msd, 25, c.phaseMs, 0, expected.back().ms + 4000));
    EXPECT_EQ(some.size(), expected.size());
    errors.insert(errors.end(), some.begin(), some.end());
    // Frames of 23 to 27 ms: the clock sees every step that has arrows.
    std::minstd_rand random(state);
    Replay jittered = ReplayChart(converted.placed.steps[0], converted.placed.msPerStep, c.phaseMs,
                                  [&] { return int32_t(23 + random() % 5); });
    EXPECT_EQ(jittered.skippedArrows, 0) << bpms;
    EXPECT_EQ(int(jittered.arrows.size()), converted.placed.levels[0].arrows) << bpms;
  }
  EXPECT_LE(Median(errors), 10.0);
  double late = double(std::count_if(errors.begin(), errors.end(), [](double e) { return e > 25.0; }));
  EXPECT_LE(late / double(errors.size()), 0.01);
}

TEST(Convert, NotesThatShareAStepAreMergedOrDropped) {
  // Notes at one time: one step. Lanes differ: a double; same lane, or a
  // step with two arrows already: dropped; three at once: two kept.
  struct Case { std::vector<TimedNote> notes; const char* steps; int merged, dropped, cut, arrows; };
  const double t = 5000;
  const std::vector<Case> cases = {
      {{{t, 0x1}, {t, 0x2}}, "1", 1, 0, 0, 2},
      {{{t, 0x1}, {t, 0x1}}, "4", 0, 1, 0, 1},
      {{{t, 0x7}}, "1", 0, 0, 1, 2},
      {{{t, 0x3}, {t, 0x4}}, "1", 0, 1, 0, 2},
      {{{t, 0x1}, {t, 0x6}}, "1", 1, 0, 1, 2},
      {{{100, 0x1}, {t, 0x8}}, "6", 0, 0, 0, 1},  // the first is too early
  };
  for (const Case& c : cases) {
    std::vector<TimedNote> levels[kLevels] = {c.notes, c.notes, c.notes};
    PlacedSteps placed;
    std::string error;
    ASSERT_TRUE(PlaceSteps(levels, 250.0, PlacementOptions(), placed, error)) << error;
    std::string used = placed.steps[0];
    used.erase(std::remove(used.begin(), used.end(), '0'), used.end());
    const LevelPlacement& level = placed.levels[0];
    EXPECT_EQ(used, c.steps);
    EXPECT_EQ(level.merged, c.merged) << c.steps;
    EXPECT_EQ(level.dropped, c.dropped) << c.steps;
    EXPECT_EQ(level.cutArrows, c.cut) << c.steps;
    EXPECT_EQ(level.arrows, c.arrows) << c.steps;
    EXPECT_EQ(level.tooEarly, c.notes[0].ms < 1000 ? 1 : 0) << c.steps;
  }
}

void WriteText(const std::filesystem::path& path, const std::string& text) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

TEST(ConvertTool, FolderOfSongFolders) {
  namespace fs = std::filesystem;
  fs::path root = fs::temp_directory_path() / ("stompara_convert_" + std::to_string(getpid()));
  fs::remove_all(root);
  const std::string chart = SmChart("Easy", {{48, "1000"}, {72, "0001"}});
  // The music tag names the audio; the game cuts its name at the first ".".
  WriteText(root / "in/One/one.sm", "#MUSIC:Artist.Song One.ogg;#OFFSET:-3;#BPMS:0=128;" + chart);
  // No music tag: the audio file beside it.
  WriteText(root / "in/Two/two.dwi", "#BPM:140;#GAP:3000;#SINGLE:BASIC:2:00004000606;");
  WriteText(root / "in/Two/Second Song.mp3", "");
  // A song's .dwi gives way to its .sm; a broken file is told and passed by.
  WriteText(root / "in/Three/three.sm", "#OFFSET:-3;#BPMS:0=100;" + chart);
  WriteText(root / "in/Three/three.dwi", "#BPM:100;#SINGLE:BASIC:2:4;");
  WriteText(root / "in/Four/four.sm", "#NOTES:dance-single::Easy:1::1000;");
  // An .ssc comes before the same song's .sm.
  WriteText(root / "in/Five/five.sm", "#OFFSET:-3;#BPMS:0=100;" + chart);
  WriteText(root / "in/Five/five.ssc", "#OFFSET:-3;#BPMS:0=100;#NOTEDATA:;#STEPSTYPE:dance-single;"
                                       "#DIFFICULTY:Easy;#NOTES:0000,1000;");
  std::string in = (root / "in").string();

  ToolRun run = RunTool("convert '" + in + "'");
  EXPECT_EQ(run.status, 1) << run.output;
  EXPECT_NE(run.output.find("four.sm: cannot convert: the file has no #BPMS tempo"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("three.dwi: skipped, the same song's .sm is converted instead"), std::string::npos)
      << run.output;
  EXPECT_NE(run.output.find("five.sm: skipped, the same song's .ssc is converted instead"), std::string::npos)
      << run.output;
  EXPECT_NE(run.output.find("converted 4 of 5 songs"), std::string::npos) << run.output;
  for (const char* written : {"One/Artist.msd", "Two/Second Song.msd", "Three/three.msd", "Five/five.msd"}) {
    fs::path msd = root / "in" / written;
    ASSERT_TRUE(fs::exists(msd)) << written << "\n" << run.output;
    ToolRun inspected = RunTool("'" + msd.string() + "'");
    EXPECT_EQ(inspected.status, 0) << inspected.output;
  }
  // Nothing is overwritten unless asked; --out gathers the charts in one folder.
  ToolRun again = RunTool("convert '" + (root / "in/One").string() + "'");
  EXPECT_EQ(again.status, 2);
  EXPECT_NE(again.output.find("Artist.msd exists: pass --force to replace it"), std::string::npos) << again.output;
  EXPECT_EQ(RunTool("convert --force '" + (root / "in/One").string() + "'").status, 0);
  EXPECT_EQ(RunTool("convert --frame-ms 30 --out '" + (root / "out").string() + "' '" + in + "'").status, 1);
  EXPECT_TRUE(fs::exists(root / "out/Second Song.msd"));
  EXPECT_EQ(RunTool("convert --frame-ms 5 x.sm").status, 3);
  EXPECT_EQ(RunTool("convert").status, 3);
  fs::remove_all(root);
}

}  // namespace
