// audio_file.cpp -- FFmpeg's frames into the analysis, through the sink the plug-in's decoders feed.
#include "audio_file.h"

#include "autochart/analysis_sink.h"
#include "ffmpeg_decoder.h"

namespace {

bool Analyse(AudioDecoderPtr decoder, AudioAnalysis& analysis, std::string& error) {
  if (!decoder) return false;
  AnalysisStream stream;
  AnalysisSink sink(stream);
  if (!DecodeAudio(*decoder, sink, error)) return false;
  stream.Finish(analysis);
  return true;
}

}  // namespace

bool AnalyseAudioFile(const std::string& path, AudioAnalysis& analysis, std::string& error) {
  return Analyse(OpenAudioFile(path, error), analysis, error);
}

bool AnalyseAudioBytes(const std::string& bytes, AudioAnalysis& analysis, std::string& error) {
  return Analyse(OpenAudioBytes(bytes, error), analysis, error);
}
