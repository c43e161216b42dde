// analysis_sink.h -- the audio analysis as the decoders' frame sink.
//
// The plug-in's chart worker and the Windows chart tool decode with the
// same decoders (audio/) into the same analysis (analysis/); this is the
// one place the two meet. The stream stays the caller's: it Finishes it
// once the decoder is done.
#pragma once

#include <cstddef>
#include <string>

#include "analysis/audio_analysis.h"
#include "audio/frame_sink.h"

class AnalysisSink final : public FrameSink {
 public:
  // `stream` must outlive the sink.
  explicit AnalysisSink(AnalysisStream& stream) : stream_(stream) {}

  bool Start(int sampleRate, int channels, std::string& error) override {
    return stream_.Start(sampleRate, channels, error);
  }
  void Take(const float* frames, size_t count) override { stream_.Feed(frames, count); }

 private:
  AnalysisStream& stream_;
};
