// simfile_test.cpp -- DWI and SM files read into notes, beats and song times.
#include "tools/chart/convert/simfile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/chart/convert/convert.h"

namespace {

std::string Notes(const SimChart& chart) {
  std::string text;
  for (const SimNote& note : chart.notes) text += std::to_string(note.beat).substr(0, 6) + ":" +
                                                  std::to_string(note.lanes) + " ";
  return text;
}

TEST(Simfile, DwiStepsGroupsJumpsAndHolds) {
  struct Case { const char* steps; const char* notes; };
  const std::vector<Case> cases = {
      {"4026", "0.0000:1 1.0000:2 1.5000:8 "},                          // eighths
      {"(4444)8", "0.0000:1 0.2500:1 0.5000:1 0.7500:1 1.0000:4 "},    // sixteenths, then eighths again
      {"[888]{66}`44'2", "0.0000:4 0.1666:4 0.3333:4 0.5000:8 0.5625:8 0.6250:1 0.6458:1 0.6666:2 "},
      {"<48>0<1 6>", "0.0000:5 1.0000:11 "},                          // jumps, blanks between
      {"4!4 0 8!8", "0.0000:1 1.0000:4 "},                            // holds: the head is the step
      {"1379AB", "0.0000:3 0.5000:10 1.0000:5 1.5000:12 2.0000:6 2.5000:9 "},
  };
  for (const Case& c : cases) {
    Simfile song;
    std::string error;
    ASSERT_TRUE(ReadDwi(std::string("#BPM:120;#SINGLE:BASIC:3:") + c.steps + ";", song, error)) << error;
    EXPECT_EQ(Notes(song.charts.at(0)), c.notes) << c.steps;
  }
  Simfile song;
  std::string error;
  ASSERT_TRUE(ReadDwi("#BPM:120;#SINGLE:MANIAC:9:4!4C;", song, error));
  EXPECT_EQ(song.charts[0].holds, 1);
  EXPECT_EQ(song.charts[0].unknown, 1);
  EXPECT_EQ(song.charts[0].level, 2);
}

TEST(Simfile, SmMeasuresOfAnyRowCount) {
  Simfile song;
  std::string error;
  ASSERT_TRUE(ReadSm("#OFFSET:-1.5;#BPMS:0=120;#NOTES:dance-single::Hard:7::"
                     "1000 0000 0100 0000, 0010 0000 0000 0001 0000 0000 0000 0000,"
                     " 2000 3000 M000 0L00 0F00 000K 1111 0000 0000 0000 0000 0000;"
                     "#NOTES:dance-double::Hard:7::10000000;",
                     song, error)) << error;
  ASSERT_EQ(song.charts.size(), 1u);
  const SimChart& chart = song.charts[0];
  EXPECT_EQ(Notes(chart), "0.0000:1 2.0000:2 4.0000:4 5.5000:8 8.0000:1 9.0000:2 10.000:15 ");
  EXPECT_EQ(chart.holds, 1);
  EXPECT_EQ(chart.mines, 1);
  EXPECT_EQ(chart.level, 2);
  EXPECT_EQ(chart.meter, 7);
  EXPECT_EQ(song.beatZeroSeconds, 1.5);
  ASSERT_EQ(song.leftOut.size(), 1u);
  EXPECT_NE(song.leftOut[0].find("dance-double chart Hard left out"), std::string::npos);
}

TEST(Simfile, SongTimeThroughTempoChangesAndStops) {
  // DWI: changes and freezes count sixteenths; freezes last milliseconds.
  Simfile dwi;
  std::string error;
  ASSERT_TRUE(ReadDwi("#BPM:120;#GAP:2000;#CHANGEBPM:32=240;#FREEZE:16=500;#SINGLE:BASIC:1:4;", dwi, error));
  Simfile sm;
  ASSERT_TRUE(ReadSm("#OFFSET:-2;#BPMS:0=120,8=240;#STOPS:4=0.5;#NOTES:dance-single::Easy:1::1000;", sm, error));
  struct Case { double beat; double seconds; };
  const std::vector<Case> cases = {
      {-2, 1.0}, {0, 2.0}, {4, 4.0}, {4.0001, 4.5 + 0.0001 * 0.5}, {8, 6.5}, {12, 7.5},
  };
  for (const Simfile* song : {&dwi, &sm}) {
    for (const Case& c : cases) EXPECT_NEAR(SecondsAtBeat(*song, c.beat), c.seconds, 1e-9) << c.beat;
    EXPECT_EQ(MainTempo(*song), 120.0);  // one note at beat 0: the starting tempo
  }
}

TEST(Simfile, BadFilesGiveAClearError) {
  struct Case { const char* name; std::string bytes; const char* error; };
  const std::vector<Case> cases = {
      {"a.sm", "#BPMS:0=120;#NOTES:dance-single::Easy:1::1000,00", "ends inside #NOTES"},
      {"a.dwi", "#BPM:120;#SINGLE:BASIC:1:4444", "ends inside #SINGLE"},
      {"a.sm", "#NOTES:dance-single::Easy:1::1000;", "no #BPMS tempo"},
      {"a.dwi", "#SINGLE:BASIC:1:4;", "no #BPM tempo"},
      {"a.sm", "#BPMS:0=0;#NOTES:dance-single::Easy:1::1000;", "tempo 0 at beat 0 cannot time a step"},
      {"a.dwi", "#BPM:0x78;#SINGLE:BASIC:1:4;", "#BPM:0x78 is not a number"},
      {"a.sm", "#BPMS:0=120;#STOPS:4=-1;#NOTES:dance-single::Easy:1::1000;", "runs backwards"},
      {"a.sm", "#BPMS:0=120;#NOTES:dance-single::Easy:1::100;", "3 cells, not whole rows of 4"},
      {"a.sm", "#BPMS:0=120;#NOTES:dance-double::Hard:1::10000000;", "no dance-single chart"},
      {"a.sm", "#BPMS:0=120;#NOTES:dance-single::Easy:1::0000;", "no chart has a note"},
      {"a.sm", "#BPMS:0=1300;#NOTES:dance-single::Easy:1::1000;", "shorter than the longest frame"},
      {"a.txt", "#BPMS:0=120;", "not a DWI, SM or SSC file"},
      {"a.sm", std::string("\0\xff#\x01:;\n#NOTES", 13), "no #BPMS tempo"},
  };
  for (const Case& c : cases) {
    ConvertedSong converted;
    std::string error;
    EXPECT_FALSE(ConvertSimfile(c.name, c.bytes, PlacementOptions(), converted, error)) << c.bytes;
    EXPECT_NE(error.find(c.error), std::string::npos) << c.bytes << " -> " << error;
  }
  // An unknown tag is no error, only a note.
  ConvertedSong converted;
  std::string error;
  ASSERT_TRUE(ConvertSimfile("a.sm", "#WOBBLE:1;#OFFSET:-4;#BPMS:0=120;#NOTES:dance-single::Easy:1::1000;",
                             PlacementOptions(), converted, error)) << error;
  EXPECT_EQ(converted.notes.front(), "unknown tag #WOBBLE ignored");
}

TEST(Simfile, FiftyMegabytesOfNoise) {
  std::string noise(50u << 20, '\0');
  uint32_t state = 12345;
  for (char& c : noise) {
    state = state * 1103515245u + 12345u;
    c = char(state >> 24);
  }
  for (const char* name : {"noise.sm", "noise.dwi"}) {
    ConvertedSong converted;
    std::string error;
    EXPECT_FALSE(ConvertSimfile(name, noise, PlacementOptions(), converted, error));
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
