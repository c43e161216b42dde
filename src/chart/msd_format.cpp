// msd_format.cpp -- line-break stripping, tempo, step count, chart lookup and clock arithmetic.
#include "chart/msd_format.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

uint32_t stripLineBreaks(char* text, uint32_t size, uint32_t* keptFrom) {
  // r runs in 64 bits: stepping by three from near UINT32_MAX must not wrap.
  uint64_t r = 0;
  uint32_t w = 0;
  while (r < size) {
    if (keptFrom != nullptr) keptFrom[w] = uint32_t(r);
    text[w++] = text[r];
    if (r + 1 < size && text[r + 1] == '\r') {
      r += 3;
    } else {
      r += 1;
    }
  }
  text[w] = '\0';
  return w;
}

uint32_t textLengthOf(const char* text, uint32_t limit) {
  const void* zero = std::memchr(text, 0, limit);
  return zero == nullptr ? limit : uint32_t(static_cast<const char*>(zero) - text);
}

int64_t findTempoTag(const char* text) {
  const char* tag = std::strstr(text, kTempoTag);
  return tag == nullptr ? kNoOffset : int64_t(tag - text);
}

size_t decimalLength(const char* text) {
  auto digit = [](char c) { return c >= '0' && c <= '9'; };
  size_t at = 0;
  if (text[at] == '+' || text[at] == '-') ++at;
  size_t digits = 0;
  for (; digit(text[at]); ++at) ++digits;
  if (text[at] == '.')
    for (++at; digit(text[at]); ++at) ++digits;
  if (digits == 0) return 0;
  if (text[at] == 'e' || text[at] == 'E') {
    size_t exponent = at + 1;
    if (text[exponent] == '+' || text[exponent] == '-') ++exponent;
    if (digit(text[exponent])) {
      while (digit(text[exponent])) ++exponent;
      at = exponent;
    }
  }
  return at;
}

TempoResult readTempo(const char* text, float& bpm, float& msPerStep) {
  int64_t tag = findTempoTag(text);
  if (tag == kNoOffset) return kTempoMissing;
  // A decimal number after blanks, as the format spells it: the C library's
  // own float scanning would also take hex ("0x78" as 120), inf and nan.
  const char* number = text + tag + std::strlen(kTempoTag);
  while (*number == ' ' || (*number >= '\t' && *number <= '\r')) ++number;
  size_t length = decimalLength(number);
  if (length == 0) return kTempoUnreadable;
  float value = std::strtof(std::string(number, length).c_str(), nullptr);
  bpm = value;
  if (!(value > 0.0f) || std::isinf(value)) return kTempoUnplayable;
  // A tempo this small would make a step longer than the largest float.
  if (!(30000.0 / double(value) <= double(FLT_MAX))) return kTempoUnplayable;
  msPerStep = msPerStepFor(value);
  return kTempoRead;
}

float msPerStepFor(float bpm) { return float(30000.0 / double(bpm)); }

int32_t measureStepCount(const char* text, uint32_t textLength) {
  const char* first = std::strstr(text, kChartTag);
  if (first == nullptr) return 0;
  uint64_t dataStart = uint64_t(first - text) + kFixedHeaderLength;
  uint64_t count = 0;
  for (uint64_t at = dataStart + 1; at < textLength && count == 0; ++at) {
    if (text[at] == ';') count = at - dataStart;
  }
  if (count == 0 && textLength > dataStart) count = textLength - dataStart;
  return count > uint64_t(INT32_MAX) ? INT32_MAX : int32_t(count);
}

int64_t findChart(const char* text, int32_t level) {
  const char* found = std::strstr(text, kChartTag);
  for (int32_t skipped = 0; found != nullptr && skipped < level; ++skipped) {
    found = std::strstr(found + 1, kChartTag);
  }
  return found == nullptr ? kNoOffset : int64_t(found - text);
}

int64_t findStepData(const char* text, int64_t chartOffset) {
  const char* at = text + chartOffset;
  for (int colons = 0; colons < 3; ++colons) {
    at = std::strchr(at, ':');
    if (at == nullptr) return kNoOffset;
    ++at;
  }
  return int64_t(at - text);
}

int32_t correctedPosition(int32_t pos, int32_t sampled) {
  uint32_t d = uint32_t(pos) - uint32_t(sampled);
  uint32_t t = uint32_t(pos) + d / 220u;
  return int32_t(t);  // two's complement wrap, as the clock's sum is defined
}

int32_t stepIndexAt(int32_t t, float msPerStep) {
  double quotient = double(t) / double(msPerStep);
  if (std::isnan(quotient)) return 0;
  if (quotient >= 2147483648.0) return INT32_MAX;
  if (quotient <= -2147483649.0) return INT32_MIN;
  return int32_t(quotient);  // truncates toward zero, always in range here
}

int64_t StepDueAt(int32_t index, float msPerStep) {
  // The latest position searched for a due time: t stays below 2^31 up to here.
  constexpr int32_t kLatestPosition = 2000000000;
  auto reached = [&](int32_t pos) { return stepIndexAt(correctedPosition(pos, 0), msPerStep) >= index; };
  if (!reached(kLatestPosition)) return -1;
  int32_t low = 0;
  int32_t high = kLatestPosition;
  while (low < high) {
    int32_t middle = low + (high - low) / 2;
    if (reached(middle)) {
      high = middle;
    } else {
      low = middle + 1;
    }
  }
  return low;
}

bool isPlayableStepLength(float msPerStep) {
  return msPerStep > 0.0f && !std::isinf(msPerStep);
}

bool isChartFinished(int32_t index, int32_t stepCount) {
  return int64_t(index) - 1 >= int64_t(stepCount);
}

int64_t stepOffset(int64_t dataOffset, int32_t index, uint32_t textLength) {
  int64_t offset = dataOffset + int64_t(index) - 1;
  if (offset < 0 || offset >= int64_t(textLength)) return kNoOffset;
  return offset;
}

size_t buildChartPath(const char* folder, const char* title, char* out, size_t outSize) {
  const char* dot = std::strchr(title, '.');
  size_t stemLength = dot != nullptr ? size_t(dot - title) + 1 : std::strlen(title);
  const char* suffix = dot != nullptr ? "msd" : ".msd";
  size_t folderLength = std::strlen(folder);
  size_t fullLength = folderLength + 1 + stemLength + std::strlen(suffix);
  if (outSize == 0) return fullLength;
  // Assemble piece by piece, each piece cut to the room left.
  size_t used = 0;
  const char* pieces[4] = {folder, "\\", title, suffix};
  size_t lengths[4] = {folderLength, 1, stemLength, std::strlen(suffix)};
  for (int i = 0; i < 4; ++i) {
    size_t room = outSize - 1 - used;
    size_t take = lengths[i] < room ? lengths[i] : room;
    std::memcpy(out + used, pieces[i], take);
    used += take;
  }
  out[used] = '\0';
  return fullLength;
}

int LanesOfStep(char ch, int32_t (&lanesOut)[2]) {
  const char* found = ch == '\0' ? nullptr : std::strchr(kStepLaneCharacters, ch);
  if (found == nullptr) return 0;
  int32_t index = int32_t(found - kStepLaneCharacters);
  if (index < 4) {
    lanesOut[0] = index;
    return 1;
  }
  lanesOut[0] = stepLaneMap[index - 4][0];
  lanesOut[1] = stepLaneMap[index - 4][1];
  return 2;
}
