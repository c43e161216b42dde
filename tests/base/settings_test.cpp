// settings_test.cpp -- file names beside the module and the settings' defaults.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "base/settings.h"

namespace {

struct BesideCase {
  std::string modulePath;
  const char* fileName;
  int result;
  std::string expected;
};

TEST(BesideModulePath, CutsAfterTheLastBackslashAndRefusesWhatDoesNotFit) {
  std::string folder249 = "C:\\" + std::string(245, 'f') + "\\";
  const BesideCase cases[] = {
      {"C:\\Program Files\\Winamp\\Plugins\\vis_stompara.dll", "plugin.ini", 1,
       "C:\\Program Files\\Winamp\\Plugins\\plugin.ini"},
      {"Z:\\a.b\\c\\vis.dll", "StomparaLog.txt", 1, "Z:\\a.b\\c\\StomparaLog.txt"},
      {"vis_stompara.dll", "plugin.ini", 1, "plugin.ini"},  // no backslash: the bare name
      {"C:\\", "plugin.ini", 1, "C:\\plugin.ini"},
      {folder249 + "vis.dll", "plugin.ini", 1, folder249 + "plugin.ini"},  // exactly 259
      {folder249 + "x\\vis.dll", "plugin.ini", 0, ""},                      // 261: refused
      {folder249 + "vis.dll", "plugin.ini!", 0, ""},                        // 260: no room for the terminator
  };
  for (const BesideCase& c : cases) {
    char out[kPathSize];
    std::memset(out, 'x', sizeof out);
    EXPECT_EQ(BuildBesideModulePath(c.modulePath.c_str(), c.fileName, out), c.result) << c.modulePath;
    EXPECT_EQ(std::string(out), c.expected) << c.modulePath;
  }
}

TEST(Settings, ResetGivesTheValuesOfMissingKeys) {
  WRITE_LOG = 1;
  SCREEN_X = -7;
  SCREEN_Y = 9;
  std::snprintf(MSD_PATH, kPathSize, "C:\\charts");
  LEVEL = 2;
  SHOW_FLAME = 1;
  AUTO_CHART = 0;
  ResetSettings();
  EXPECT_EQ(WRITE_LOG, 0);
  EXPECT_EQ(SCREEN_X, 100);
  EXPECT_EQ(SCREEN_Y, 100);
  EXPECT_STREQ(MSD_PATH, "");
  EXPECT_EQ(LEVEL, 0);
  EXPECT_EQ(SHOW_FLAME.load(), 0);
  EXPECT_EQ(AUTO_CHART, 1);
}

}  // namespace
