// ogg_reader.cpp -- stb_vorbis's push API fed from the file's blocks, planar floats to frames.
#include "audio/ogg_reader.h"

#define STB_VORBIS_HEADER_ONLY
#define STB_VORBIS_NO_PULLDATA_API
#define STB_VORBIS_NO_STDIO
#include "stb_vorbis.h"

#include <cstdlib>
#include <cstring>

// Each block of the decoder's, linked into its reader's heap.
struct alignas(16) OggBlock {
  OggHeap* heap;
  OggBlock* prev;
  OggBlock* next;
  size_t size;
};

namespace {

// The heap of the reader whose decoder runs on this thread (stb_vorbis's
// malloc has no context of its own).
thread_local OggHeap* currentHeap = nullptr;

struct UsingHeap {
  explicit UsingHeap(OggHeap& heap) { currentHeap = &heap; }
  ~UsingHeap() { currentHeap = nullptr; }
};

uint32_t Le32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

enum class CommentCheck { kNeedMore, kSane, kBroken };

// Whether the comment header's lengths fit inside it: stb_vorbis trusts
// them, and a count or length that does not fit makes it write past the
// lists it allocates for them.
CommentCheck CheckComments(const std::vector<uint8_t>& packet) {
  size_t size = packet.size(), at = 7;
  // The vendor's length and the comment count come first, 4 bytes each.
  if (size < at + 8 || packet[0] != 3 || std::memcmp(packet.data() + 1, "vorbis", 6) != 0) return CommentCheck::kBroken;
  uint64_t vendor = Le32(packet.data() + at);
  if (vendor > size - at - 8) return CommentCheck::kBroken;
  at += 4 + size_t(vendor);
  uint64_t count = Le32(packet.data() + at);
  at += 4;
  if (count > (size - at) / 4) return CommentCheck::kBroken;
  for (uint64_t i = 0; i < count; ++i) {
    if (size - at < 4) return CommentCheck::kBroken;
    uint64_t length = Le32(packet.data() + at);
    if (length > size - at - 4) return CommentCheck::kBroken;
    at += 4 + size_t(length);
  }
  return CommentCheck::kSane;
}

// Finds the first stream's second packet (its comments) in the pages at the
// start of `data` and checks it.
CommentCheck CheckCommentHeader(const uint8_t* data, size_t size) {
  std::vector<uint8_t> packet;
  int packetIndex = 0;
  uint32_t serial = 0;
  for (size_t at = 0;;) {
    if (size - at < 27) return CommentCheck::kNeedMore;
    if (std::memcmp(data + at, "OggS", 4) != 0) return CommentCheck::kBroken;
    size_t segments = data[at + 26], body = 0;
    if (size - at < 27 + segments) return CommentCheck::kNeedMore;
    for (size_t i = 0; i < segments; ++i) body += data[at + 27 + i];
    if (size - at - 27 - segments < body) return CommentCheck::kNeedMore;
    if (at == 0) serial = Le32(data + 14);
    const uint8_t* lacing = data + at + 27;
    const uint8_t* bytes = lacing + segments;
    for (size_t i = 0; i < segments && Le32(data + at + 14) == serial; bytes += lacing[i++]) {
      if (packetIndex == 1) packet.insert(packet.end(), bytes, bytes + lacing[i]);
      if (lacing[i] < 255 && packetIndex++ == 1) return CheckComments(packet);
    }
    at += 27 + segments + body;
  }
}

}  // namespace

extern "C" void* Ogg_HeapAlloc(size_t size) {
  OggHeap* heap = currentHeap;
  if (heap == nullptr || size > kOggMaxDecoderBytes - heap->bytes) return nullptr;
  OggBlock* block = static_cast<OggBlock*>(std::malloc(sizeof(OggBlock) + size));
  if (block == nullptr) return nullptr;
  *block = OggBlock{heap, nullptr, heap->blocks, size};
  if (heap->blocks != nullptr) heap->blocks->prev = block;
  heap->blocks = block;
  heap->bytes += size;
  return block + 1;
}

extern "C" void Ogg_HeapFree(void* pointer) {
  if (pointer == nullptr) return;
  OggBlock* block = static_cast<OggBlock*>(pointer) - 1;
  OggHeap* heap = block->heap;
  if (block->prev != nullptr) block->prev->next = block->next;
  else heap->blocks = block->next;
  if (block->next != nullptr) block->next->prev = block->prev;
  heap->bytes -= block->size;
  std::free(block);
}

OggReader::~OggReader() {
  UsingHeap using_(heap_);
  if (decoder_ != nullptr) stb_vorbis_close(decoder_);
  while (heap_.blocks != nullptr) Ogg_HeapFree(heap_.blocks + 1);
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
  CommentCheck comments = CheckCommentHeader(pending_.data(), pending_.size());
  if (comments != CommentCheck::kSane) {
    if (comments == CommentCheck::kBroken) error_ = "the Ogg file holds no Vorbis audio";
    return;
  }
  int used = 0, error = 0;
  UsingHeap using_(heap_);
  decoder_ = stb_vorbis_open_pushdata(pending_.data(), int(pending_.size()), &used, &error, nullptr);
  if (decoder_ == nullptr) {
    while (heap_.blocks != nullptr) Ogg_HeapFree(heap_.blocks + 1);  // what a failed open left
    if (error != VORBIS_need_more_data) error_ = "the Ogg file holds no Vorbis audio";
    return;
  }
  stb_vorbis_info info = stb_vorbis_get_info(decoder_);
  if (info.sample_rate == 0 || info.sample_rate > 0x7FFFFFFF || info.channels < 1) {
    error_ = "the Ogg Vorbis file's format is damaged";
    return;
  }
  sampleRate_ = int(info.sample_rate);
  channels_ = info.channels;
  head_ = size_t(used);
}

size_t OggReader::TakeFrames(std::vector<float>& out, size_t minFrames) {
  out.clear();
  if (decoder_ == nullptr || Failed()) return 0;
  size_t frames = 0;
  UsingHeap using_(heap_);
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
