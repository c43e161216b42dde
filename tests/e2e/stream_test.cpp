// stream_test.cpp -- the harness plays a stream: its sound handed to the plug-in before each Render, its titles.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>

#include "e2e/host_support.h"

namespace {

constexpr int kRate = 8000;
constexpr int kFrames = 12000;      // 1.5 s
constexpr int kClickFrame = 8000;   // at 1000 ms, 80 frames (10 ms) long
constexpr int kSineBin = 48;        // the right channel's sine: bin 48 of 1152 at 8000 Hz
constexpr int kWindowMs = 576 * 1000 / kRate;  // what one waveform row spans: 72 ms

// A 16-bit stereo WAV: a click on the left, a steady sine on the right.
std::string ClickWav() {
  auto little = [](uint32_t value, int bytes) {
    std::string text;
    for (int i = 0; i < bytes; ++i) text += char(value >> (8 * i) & 0xFF);
    return text;
  };
  std::string data;
  for (int frame = 0; frame < kFrames; ++frame) {
    int left = frame >= kClickFrame && frame < kClickFrame + 80 ? 0x4000 : 0;
    int right = int(std::lround(0x4000 * std::sin(2 * 3.14159265358979 * kSineBin * frame / 1152.0)));
    data += little(uint32_t(left) & 0xFFFF, 2) + little(uint32_t(right) & 0xFFFF, 2);
  }
  return "RIFF" + little(uint32_t(36 + data.size()), 4) + "WAVEfmt " + little(16, 4) + little(1, 2) + little(2, 2) +
         little(kRate, 4) + little(kRate * 4, 4) + little(4, 2) + little(16, 2) + "data" +
         little(uint32_t(data.size()), 4) + data;
}

// One line of the plug-in's record (tests/tools/host/stream_plugin_win32.cpp).
struct Seen {
  int position, click, loudestBin, rate, channels, keys;
  std::string title;
};

std::vector<Seen> ReadRecord(const std::string& path) {
  std::vector<Seen> seen;
  for (const std::string& line : ReadLines(path)) {
    std::istringstream words(line);
    Seen each;
    words >> each.position >> each.click >> each.loudestBin >> each.rate >> each.channels >> each.keys;
    std::getline(words >> std::ws, each.title);
    seen.push_back(each);
  }
  return seen;
}

// The plug-in's record and log come from tests/tools/host/stream_plugin_win32.cpp.
TEST(Stream, SoundTitlesAndLiveArrowsReachThePlugIn) {
  std::string folder = MakePluginFolder("stream");
  WriteFile(folder + "/stream_plugin.dll", ReadFile(Tested().build + "/stream_plugin.dll"));
  WriteFile(folder + "/click.wav", ClickWav());
  WriteFile(folder + "/scenario.txt", "frame-ms 20\nplaylist http://radio.example/live\nsound " +
                                          WindowsPath(folder + "/click.wav") + "\nautoplay-live " +
                                          WindowsPath(folder + "/StreamLog.txt") +
                                          "\n0 play\n1300 title 0 Artist - Song Two\n4500 quit\n");
  HostRun run = RunHostWithArguments(folder, "--journal journal.jsonl stream_plugin.dll scenario.txt");
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;

  int clicks = 0;
  std::vector<Seen> record = ReadRecord(folder + "/stream_plugin.txt");
  for (const Seen& each : record) {
    // A Render before the play, or the one the play came during (handed
    // the silence of a stopped player).
    if (each.position < 25) continue;
    EXPECT_EQ(each.rate, kRate);
    EXPECT_EQ(each.channels, 2);
    // Where the row starts, by the click's place in it: the position the
    // harness answers (up to 15 ms may pass between the row and the
    // request on a busy machine).
    if (each.click >= 0) {
      ++clicks;
      EXPECT_NEAR(each.position + each.click * 1000 / kRate, 1000, 15) << each.position;
    } else {
      EXPECT_TRUE(each.position < 1000 - kWindowMs + 15 || each.position > 1005) << each.position;
    }
    if (each.position < 1500 - kWindowMs - 15) {
      EXPECT_EQ(each.loudestBin, kSineBin) << each.position;
    } else if (each.position > 1515) {
      EXPECT_EQ(each.loudestBin, -1) << each.position;  // past the sound's end
    }
    if (std::abs(each.position - 1300) > 50) {
      EXPECT_EQ(each.title, each.position < 1300 ? "http://radio.example/live" : "Artist - Song Two")
          << each.position;
    }
  }
  EXPECT_GE(clicks, 2);
  // The live arrows "1" (left, down) and "6" (right), pressed once each
  // about 2.9 s after they spawned.
  std::string lanes;
  for (const JournalEvent& press : EventsNamed(run, "autoplay-press")) lanes += press.at("lane");
  EXPECT_EQ(lanes, "013");
  ASSERT_FALSE(record.empty());
  EXPECT_EQ(record.back().keys, 3);
  std::vector<JournalEvent> autoplayEnd = EventsNamed(run, "autoplay-end");
  ASSERT_EQ(autoplayEnd.size(), 1u);
  EXPECT_EQ(autoplayEnd[0]["arrows"], "3");
  std::vector<JournalEvent> sounds = EventsNamed(run, "sound");
  ASSERT_EQ(sounds.size(), 1u);
  EXPECT_EQ(sounds[0]["rate"], "8000");
  EXPECT_EQ(sounds[0]["channels"], "2");
  EXPECT_EQ(sounds[0]["frames"], std::to_string(kFrames));
  std::vector<JournalEvent> ends = EventsNamed(run, "end");
  ASSERT_EQ(ends.size(), 1u);
  EXPECT_GT(std::atoi(ends[0]["requests212"].c_str()), 40);

  WriteFile(folder + "/scenario.txt", "playlist C:\\a.mp3\nsound C:\\no\\such.wav\n0 play\n");
  HostRun missing = RunHostWithArguments(folder, "--journal journal.jsonl stream_plugin.dll scenario.txt");
  EXPECT_EQ(missing.exitCode, 65);
  EXPECT_NE(missing.stderrText.find("sound C:\\no\\such.wav cannot be read"), std::string::npos) << missing.stderrText;
}

}  // namespace
