// wav_fuzz.cpp -- libFuzzer target: any bytes as a WAV file, pushed in pieces as the plug-in reads them.
//
// The first byte sets the piece size, so chunk headers and samples fall
// across pushes at every offset. The reader must fail with a reason or hand
// out whole frames of a format it can describe, and never read past a push.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "audio/wav_reader.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  size_t piece = size_t(data[0]) * 7 + 1;
  WavReader reader;
  std::vector<float> frames;
  std::vector<uint8_t> bytes;
  for (size_t at = 1; at < size && !reader.Failed(); at += piece) {
    reader.Push(data + at, piece < size - at ? piece : size - at);
    if (!reader.HasFormat()) continue;
    const WavFormat& format = reader.Format();
    Check(format.channels >= 1 && format.channels <= 64 && format.blockAlign > 0);
    if (format.encoding == WavEncoding::kCodec) {
      while (reader.TakeData(bytes, 5) > 0) Check(bytes.size() % size_t(format.blockAlign) == 0);
    } else {
      while (size_t got = reader.TakeFrames(frames, 64)) Check(frames.size() == got * size_t(format.channels));
    }
  }
  Check(reader.Failed() == !reader.Error().empty());
  return 0;
}
