// lifecycle_test.cpp -- the shell where hosts and machines differ from the player's usual ways.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "e2e/host_support.h"

namespace {

// The system's default position (CW_USEDEFAULT) as a saved position: the
// window opens where the system puts it, and that place is what is saved.
TEST(Lifecycle, WindowAtTheSystemsDefaultPlaceSavesWhereItReallyIs) {
  std::string folder = MakePluginFolder("default-place");
  WriteFile(folder + "/plugin.ini",
            "[Stompara for Winamp]\r\nSCREEN_X=-2147483648\r\nSCREEN_Y=-2147483648\r\n");
  HostRun run = RunHost(folder, "0 play\n300 probe\n400 quit\n");
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  std::vector<JournalEvent> windows = EventsNamed(run, "window");
  ASSERT_EQ(windows.size(), 1u);
  std::string ini = ReadFile(folder + "/plugin.ini");
  EXPECT_EQ(IniValue(ini, "Stompara for Winamp", "SCREEN_X"), windows[0]["x"]);
  EXPECT_EQ(IniValue(ini, "Stompara for Winamp", "SCREEN_Y"), windows[0]["y"]);
  EXPECT_NE(windows[0]["x"], "-2147483648");
}

// A saved place no monitor shows: the window opens in view, says so in the
// log, and the place it really has is what is saved.
TEST(Lifecycle, WindowSavedOffEveryScreenOpensInView) {
  std::string folder = MakePluginFolder("off-screen");
  WriteFile(folder + "/plugin.ini",
            "[Stompara for Winamp]\r\nWRITE_LOG=1\r\nSCREEN_X=-99999\r\nSCREEN_Y=-99999\r\n");
  HostRun run = RunHost(folder, "0 play\n300 probe\n400 quit\n");
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  JournalEvent window = EventsNamed(run, "window").at(0);
  int x = std::stoi(window["x"]), y = std::stoi(window["y"]);
  // The virtual display is 1024 x 768.
  EXPECT_GE(x, 0);
  EXPECT_GE(y, 0);
  EXPECT_LE(x + std::stoi(window["width"]), 1024);
  EXPECT_LE(y + std::stoi(window["height"]), 768);
  std::vector<std::string> log = ReadLines(folder + "/StomparaLog.txt");
  std::string moved = "Saved place (-99999, -99999) is off every screen: window opened at (" +
                      std::to_string(x) + ", " + std::to_string(y) + ").";
  EXPECT_NE(std::find(log.begin(), log.end(), moved), log.end()) << moved;
  EXPECT_EQ(IniValue(ReadFile(folder + "/plugin.ini"), "Stompara for Winamp", "SCREEN_X"), window["x"]);
}

// A player under Program Files cannot write its plug-ins' folder: the
// settings and the log then live in the Plugins folder of the player's own
// settings folder (request 335) or, when the player does not tell it, in the
// user's application data folder; read from and written to the same file.
TEST(Lifecycle, UnwritableModuleFolderKeepsSettingsAndLogWhereThePlayerKeepsThem) {
  std::string folder = MakePluginFolder("read-only");
  std::string plugins = folder + "/Plugins";  // the module's folder; the harness runs above it
  std::system(("mkdir -p '" + plugins + "' && mv '" + folder + "/vis_stompara.dll' '" + plugins + "/'").c_str());
  struct Case { std::string header, settings; };
  const Case cases[] = {
      {"settings-folder " + WindowsPath(folder + "/player") + "\n", folder + "/player/Plugins"},
      {"settings-folder none\n", Tested().prefix + "/drive_c/users/root/AppData/Roaming/Stompara"},
  };
  for (const Case& c : cases) {
    std::system(("rm -rf '" + c.settings + "' && mkdir -p '" + c.settings + "'").c_str());
    WriteFile(c.settings + "/plugin.ini", "[Stompara for Winamp]\r\nWRITE_LOG=1\r\nSCREEN_X=150\r\nSCREEN_Y=120\r\n");
    WriteFile(folder + "/scenario.txt", c.header + "0 play\n300 probe\n400 move 170 130\n500 quit\n");
    HostRun run;
    {
      ReadOnlyFolder readOnly(plugins);
      ASSERT_TRUE(readOnly.mounted());
      run = RunHostWithArguments(folder, "--journal journal.jsonl Plugins/vis_stompara.dll scenario.txt");
    }
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_TRUE(EventsNamed(run, "message-box").empty()) << "no \"Log file create failed!\"";
    JournalEvent window = EventsNamed(run, "window").at(0);
    EXPECT_EQ(window["x"], "150") << c.settings;
    EXPECT_EQ(window["y"], "120") << c.settings;
    EXPECT_EQ(IniValue(ReadFile(c.settings + "/plugin.ini"), "Stompara for Winamp", "SCREEN_X"), "170");
    EXPECT_FALSE(ReadLines(c.settings + "/StomparaLog.txt").empty()) << c.settings;
    EXPECT_FALSE(FileExists(plugins + "/plugin.ini"));
  }
}

// The player's ANSI name of a song (request 211) loses characters its code
// page lacks; its wide name (request 214) still finds the chart.
TEST(Lifecycle, SongNamedInWideCharactersFindsItsChart) {
  std::string folder = MakePluginFolder("wide-names");
  WriteFile(folder + "/T\u014dky\u014d Drift.msd", "#BPM:120;\r\n#SINGLE:BASIC:3:\r\n4000;\r\n");
  WriteFile(folder + "/plugin.ini", "[Stompara for Winamp]\r\nAUTO_CHART=0\r\nMSD_PATH=" + WindowsPath(folder) + "\r\n");
  for (const char* wide : {"on", "off"}) {
    HostRun run = RunHost(folder, std::string("wide-names ") + wide +
                                      "\nplaylist C:\\Music\\T\u014dky\u014d Drift.mp3\n0 play\n500 quit\n");
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    std::vector<JournalEvent> boxes = EventsNamed(run, "message-box");
    if (std::string(wide) == "on") {
      EXPECT_TRUE(boxes.empty()) << boxes.at(0)["text"];
      EXPECT_EQ(EventsNamed(run, "render").back()["result"], "0");
    } else {
      ASSERT_EQ(boxes.size(), 1u) << "the ANSI name alone finds no chart";
      EXPECT_EQ(boxes[0]["text"].find("Cannot open msd file - "), 0u);
    }
  }
}

}  // namespace
