// msd_format.h -- the MSD step chart text as the game reads it: plain computation.
//
// Everything here works on bytes and integers only and never calls the
// platform, so the chart loader, the step clock and the chart inspector
// (tools/chart) read a file with exactly the same code. Any thread may call
// these functions; none of them keeps state.
//
// The text: the chart file's bytes after stripLineBreaks, followed by a
// terminator. The text ends at its first zero byte, as every C string search
// sees it; bytes after a zero byte inside a file are never read as chart.
// Offsets count bytes from the start of the text.
#pragma once

#include <cstddef>
#include <cstdint>

// The tags the game looks for, matched byte for byte.
constexpr char kTempoTag[] = "#BPM:";
constexpr char kChartTag[] = "#SINGLE";
// The first chart's step data is taken to begin this many characters after
// the "#" of its "#SINGLE" ("#SINGLE:" + 5 + ":" + 1 + ":").
constexpr uint32_t kFixedHeaderLength = 16;
// An offset that names no place in the text.
constexpr int64_t kNoOffset = -1;

// Removes line breaks in place from the `size` bytes at `text`: each byte is
// kept; when the byte after a kept byte is a CR (13), that CR and the one byte
// after it are dropped. A bare LF, the second CR LF of a blank line, blanks and
// tabs stay. `text` must hold size + 1 bytes: the terminator is written right
// after the kept bytes (at text[size] when nothing was dropped). When
// `keptFrom` is not null it must hold `size` entries; keptFrom[w] receives the
// offset in the original bytes of kept byte w. Returns the number of bytes
// kept. `size` must be below UINT32_MAX.
uint32_t stripLineBreaks(char* text, uint32_t size, uint32_t* keptFrom = nullptr);

// Length of the text at `text`: the bytes before its first zero byte, looking
// at no more than `limit` bytes (the limit when none of them is zero).
uint32_t textLengthOf(const char* text, uint32_t limit);

// How reading the tempo went.
enum TempoResult : int {
  kTempoRead = 1,        // a tempo above 0 whose step length is a finite float
  kTempoMissing = 0,     // the text holds no "#BPM:"
  kTempoUnreadable = -1, // "#BPM:" is not followed by a decimal number
  kTempoUnplayable = -2, // the number is 0, below 0, infinite or not a number,
                         // or so small that 30000 / BPM overflows a float
};

// Offset of the first "#BPM:" in the terminated `text`, or kNoOffset.
int64_t findTempoTag(const char* text);

// Length of the decimal number that starts `text`: an optional sign, digits
// with an optional point (one digit at least), an optional exponent. 0 when
// `text` starts with none. Hex, "inf" and "nan" are no decimal numbers.
size_t decimalLength(const char* text);

// Reads the tempo of the terminated `text` as the game does: the first
// "#BPM:", then after any blanks its decimal number (decimalLength), read
// into a 32-bit float. `bpm`
// receives the number whenever one was read (also for kTempoUnplayable) and
// is left untouched otherwise; `msPerStep` receives 30000 / BPM (divided in
// double, stored as a 32-bit float) only for kTempoRead.
TempoResult readTempo(const char* text, float& bpm, float& msPerStep);

// 30000 / `bpm`, divided in double precision and stored as a 32-bit float.
// Only for a bpm readTempo accepted (kTempoRead).
float msPerStepFor(float bpm);

// The step count of the text, measured on its first "#SINGLE" at offset p:
// the smallest i >= 1 for which the character at p + 16 + i is ";". Where no
// ";" follows, the end of the text stands in for it (i = textLength - p - 16),
// so the count never reaches past the text; 0 when the text has no "#SINGLE"
// or ends before p + 17. At most INT32_MAX. `textLength` is the text's length.
int32_t measureStepCount(const char* text, uint32_t textLength);

// Offset of the "#SINGLE" that `level` plays: the first one for levels 0 and
// below, otherwise the (level + 1)-th, each searched from one character after
// the previous match. kNoOffset when the text holds fewer.
int64_t findChart(const char* text, int32_t level);

// Offset of the first step data character of the chart whose "#SINGLE" stands
// at `chartOffset`: one past the third ":" after it. kNoOffset when the text
// ends before a third ":".
int64_t findStepData(const char* text, int64_t chartOffset);

// The clock's corrected position t in ms for the host's position `pos` and
// the flame thread's sampled position `sampled`: d = pos - sampled taken as an
// unsigned 32-bit number, t = pos + d / 220 (unsigned, truncating), the sum
// wrapped to a signed 32-bit number.
int32_t correctedPosition(int32_t pos, int32_t sampled);

// Step index for corrected position `t`: t / msPerStep divided in double
// precision (msPerStep widened) and truncated toward zero. A quotient beyond
// the 32-bit range saturates to INT32_MIN or INT32_MAX; a quotient that is not
// a number (0 / 0) gives 0. No conversion is ever undefined.
int32_t stepIndexAt(int32_t t, float msPerStep);

// First playback position in ms, playing from the start, at which step
// `index` of a chart with `msPerStep` is due; -1 when no 32-bit position
// reaches it.
int64_t StepDueAt(int32_t index, float msPerStep);

// True when `msPerStep` can time a chart: above 0 and finite.
bool isPlayableStepLength(float msPerStep);

// True when index - 1 >= stepCount (compared without overflow): the chart
// is finished at this index.
bool isChartFinished(int32_t index, int32_t stepCount);

// Offset in the text of the step due at `index` of the chart whose step data
// begins at `dataOffset`: dataOffset + index - 1, so index 0 names the
// header's last ":". kNoOffset when that offset lies outside the text
// (before its start, or at or beyond `textLength`).
int64_t stepOffset(int64_t dataOffset, int32_t index, uint32_t textLength);

// The chart file name and path for the song title `title` (a terminated file
// name without folder, with or without its extension): everything after the
// first "." replaced by "msd", or ".msd" appended when there is no ".". The
// path is `folder`, one backslash, then the file name, the folder used
// unchanged. Writes at most `outSize` bytes to `out`, always terminated when
// outSize > 0. Returns the length of the full path, which did not fit when
// it is outSize or more.
size_t buildChartPath(const char* folder, const char* title, char* out, size_t outSize);

// The step characters that name lanes, searched front to back, and the lane
// pairs of the characters from index 4 on.
constexpr char kStepLaneCharacters[] = "42861379AB";
inline constexpr int32_t stepLaneMap[6][2] = {{0, 1}, {1, 3}, {0, 2}, {2, 3}, {1, 2}, {0, 3}};

// The lanes step character `ch` names, in spawn order, into `lanesOut`;
// returns how many: 0 (any other byte, "0" included), 1 or 2.
int LanesOfStep(char ch, int32_t (&lanesOut)[2]);
