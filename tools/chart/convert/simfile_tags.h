// simfile_tags.h -- the tag syntax DWI and SM share: "#NAME:value;" and "//" remarks.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct SimTag {
  std::string name;   // in capitals, without "#"
  std::string value;  // everything between the first ":" and the ";", remarks removed
  bool cutShort;      // the file ended before the tag's ";"
};

// The file's tags in order. A tag ends at its ";", or (without one) where a
// line starts with "#"; text outside tags is ignored.
std::vector<SimTag> SplitTags(const std::string& bytes);

struct Simfile;

// The tags both formats share: false with `error` set for a tag the file
// ends inside; otherwise sets `handled` for "TITLE", "ARTIST" and
// `musicTag` (the audio file's name), which it stores in `song`.
bool ReadSharedTag(const SimTag& tag, const char* musicTag, Simfile& song, bool& handled, std::string& error);

// `text` split at every `separator`.
std::vector<std::string> SplitAt(const std::string& text, char separator);

// `text` without blanks, tabs and line breaks at either end.
std::string Trimmed(const std::string& text);

// A decimal number (sign, digits, point, exponent) with nothing but blanks
// around it; false for anything else (hex, "inf", "nan", "12abc").
bool ParseDecimal(const std::string& text, double& value);

// The tag's value as a decimal number; false with `error` saying the value
// "is not `what`" ("a number of seconds").
bool ReadDecimalTag(const SimTag& tag, const char* what, double& value, std::string& error);

// The tag's "beat=value,beat=value" list (#BPMS, #STOPS, #CHANGEBPM,
// #FREEZE), appended to `pairs`; false with `error` naming the tag and the
// first entry that is not two decimal numbers.
bool ReadPairsTag(const SimTag& tag, std::vector<std::pair<double, double>>& pairs, std::string& error);
