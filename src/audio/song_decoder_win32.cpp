// song_decoder_win32.cpp -- song files read with ReadFile, decoded here or by the ACM, handed to a frame sink.
#include "audio/song_decoder_win32.h"

#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "audio/media_foundation_win32.h"
#include "audio/mp3_header.h"
#include "audio/mp4_priming.h"
#include "audio/ogg_reader.h"
#include "audio/song_format.h"
#include "audio/wav_reader.h"

namespace {

constexpr DWORD kReadBlock = 64 * 1024;
// About a third of a second of CD audio: the analysis of one such portion
// takes a few ms, so a cancel is seen well within 20 ms.
constexpr size_t kFeedFrames = 16384;
constexpr DWORD kCodecInput = 8 * 1024;  // compressed bytes per ACM conversion

// The file and where its reading stands.
struct SongFile {
  HANDLE handle = INVALID_HANDLE_VALUE;
  uint64_t size = 0;
  uint64_t done = 0;
  std::vector<uint8_t> block = std::vector<uint8_t>(kReadBlock);
  DWORD got = 0;
  bool replay = false;  // the block read to tell the format goes to the decoder first
  bool failed = false;
  std::atomic<int32_t>* percent = nullptr;
  const wchar_t* path = nullptr;
};

// One decode: the file, where its frames go, and how it ends.
struct Decode {
  SongFile& file;
  FrameSink& sink;
  const std::atomic<bool>& cancel;
  std::string& error;
  bool started = false;
  uint64_t framesHanded = 0;  // nothing handed over means the file held no audio
  std::vector<float> frames;
};

bool ReadBlock(SongFile& file) {
  if (file.replay) {
    file.replay = false;
    return file.got > 0;
  }
  file.got = 0;
  if (!ReadFile(file.handle, file.block.data(), kReadBlock, &file.got, nullptr)) {
    file.failed = true;
    return false;
  }
  file.done += file.got;
  if (file.size > 0) file.percent->store(int32_t(std::min<uint64_t>(100, file.done * 100 / file.size)));
  return file.got > 0;
}

bool Cancelled(const Decode& d) { return d.cancel.load(std::memory_order_relaxed); }

bool Start(Decode& d, int rate, int channels) {
  d.started = d.sink.Start(rate, channels, d.error);
  return d.started;
}

// The first `count` frames of d.frames to the sink.
void Hand(Decode& d, size_t count) {
  d.sink.Take(d.frames.data(), count);
  d.framesHanded += count;
}

// The ACM stream of one codec, with one prepared header whose source part
// collects compressed bytes until a conversion.
struct Codec {
  HACMSTREAM stream = nullptr;
  ACMSTREAMHEADER header = {};
  std::vector<uint8_t> source, pcm;
  DWORD waiting = 0;  // bytes in `source` not yet converted
  int channels = 0;
  bool first = true;
  bool prepared = false;
};

bool Codec_Open(Codec& codec, const WAVEFORMATEX* from, const WAVEFORMATEX& to, DWORD sourceBytes) {
  if (acmStreamOpen(&codec.stream, nullptr, const_cast<WAVEFORMATEX*>(from), const_cast<WAVEFORMATEX*>(&to),
                    nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME) != 0) {
    codec.stream = nullptr;
    return false;
  }
  DWORD pcmBytes = 0;
  if (acmStreamSize(codec.stream, sourceBytes, &pcmBytes, ACM_STREAMSIZEF_SOURCE) != 0 || pcmBytes == 0) return false;
  codec.channels = to.nChannels;
  codec.source.resize(sourceBytes);
  codec.pcm.resize(size_t(pcmBytes) * 2 + 8192);  // room for what a codec held back from the last call
  codec.header.cbStruct = sizeof codec.header;
  codec.header.pbSrc = codec.source.data();
  codec.header.cbSrcLength = sourceBytes;
  codec.header.pbDst = codec.pcm.data();
  codec.header.cbDstLength = DWORD(codec.pcm.size());
  codec.prepared = acmStreamPrepareHeader(codec.stream, &codec.header, 0) == 0;
  return codec.prepared;
}

void Codec_Close(Codec& codec) {
  if (codec.prepared) {
    // The header goes back as it was prepared.
    codec.header.cbSrcLength = DWORD(codec.source.size());
    codec.header.cbDstLength = DWORD(codec.pcm.size());
    acmStreamUnprepareHeader(codec.stream, &codec.header, 0);
  }
  if (codec.stream != nullptr) acmStreamClose(codec.stream, 0);
}

bool Codec_Add(Codec& codec, const uint8_t* data, size_t size) {
  if (size > codec.source.size() - codec.waiting) return false;
  std::memcpy(codec.source.data() + codec.waiting, data, size);
  codec.waiting += DWORD(size);
  return true;
}

// Converts the waiting bytes (`last`: and flushes the codec); `pcm` gets the
// 16-bit samples it gave. Bytes the codec left for lack of a whole block wait
// for the next call. False when the codec fails.
bool Codec_Convert(Codec& codec, bool last, std::vector<int16_t>& pcm) {
  pcm.clear();
  DWORD flags = ACM_STREAMCONVERTF_BLOCKALIGN;
  if (codec.first) flags |= ACM_STREAMCONVERTF_START;
  if (last) flags = (flags & ~DWORD(ACM_STREAMCONVERTF_BLOCKALIGN)) | ACM_STREAMCONVERTF_END;
  codec.header.cbSrcLength = codec.waiting;
  codec.header.cbDstLength = DWORD(codec.pcm.size());
  codec.header.cbSrcLengthUsed = codec.header.cbDstLengthUsed = 0;
  if (acmStreamConvert(codec.stream, &codec.header, flags) != 0) return false;
  codec.first = false;
  DWORD used = std::min(codec.header.cbSrcLengthUsed, codec.waiting);
  std::memmove(codec.source.data(), codec.source.data() + used, codec.waiting - used);
  codec.waiting -= used;
  DWORD produced = std::min(codec.header.cbDstLengthUsed, DWORD(codec.pcm.size()));
  pcm.resize(produced / 2);
  std::memcpy(pcm.data(), codec.pcm.data(), pcm.size() * 2);
  return true;
}

// Feeds 16-bit frames, leaving out those `trim` says are not the song's
// (`decoded` counts the frames the codec has given so far).
void FeedPcm(Decode& d, const std::vector<int16_t>& pcm, int channels, const Mp3Trim& trim, uint64_t& decoded) {
  size_t count = pcm.size() / size_t(channels);
  uint64_t from = decoded, to = decoded + count;
  decoded = to;
  uint64_t keepEnd = trim.keep > UINT64_MAX - trim.skip ? UINT64_MAX : trim.skip + trim.keep;
  uint64_t first = std::max(from, trim.skip), end = std::min(to, keepEnd);
  if (first >= end) return;
  d.frames.resize(size_t(end - first) * size_t(channels));
  const int16_t* in = pcm.data() + size_t(first - from) * size_t(channels);
  for (size_t i = 0; i < d.frames.size(); ++i) d.frames[i] = float(in[i]) * (1.0f / 32768);
  Hand(d, size_t(end - first));
}

WAVEFORMATEX Pcm16(int rate, int channels) {
  WAVEFORMATEX pcm = {};
  pcm.wFormatTag = WAVE_FORMAT_PCM;
  pcm.nChannels = WORD(channels);
  pcm.nSamplesPerSec = DWORD(rate);
  pcm.wBitsPerSample = 16;
  pcm.nBlockAlign = WORD(2 * channels);
  pcm.nAvgBytesPerSec = pcm.nSamplesPerSec * pcm.nBlockAlign;
  return pcm;
}

// The MP3's decoding: frames from the framer, in portions, through the codec.
struct Mp3Decode {
  Mp3Framer framer;
  Codec codec;
  Mp3Trim trim;
  uint64_t decoded = 0;
  std::vector<int16_t> pcm;
};

bool Mp3_OpenCodec(Decode& d, Mp3Decode& m, const Mp3FrameHeader& audio) {
  const Mp3FrameHeader& first = m.framer.First();
  MPEGLAYER3WAVEFORMAT mp3 = {};
  mp3.wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
  mp3.wfx.nChannels = WORD(first.channels);
  mp3.wfx.nSamplesPerSec = DWORD(first.sampleRate);
  mp3.wfx.nAvgBytesPerSec = DWORD(audio.bitrateKbps) * 125;
  mp3.wfx.nBlockAlign = 1;
  mp3.wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
  mp3.wID = MPEGLAYER3_ID_MPEG;
  mp3.fdwFlags = MPEGLAYER3_FLAG_PADDING_OFF;
  mp3.nBlockSize = WORD(audio.frameBytes);
  mp3.nFramesPerBlock = 1;
  WAVEFORMATEX pcm = Pcm16(first.sampleRate, first.channels);
  if (!Codec_Open(m.codec, &mp3.wfx, pcm, kCodecInput)) {
    d.error = "the MP3 codec cannot be opened";
    return false;
  }
  m.trim = Mp3_TrimFor(m.framer.Tag(), first);
  return Start(d, first.sampleRate, first.channels);
}

bool Mp3_Convert(Decode& d, Mp3Decode& m, bool last) {
  if (!Codec_Convert(m.codec, last, m.pcm)) {
    d.error = "the MP3 codec cannot decode the file";
    return false;
  }
  FeedPcm(d, m.pcm, m.codec.channels, m.trim, m.decoded);
  return true;
}

// Hands the framer's whole frames to the codec, a portion at a time.
DecodeResult Mp3_Drain(Decode& d, Mp3Decode& m) {
  const uint8_t* frame = nullptr;
  Mp3FrameHeader header;
  while (m.framer.NextFrame(frame, header)) {
    if (!d.started && !Mp3_OpenCodec(d, m, header)) return DecodeResult::kFailed;
    if (m.codec.waiting + size_t(header.frameBytes) > m.codec.source.size()) {
      if (Cancelled(d)) return DecodeResult::kCancelled;
      if (!Mp3_Convert(d, m, false)) return DecodeResult::kFailed;
    }
    if (!Codec_Add(m.codec, frame, size_t(header.frameBytes))) {
      d.error = "the MP3 codec cannot decode the file";
      return DecodeResult::kFailed;
    }
  }
  return DecodeResult::kDecoded;
}

DecodeResult DecodeMp3(Decode& d) {
  Mp3Decode m;
  DecodeResult result = DecodeResult::kDecoded;
  while (result == DecodeResult::kDecoded && ReadBlock(d.file)) {
    if (Cancelled(d)) result = DecodeResult::kCancelled;
    m.framer.Push(d.file.block.data(), d.file.got);
    if (result == DecodeResult::kDecoded) result = Mp3_Drain(d, m);
  }
  if (result == DecodeResult::kDecoded && !d.file.failed) {
    m.framer.EndOfFile();
    result = Mp3_Drain(d, m);
    if (result == DecodeResult::kDecoded && d.started && !Mp3_Convert(d, m, true)) result = DecodeResult::kFailed;
    if (result == DecodeResult::kDecoded && !d.started) {
      d.error = "the MP3 file holds no audio";
      result = DecodeResult::kFailed;
    }
  }
  Codec_Close(m.codec);
  return result;
}

// The WAV's decoding: its own samples converted here, other formats by the codec.
struct WavDecode {
  WavReader reader;
  Codec codec;
  bool viaCodec = false;
  std::vector<uint8_t> bytes;
  std::vector<int16_t> pcm;
  uint64_t decoded = 0;
};

bool Wav_OpenCodec(Decode& d, WavDecode& w) {
  const WavFormat& format = w.reader.Format();
  // The fmt chunk as a WAVEFORMATEX whose cbSize claims no more than was written.
  std::vector<uint8_t> fmt = format.fmt;
  fmt.resize(std::max<size_t>(fmt.size(), sizeof(WAVEFORMATEX)));
  WORD extra = WORD(std::min<size_t>(format.fmt.size() >= 18 ? fmt[16] | fmt[17] << 8 : 0, fmt.size() - 18));
  std::memcpy(fmt.data() + 16, &extra, 2);
  const WAVEFORMATEX* from = reinterpret_cast<const WAVEFORMATEX*>(fmt.data());
  WAVEFORMATEX pcm = Pcm16(format.sampleRate, format.channels);
  DWORD sourceBytes = std::max<DWORD>(kCodecInput / DWORD(format.blockAlign), 1) * DWORD(format.blockAlign);
  if (acmFormatSuggest(nullptr, const_cast<WAVEFORMATEX*>(from), &pcm, sizeof pcm,
                       ACM_FORMATSUGGESTF_WFORMATTAG | ACM_FORMATSUGGESTF_WBITSPERSAMPLE) != 0 ||
      !Codec_Open(w.codec, from, pcm, sourceBytes)) {
    d.error = "no codec on this system decodes the WAV file's format";
    return false;
  }
  w.viaCodec = true;
  return Start(d, int(pcm.nSamplesPerSec), pcm.nChannels);
}

DecodeResult Wav_Drain(Decode& d, WavDecode& w, bool last) {
  if (w.reader.Failed()) {
    d.error = w.reader.Error();
    return DecodeResult::kFailed;
  }
  if (!w.reader.HasFormat()) return DecodeResult::kDecoded;
  const WavFormat& format = w.reader.Format();
  if (!d.started) {
    bool direct = format.encoding != WavEncoding::kCodec;
    if (direct ? !Start(d, format.sampleRate, format.channels) : !Wav_OpenCodec(d, w)) return DecodeResult::kFailed;
  }
  for (;;) {
    if (Cancelled(d)) return DecodeResult::kCancelled;
    if (!w.viaCodec) {
      if (w.reader.TakeFrames(d.frames, kFeedFrames) == 0) break;
      Hand(d, d.frames.size() / size_t(format.channels));
      continue;
    }
    size_t room = (w.codec.source.size() - w.codec.waiting) / size_t(format.blockAlign);
    bool none = w.reader.TakeData(w.bytes, room) == 0;
    if (none && !last) break;
    Codec_Add(w.codec, w.bytes.data(), w.bytes.size());
    if (!Codec_Convert(w.codec, none, w.pcm)) {
      d.error = "the codec cannot decode the WAV file";
      return DecodeResult::kFailed;
    }
    FeedPcm(d, w.pcm, w.codec.channels, Mp3Trim{0, UINT64_MAX}, w.decoded);
    if (none) break;
  }
  return DecodeResult::kDecoded;
}

DecodeResult DecodeWav(Decode& d) {
  WavDecode w;
  DecodeResult result = DecodeResult::kDecoded;
  while (result == DecodeResult::kDecoded && !w.reader.DataEnded() && ReadBlock(d.file)) {
    w.reader.Push(d.file.block.data(), d.file.got);
    result = Wav_Drain(d, w, false);
  }
  if (result == DecodeResult::kDecoded && !d.file.failed) {
    result = Wav_Drain(d, w, true);
    if (result == DecodeResult::kDecoded && !d.started) {
      d.error = "the WAV file holds no audio";
      result = DecodeResult::kFailed;
    }
  }
  Codec_Close(w.codec);
  return result;
}

DecodeResult Ogg_Drain(Decode& d, OggReader& ogg) {
  while (!ogg.Failed() && ogg.HasFormat()) {
    if (Cancelled(d)) return DecodeResult::kCancelled;
    if (!d.started && !Start(d, ogg.SampleRate(), ogg.Channels())) return DecodeResult::kFailed;
    if (ogg.TakeFrames(d.frames, kFeedFrames / 4) == 0) break;
    Hand(d, d.frames.size() / size_t(ogg.Channels()));
  }
  // A stream that breaks off after its audio began is a short song, not a failure.
  if (ogg.Failed() && !d.started) {
    d.error = ogg.Error();
    return DecodeResult::kFailed;
  }
  return DecodeResult::kDecoded;
}

DecodeResult DecodeOgg(Decode& d) {
  OggReader ogg;
  DecodeResult result = DecodeResult::kDecoded;
  while (result == DecodeResult::kDecoded && !ogg.Failed() && ReadBlock(d.file)) {
    ogg.Push(d.file.block.data(), d.file.got);
    result = Ogg_Drain(d, ogg);
  }
  if (result == DecodeResult::kDecoded && !d.file.failed) {
    ogg.EndOfFile();
    result = Ogg_Drain(d, ogg);
  }
  return result;
}

// A sink that remembers whether it was started.
struct StartWatch final : FrameSink {
  FrameSink& sink;
  bool started = false;
  explicit StartWatch(FrameSink& to) : sink(to) {}
  bool Start(int sampleRate, int channels, std::string& error) override {
    started = sink.Start(sampleRate, channels, error);
    return started;
  }
  void Take(const float* frames, size_t count) override { sink.Take(frames, count); }
};

// `size` bytes at `offset` of the file, read aside of the decoding's reading.
bool ReadAt(SongFile& file, uint64_t offset, uint8_t* out, size_t size) {
  LARGE_INTEGER at;
  at.QuadPart = LONGLONG(offset);
  DWORD got = 0;
  return size <= MAXDWORD && SetFilePointerEx(file.handle, at, nullptr, FILE_BEGIN) &&
         ReadFile(file.handle, out, DWORD(size), &got, nullptr) && got == size;
}

// A file none of the decoders here reads, through Media Foundation.
// `isMp4`: its priming is read from its boxes.
DecodeResult DecodeOther(Decode& d, const std::string& what, bool isMp4) {
  MediaFoundationSong song;
  song.path = d.file.path;
  song.what = what;
  if (isMp4) {
    SongFile& file = d.file;
    song.priming = [&file](int sampleRate) {
      return Mp4_PrimingFrames([&file](uint64_t offset, uint8_t* out, size_t size) { return ReadAt(file, offset, out, size); },
                               file.size, sampleRate);
    };
  }
  StartWatch watch(d.sink);
  DecodeResult result = MediaFoundation_Decode(song, watch, d.cancel, *d.file.percent, d.error, d.framesHanded);
  d.started = watch.started;
  return result;
}

DecodeResult DecodeOpened(Decode& d) {
  LARGE_INTEGER size = {};
  if (GetFileSizeEx(d.file.handle, &size)) d.file.size = uint64_t(size.QuadPart);
  if (!ReadBlock(d.file)) {
    d.error = d.file.failed ? "the file cannot be read" : "the file is empty";
    return DecodeResult::kFailed;
  }
  d.file.replay = true;
  DecodeResult own = DecodeResult::kFailed;
  SongFormat format = Song_SniffFormat(d.file.block.data(), d.file.got);
  switch (format) {
    case SongFormat::kWav: own = DecodeWav(d); break;
    case SongFormat::kOgg: own = DecodeOgg(d); break;
    case SongFormat::kMp3: own = DecodeMp3(d); break;
    case SongFormat::kUnknown:
      return DecodeOther(d, Song_DescribeOther(d.file.block.data(), d.file.got),
                         Song_IsMp4(d.file.block.data(), d.file.got));
  }
  // An Ogg of another codec this decoder cannot begin (Opus, FLAC in Ogg)
  // gets a second chance; if that fails too, the first decoder's reason is
  // the clearer one. A damaged Vorbis file does not: Wine's readers were
  // seen to hang on damaged files. Nor does an MP3: what other decoders make
  // of its encoder's delay differs, and a chart made from it could be late.
  // Nor does a WAV: its codecs are the ACM's whoever reads it.
  if (own != DecodeResult::kFailed || d.started || d.file.failed || format != SongFormat::kOgg ||
      !Song_IsOtherOgg(d.file.block.data(), d.file.got))
    return own;
  std::string first = d.error;
  DecodeResult other = DecodeOther(d, first, false);
  if (other == DecodeResult::kCancelled || (other == DecodeResult::kDecoded && d.framesHanded > 0)) return other;
  d.error = first;
  return DecodeResult::kFailed;
}

}  // namespace

DecodeResult DecodeSongFile(const wchar_t* path, FrameSink& sink, const std::atomic<bool>& cancel,
                            std::atomic<int32_t>& percent, std::string& error) {
  percent.store(0);
  error.clear();
  if (cancel.load()) return DecodeResult::kCancelled;
  SongFile file;
  file.percent = &percent;
  file.path = path;
  file.handle = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file.handle == INVALID_HANDLE_VALUE) {
    error = "the file cannot be opened";
    return DecodeResult::kFailed;
  }
  Decode d{file, sink, cancel, error};
  DecodeResult result = DecodeOpened(d);
  CloseHandle(file.handle);
  if (file.failed && result != DecodeResult::kCancelled) {
    error = "the file cannot be read";
    result = DecodeResult::kFailed;
  }
  if (result == DecodeResult::kDecoded && d.framesHanded == 0) {
    error = "the file holds no audio";
    result = DecodeResult::kFailed;
  }
  if (result == DecodeResult::kFailed && error.empty()) error = "the file cannot be decoded";
  if (result == DecodeResult::kDecoded) percent.store(100);
  return result;
}
