// evaluate_command_test.cpp -- `stompara_chart evaluate` on song folders made here.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "midi_bytes.h"
#include "tools/chart/chart_tool_run.h"
#include "tools/synth/synth.h"

namespace fs = std::filesystem;

namespace {

void WriteBytes(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

// An expert note on every click, at 120 BPM (480 ticks a quarter, 500 ms).
std::string NotesOnClicks(const std::vector<double>& clicks) {
  std::string events = TempoEvent(0, 500000);
  uint32_t last = 0;
  for (double ms : clicks) {
    uint32_t tick = uint32_t(ms * 480 / 500 + 0.5);
    events += NoteOn(tick - last, 96);
    last = tick;
  }
  return MidiHeader(0, 1, 480) + Track(events);
}

TEST(ChartScoreCommand, ScoresEachSongAndTellsWhyAnotherCannotBe) {
  fs::path root = fs::temp_directory_path() / ("stompara_evaluate_test_" + std::to_string(getpid()));
  BeatTrack track;
  track.seconds = 20;
  std::vector<double> clicks;
  std::string error;
  fs::create_directories(root / "good");
  ASSERT_TRUE(WriteAudio((root / "good/song.ogg").string(), SynthesizeBeat(track, &clicks), track.sampleRate, error))
      << error;
  WriteBytes(root / "good/notes.mid", NotesOnClicks(clicks));
  WriteBytes(root / "broken/notes.mid", MidiHeader(0, 1, 96) + "MTrk" + Big(99, 4));
  WriteBytes(root / "silent/notes.mid", NotesOnClicks(clicks));  // no song.ogg

  ToolRun run = RunTool("evaluate --json '" + root.string() + "'");
  EXPECT_EQ(run.status, 1) << run.output;
  EXPECT_NE(run.output.find("\"name\": \"good\", \"referenceBpm\": 120.000"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("\"octave\": 1,"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("broken: cannot score: notes.mid: "), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("silent: cannot score: no song.ogg"), std::string::npos) << run.output;
  // Nothing is written to the song folders.
  EXPECT_EQ(std::distance(fs::directory_iterator(root / "good"), fs::directory_iterator()), 2);
  EXPECT_EQ(RunTool("evaluate").status, 3);
  fs::remove_all(root);
}

}  // namespace
