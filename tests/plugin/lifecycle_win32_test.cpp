// lifecycle_win32_test.cpp -- the callbacks when a host breaks the calling order.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "log/event_log.h"
#include "log/log_file.h"
#include "plugin/plugin_win32.h"
#include "settings/settings.h"
#include "settings/settings_win32.h"

namespace {

// A module record whose files live beside this test program.
winampVisModule TestModule(HWND parent) {
  static char description[] = "Stompara for Winamp";
  winampVisModule module = {};
  module.description = description;
  module.hwndParent = parent;
  module.hDllInstance = GetModuleHandleA(nullptr);
  return module;
}

std::string BesideTest(const char* name) {
  char path[kPathSize];
  BesideModulePath(GetModuleHandleA(nullptr), name, path);
  return path;
}

std::string FileText(const std::string& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

TEST(Lifecycle, QuitWithoutInitKeepsTheSettingsFileAndRenderDrawsNothing) {
  const std::string ini = BesideTest("plugin.ini");
  const std::string saved = "[Stompara for Winamp]\r\nLEVEL=2\r\nMSD_PATH=C:\\charts\r\n";
  std::ofstream(ini, std::ios::binary) << saved;
  winampVisModule module = TestModule(nullptr);
  EXPECT_EQ(Render(&module), 1) << "no game window: nothing to draw on";
  Quit(&module);
  EXPECT_EQ(FileText(ini), saved);
  DeleteFileA(ini.c_str());
}

TEST(Lifecycle, QuitClosesALogThatConfigSwitchedOff) {
  winampVisModule module = TestModule(nullptr);
  Settings& settings = PluginOf(&module).settings;
  settings.writeLog = 1;
  ChooseSettingsFolder(settings, &module);
  char path[kPathSize];
  ASSERT_EQ(LogFilePath(settings, path), 1);
  ASSERT_EQ(OpenLog(path), 1);
  settings.writeLog = 0;
  SetLogLinesOn(false);
  Quit(&module);
  const std::string log = BesideTest("StomparaLog.txt");
  EXPECT_TRUE(DeleteFileA(log.c_str())) << "the log is still open";
}

TEST(Lifecycle, FailedWindowCreationUnregistersTheClass) {
  HWND bogusOwner = reinterpret_cast<HWND>(uintptr_t(0x7FFF0001));
  winampVisModule module = TestModule(bogusOwner);
  EXPECT_EQ(Init(&module), 1);
  WNDCLASSA found;
  EXPECT_FALSE(GetClassInfoA(module.hDllInstance, "WinampStompara", &found))
      << "a later Init could not register it again";
}

}  // namespace
