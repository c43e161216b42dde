// simfile_tags.cpp -- splits a DWI or SM file into its tags.
#include "simfile_tags.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

#include "chart/msd_format.h"
#include "simfile.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Offset just past the remark that starts at `at` ("//" to the line's end).
size_t PastRemark(const std::string& bytes, size_t at) {
  size_t end = bytes.find('\n', at);
  return end == std::string::npos ? bytes.size() : end;
}

// True when the "#" at `at` is the first thing on its line.
bool StartsLine(const std::string& bytes, size_t at) {
  while (at > 0 && (bytes[at - 1] == ' ' || bytes[at - 1] == '\t')) --at;
  return at == 0 || bytes[at - 1] == '\n' || bytes[at - 1] == '\r';
}

}  // namespace

std::vector<SimTag> SplitTags(const std::string& bytes) {
  std::vector<SimTag> tags;
  size_t at = 0;
  while (at < bytes.size()) {
    if (bytes.compare(at, 2, "//") == 0) {
      at = PastRemark(bytes, at);
      continue;
    }
    if (bytes[at] != '#') {
      ++at;
      continue;
    }
    size_t colon = at + 1;
    while (colon < bytes.size() && (std::isalnum(static_cast<unsigned char>(bytes[colon])) || bytes[colon] == '_'))
      ++colon;
    if (colon >= bytes.size() || bytes[colon] != ':' || colon == at + 1) {
      ++at;
      continue;
    }
    SimTag tag = {bytes.substr(at + 1, colon - at - 1), "", true};
    for (char& c : tag.name) c = char(std::toupper(static_cast<unsigned char>(c)));
    size_t v = colon + 1;
    while (v < bytes.size()) {
      char c = bytes[v];
      if (c == ';') {
        tag.cutShort = false;
        ++v;
        break;
      }
      if (c == '#' && StartsLine(bytes, v)) {
        tag.cutShort = false;  // the next tag ends it
        break;
      }
      if (bytes.compare(v, 2, "//") == 0) {
        v = PastRemark(bytes, v);
        continue;
      }
      tag.value += c;
      ++v;
    }
    tags.push_back(std::move(tag));
    at = v;
  }
  return tags;
}

std::vector<std::string> SplitAt(const std::string& text, char separator) {
  std::vector<std::string> parts(1);
  for (char c : text) {
    if (c == separator) {
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  return parts;
}

std::string Trimmed(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

bool ParseDecimal(const std::string& text, double& value) {
  std::string number = Trimmed(text);
  if (number.empty() || decimalLength(number.c_str()) != number.size()) return false;
  value = std::strtod(number.c_str(), nullptr);
  return std::isfinite(value);
}

bool ReadDecimalTag(const SimTag& tag, const char* what, double& value, std::string& error) {
  if (ParseDecimal(tag.value, value)) return true;
  error = "#" + tag.name + ":" + Trimmed(tag.value) + " is not " + what;
  return false;
}

bool ReadPairsTag(const SimTag& tag, std::vector<std::pair<double, double>>& pairs, std::string& error) {
  if (Trimmed(tag.value).empty()) return true;
  for (const std::string& entry : SplitAt(tag.value, ',')) {
    std::vector<std::string> sides = SplitAt(entry, '=');
    double beat = 0.0;
    double value = 0.0;
    if (sides.size() != 2 || !ParseDecimal(sides[0], beat) || !ParseDecimal(sides[1], value)) {
      error = "#" + tag.name + ": \"" + Trimmed(entry) + "\" is not of the form beat=value";
      return false;
    }
    pairs.emplace_back(beat, value);
  }
  return true;
}

bool ReadSharedTag(const SimTag& tag, const char* musicTag, Simfile& song, bool& handled, std::string& error) {
  if (tag.cutShort) {
    error = "the file ends inside #" + tag.name + " (no closing \";\"): it seems cut short";
    return false;
  }
  std::string* field = tag.name == "TITLE" ? &song.title
                       : tag.name == "ARTIST" ? &song.artist
                       : tag.name == musicTag ? &song.music
                       : nullptr;
  handled = field != nullptr;
  if (handled) *field = Trimmed(tag.value);
  return true;
}
