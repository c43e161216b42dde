// ssc_test.cpp -- SSC files: song and chart timing, what is left out, bad files.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "tools/chart/convert/convert.h"

namespace {

// SSC note data with a left arrow on each of `beats` (one row a beat).
std::string NotesOn(const std::set<int>& beats) {
  int last = beats.empty() ? 0 : *beats.rbegin();
  std::string data;
  for (int beat = 0; beat <= last / 4 * 4 + 3; ++beat) {
    data += beats.count(beat) ? "1000\n" : "0000\n";
    if (beat % 4 == 3 && beat < last / 4 * 4 + 3) data += ",\n";
  }
  return data;
}

std::string Chart(const char* difficulty, const std::set<int>& beats, const std::string& ownTags = "",
                  const char* type = "dance-single") {
  return std::string("#NOTEDATA:;\n#STEPSTYPE:") + type + ";\n#DIFFICULTY:" + difficulty + ";\n#METER:4;\n" +
         ownTags + "#NOTES:\n" + NotesOn(beats) + ";\n";
}

std::vector<double> SecondsOf(const Simfile& song, size_t chart) {
  std::vector<double> seconds;
  for (const SimNote& note : song.charts[chart].notes) seconds.push_back(SecondsOfNote(song, note));
  return seconds;
}

// A stop pauses after its beat's notes, a delay before them; a chart with a
// tempo of its own keeps the song's other timing.
TEST(Ssc, SongAndChartTiming) {
  std::string ssc = "#VERSION:0.83;\n#TITLE:Song;\n#OFFSET:-1;\n#BPMS:0=120;\n#STOPS:4=0.5;\n#DELAYS:8=0.25;\n" +
                    Chart("Easy", {4, 8, 12}) + Chart("Hard", {4, 8}, "#BPMS:0=60;\n");
  Simfile song;
  std::string error;
  ASSERT_TRUE(ReadSsc(ssc, song, error)) << error;
  ASSERT_EQ(song.charts.size(), 2u);
  std::vector<double> easy = SecondsOf(song, 0);
  ASSERT_EQ(easy.size(), 3u);
  EXPECT_DOUBLE_EQ(easy[0], 3.0);
  EXPECT_NEAR(easy[1], 5.75, 1e-5);
  EXPECT_NEAR(easy[2], 7.75, 1e-5);
  std::vector<double> hard = SecondsOf(song, 1);
  EXPECT_DOUBLE_EQ(hard[0], 5.0);
  EXPECT_NEAR(hard[1], 9.75, 1e-5);
  EXPECT_EQ(song.charts[1].level, 2);
  EXPECT_TRUE(song.leftOut.empty()) << song.leftOut.front();
}

// Warped beats take no time and their notes, like fakes', are left out;
// what the game cannot time is told, one sentence each.
TEST(Ssc, UnplayableTimingIsToldExactly) {
  std::string ssc = "#OFFSET:0;\n#BPMS:0=120,30=-60;\n#STOPS:28=-0.5;\n#WARPS:16=4;\n#FAKES:24=1;\n" +
                    Chart("Medium", {4, 16, 18, 20, 24, 25}) + Chart("Hard", {4}, "", "dance-double");
  ConvertedSong converted;
  std::string error;
  ASSERT_TRUE(ConvertSimfile("song.SSC", ssc, PlacementOptions(), converted, error)) << error;
  const std::vector<std::string>& told = converted.song.leftOut;
  for (const char* sentence :
       {"tempo -60 at beat 30 left out (the game plays no tempo of 0 or below): the notes after it may be off",
        "negative stop of -0.5 s at beat 28 left out: the notes after it come 0.5 s late",
        "Medium chart: #WARPS at beat 16 (4 beats): 2 notes inside left out",
        "Medium chart: #FAKES at beat 24 (1 beats): 1 note inside left out",
        "dance-double chart Hard left out: only single-play charts play here"}) {
    EXPECT_EQ(std::count(told.begin(), told.end(), sentence), 1) << sentence;
  }
  std::vector<double> seconds = SecondsOf(converted.song, 0);
  ASSERT_EQ(seconds.size(), 3u);
  EXPECT_DOUBLE_EQ(seconds[1], 8.0) << "beat 20 after four warped beats";
  EXPECT_DOUBLE_EQ(seconds[2], 10.5);
}

// Overlapping segments, out of beat order in the file: each counts every
// note it holds, and they are told in the file's order.
TEST(Ssc, OverlappingSegmentsEachCountTheirNotes) {
  std::string ssc = "#OFFSET:0;\n#BPMS:0=120;\n#WARPS:9=2,8=4,30=1;\n#FAKES:9=1,20=2;\n" +
                    Chart("Medium", {8, 9, 10, 11, 20, 30, 32});
  Simfile song;
  std::string error;
  ASSERT_TRUE(ReadSsc(ssc, song, error)) << error;
  std::vector<std::string> segments;
  for (const std::string& line : song.leftOut)
    if (line.find("inside left out") != std::string::npos) segments.push_back(line);
  EXPECT_EQ(segments, (std::vector<std::string>{
                          "Medium chart: #WARPS at beat 9 (2 beats): 2 notes inside left out",
                          "Medium chart: #WARPS at beat 8 (4 beats): 4 notes inside left out",
                          "Medium chart: #WARPS at beat 30 (1 beats): 1 note inside left out",
                          "Medium chart: #FAKES at beat 9 (1 beats): 1 note inside left out",
                          "Medium chart: #FAKES at beat 20 (2 beats): 1 note inside left out"}));
  EXPECT_EQ(SecondsOf(song, 0).size(), 1u) << "only beat 32 is played";
}

TEST(Ssc, BadFilesGiveAClearError) {
  struct Case { std::string bytes; const char* error; };
  const std::vector<Case> cases = {
      {"#BPMS:0=120;\n#NOTEDATA:;\n#STEPSTYPE:dance-single;\n#NOTES:\n1000\n", "ends inside its #NOTES tag"},
      {"#BPMS:0=120;\n" + Chart("Easy", {4}, "", "pump-single"), "no dance-single chart"},
      {"#OFFSET:0;\n" + Chart("Easy", {4}), "no #BPMS tempo"},
      {"#BPMS:0=-5;\n" + Chart("Easy", {4}), "no #BPMS tempo above 0"},
  };
  for (const Case& c : cases) {
    Simfile song;
    std::string error;
    EXPECT_FALSE(ReadSsc(c.bytes, song, error)) << c.bytes;
    EXPECT_NE(error.find(c.error), std::string::npos) << c.bytes << " -> " << error;
  }
}

}  // namespace
