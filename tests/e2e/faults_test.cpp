// faults_test.cpp -- Windows calls that fail: the plug-in copes, lets go of all it made, and starts again.
#include <gtest/gtest.h>

#include <future>
#include <string>
#include <vector>

#include "e2e/host_support.h"

namespace {

struct FaultRun {
  std::string fault;
  HostRun run;
};

// One session with `fault` in force (a chart playing, the fire on, the log
// on), then, once every call succeeds again, a second session in the same
// process. Resources are journalled after each Quit.
FaultRun RunWithFault(const std::string& fault, int index) {
  std::string folder = MakePluginFolder("fault-" + std::to_string(index));
  WriteFile(folder + "/Song.msd", "#BPM:120;\r\n#SINGLE:BASIC:3:\r\n4286428642864286;\r\n");
  WriteFile(folder + "/plugin.ini", "[Stompara for Winamp]\r\nWRITE_LOG=1\r\nSHOW_FLAME=1\r\nMSD_PATH=" +
                                        WindowsPath(folder) + "\r\n");
  FaultRun result = {fault, RunHost(folder, "fault " + fault + "\nplaylist C:\\Music\\Song.mp3\n0 play\n"
                                            "800 quit\n850 resources\n900 unfault\n1000 init\n2500 quit\n"
                                            "2550 resources\n")};
  return result;
}

TEST(Faults, EveryFailingCallIsSurvivedAndReleasedAndTheNextInitWorks) {
  // Each function failing from its first call, and a few failing later, in
  // the middle of Init's work (the second DC, the third bitmap, ...).
  const std::vector<std::string> faults = {
      "CreateCompatibleDC",  "CreateCompatibleDC 2", "CreateCompatibleDC 4",   "CreateCompatibleBitmap",
      "CreateDIBSection",    "CreateDIBSection 2",   "CreateFontIndirectA",    "LoadBitmapA",
      "LoadBitmapA 3",       "CreateWindowExA",      "CreateThread",           "CreateFileA",
      "CreateFileA 2",       "ReadFile",             "WriteFile",              "WritePrivateProfileStringA",
      "GlobalAlloc",
  };
  // Four at a time side by side.
  std::vector<FaultRun> results;
  for (size_t first = 0; first < faults.size(); first += 4) {
    std::vector<std::future<FaultRun>> runs;
    for (size_t i = first; i < faults.size() && i < first + 4; ++i)
      runs.push_back(std::async(std::launch::async, RunWithFault, faults[i], int(i)));
    for (auto& pending : runs) results.push_back(pending.get());
  }
  for (const FaultRun& result : results) {
    const HostRun& run = result.run;
    const std::string& name = result.fault;
    // The harness lived to the end, and its last Init succeeded.
    ASSERT_EQ(run.exitCode, 0) << name << ": " << run.stderrText;
    std::vector<JournalEvent> inits = EventsNamed(run, "init");
    ASSERT_EQ(inits.size(), 2u) << name;
    EXPECT_EQ(inits[1].at("result"), "0") << name;
    // A failed Init says why.
    if (inits[0].at("result") != "0") {
      EXPECT_FALSE(EventsNamed(run, "message-box").empty()) << name;
    }
    // Each Quit let go of every GDI object and handle its session made.
    std::vector<JournalEvent> resources = EventsNamed(run, "resources");
    ASSERT_EQ(resources.size(), 2u) << name;
    for (const JournalEvent& held : resources) {
      EXPECT_EQ(held.at("heldGdi"), "0") << name;
      EXPECT_EQ(held.at("heldHandles"), "0") << name;
    }
    // The fault was in force, and the second session drew frames.
    std::vector<JournalEvent> unfault = EventsNamed(run, "unfault");
    ASSERT_EQ(unfault.size(), 1u) << name;
    EXPECT_NE(unfault[0].at("failed"), "0") << name;
    int rendersAfterSecondInit = 0;
    int initsSeen = 0;
    for (const JournalEvent& event : run.journal) {
      if (event.count("event") == 0) continue;
      initsSeen += event.at("event") == "init";
      rendersAfterSecondInit += initsSeen == 2 && event.at("event") == "render" && event.at("result") == "0";
    }
    EXPECT_GT(rendersAfterSecondInit, 5) << name;
  }
}

}  // namespace
