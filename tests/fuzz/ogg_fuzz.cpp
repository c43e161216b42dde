// ogg_fuzz.cpp -- libFuzzer target: any bytes as an Ogg Vorbis file, pushed in pieces to stb_vorbis.
//
// Whatever the pages say, the reader ends or fails with a reason, and every
// block of frames it hands out is whole frames of the channel count it told.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "audio/ogg_reader.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  size_t piece = size_t(data[0]) * 31 + 1;
  OggReader reader;
  std::vector<float> frames;
  auto drain = [&] {
    while (size_t got = reader.TakeFrames(frames, 512)) {
      Check(reader.Channels() >= 1 && frames.size() == got * size_t(reader.Channels()));
    }
  };
  for (size_t at = 1; at < size && !reader.Failed(); at += piece) {
    reader.Push(data + at, piece < size - at ? piece : size - at);
    drain();
  }
  reader.EndOfFile();
  drain();
  Check(reader.Failed() ? !reader.Error().empty() : reader.HasFormat() && reader.SampleRate() > 0 && reader.Channels() > 0);
  return 0;
}
