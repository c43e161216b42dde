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

// The module's folder made truly read-only for the test's length: root
// writes through file modes, not through a read-only mount.
class ReadOnlyFolder {
 public:
  explicit ReadOnlyFolder(const std::string& folder) : folder_(folder) {
    std::string quoted = "'" + folder + "'";
    mounted_ = std::system(("mount --bind " + quoted + " " + quoted + " && mount -o remount,bind,ro " +
                            quoted + " " + quoted).c_str()) == 0;
  }
  ~ReadOnlyFolder() {
    if (mounted_) std::system(("umount '" + folder_ + "'").c_str());
  }
  bool mounted() const { return mounted_; }

 private:
  std::string folder_;
  bool mounted_;
};

// A player under Program Files cannot write its plug-ins' folder: the
// settings and the log then live in the user's application data folder,
// read from and written to the same file.
TEST(Lifecycle, UnwritableModuleFolderKeepsSettingsAndLogInTheUsersFolder) {
  // The harness runs in `folder`; the player's plug-ins folder is inside it.
  std::string folder = MakePluginFolder("read-only");
  std::string plugins = folder + "/Plugins";
  std::system(("mkdir -p '" + plugins + "' && mv '" + folder + "/vis_stompara.dll' '" + plugins + "/'").c_str());
  WriteFile(folder + "/scenario.txt", "0 play\n300 probe\n400 move 170 130\n500 quit\n");
  std::string users = STOMPARA_SOURCE_DIR "/build/wineprefix/drive_c/users/root/AppData/Roaming/Stompara";
  std::system(("rm -rf '" + users + "' && mkdir -p '" + users + "'").c_str());
  WriteFile(users + "/plugin.ini", "[Stompara for Winamp]\r\nWRITE_LOG=1\r\nSCREEN_X=150\r\nSCREEN_Y=120\r\n");
  HostRun run;
  {
    ReadOnlyFolder readOnly(plugins);
    ASSERT_TRUE(readOnly.mounted());
    run = RunHostWithArguments(folder, "--journal journal.jsonl Plugins/vis_stompara.dll scenario.txt");
  }
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  EXPECT_TRUE(EventsNamed(run, "message-box").empty()) << "no \"Log file create failed!\"";
  JournalEvent window = EventsNamed(run, "window").at(0);
  EXPECT_EQ(window["x"], "150");
  EXPECT_EQ(window["y"], "120");
  std::string ini = ReadFile(users + "/plugin.ini");
  EXPECT_EQ(IniValue(ini, "Stompara for Winamp", "SCREEN_X"), "170");
  EXPECT_FALSE(ReadLines(users + "/StomparaLog.txt").empty());
  EXPECT_FALSE(FileExists(plugins + "/plugin.ini"));
}

}  // namespace
