// vis_sound_test.cpp -- the WAV files the harness takes as an entry's sound.
//
// What the plug-in is handed of them (the waveform at the position, the
// spectrum's bins) tests/e2e/stream_test.cpp checks through a test plug-in.
#include "tools/host/vis_sound.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

std::string Little(uint32_t value, int bytes) {
  std::string text;
  for (int i = 0; i < bytes; ++i) text += char(value >> (8 * i) & 0xFF);
  return text;
}

std::string Wav(uint32_t tag, uint32_t channels, uint32_t bits, const std::vector<int16_t>& samples) {
  std::string data;
  for (int16_t sample : samples) data += Little(uint16_t(sample), 2);
  std::string format = Little(tag, 2) + Little(channels, 2) + Little(1000, 4) + Little(2000 * channels, 4) +
                       Little(2 * channels, 2) + Little(bits, 2);
  return "RIFF" + Little(uint32_t(20 + format.size() + data.size()), 4) + "WAVE" + "LIST" + Little(3, 4) +
         "abc" + std::string(1, '\0') + "fmt " + Little(uint32_t(format.size()), 4) + format + "data" +
         Little(uint32_t(data.size()), 4) + data;
}

TEST(VisSound, ReadsSixteenBitPcmAndRejectsTheRest) {
  VisSound sound;
  std::string error;
  // An odd-sized chunk before the format is skipped with its pad byte.
  ASSERT_TRUE(ReadVisSound(Wav(1, 2, 16, {1, -2, 0x1234, -0x1234, 7}), sound, error)) << error;
  EXPECT_EQ(sound.rate, 1000);
  EXPECT_EQ(sound.channels, 2);
  EXPECT_EQ(sound.frames(), 2);  // the odd sample is half a frame
  EXPECT_EQ(sound.samples[3], -0x1234);
  EXPECT_EQ(FrameAt(1001, 44100), 44144);
  EXPECT_EQ(FrameAt(-1, 44100), -45);  // rounded down, not towards 0
  const std::pair<std::string, const char*> bad[] = {
      {"RIFX", "it is not a RIFF/WAVE file"},
      {Wav(3, 1, 16, {}), "it is not 16-bit PCM"},
      {Wav(1, 1, 8, {}), "it is not 16-bit PCM"},
      {Wav(1, 3, 16, {}), "it has neither one channel nor two"},
      {Wav(1, 1, 16, {}).substr(0, 48), "it has no data chunk"},
      {Wav(1, 1, 16, {}).substr(0, 40), "its format chunk is too short"},
  };
  for (const auto& c : bad) {
    EXPECT_FALSE(ReadVisSound(c.first, sound, error)) << c.second;
    EXPECT_EQ(error, c.second);
  }
}

TEST(VisSound, SpectrumReadsTwiceASinesAmplitudeAtItsBin) {
  uint8_t rows[kVisRows][kVisSamples] = {}, spectrum[kVisRows][kVisSamples];
  for (int i = 0; i < kVisSamples; ++i) rows[0][i] = uint8_t(std::lround(100 * std::sin(6.2831853 * 60 * i / 1152)));
  FillSpectrum(rows, spectrum);
  EXPECT_EQ(std::max_element(spectrum[0], spectrum[0] + kVisSamples) - spectrum[0], 60);
  EXPECT_NEAR(spectrum[0][60], 200, 4);
  EXPECT_EQ(*std::max_element(spectrum[1], spectrum[1] + kVisSamples), 0);  // a silent row
}

}  // namespace
