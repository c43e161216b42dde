// wav_reader_test.cpp -- WAV files of every sample format, cut short or lying about their sizes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "audio/wav_reader.h"

namespace {

std::string Le(uint32_t value, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i) out += char((value >> (8 * i)) & 0xFF);
  return out;
}

std::string Chunk(const char* id, const std::string& body, uint32_t claimed = UINT32_MAX) {
  std::string out = std::string(id, 4) + Le(claimed == UINT32_MAX ? uint32_t(body.size()) : claimed, 4) + body;
  if (body.size() & 1) out += '\0';
  return out;
}

std::string Fmt(uint16_t tag, int channels, int bits, uint16_t subtag = 0) {
  int block = channels * ((bits + 7) / 8);
  std::string fmt = Le(tag, 2) + Le(channels, 2) + Le(44100, 4) + Le(44100 * block, 4) + Le(block, 2) + Le(bits, 2);
  if (tag == 0xFFFE) {
    const char tail[] = "\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71";
    fmt += Le(22, 2) + Le(bits, 2) + Le(3, 4) + Le(subtag, 2) + std::string(tail, 14);
  }
  return fmt;
}

std::string Riff(const std::string& chunks) { return "RIFF" + Le(uint32_t(chunks.size() + 4), 4) + "WAVE" + chunks; }

// Pushes `file` in pieces of `piece` bytes and takes every frame.
std::vector<float> ReadAll(WavReader& reader, const std::string& file, size_t piece) {
  std::vector<float> all, frames;
  for (size_t at = 0; at < file.size(); at += piece) {
    reader.Push(reinterpret_cast<const uint8_t*>(file.data()) + at, std::min(piece, file.size() - at));
    while (reader.TakeFrames(frames, 3) > 0) all.insert(all.end(), frames.begin(), frames.end());
  }
  return all;
}

// The samples 0.5, -0.25, -1 and 0.75 in each encoding.
std::string Samples(bool isFloat, int bits) {
  const double values[] = {0.5, -0.25, -1, 0.75};
  std::string out;
  for (double v : values) {
    if (isFloat && bits == 32) {
      float f = float(v);
      out.append(reinterpret_cast<const char*>(&f), 4);
    } else if (isFloat) {
      out.append(reinterpret_cast<const char*>(&v), 8);
    } else if (bits == 8) {
      out += char(int(v * 128) + 128);
    } else {
      out += Le(uint32_t(int64_t(v * std::ldexp(1.0, bits - 1))), bits / 8);
    }
  }
  return out;
}

TEST(WavReader, EverySampleFormatReadsTheSameValues) {
  struct Case {
    uint16_t tag, subtag;
    int bits;
    bool isFloat;
  } cases[] = {
      {1, 0, 8, false}, {1, 0, 16, false}, {1, 0, 24, false}, {1, 0, 32, false},
      {3, 0, 32, true}, {3, 0, 64, true}, {0xFFFE, 1, 24, false}, {0xFFFE, 3, 32, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.tag << " " << c.bits);
    // Two channels, two frames, after a chunk of odd length that must be skipped with its pad byte.
    std::string file = Riff(Chunk("fmt ", Fmt(c.tag, 2, c.bits, c.subtag)) + Chunk("LIST", "abc") +
                            Chunk("data", Samples(c.isFloat, c.bits)) + Chunk("id3 ", "trailing"));
    WavReader reader;
    std::vector<float> got = ReadAll(reader, file, 5);
    ASSERT_FALSE(reader.Failed()) << reader.Error();
    EXPECT_EQ(reader.Format().encoding, c.isFloat ? WavEncoding::kFloat : WavEncoding::kInteger);
    EXPECT_TRUE(reader.DataEnded());
    std::vector<float> expected = {0.5f, -0.25f, -1, 0.75f};
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], expected[i], c.bits == 8 ? 1.0 / 128 : 1e-6);
  }
}

TEST(WavReader, OtherFormatsAreHandedOnForACodec) {
  std::string fmt = Le(2, 2) + Le(1, 2) + Le(22050, 4) + Le(11155, 4) + Le(512, 2) + Le(4, 2) + Le(2, 2) + "xy";
  std::string data(512 * 3 + 100, '\x11');
  WavReader reader;
  std::string file = Riff(Chunk("fmt ", fmt) + Chunk("data", data));
  reader.Push(reinterpret_cast<const uint8_t*>(file.data()), file.size());
  ASSERT_TRUE(reader.HasFormat());
  EXPECT_EQ(reader.Format().encoding, WavEncoding::kCodec);
  EXPECT_EQ(std::string(reader.Format().fmt.begin(), reader.Format().fmt.end()), fmt);
  std::vector<uint8_t> bytes;
  EXPECT_EQ(reader.TakeData(bytes, 2), 2u);
  EXPECT_EQ(bytes.size(), 1024u);
  EXPECT_EQ(reader.TakeData(bytes, 10), 1u);  // the partial block at the end stays
  EXPECT_EQ(reader.TakeData(bytes, 10), 0u);
}

TEST(WavReader, ACutDataChunkGivesWhatIsThere) {
  std::string data = Samples(false, 16) + "\x01";  // two frames and a byte of a third
  std::string file = Riff(Chunk("fmt ", Fmt(1, 2, 16)) + Chunk("data", data, 1000000));
  file.pop_back();  // no pad byte: the file just ends
  WavReader reader;
  EXPECT_EQ(ReadAll(reader, file, 4096).size(), 4u);
  EXPECT_FALSE(reader.Failed());
  EXPECT_FALSE(reader.DataEnded());
}

TEST(WavReader, HostileHeadersFailOrStopWithoutReadingPastTheFile) {
  struct Case {
    std::string file;
    bool fails;
  } cases[] = {
      {std::string("RIFF\0\0\0\0WAVX", 12), true},
      {Riff(Chunk("data", "abcd") + Chunk("fmt ", Fmt(1, 1, 16))), true},
      {Riff(Chunk("fmt ", Fmt(1, 2, 16), 0xFFFFFFF0)), true},
      {Riff(Chunk("fmt ", Fmt(1, 0, 16)) + Chunk("data", "abcd")), true},
      {Riff(Chunk("fmt ", Fmt(1, 2, 12).replace(12, 2, Le(3, 2))) + Chunk("data", "abcd")), true},
      {Riff(Chunk("fmt ", Fmt(3, 1, 16)) + Chunk("data", "abcd")), true},
      {Riff(Chunk("fmt ", Fmt(0xFFFE, 1, 16).substr(0, 30)) + Chunk("data", "abcd")), true},
      {Riff(Chunk("fmt ", Fmt(1, 1, 16)) + Chunk("LIST", "", 0xFFFFFFFE) + Chunk("data", "abcd")), false},
  };
  for (const Case& c : cases) {
    WavReader reader;
    std::vector<float> got = ReadAll(reader, c.file, 3);
    EXPECT_EQ(reader.Failed(), c.fails) << c.file.size();
    EXPECT_TRUE(got.empty()) << c.file.size();
    EXPECT_EQ(reader.Error().empty(), !c.fails);
  }
}

}  // namespace
