// mp3_header_fuzz.cpp -- libFuzzer target: any bytes as an MP3, framed as the plug-in frames it, and as an M4A's boxes.
//
// Every frame handed to the codec must be a whole Layer III frame of the
// first frame's stream, inside the bytes pushed, and the delays to drop must
// be sane whatever the tag claims. The M4A's boxes never crash the reading,
// whatever sizes they claim.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "audio/mp3_header.h"
#include "audio/mp4_priming.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  size_t piece = size_t(data[0]) * 13 + 1;
  Mp3_LooksLikeMp3(data + 1, size - 1);
  Mp3Framer framer;
  const uint8_t* frame = nullptr;
  Mp3FrameHeader header, again;
  auto drain = [&] {
    while (framer.NextFrame(frame, header)) {
      Check(Mp3_ParseFrameHeader(frame, size_t(header.frameBytes), again));
      Check(again.frameBytes == header.frameBytes && size_t(header.frameBytes) <= kMp3MaxFrameBytes);
      Check(header.sampleRate == framer.First().sampleRate && header.channels == framer.First().channels);
    }
  };
  for (size_t at = 1; at < size; at += piece) {
    framer.Push(data + at, piece < size - at ? piece : size - at);
    drain();
  }
  framer.EndOfFile();
  drain();
  Mp3Trim trim = Mp3_TrimFor(framer.Tag(), framer.First());
  Check(trim.skip >= uint64_t(kMp3DecoderDelay) && trim.skip <= uint64_t(kMp3DecoderDelay) + 4095);

  ReadAt read = [&](uint64_t offset, uint8_t* out, size_t count) {
    if (offset > size || count > size - offset) return false;
    std::memcpy(out, data + offset, count);
    return true;
  };
  Check(Mp4_PrimingFrames(read, size, 44100) >= 0);
  return 0;
}
