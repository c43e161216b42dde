// ffmpeg_decoder.cpp -- libavformat's packets, libavcodec's frames, libswresample's interleaved floats.
#include "ffmpeg_decoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

namespace {

constexpr size_t kBlockFrames = 4096;
constexpr int kIoBufferBytes = 1 << 16;

// A file's bytes in memory, read through a custom AVIOContext.
struct MemoryReader {
  const std::string* bytes = nullptr;
  int64_t at = 0;
};

int ReadMemory(void* opaque, uint8_t* out, int size) {
  MemoryReader* m = static_cast<MemoryReader*>(opaque);
  int64_t left = int64_t(m->bytes->size()) - m->at;
  int64_t count = std::min<int64_t>(size, left);
  if (count <= 0) return AVERROR_EOF;
  std::memcpy(out, m->bytes->data() + m->at, size_t(count));
  m->at += count;
  return int(count);
}

int64_t SeekMemory(void* opaque, int64_t offset, int whence) {
  MemoryReader* m = static_cast<MemoryReader*>(opaque);
  int64_t size = int64_t(m->bytes->size());
  whence &= ~AVSEEK_FORCE;
  if (whence == AVSEEK_SIZE) return size;
  int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? m->at : size;
  if (offset > size || offset < -size) return AVERROR(EINVAL);
  int64_t to = base + offset;
  if (to < 0 || to > size) return AVERROR(EINVAL);
  m->at = to;
  return to;
}

std::string ErrorText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

// FFmpeg writes its notes about broken frames to stderr; the tool's own
// one-line error says it better. The level is FFmpeg's one global.
void QuietFfmpeg() {
  static std::once_flag once;
  std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

// Why avformat_open_input failed: bytes no demuxer takes are simply not audio.
std::string NotOpened(int code) {
  if (code == AVERROR_INVALIDDATA || code == AVERROR(EINVAL)) return "not audio that can be read";
  return "not audio that can be read (" + ErrorText(code) + ")";
}

// A frame's layout, or the usual one for its channel count when the file names none.
bool LayoutOf(const AVFrame& frame, AVChannelLayout& layout) {
  if (frame.ch_layout.nb_channels <= 0) return false;
  if (frame.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
    av_channel_layout_default(&layout, frame.ch_layout.nb_channels);
    return true;
  }
  return av_channel_layout_copy(&layout, &frame.ch_layout) == 0;
}

}  // namespace

struct AudioDecoder {
  MemoryReader memory;
  AVIOContext* io = nullptr;
  AVFormatContext* format = nullptr;
  AVCodecContext* codec = nullptr;
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  int stream = -1;
  // The frames handed over: fixed by the first decoded frame.
  int sampleRate = 0;
  AVChannelLayout layout = {};
  // The resampler's input, remade when a frame's format changes.
  SwrContext* resampler = nullptr;
  int inFormat = -1;
  int inRate = 0;
  AVChannelLayout inLayout = {};
  // Converted samples not yet read, interleaved.
  std::vector<float> pending;
  size_t pendingAt = 0;
  bool draining = false;
  bool ended = false;
  std::string lastError;

  ~AudioDecoder() {
    swr_free(&resampler);
    av_channel_layout_uninit(&inLayout);
    av_channel_layout_uninit(&layout);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    avformat_close_input(&format);
    if (io != nullptr) av_freep(&io->buffer);
    avio_context_free(&io);
  }
};

void CloseAudioDecoder::operator()(AudioDecoder* decoder) const { delete decoder; }

namespace {

// Fits the resampler to `frame`'s format, converting to the decoder's output.
bool FitResampler(AudioDecoder& d, const AVFrame& frame) {
  AVChannelLayout in = {};
  if (frame.sample_rate <= 0 || !LayoutOf(frame, in)) return false;
  bool same = d.resampler != nullptr && frame.format == d.inFormat && frame.sample_rate == d.inRate &&
              av_channel_layout_compare(&in, &d.inLayout) == 0;
  if (same) {
    av_channel_layout_uninit(&in);
    return true;
  }
  swr_free(&d.resampler);
  av_channel_layout_uninit(&d.inLayout);
  d.inLayout = in;
  d.inFormat = frame.format;
  d.inRate = frame.sample_rate;
  int made = swr_alloc_set_opts2(&d.resampler, &d.layout, AV_SAMPLE_FMT_FLT, d.sampleRate, &d.inLayout,
                                 AVSampleFormat(frame.format), frame.sample_rate, 0, nullptr);
  if (made < 0 || swr_init(d.resampler) < 0) {
    swr_free(&d.resampler);
    return false;
  }
  return true;
}

// Appends the resampler's output for `frame` (null: what it still holds) to `pending`.
void Convert(AudioDecoder& d, const AVFrame* frame) {
  int inCount = frame != nullptr ? frame->nb_samples : 0;
  int room = swr_get_out_samples(d.resampler, inCount);
  if (room <= 0) return;
  size_t channels = size_t(d.layout.nb_channels);
  size_t at = d.pending.size();
  d.pending.resize(at + size_t(room) * channels);
  uint8_t* out = reinterpret_cast<uint8_t*>(d.pending.data() + at);
  const uint8_t** in = frame != nullptr ? const_cast<const uint8_t**>(frame->extended_data) : nullptr;
  int got = swr_convert(d.resampler, &out, room, in, inCount);
  d.pending.resize(at + size_t(std::max(got, 0)) * channels);
}

// The next decoded frame into `d.frame`; false at the end of the stream.
bool NextFrame(AudioDecoder& d) {
  for (;;) {
    int got = avcodec_receive_frame(d.codec, d.frame);
    if (got == 0) return true;
    if (got == AVERROR_EOF) return false;
    if (got != AVERROR(EAGAIN)) d.lastError = ErrorText(got);
    if (d.draining) return false;
    if (av_read_frame(d.format, d.packet) < 0) {
      // The end, or a read error the demuxer cannot get past: what the decoder holds comes last.
      avcodec_send_packet(d.codec, nullptr);
      d.draining = true;
      continue;
    }
    if (d.packet->stream_index == d.stream) {
      int sent = avcodec_send_packet(d.codec, d.packet);
      if (sent < 0 && sent != AVERROR(EAGAIN)) d.lastError = ErrorText(sent);
    }
    av_packet_unref(d.packet);
  }
}

// Decodes until `pending` holds unread samples or the stream has ended.
void Refill(AudioDecoder& d) {
  d.pending.clear();
  d.pendingAt = 0;
  while (d.pending.empty() && !d.ended) {
    if (!NextFrame(d)) {
      if (d.resampler != nullptr) Convert(d, nullptr);
      d.ended = true;
      break;
    }
    if (d.frame->nb_samples > 0 && FitResampler(d, *d.frame)) Convert(d, d.frame);
    av_frame_unref(d.frame);
  }
}

// Takes the output format from the first frame the stream decodes to, or
// from the stream's header when it holds none.
bool FixFormat(AudioDecoder& d, std::string& error) {
  while (NextFrame(d)) {
    if (d.frame->nb_samples > 0 && d.frame->sample_rate > 0 && LayoutOf(*d.frame, d.layout)) {
      d.sampleRate = d.frame->sample_rate;
      if (FitResampler(d, *d.frame)) Convert(d, d.frame);
      av_frame_unref(d.frame);
      return true;
    }
    av_frame_unref(d.frame);
  }
  d.ended = true;
  if (d.codec->sample_rate > 0 && d.codec->ch_layout.nb_channels > 0) {
    d.sampleRate = d.codec->sample_rate;
    av_channel_layout_default(&d.layout, d.codec->ch_layout.nb_channels);
    return true;
  }
  error = "the audio cannot be decoded" + (d.lastError.empty() ? std::string() : ": " + d.lastError);
  return false;
}

// Finds the best audio stream of an opened `d.format` and starts its decoder.
AudioDecoderPtr StartDecoding(AudioDecoderPtr d, std::string& error) {
  const char* notAudio = "not audio that can be read (no sound in it that FFmpeg decodes)";
  if (d->packet == nullptr || d->frame == nullptr || avformat_find_stream_info(d->format, nullptr) < 0) {
    error = notAudio;
    return nullptr;
  }
  const AVCodec* best = nullptr;
  d->stream = av_find_best_stream(d->format, AVMEDIA_TYPE_AUDIO, -1, -1, &best, 0);
  if (d->stream < 0 || best == nullptr) {
    error = notAudio;
    return nullptr;
  }
  // For Vorbis the best is FFmpeg's own decoder, not its libvorbis wrapper,
  // which hands 16-bit samples and so would clip the peaks above full scale
  // that mixed stems and loud masters have.
  AVStream& stream = *d->format->streams[d->stream];
  d->codec = avcodec_alloc_context3(best);
  if (d->codec == nullptr || avcodec_parameters_to_context(d->codec, stream.codecpar) < 0) {
    error = notAudio;
    return nullptr;
  }
  // The packets' times let libavcodec cut the priming and padding they carry.
  d->codec->pkt_timebase = stream.time_base;
  int opened = avcodec_open2(d->codec, best, nullptr);
  if (opened < 0) {
    error = "the audio cannot be decoded: " + ErrorText(opened);
    return nullptr;
  }
  for (unsigned i = 0; i < d->format->nb_streams; ++i) {
    if (int(i) != d->stream) d->format->streams[i]->discard = AVDISCARD_ALL;
  }
  if (!FixFormat(*d, error)) return nullptr;
  return d;
}

}  // namespace

AudioDecoderPtr OpenAudioFile(const std::string& path, std::string& error) {
  QuietFfmpeg();
  std::FILE* readable = std::fopen(path.c_str(), "rb");
  if (readable == nullptr) {
    error = std::string("cannot open the file: ") + std::strerror(errno);
    return nullptr;
  }
  std::fclose(readable);
  AudioDecoderPtr d(new AudioDecoder);
  // "file:" keeps a name with a colon in it from being read as another protocol.
  int opened = avformat_open_input(&d->format, ("file:" + path).c_str(), nullptr, nullptr);
  if (opened < 0) {
    error = NotOpened(opened);
    return nullptr;
  }
  return StartDecoding(std::move(d), error);
}

AudioDecoderPtr OpenAudioBytes(const std::string& bytes, std::string& error) {
  QuietFfmpeg();
  AudioDecoderPtr d(new AudioDecoder);
  d->memory.bytes = &bytes;
  unsigned char* buffer = static_cast<unsigned char*>(av_malloc(kIoBufferBytes));
  if (buffer != nullptr) d->io = avio_alloc_context(buffer, kIoBufferBytes, 0, &d->memory, ReadMemory, nullptr, SeekMemory);
  if (d->io == nullptr) av_free(buffer);
  d->format = avformat_alloc_context();
  if (d->io == nullptr || d->format == nullptr) {
    error = "out of memory for the decoder";
    return nullptr;
  }
  d->format->pb = d->io;
  int opened = avformat_open_input(&d->format, nullptr, nullptr, nullptr);
  if (opened < 0) {
    error = NotOpened(opened);
    return nullptr;
  }
  return StartDecoding(std::move(d), error);
}

int AudioSampleRate(const AudioDecoder& decoder) { return decoder.sampleRate; }
int AudioChannels(const AudioDecoder& decoder) { return decoder.layout.nb_channels; }

size_t ReadAudioFrames(AudioDecoder& d, float* frames, size_t maxFrames, std::string& error) {
  size_t channels = size_t(d.layout.nb_channels);
  size_t done = 0;
  while (done < maxFrames) {
    if (d.pendingAt == d.pending.size()) {
      if (d.ended) break;
      Refill(d);
      continue;
    }
    size_t count = std::min(maxFrames - done, (d.pending.size() - d.pendingAt) / channels);
    std::copy_n(d.pending.data() + d.pendingAt, count * channels, frames + done * channels);
    d.pendingAt += count * channels;
    done += count;
  }
  error = d.lastError;
  return done;
}

bool DecodeAudio(AudioDecoder& decoder, FrameSink& sink, std::string& error) {
  if (!sink.Start(decoder.sampleRate, decoder.layout.nb_channels, error)) return false;
  std::vector<float> block(kBlockFrames * size_t(decoder.layout.nb_channels));
  size_t total = 0;
  std::string failure;
  for (;;) {
    size_t got = ReadAudioFrames(decoder, block.data(), kBlockFrames, failure);
    if (got > 0) sink.Take(block.data(), got);
    total += got;
    if (got < kBlockFrames) break;
  }
  if (total == 0 && !failure.empty()) {
    error = "the audio cannot be decoded: " + failure;
    return false;
  }
  return true;
}
