// mp4_priming_test.cpp -- MPEG-4 files built box by box: the priming found where the file keeps it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "audio/mp4_priming.h"
#include "audio/song_format.h"

namespace {

// A literal with its NULs.
template <size_t N>
std::string Bytes(const char (&text)[N]) { return std::string(text, N - 1); }

std::string Be32(uint32_t v) { return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; }
std::string BoxOf(const char* type, const std::string& content) { return Be32(uint32_t(8 + content.size())) + type + content; }
std::string Full(const std::string& rest) { return Be32(0) + rest; }  // version 0, no flags

std::string Track(const char* handler, uint32_t timescale, const std::string& edits) {
  std::string mdhd = BoxOf("mdhd", Full(Be32(0) + Be32(0) + Be32(timescale) + Be32(0)));
  std::string hdlr = BoxOf("hdlr", Full(Be32(0) + handler + std::string(12, '\0')));
  std::string edts = edits.empty() ? "" : BoxOf("edts", BoxOf("elst", edits));
  return BoxOf("trak", edts + BoxOf("mdia", mdhd + hdlr));
}

std::string EditList(int32_t firstTime, int32_t secondTime) {
  return Full(Be32(2) + Be32(100) + Be32(uint32_t(firstTime)) + Be32(0x10000) + Be32(100) +
              Be32(uint32_t(secondTime)) + Be32(0x10000));
}

std::string Itunes(const std::string& text) {
  std::string item = BoxOf("mean", Full("com.apple.iTunes")) + BoxOf("name", Full("iTunSMPB")) +
                     BoxOf("data", Be32(1) + Be32(0) + text);
  return BoxOf("udta", BoxOf("meta", Full(BoxOf("hdlr", Full(Be32(0) + "mdir" + std::string(12, '\0'))) +
                                          BoxOf("ilst", BoxOf("----", item)))));
}

int64_t Priming(const std::string& file, int rate = 44100) {
  ReadAt read = [&file](uint64_t offset, uint8_t* out, size_t size) {
    if (offset > file.size() || size > file.size() - offset) return false;
    std::memcpy(out, file.data() + offset, size);
    return true;
  };
  return Mp4_PrimingFrames(read, file.size(), rate);
}

TEST(Mp4Priming, FoundWhereTheFileKeepsIt) {
  std::string head = BoxOf("ftyp", "M4A " + Be32(0)) + BoxOf("mdat", std::string(5000, 'x'));
  std::string smpb = " 00000000 00000840 000001CA 00000000003F31F6";
  struct Case {
    const char* what;
    std::string file;
    int rate;
    int64_t priming;
  } cases[] = {
      {"FFmpeg's edit list, moov after the audio", head + BoxOf("moov", Track("soun", 44100, EditList(1024, 5))), 44100, 1024},
      {"moov first", BoxOf("moov", Track("soun", 44100, EditList(1024, 5))) + head, 44100, 1024},
      {"an empty edit before the first that shows media",
       head + BoxOf("moov", Track("soun", 44100, EditList(-1, 2112))), 44100, 2112},
      {"the media's timescale is not the output rate",
       head + BoxOf("moov", Track("soun", 22050, EditList(1024, 0))), 44100, 2048},
      {"the video track's edits are not the audio's",
       head + BoxOf("moov", Track("vide", 90000, EditList(9000, 0)) + Track("soun", 48000, EditList(2112, 0))), 48000,
       2112},
      {"iTunes: no edit list, iTunSMPB", head + BoxOf("moov", Track("soun", 44100, "") + Itunes(smpb)), 44100, 2112},
      {"the edit list wins over iTunSMPB",
       head + BoxOf("moov", Track("soun", 44100, EditList(1024, 0)) + Itunes(smpb)), 44100, 1024},
      {"neither", head + BoxOf("moov", Track("soun", 44100, "")), 44100, 0},
      {"no moov", head, 44100, 0},
      {"a box longer than the file", head + Be32(0x7FFFFFF0) + "moov" + std::string(64, '\0'), 44100, 0},
      {"a box too short for its header", head + Be32(3) + "moov" + std::string(64, '\0'), 44100, 0},
      {"an edit list cut short", head + BoxOf("moov", Track("soun", 44100, Full(Be32(5)))), 44100, 0},
      {"a timescale of zero", head + BoxOf("moov", Track("soun", 0, EditList(1024, 0))), 44100, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(Priming(c.file, c.rate), c.priming) << c.what;
}

TEST(Mp4Priming, WhatIsLeftOutOfTheDecodedStream) {
  struct Case {
    int64_t priming, firstTime, skip;
  } cases[] = {
      {1024, 0, 1024},         // the decoder handed the priming over
      {1024, 232200, 0},       // it dropped the priming and timed the rest from the media's start
      {2112, 232200, 1088},    // it dropped one frame of two
      {0, -232200, 1024},      // audio timed before zero
      {0, 10000000, 0},        // a stream timed late is not padded
  };
  for (const Case& c : cases) EXPECT_EQ(Song_FramesToSkip(c.priming, c.firstTime, 44100), c.skip) << c.firstTime;
}

TEST(SongFormat, FilesNoDecoderHereReadsAreToldByWhatTheyAre) {
  std::string asf("\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16);
  struct Case {
    std::string bytes;
    const char* what;
  } cases[] = {
      {Bytes("fLaC\0\0\0\x22"), "a FLAC file"},
      {Bytes("\0\0\0\x20" "ftypM4A "), "an MPEG-4 (M4A) file"},
      {asf + "rest", "a WMA file"},
      {Bytes("FORM\0\0\0\0AIFF"), "an AIFF file"},
      {Bytes("FORM\0\0\0\0AIFC"), "an AIFF file"},
      {Bytes("FORM\0\0\0\0ILBM"), "not an MP3, WAV or Ogg Vorbis file"},
      {"fLa", "not an MP3, WAV or Ogg Vorbis file"},
  };
  for (const Case& c : cases) {
    auto data = reinterpret_cast<const uint8_t*>(c.bytes.data());
    EXPECT_EQ(Song_SniffFormat(data, c.bytes.size()), SongFormat::kUnknown) << c.what;
    EXPECT_STREQ(Song_DescribeOther(data, c.bytes.size()), c.what);
  }
}

// Only an Ogg of another codec is handed to other decoders: a Vorbis file,
// damaged or not, is not.
TEST(SongFormat, AnOggOfAnotherCodecIsToldFromVorbis) {
  std::string page = Bytes("OggS\0\2") + std::string(20, '\0') + Bytes("\1\x13");  // one segment
  struct Case {
    std::string packet;
    bool other;
  } cases[] = {{"OpusHead\1\2", true}, {"\x7F" "FLAC\1\0", true}, {"\x01vorbis", false},
               {"\x01vorbiz", false}, {"Opus", false}};
  for (const Case& c : cases) {
    std::string file = page + c.packet;
    EXPECT_EQ(Song_IsOtherOgg(reinterpret_cast<const uint8_t*>(file.data()), file.size()), c.other) << c.packet;
  }
  std::string notOgg = "OggT" + page.substr(4) + "OpusHead";
  EXPECT_FALSE(Song_IsOtherOgg(reinterpret_cast<const uint8_t*>(notOgg.data()), notOgg.size()));
}

}  // namespace
