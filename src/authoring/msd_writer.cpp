// msd_writer.cpp -- writes placed steps as an MSD file.
#include "authoring/msd_writer.h"

#include <algorithm>

namespace {

constexpr size_t kStepsPerLine = 64;
// Each header is "#SINGLE:" + five characters + ":" + one + ":": 16 in all,
// the length the game counts the first chart's steps from.
const char* const kHeaderNames[kLevels] = {"BASIC", "ADVAN", "EXPER"};

// Printable ASCII only, without the characters that start or end a tag.
std::string Plain(const std::string& text) {
  std::string plain;
  for (char c : text) {
    unsigned char u = static_cast<unsigned char>(c);
    plain += (u < 0x20 || u >= 0x7F || c == '#' || c == ';' || c == ':') ? ' ' : c;
  }
  return plain;
}

}  // namespace

std::string WriteMsd(const PlacedSteps& placed, const MsdText& text) {
  std::string file = Plain(text.remark) + "\r\n";
  file += "#TITLE:" + Plain(text.title) + ";\r\n";
  file += "#ARTIST:" + Plain(text.artist) + ";\r\n";
  file += "#BPM:" + placed.bpmText + ";\r\n";
  for (int level = 0; level < kLevels; ++level) {
    int meter = std::clamp(text.meters[level], 0, 9);
    file += std::string("#SINGLE:") + kHeaderNames[level] + ":" + char('0' + meter) + ":\r\n";
    const std::string& steps = placed.steps[level];
    for (size_t at = 0; at < steps.size(); at += kStepsPerLine) {
      file += steps.substr(at, kStepsPerLine);
      file += at + kStepsPerLine < steps.size() ? "\r\n" : ";\r\n";
    }
    if (steps.empty()) file += ";\r\n";
  }
  return file;
}
