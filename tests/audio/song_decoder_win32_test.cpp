// song_decoder_win32_test.cpp -- songs of clicks at known times decoded through DecodeSongFile.
//
// The songs are made by tests/audio/make_test_songs.sh (CTest runs it first)
// in test_songs beside this program: 5 ms noise bursts every 500 ms from
// 250 ms, 15 s of 44.1 kHz stereo, in each format.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "audio/song_decoder_win32.h"
#include "autochart/analysis_sink.h"

namespace {

constexpr double kFirstClickMs = 250, kClickEveryMs = 500;
constexpr int kClicks = 30;

std::wstring TestFile(const wchar_t* name) {
  wchar_t exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring folder(exe);
  return folder.substr(0, folder.find_last_of(L'\\') + 1) + L"test_songs\\" + name;
}

struct Decoded {
  DecodeResult result;
  std::string error;
  double seconds = 0;
  int32_t percent = -1;
  AudioAnalysis analysis;
};

Decoded DecodeFile(const std::wstring& path) {
  Decoded out;
  AnalysisStream stream;
  AnalysisSink sink(stream);
  std::atomic<bool> cancel(false);
  std::atomic<int32_t> percent(-1);
  out.result = DecodeSongFile(path.c_str(), sink, cancel, percent, out.error);
  out.seconds = stream.SecondsFed();
  out.percent = percent.load();
  if (out.result == DecodeResult::kDecoded) stream.Finish(out.analysis);
  return out;
}

// Signed distance from each click before `untilMs` to the onset nearest it.
std::vector<double> ClickOffsets(const AudioAnalysis& analysis, double untilMs) {
  std::vector<double> offsets;
  for (int k = 0; k < kClicks && kFirstClickMs + k * kClickEveryMs < untilMs; ++k) {
    double click = kFirstClickMs + k * kClickEveryMs, best = 1e9;
    for (const Onset& onset : analysis.onsets)
      if (std::fabs(onset.ms - click) < std::fabs(best)) best = onset.ms - click;
    offsets.push_back(best);
  }
  return offsets;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD wrote = 0;
  WriteFile(file, bytes.data(), DWORD(bytes.size()), &wrote, nullptr);
  CloseHandle(file);
  ASSERT_EQ(wrote, bytes.size());
}

std::string ReadFileBytes(const std::wstring& path, size_t count) {
  std::string bytes(count, '\0');
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  DWORD got = 0;
  if (file != INVALID_HANDLE_VALUE) ReadFile(file, &bytes[0], DWORD(count), &got, nullptr), CloseHandle(file);
  bytes.resize(got);
  return bytes;
}

// A lossy codec spreads a burst's noise over its transform block, so some
// onsets come a few ms early (pre-echo; the decoded samples themselves line
// up with the WAV's to the sample). The median onset and the worst click
// still catch a delay dropped wrongly: the codec's 529 samples are 12 ms, the
// encoder's 576 another 13, the tag frame 26.
TEST(SongDecoder, EveryFormatPutsTheClicksWhereTheyWere) {
  struct Case {
    const wchar_t* name;
    double seconds;     // decoded
    double medianMs;    // the median onset is within this of its click
  } cases[] = {
      {L"clicks.wav", 15, 3},
      {L"clicks_adpcm.wav", 15, 3},
      {L"clicks.mp3", 15, 3},
      {L"clicks_22k.mp3", 15, 3},
      {L"clicks.ogg", 15, 5},
      {L"clicks_truncated.mp3", 9, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::string(c.name, c.name + wcslen(c.name)));
    Decoded d = DecodeFile(TestFile(c.name));
    ASSERT_EQ(d.result, DecodeResult::kDecoded) << d.error;
    EXPECT_EQ(d.percent, 100);
    EXPECT_NEAR(d.seconds, c.seconds, c.seconds < 15 ? 0.2 : 0.015);
    std::vector<double> offsets = ClickOffsets(d.analysis, d.seconds * 1000 - 100);
    ASSERT_GE(offsets.size(), 17u);
    for (double offset : offsets) EXPECT_LE(std::fabs(offset), 10.0);
    std::vector<double> sorted = offsets;
    std::sort(sorted.begin(), sorted.end());
    double median = sorted[sorted.size() / 2];
    EXPECT_LE(std::fabs(median), c.medianMs);
    std::printf("  %ls: %zu clicks, onset offset median %+.2f ms, from %+.2f to %+.2f; %.3f s decoded\n", c.name,
                offsets.size(), median, sorted.front(), sorted.back(), d.seconds);
  }
}

TEST(SongDecoder, FilesThatAreNoSongFailWithAReason) {
  std::string mp3 = ReadFileBytes(TestFile(L"clicks.mp3"), 2000);
  ASSERT_EQ(mp3.size(), 2000u);
  std::string garbage(100000, '\0');
  for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = char((i * 2654435761u) >> 13);
  std::string riff("RIFF\xff\xff\xff\xffWAVEfmt \x10\0\0\0", 20);
  struct Case {
    const wchar_t* name;
    std::string bytes;
    const char* error;
  } cases[] = {
      {L"empty.mp3", "", "the file is empty"},
      {L"garbage.mp3", garbage, "not an MP3, WAV or Ogg Vorbis file"},
      {L"tag_only.mp3", mp3.substr(0, 45) + garbage, "the MP3 file holds no audio"},
      {L"no_vorbis.ogg", "OggS" + garbage, "the Ogg file holds no Vorbis audio"},
      {L"no_data.wav", riff + std::string("\1\0\2\0\x44\xac\0\0\x10\xb1\2\0\4\0\x10\0", 16),
       "the WAV file holds no audio"},
      {L"empty_data.wav", riff + std::string("\1\0\2\0\x44\xac\0\0\x10\xb1\2\0\4\0\x10\0data\0\0\0\0", 24),
       "the file holds no audio"},
      {L"bad_format.wav", riff + std::string(16, '\0'), "the WAV file's channel count is not one it can play"},
  };
  for (const Case& c : cases) {
    std::wstring path = TestFile(c.name);
    WriteFileBytes(path, c.bytes);
    Decoded d = DecodeFile(path);
    EXPECT_EQ(d.result, DecodeResult::kFailed) << c.error;
    EXPECT_EQ(d.error, c.error);
    DeleteFileW(path.c_str());
  }
  Decoded missing = DecodeFile(TestFile(L"no such song.mp3"));
  EXPECT_EQ(missing.result, DecodeResult::kFailed);
  EXPECT_EQ(missing.error, "the file cannot be opened");
}

// A sink that cannot take the song's format stops each decoder before any
// frame, and its reason is the decode's.
TEST(SongDecoder, ASinkRefusingTheFormatFailsTheDecode) {
  struct RefusingSink final : FrameSink {
    int sampleRate = 0, channels = 0;
    size_t frames = 0;
    bool Start(int rate, int count, std::string& error) override {
      sampleRate = rate, channels = count;
      error = "the sink takes no such format";
      return false;
    }
    void Take(const float*, size_t count) override { frames += count; }
  };
  for (const wchar_t* name : {L"clicks.wav", L"clicks_adpcm.wav", L"clicks.mp3", L"clicks.ogg"}) {
    RefusingSink sink;
    std::atomic<bool> cancel(false);
    std::atomic<int32_t> percent(0);
    std::string error;
    EXPECT_EQ(DecodeSongFile(TestFile(name).c_str(), sink, cancel, percent, error), DecodeResult::kFailed);
    EXPECT_EQ(error, "the sink takes no such format");
    EXPECT_EQ(sink.sampleRate, 44100);
    EXPECT_EQ(sink.channels, 2);
    EXPECT_EQ(sink.frames, 0u);
  }
}

// Broken headers and frames reach the system's codecs: a decode ends in a
// result, never a crash. Bytes of each song's start are overwritten in turn.
TEST(SongDecoder, DamagedFilesThroughTheCodecsEndInAResult) {
  struct Case {
    const wchar_t* name;
    size_t from, to;  // the bytes damaged
  } cases[] = {{L"clicks_adpcm.wav", 20, 90}, {L"clicks.mp3", 45, 3000}};
  std::wstring path = TestFile(L"damaged.bin");
  for (const Case& c : cases) {
    std::string song = ReadFileBytes(TestFile(c.name), 20000);
    ASSERT_EQ(song.size(), 20000u);
    uint32_t random = 12345;
    for (int i = 0; i < 60; ++i) {
      std::string damaged = song;
      for (int k = 0; k < 4; ++k) {
        random = random * 1103515245 + 12345;
        damaged[c.from + (random >> 8) % (c.to - c.from)] = char(random >> 24);
      }
      WriteFileBytes(path, damaged);
      Decoded d = DecodeFile(path);
      EXPECT_TRUE(d.result == DecodeResult::kDecoded || !d.error.empty()) << i;
    }
  }
  DeleteFileW(path.c_str());
}

// A 5-minute 8 kHz 8-bit mono WAV: long enough to be cancelled halfway.
std::string LongQuietWav() {
  constexpr uint32_t kBytes = 8000 * 300;
  std::string wav("RIFF\0\0\0\0WAVEfmt \x10\0\0\0\1\0\1\0\x40\x1f\0\0\x40\x1f\0\0\1\0\x08\0data", 40);
  for (int i = 0; i < 4; ++i) wav += char((kBytes >> (8 * i)) & 0xFF);
  wav.resize(wav.size() + kBytes, char(0x80));
  return wav;
}

TEST(SongDecoder, CancelStopsTheDecoding) {
  std::wstring path = TestFile(L"long.wav");
  WriteFileBytes(path, LongQuietWav());
  AnalysisStream stream;
  AnalysisSink sink(stream);
  std::atomic<bool> cancel(true);
  std::atomic<int32_t> percent(0);
  std::string error;
  EXPECT_EQ(DecodeSongFile(path.c_str(), sink, cancel, percent, error), DecodeResult::kCancelled);
  EXPECT_EQ(stream.SecondsFed(), 0);

  // From another thread, once the reading has begun.
  AnalysisStream second;
  AnalysisSink secondSink(second);
  cancel = false;
  LARGE_INTEGER frequency, cancelledAt, returnedAt;
  QueryPerformanceFrequency(&frequency);
  std::thread canceller([&] {
    while (percent.load() < 1) Sleep(0);
    QueryPerformanceCounter(&cancelledAt);
    cancel = true;
  });
  DecodeResult result = DecodeSongFile(path.c_str(), secondSink, cancel, percent, error);
  QueryPerformanceCounter(&returnedAt);
  canceller.join();
  EXPECT_EQ(result, DecodeResult::kCancelled);
  EXPECT_LT(second.SecondsFed(), 250);
  std::printf("  returned %.1f ms after the cancel, %.1f s of 300 decoded\n",
              1000.0 * double(returnedAt.QuadPart - cancelledAt.QuadPart) / double(frequency.QuadPart),
              second.SecondsFed());
  DeleteFileW(path.c_str());
}

// By hand (make_test_songs.sh FOLDER --bench first): a 4-minute MP3 decoded and analysed.
TEST(SongDecoder, DISABLED_FourMinuteMp3Speed) {
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  Decoded d = DecodeFile(TestFile(L"song_4min.mp3"));
  QueryPerformanceCounter(&end);
  ASSERT_EQ(d.result, DecodeResult::kDecoded) << d.error;
  std::printf("  %.1f s of song decoded and analysed in %.2f s, %zu onsets\n", d.seconds,
              double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart), d.analysis.onsets.size());
}

}  // namespace
