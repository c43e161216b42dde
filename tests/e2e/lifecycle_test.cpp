// lifecycle_test.cpp -- the shell where hosts and machines differ from the player's usual ways.
#include <gtest/gtest.h>

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

}  // namespace
