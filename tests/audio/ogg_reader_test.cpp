// ogg_reader_test.cpp -- a tiny Ogg Vorbis of clicks (made by ffmpeg) decoded as blocks arrive.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "audio/ogg_reader.h"

namespace {

// 2 s of 22.05 kHz mono: 5 ms noise bursts at 250 ms, 750 ms, 1250 ms and 1750 ms.
std::string ClicksOgg() {
  std::ifstream in(STOMPARA_SOURCE_DIR "/tests/audio/data/clicks.ogg", std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<float> Decode(OggReader& reader, const std::string& file, size_t piece) {
  std::vector<float> all, frames;
  for (size_t at = 0; at < file.size(); at += piece) {
    reader.Push(reinterpret_cast<const uint8_t*>(file.data()) + at, std::min(piece, file.size() - at));
    while (reader.TakeFrames(frames, 256) > 0) all.insert(all.end(), frames.begin(), frames.end());
  }
  reader.EndOfFile();
  while (reader.TakeFrames(frames, 256) > 0) all.insert(all.end(), frames.begin(), frames.end());
  return all;
}

TEST(OggReader, DecodesTheClicksWhereTheyWere) {
  std::string file = ClicksOgg();
  ASSERT_GT(file.size(), 1000u);
  for (size_t piece : {size_t(97), size_t(4096), file.size()}) {
    OggReader reader;
    std::vector<float> samples = Decode(reader, file, piece);
    ASSERT_FALSE(reader.Failed()) << reader.Error();
    EXPECT_TRUE(reader.Ended());
    EXPECT_EQ(reader.SampleRate(), 22050);
    EXPECT_EQ(reader.Channels(), 1);
    EXPECT_NEAR(double(samples.size()), 44100, 1024) << piece;
    // Each burst's energy is centred on it (the codec smears some ahead of it),
    // and the gaps between are quiet.
    for (double click : {0.25, 0.75, 1.25, 1.75}) {
      size_t at = size_t(click * 22050) + 55;  // the middle of the 5 ms burst
      double energy = 0, moment = 0;
      for (size_t i = at - 600; i < at + 600; ++i) {
        energy += double(samples[i]) * samples[i];
        moment += double(samples[i]) * samples[i] * (double(i) - double(at));
      }
      EXPECT_NEAR(moment / energy, 0, 3 * 22.05) << click;
      EXPECT_LT(std::fabs(samples[at - 2000]), 0.05f);
    }
  }
}

TEST(OggReader, BrokenFilesEndOrFail) {
  std::string file = ClicksOgg();
  OggReader cut;
  std::vector<float> most = Decode(cut, file.substr(0, file.size() - 800), 512);
  EXPECT_FALSE(cut.Failed());
  EXPECT_GT(most.size(), 4000u);
  EXPECT_LT(most.size(), 40000u);

  std::string garbage = "OggS" + std::string(5000, '\x5A');
  for (const std::string& bad : {garbage, file.substr(0, 3000), std::string()}) {
    OggReader reader;
    EXPECT_TRUE(Decode(reader, bad, 1000).empty());
    EXPECT_TRUE(reader.Failed());
    EXPECT_EQ(reader.Error(), "the Ogg file holds no Vorbis audio");
  }
}

// One page of the first stream holding `packets`, as far as the reader
// looks before the decoder does.
std::string OnePage(const std::vector<std::string>& packets) {
  std::string lacing, body;
  for (const std::string& packet : packets) {
    size_t left = packet.size();
    for (; left >= 255; left -= 255) lacing += '\xFF';
    lacing += char(left);
    body += packet;
  }
  return "OggS" + std::string(2, '\0') + std::string(8, '\0') + std::string("\1\0\0\0", 4) +
         std::string(8, '\0') + char(lacing.size()) + lacing + body;
}

std::string Le32(uint32_t value) {
  return {char(value), char(value >> 8), char(value >> 16), char(value >> 24)};
}

TEST(OggReader, CommentHeadersWhoseLengthsDoNotFitAreRefused) {
  const std::string identification = "\1vorbis" + std::string(23, '\0');
  const std::string head = "\3vorbis";
  for (const std::string& comments : {
           head + Le32(3) + "abc",                              // no room for the count
           head + Le32(9) + "abc" + Le32(0),                    // vendor longer than the packet
           head + Le32(0) + Le32(2) + Le32(0),                  // more comments than fit
           head + Le32(0) + Le32(1) + Le32(5) + "abcd",         // a comment past the end
       }) {
    OggReader reader;
    EXPECT_TRUE(Decode(reader, OnePage({identification, comments}), 1000).empty());
    EXPECT_EQ(reader.Error(), "the Ogg file holds no Vorbis audio") << comments.size();
  }
}

}  // namespace
