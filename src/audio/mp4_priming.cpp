// mp4_priming.cpp -- the moov box read from wherever it sits, its audio track's first edit or iTunSMPB found.
#include "audio/mp4_priming.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The moov box of a song is a few kB to a few MB (its sample tables).
constexpr uint64_t kMoovMax = 32u << 20;

uint32_t Be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }
uint64_t Be64(const uint8_t* p) { return uint64_t(Be32(p)) << 32 | Be32(p + 4); }

// A box inside a buffer: its type and its content's bounds.
struct Box {
  char type[5] = {};
  size_t begin = 0, end = 0;
};

// The boxes between `begin` and `end` of `data`, in order; stops at the first broken one.
std::vector<Box> Children(const std::vector<uint8_t>& data, size_t begin, size_t end) {
  std::vector<Box> boxes;
  while (end - begin >= 8) {
    uint64_t size = Be32(&data[begin]);
    size_t header = 8;
    if (size == 1 && end - begin >= 16) size = Be64(&data[begin + 8]), header = 16;
    if (size == 0) size = end - begin;
    if (size < header || size > end - begin) break;
    Box box;
    std::memcpy(box.type, &data[begin + 4], 4);
    box.begin = begin + header;
    box.end = begin + size_t(size);
    boxes.push_back(box);
    begin = box.end;
  }
  return boxes;
}

const Box* Child(const std::vector<Box>& boxes, const char* type) {
  for (const Box& box : boxes)
    if (std::memcmp(box.type, type, 4) == 0) return &box;
  return nullptr;
}

// The child `path` ("mdia/mdhd") of `box` into `found`; false when there is none.
bool Find(const std::vector<uint8_t>& data, Box box, const std::string& path, Box& found) {
  size_t from = 0;
  while (from < path.size()) {
    size_t slash = path.find('/', from);
    std::string type = path.substr(from, slash == std::string::npos ? std::string::npos : slash - from);
    // meta is a full box: its children come after a version and flags.
    size_t skip = std::memcmp(box.type, "meta", 4) == 0 ? 4 : 0;
    if (box.end - box.begin < skip) return false;
    std::vector<Box> children = Children(data, box.begin + skip, box.end);
    const Box* child = Child(children, type.c_str());
    if (child == nullptr) return false;
    box = *child;
    from = slash == std::string::npos ? path.size() : slash + 1;
  }
  found = box;
  return true;
}

// The audio track's priming from its first edit, in frames; -1 when none.
int64_t EditListPriming(const std::vector<uint8_t>& data, const Box& moov, int sampleRate) {
  for (const Box& trak : Children(data, moov.begin, moov.end)) {
    if (std::memcmp(trak.type, "trak", 4) != 0) continue;
    Box hdlr, mdhd, elst;
    if (!Find(data, trak, "mdia/hdlr", hdlr) || hdlr.end - hdlr.begin < 12 ||
        std::memcmp(&data[hdlr.begin + 8], "soun", 4) != 0)
      continue;
    if (!Find(data, trak, "mdia/mdhd", mdhd) || !Find(data, trak, "edts/elst", elst)) return -1;
    bool wide = mdhd.end > mdhd.begin && data[mdhd.begin] == 1;
    size_t at = mdhd.begin + (wide ? 20 : 12);
    if (at + 4 > mdhd.end || Be32(&data[at]) == 0) return -1;
    uint64_t timescale = Be32(&data[at]);
    // The first edit that shows media (an empty edit, time -1, only delays).
    bool wideEdits = elst.end > elst.begin && data[elst.begin] == 1;
    size_t entry = wideEdits ? 20 : 12;
    if (elst.end - elst.begin < 8) return -1;
    uint32_t count = Be32(&data[elst.begin + 4]);
    for (size_t i = 0, p = elst.begin + 8; i < count && p + entry <= elst.end; ++i, p += entry) {
      int64_t mediaTime = wideEdits ? int64_t(Be64(&data[p + 8])) : int64_t(int32_t(Be32(&data[p + 4])));
      if (mediaTime >= 0) return int64_t(uint64_t(mediaTime) * uint64_t(sampleRate) / timescale);
    }
    return -1;
  }
  return -1;
}

// iTunes' " 00000000 00000840 000001CA ...": the second number is the priming.
int64_t ItunesPriming(const std::vector<uint8_t>& data, const Box& moov) {
  Box ilst;
  if (!Find(data, moov, "udta/meta/ilst", ilst)) return -1;
  for (const Box& item : Children(data, ilst.begin, ilst.end)) {
    if (std::memcmp(item.type, "----", 4) != 0) continue;
    std::vector<Box> parts = Children(data, item.begin, item.end);
    const Box* name = Child(parts, "name");
    const Box* value = Child(parts, "data");
    if (name == nullptr || value == nullptr || name->end - name->begin < 4 || value->end - value->begin < 8) continue;
    if (std::string(data.begin() + long(name->begin) + 4, data.begin() + long(name->end)) != "iTunSMPB") continue;
    std::string text(data.begin() + long(value->begin) + 8, data.begin() + long(value->end));
    char* rest = nullptr;
    std::strtoull(text.c_str(), &rest, 16);
    const char* start = rest;
    int64_t priming = int64_t(std::strtoull(start, &rest, 16));
    return rest == start ? -1 : priming;
  }
  return -1;
}

}  // namespace

int64_t Mp4_PrimingFrames(const ReadAt& read, uint64_t fileSize, int sampleRate) {
  // The top-level boxes, skipped over (the audio may come before moov) until moov.
  uint8_t header[16];
  for (uint64_t offset = 0; offset + 8 <= fileSize;) {
    if (!read(offset, header, 8)) return 0;
    uint64_t size = Be32(header), headerSize = 8;
    if (size == 1) {
      if (!read(offset + 8, header + 8, 8)) return 0;
      size = Be64(header + 8), headerSize = 16;
    }
    if (size == 0) size = fileSize - offset;
    if (size < headerSize || size > fileSize - offset) return 0;
    if (std::memcmp(header + 4, "moov", 4) == 0) {
      if (size > kMoovMax) return 0;
      std::vector<uint8_t> moov(static_cast<size_t>(size));
      if (!read(offset, moov.data(), moov.size())) return 0;
      Box box;
      std::memcpy(box.type, "moov", 4);
      box.begin = size_t(headerSize);
      box.end = moov.size();
      int64_t priming = EditListPriming(moov, box, sampleRate);
      if (priming < 0) priming = ItunesPriming(moov, box);
      return priming < 0 ? 0 : priming;
    }
    offset += size;
  }
  return 0;
}

int64_t Song_FramesToSkip(int64_t priming, int64_t firstTime, int sampleRate) {
  int64_t first = int64_t(std::llround(double(firstTime) * sampleRate / 1e7));
  return std::max<int64_t>(0, priming - first);
}
