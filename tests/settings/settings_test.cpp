// settings_test.cpp -- file names beside the module and the settings' defaults.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "settings/settings.h"

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
  Settings settings;
  settings.writeLog = 1;
  settings.screenX = -7;
  settings.screenY = 9;
  std::snprintf(settings.msdPath, kPathSize, "C:\\charts");
  settings.level = 2;
  settings.showFlame = 1;
  settings.autoChart = 0;
  ResetSettings(settings);
  EXPECT_EQ(settings.writeLog, 0);
  EXPECT_EQ(settings.screenX, 100);
  EXPECT_EQ(settings.screenY, 100);
  EXPECT_STREQ(settings.msdPath, "");
  EXPECT_EQ(settings.level, 0);
  EXPECT_EQ(settings.showFlame.load(), 0);
  EXPECT_EQ(settings.autoChart, 1);
}

}  // namespace
