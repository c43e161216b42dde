// mp3_header_test.cpp -- Layer III headers, ID3v2 sizes and the LAME tag, built from the published layouts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/mp3_header.h"

namespace {

const uint8_t* Bytes(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

TEST(Mp3Header, FrameHeadersTable) {
  struct Case {
    const char* header;
    bool valid;
    int version, bitrate, rate, channels, frameBytes, samples;
  } cases[] = {
      {"\xFF\xFB\x90\x64", true, 10, 128, 44100, 2, 417, 1152},  // the commonest frame
      {"\xFF\xFB\x92\x64", true, 10, 128, 44100, 2, 418, 1152},  // padded
      {"\xFF\xFB\xE4\xC0", true, 10, 320, 48000, 1, 960, 1152},
      {"\xFF\xFB\xE8\xC0", true, 10, 320, 32000, 1, 1440, 1152},
      {"\xFF\xF3\x80\xC4", true, 20, 64, 22050, 1, 208, 576},    // MPEG-2
      {"\xFF\xE3\x18\x44", true, 25, 8, 8000, 2, 72, 576},       // MPEG-2.5
      {"\xFF\xFD\x90\x64", false},  // Layer II
      {"\xFF\xFB\x00\x64", false},  // free format
      {"\xFF\xFB\xF0\x64", false},  // bad bitrate
      {"\xFF\xFB\x9C\x64", false},  // reserved rate
      {"\xFF\xEB\x90\x64", false},  // reserved version
      {"\xFF\xFB\x90\x66", false},  // reserved emphasis
      {"\xFE\xFB\x90\x64", false},  // no sync
  };
  for (const Case& c : cases) {
    Mp3FrameHeader h;
    ASSERT_EQ(Mp3_ParseFrameHeader(reinterpret_cast<const uint8_t*>(c.header), 4, h), c.valid) << c.frameBytes;
    EXPECT_FALSE(Mp3_ParseFrameHeader(reinterpret_cast<const uint8_t*>(c.header), 3, h));
    if (!c.valid) continue;
    EXPECT_EQ(h.mpegVersion, c.version);
    EXPECT_EQ(h.bitrateKbps, c.bitrate);
    EXPECT_EQ(h.sampleRate, c.rate);
    EXPECT_EQ(h.channels, c.channels);
    EXPECT_EQ(h.frameBytes, c.frameBytes);
    EXPECT_EQ(h.samplesPerFrame, c.samples);
  }
}

TEST(Mp3Header, Id3v2Sizes) {
  EXPECT_EQ(Mp3_Id3v2Size(Bytes(std::string("ID3\4\0\0\0\0\2\1", 10)), 10), 10u + 257);
  EXPECT_EQ(Mp3_Id3v2Size(Bytes(std::string("ID3\4\0\x10\0\0\0\5", 10)), 10), 25u);  // with a footer
  EXPECT_EQ(Mp3_Id3v2Size(Bytes(std::string("ID3\4\0\0\0\0\x80\1", 10)), 10), 0u);  // not synchsafe
  EXPECT_EQ(Mp3_Id3v2Size(Bytes(std::string("ID3\4\0\0\0\0\2", 9)), 9), 0u);
}

// An MPEG-1 stereo Info frame: Xing fields per `flags`, then the LAME extension.
std::string InfoFrame(uint32_t flags, const char* encoder, int delay, int padding, uint32_t frames) {
  std::string frame = std::string("\xFF\xFB\x90\x64", 4) + std::string(32, '\0') + "Info";
  for (int i = 3; i >= 0; --i) frame += char((flags >> (8 * i)) & 0xFF);
  if (flags & 1)
    for (int i = 3; i >= 0; --i) frame += char((frames >> (8 * i)) & 0xFF);
  if (flags & 2) frame += std::string(4, '\x7');
  if (flags & 4) frame += std::string(100, '\x9');
  if (flags & 8) frame += std::string(4, '\0');
  frame += std::string(encoder, 9) + std::string(12, '\x5');
  frame += char(delay >> 4);
  frame += char((delay & 0xF) << 4 | padding >> 8);
  frame += char(padding & 0xFF);
  frame.resize(417, '\0');
  return frame;
}

TEST(Mp3Header, LameTagGivesTheDelaysToDrop) {
  struct Case {
    uint32_t flags;
    const char* encoder;
    bool lame;
    uint64_t skip, keep;
  } cases[] = {
      {0x0F, "LAME3.100", true, 576 + 529, 576 * 1152 - 576 - 1476},
      {0x01, "Lavc59.37", true, 576 + 529, 576 * 1152 - 576 - 1476},
      {0x00, "LAME3.99r", true, 576 + 529, UINT64_MAX},  // no frame count: the end is not known
      {0x0F, "Xing enc ", false, 529, UINT64_MAX},       // no LAME tag: only the decoder's delay
  };
  for (const Case& c : cases) {
    std::string frame = InfoFrame(c.flags, c.encoder, 576, 1476, 576);
    Mp3FrameHeader header;
    ASSERT_TRUE(Mp3_ParseFrameHeader(Bytes(frame), frame.size(), header));
    Mp3EncoderTag tag;
    Mp3_ParseEncoderTag(Bytes(frame), frame.size(), header, tag);
    EXPECT_TRUE(tag.present);
    EXPECT_EQ(tag.lame, c.lame) << c.encoder;
    Mp3Trim trim = Mp3_TrimFor(tag, header);
    EXPECT_EQ(trim.skip, c.skip) << c.encoder;
    EXPECT_EQ(trim.keep, c.keep) << c.encoder;
    Mp3_ParseEncoderTag(Bytes(frame), 50, header, tag);  // cut short: no read past the end
    EXPECT_FALSE(tag.lame);
  }
  // A Fraunhofer VBRI frame holds no audio either; its encoder's delay is not told.
  std::string vbri = InfoFrame(0, "LAME3.100", 576, 1476, 576).replace(36, 4, "VBRI");
  Mp3FrameHeader header;
  ASSERT_TRUE(Mp3_ParseFrameHeader(Bytes(vbri), vbri.size(), header));
  Mp3EncoderTag tag;
  Mp3_ParseEncoderTag(Bytes(vbri), vbri.size(), header, tag);
  EXPECT_TRUE(tag.present);
  EXPECT_FALSE(tag.lame);
  EXPECT_EQ(Mp3_TrimFor(tag, header).skip, uint64_t(529));
}

TEST(Mp3Header, FramerSkipsTagsAndJunkAndKeepsBackTheInfoFrame) {
  std::string audio = std::string("\xFF\xFB\x90\x64", 4) + std::string(413, '\0');
  std::string id3 = std::string("ID3\3\0\0\0\0\2\0", 10) + std::string(256, '\xFF');
  std::string file = id3 + std::string("\xFF\xFB junk", 7) + InfoFrame(1, "LAME3.100", 576, 1476, 9);
  for (int i = 0; i < 5; ++i) file += audio;
  file += "APETAGEX\xFF\xFB\x90";
  for (int i = 0; i < 4; ++i) file += audio;
  file += audio.substr(0, 200);  // cut off by the file's end
  EXPECT_TRUE(Mp3_LooksLikeMp3(Bytes(file), file.size()));
  std::string junk = file.substr(id3.size(), 7) + std::string(300, 'x') + audio.substr(0, 4);
  EXPECT_FALSE(Mp3_LooksLikeMp3(Bytes(junk), junk.size()));

  for (size_t piece : {size_t(1), size_t(100), file.size()}) {
    Mp3Framer framer;
    int frames = 0;
    const uint8_t* frame = nullptr;
    Mp3FrameHeader header;
    for (size_t at = 0; at < file.size(); at += piece) {
      framer.Push(Bytes(file) + at, std::min(piece, file.size() - at));
      while (framer.NextFrame(frame, header)) {
        EXPECT_EQ(frame[0], 0xFF);
        ++frames;
      }
    }
    framer.EndOfFile();
    while (framer.NextFrame(frame, header)) ++frames;
    EXPECT_EQ(frames, 9) << piece;
    EXPECT_EQ(framer.Tag().encoderDelay, 576);
    EXPECT_EQ(framer.Tag().encoderPadding, 1476);
    EXPECT_EQ(framer.First().sampleRate, 44100);
  }
}

}  // namespace
