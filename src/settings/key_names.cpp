// key_names.cpp -- key names to virtual keys, and KEYS read as four of them.
#include "settings/key_names.h"

#include <cstring>

namespace {

constexpr uint32_t kNumpad0 = 0x60;  // VK_NUMPAD0; the other nine follow it

bool SameName(const char* name, uint32_t length, const char* known) {
  if (std::strlen(known) != length) return false;
  for (uint32_t i = 0; i < length; ++i) {
    char c = name[i];
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    if (c != known[i]) return false;
  }
  return true;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

uint32_t VirtualKeyNamed(const char* name, uint32_t length) {
  static const char* const kCursorNames[4] = {"LEFT", "DOWN", "UP", "RIGHT"};
  for (int n = 0; n < 4; ++n)
    if (SameName(name, length, kCursorNames[n])) return kDefaultKeys[n];
  if (length == 1) {
    char c = name[0];
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return uint32_t(uint8_t(c));
  }
  if (length == 7 && SameName(name, 6, "NUMPAD") && name[6] >= '0' && name[6] <= '9')
    return kNumpad0 + uint32_t(name[6] - '0');
  return 0;
}

bool ReadKeyList(const char* text, uint32_t (&keys)[4]) {
  uint32_t read[4];
  int count = 0;
  const char* at = text;
  for (;;) {
    const char* end = at;
    while (*end != '\0' && *end != ',') ++end;
    const char* first = at;
    const char* last = end;
    while (first < last && IsBlank(*first)) ++first;
    while (last > first && IsBlank(last[-1])) --last;
    if (count == 4) return false;  // a fifth name
    uint32_t key = VirtualKeyNamed(first, uint32_t(last - first));
    if (key == 0) return false;
    for (int n = 0; n < count; ++n)
      if (read[n] == key) return false;
    read[count++] = key;
    if (*end == '\0') break;
    at = end + 1;
  }
  if (count != 4) return false;
  std::memcpy(keys, read, sizeof keys);
  return true;
}
