// frame_sink.h -- where a decoder hands a song's frames as it decodes them.
//
// The decoders know nothing of what is done with the audio: whoever calls
// one hands it a sink, and the code that joins a decoder to the analysis
// adapts the analysis to it. Calls come on the decoding thread, in order:
// Start once, then Take any number of times.
#pragma once

#include <cstddef>
#include <string>

class FrameSink {
 public:
  virtual ~FrameSink() = default;

  // The format the frames will come in, before the first of them. False with
  // `error` (one short lower-case sentence) when the sink cannot take it:
  // the decoder then stops and fails with that error.
  virtual bool Start(int sampleRate, int channels, std::string& error) = 0;

  // `count` frames of the channels Start named, interleaved, -1..1 (values
  // that are not finite may come from broken files). The block is the
  // decoder's: it is reused once Take returns.
  virtual void Take(const float* frames, size_t count) = 0;
};
