// allocation_test.cpp -- a frame of play allocates nothing: 1000 frames, not one call to operator new.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "play/key_input.h"
#include "play/play_test_support.h"

namespace {
std::atomic<long> allocations{0};
}  // namespace

// Every allocation of this test program passes here and is counted. (GCC
// cannot see that these deletes pair with this new.)
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* block = std::malloc(size ? size : 1)) return block;
  throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  allocations.fetch_add(1, std::memory_order_relaxed);
  return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }

namespace {

TEST(Allocation, AThousandFramesOfPlayAllocateNothing) {
  ResetPlayField();
  std::snprintf(testSettings.msdPath, sizeof testSettings.msdPath, "C:\\charts");
  fake.files["C:\\charts\\Song.msd"] = "#BPM:300;\r\n#SINGLE:BASIC:3:\r\n" + std::string(2000, 'B') + ";\r\n";
  fake.fileNames[0] = "C:\\music\\Song.mp3";
  // The fake records what the game asks and draws: room made beforehand.
  fake.draws.reserve(200000);
  fake.requests.reserve(20000);
  testGame.frame.frameInterval = 25;
  fake.position = 1;
  PlayFrame(testGame);  // loads the chart: the one allocation of a song
  long before = allocations.load();
  for (int frame = 0; frame < 1000; ++frame) {
    fake.position = 25 * frame + 50;
    PlayFrame(testGame);
    if (frame % 3 == 0) OnGameKey(testGame, kKeyDownMessage, kDefaultKeys[frame % 4], 0);
  }
  EXPECT_EQ(allocations.load() - before, 0);
  EXPECT_NE(testGame.field.combo, 0);  // the frames did play: arrows spawned and were judged
}

}  // namespace

// A stream played live: the sound of clicks at 120 BPM, heard, locked on
// and charted, with not one allocation once it plays.
TEST(Allocation, AStreamPlayedLiveAllocatesNothing) {
  ResetPlayField();
  testSettings.autoChart = 1;
  fake.fileNames[0] = "http://radio.example/live";
  fake.draws.reserve(400000);
  fake.requests.reserve(40000);
  testGame.frame.frameInterval = 25;
  testGame.sound.sampleRate = 44100;
  testGame.sound.channels = 1;
  fake.position = 1;
  PlayFrame(testGame);  // the stream is seen: it is listened to from here
  long before = allocations.load();
  int spawned = 0;
  for (int frame = 0; frame < 1200; ++frame) {
    fake.position = 25 * frame + 50;
    for (int i = 0; i < kWaveformSamples; ++i) {
      int sinceBeat = (fake.position * 441 / 10 + i) % 22050;  // a click every 500 ms
      testGame.sound.waveform[0][i] = int8_t(sinceBeat < 200 ? (sinceBeat % 20 < 10 ? 90 : -90) : 0);
    }
    PlayFrame(testGame);
    for (const Lane& lane : testGame.field.lanes) spawned += lane.writeIndex != lane.retireIndex;
  }
  EXPECT_EQ(allocations.load() - before, 0);
  EXPECT_GT(spawned, 0) << "the frames did spawn arrows";
}
