// ogg_reader.cpp -- stb_vorbis's push API fed from the file's blocks, planar floats to frames.
#include "audio/ogg_reader.h"

#define STB_VORBIS_HEADER_ONLY
#define STB_VORBIS_NO_PULLDATA_API
#define STB_VORBIS_NO_STDIO
#include "stb_vorbis.h"

OggReader::~OggReader() {
  if (decoder_ != nullptr) stb_vorbis_close(decoder_);
}

void OggReader::Compact() {
  pending_.erase(pending_.begin(), pending_.begin() + std::ptrdiff_t(head_));
  head_ = 0;
}

void OggReader::Push(const uint8_t* data, size_t size) {
  if (Failed() || ended_) return;
  Compact();
  pending_.insert(pending_.end(), data, data + size);
  if (decoder_ == nullptr) Open();
}

void OggReader::EndOfFile() {
  ended_ = true;
  if (decoder_ == nullptr && !Failed()) error_ = "the Ogg file holds no Vorbis audio";
}

// The headers must all be in one block: until they are, each push tries again
// from the file's first byte.
void OggReader::Open() {
  if (pending_.size() > kOggMaxHeaderBytes) {
    error_ = "the Ogg Vorbis file's headers are too large";
    return;
  }
  int used = 0, error = 0;
  decoder_ = stb_vorbis_open_pushdata(pending_.data(), int(pending_.size()), &used, &error, nullptr);
  if (decoder_ == nullptr) {
    if (error != VORBIS_need_more_data) error_ = "the Ogg file holds no Vorbis audio";
    return;
  }
  stb_vorbis_info info = stb_vorbis_get_info(decoder_);
  sampleRate_ = int(info.sample_rate);
  channels_ = info.channels;
  head_ = size_t(used);
}

size_t OggReader::TakeFrames(std::vector<float>& out, size_t minFrames) {
  out.clear();
  if (decoder_ == nullptr || Failed()) return 0;
  size_t frames = 0;
  while (frames < minFrames && !finished_) {
    int channels = 0, samples = 0;
    float** planes = nullptr;
    int left = int(pending_.size() - head_);
    int used = stb_vorbis_decode_frame_pushdata(decoder_, pending_.data() + head_, left, &channels, &planes, &samples);
    if (used == 0) {
      // The decoder wants more than is here: at the end there is no more.
      if (ended_) finished_ = true;
      else if (size_t(left) > kOggMaxPendingBytes) error_ = "the Ogg Vorbis file is damaged";
      break;
    }
    head_ += size_t(used);
    if (samples <= 0 || channels != channels_) continue;
    out.resize((frames + size_t(samples)) * size_t(channels_));
    float* to = out.data() + frames * size_t(channels_);
    for (int i = 0; i < samples; ++i)
      for (int c = 0; c < channels_; ++c) *to++ = planes[c][i];
    frames += size_t(samples);
  }
  return frames;
}
