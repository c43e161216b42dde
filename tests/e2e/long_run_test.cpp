// long_run_test.cpp -- twenty minutes of a song's positions in eighty seconds: seeks, pauses, songs, levels.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "e2e/host_support.h"

namespace {

// Three levels of 16 minutes at 120 BPM (3840 eighths), every step an arrow.
std::string LongChart(const std::string& pattern) {
  std::string steps;
  while (steps.size() < 3840) steps += pattern;
  steps.resize(3840);
  std::string text = "#BPM:120;\r\n";
  for (const char* header : {"#SINGLE:BASIC:3:\r\n", "#SINGLE:ANOTH:5:\r\n", "#SINGLE:EXPER:9:\r\n"})
    text += header + steps + ";\r\n";
  return text;
}

TEST(LongRun, SeeksPausesSongsAndLevelsLeaveTheLogAndSettingsIntact) {
  std::string folder = MakePluginFolder("long-run");
  WriteFile(folder + "/Song.msd", LongChart("4286"));
  WriteFile(folder + "/Other.msd", LongChart("1379AB"));
  WriteFile(folder + "/plugin.ini", "[Stompara for Winamp]\r\nWRITE_LOG=1\r\nSHOW_FLAME=1\r\nLEVEL=0\r\nMSD_PATH=" +
                                        WindowsPath(folder) + "\r\n");
  // Eighty one-second rounds. Each jumps 15 s of song on (so the positions
  // cover twenty minutes), now and then back; pauses and resumes; every
  // fifth changes song; every tenth picks a level in the dialog; every
  // sixteenth ends the session and starts a new one.
  std::string scenario = "frame-ms 20\nplaylist C:\\Music\\Song.mp3\nplaylist C:\\Music\\Other.mp3\n0 play\n";
  int level = 0;
  for (int round = 1; round <= 80; ++round) {
    int t = round * 1000;
    int position = (round * 15000) % 1200000 - (round % 7 == 0 ? 40000 : 0);
    auto at = [&](int offset, const std::string& action) { scenario += std::to_string(t + offset) + " " + action + "\n"; };
    at(0, "seek " + std::to_string(position));
    if (round % 3 == 0) {
      at(300, "pause");
      at(500, "play");
    }
    if (round % 5 == 0) at(600, "select " + std::to_string(round / 5 % 2));
    if (round % 10 == 0) {
      level = round / 10 % 3;
      at(100, "config");
      at(500, "dialog click " + std::to_string(1004 + level));
      at(500, "dialog click 1");
    }
    if (round % 16 == 0) {
      at(700, "quit");
      at(800, "init");
      at(850, "play");
    }
  }
  scenario += "81000 quit\n";
  HostRun run = RunHost(folder, scenario);
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;

  // No box: every song has its chart, every level its chart.
  EXPECT_TRUE(EventsNamed(run, "message-box").empty());
  std::vector<JournalEvent> quits = EventsNamed(run, "quit");
  EXPECT_EQ(quits.size(), 6u);
  for (const JournalEvent& quit : quits) EXPECT_LT(std::atoi(quit.at("ms").c_str()), 1000);
  EXPECT_EQ(EventsNamed(run, "config-returned").size(), 8u);
  int rendered = 0;
  for (const JournalEvent& render : EventsNamed(run, "render")) rendered += render.at("result") == "0";
  EXPECT_GT(rendered, 2000);

  // The settings hold what the dialog chose last and nothing else changed.
  std::string ini = ReadFile(folder + "/plugin.ini");
  EXPECT_EQ(IniValue(ini, "Stompara for Winamp", "LEVEL"), std::to_string(level));
  EXPECT_EQ(IniValue(ini, "Stompara for Winamp", "MSD_PATH"), WindowsPath(folder));
  EXPECT_EQ(IniValue(ini, "Stompara for Winamp", "SHOW_FLAME"), "1");
  // The log of the last session: whole CR LF lines, from its start to its end.
  std::string log = ReadFile(folder + "/StomparaLog.txt");
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.find('\0'), std::string::npos);
  EXPECT_EQ(log.substr(log.size() - 2), "\r\n");
  std::vector<std::string> lines = ReadLines(folder + "/StomparaLog.txt");
  EXPECT_EQ(lines.front(), "Event log started.");
  EXPECT_EQ(lines.back(), "Event log shut down.");
}

}  // namespace
