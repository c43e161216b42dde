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

// The first seconds of a song as mono samples, however it was decoded.
struct MonoSink final : FrameSink {
  int channels = 0, sampleRate = 0;
  std::vector<float> mono;
  bool Start(int rate, int count, std::string&) override {
    sampleRate = rate, channels = count;
    return true;
  }
  void Take(const float* frames, size_t count) override {
    for (size_t i = 0; i < count && mono.size() < 4 * 44100; ++i) {
      float sum = 0;
      for (int c = 0; c < channels; ++c) sum += frames[i * size_t(channels) + size_t(c)];
      mono.push_back(sum);
    }
  }
};

MonoSink DecodeMono(const wchar_t* name) {
  MonoSink sink;
  std::atomic<bool> cancel(false);
  std::atomic<int32_t> percent(0);
  std::string error;
  EXPECT_EQ(DecodeSongFile(TestFile(name).c_str(), sink, cancel, percent, error), DecodeResult::kDecoded) << error;
  return sink;
}

// The shift, in samples, that best lines `song` up with `reference`.
int BestLag(const std::vector<float>& reference, const std::vector<float>& song) {
  int best = 0;
  double bestScore = -1e300;
  for (int lag = -3000; lag <= 3000; ++lag) {
    double score = 0;
    for (size_t i = 3000; i + 3000 < reference.size() && i + 3000 < song.size(); i += 2)
      score += double(reference[i]) * song[size_t(int(i) + lag)];
    if (score > bestScore) bestScore = score, best = lag;
  }
  return best;
}

// Each decoder's samples sit where the WAV's do: its first is the WAV's
// first. FLAC and M4A go through Media Foundation (here Wine's, whose
// GStreamer drops one sample less of AAC's 1024 of priming than it times;
// the M4A's edit list says 1024, and FFmpeg's own decode lines up exactly).
TEST(SongDecoder, EveryFormatsSamplesLineUpWithTheWavs) {
  MonoSink wav = DecodeMono(L"clicks.wav");
  struct Case {
    const wchar_t* name;
    int most;  // samples off
  } cases[] = {{L"clicks_adpcm.wav", 0}, {L"clicks.mp3", 0}, {L"clicks.ogg", 0}, {L"clicks.flac", 0},
               {L"clicks.m4a", 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::string(c.name, c.name + wcslen(c.name)));
    MonoSink song = DecodeMono(c.name);
    ASSERT_EQ(song.sampleRate, 44100);
    int lag = BestLag(wav.mono, song.mono);
    std::printf("  %ls: %+d samples against the WAV\n", c.name, lag);
    EXPECT_LE(std::abs(lag), c.most);
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
      {L"garbage.flac", "fLaC" + garbage, "a FLAC file"},
      {L"garbage.m4a", std::string("\0\0\0\x10" "ftypM4A \0\0\0\0", 16) + garbage, "an MPEG-4 (M4A) file"},
  };
  for (const Case& c : cases) {
    std::wstring path = TestFile(c.name);
    WriteFileBytes(path, c.bytes);
    Decoded d = DecodeFile(path);
    EXPECT_EQ(d.result, DecodeResult::kFailed) << c.error;
    // Media Foundation, tried last, adds why it could not read the file.
    std::string expected = c.error;
    if (d.error != expected) EXPECT_EQ(d.error.substr(0, expected.size() + 6), expected + ", and ");
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
// A broken Ogg goes on to Media Foundation, whose reader under Wine closes
// the file some time after the decode: each damaged song is a file of its
// own.
TEST(SongDecoder, DamagedFilesThroughTheCodecsEndInAResult) {
  struct Case {
    const wchar_t* name;
    size_t from, to;  // the bytes damaged
  } cases[] = {{L"clicks_adpcm.wav", 20, 90}, {L"clicks.mp3", 45, 3000}, {L"clicks.ogg", 0, 4000}};
  for (const Case& c : cases) {
    std::string song = ReadFileBytes(TestFile(c.name), 20000);
    ASSERT_GT(song.size(), c.to);
    uint32_t random = 12345;
    for (int i = 0; i < 60; ++i) {
      std::string damaged = song;
      for (int k = 0; k < 4; ++k) {
        random = random * 1103515245 + 12345;
        damaged[c.from + (random >> 8) % (c.to - c.from)] = char(random >> 24);
      }
      std::wstring path = TestFile((L"damaged-" + std::to_wstring(i) + L"-" + c.name).c_str());
      WriteFileBytes(path, damaged);
      Decoded d = DecodeFile(path);
      EXPECT_TRUE(d.result == DecodeResult::kDecoded || !d.error.empty()) << i;
      DeleteFileW(path.c_str());
    }
  }
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
