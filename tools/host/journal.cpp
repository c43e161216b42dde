// journal.cpp -- JSON-lines formatting and the journal file.
#include "journal.h"

#include <cstdio>
#include <mutex>

namespace {

std::mutex journalLock;
std::FILE* journalFile;

}  // namespace

std::string JsonString(const char* text) {
  std::string out = "\"";
  for (const unsigned char* c = reinterpret_cast<const unsigned char*>(text); *c; ++c) {
    switch (*c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (*c < 0x20 || *c > 0x7E) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", *c);
          out += escaped;
        } else {
          out += char(*c);
        }
    }
  }
  return out + "\"";
}

JournalField Field(const char* name, int64_t value) { return {name, std::to_string(value)}; }

JournalField Field(const char* name, const char* text) {
  return {name, text ? JsonString(text) : "null"};
}

JournalField Field(const char* name, const std::string& text) {
  return {name, JsonString(text.c_str())};
}

std::string JournalLine(int64_t atMs, const char* event, const std::vector<JournalField>& fields) {
  std::string line = "{\"t\":" + std::to_string(atMs) + ",\"event\":" + JsonString(event);
  for (const JournalField& field : fields)
    line += ",\"" + std::string(field.first) + "\":" + field.second;
  return line + "}";
}

bool OpenJournal(const char* path) {
  journalFile = std::fopen(path, "wb");
  return journalFile != nullptr;
}

void WriteJournal(int64_t atMs, const char* event, const std::vector<JournalField>& fields) {
  std::string line = JournalLine(atMs, event, fields) + "\n";
  std::lock_guard<std::mutex> hold(journalLock);
  if (journalFile == nullptr) return;
  std::fwrite(line.data(), 1, line.size(), journalFile);
  std::fflush(journalFile);
}

void CloseJournal() {
  std::lock_guard<std::mutex> hold(journalLock);
  if (journalFile) std::fclose(journalFile);
  journalFile = nullptr;
}
