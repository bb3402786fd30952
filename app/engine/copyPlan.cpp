#include "copyPlan.h"

namespace {
bool isLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// The key of a path in the plan: ASCII letters as capitals, a final separator dropped.
// folderEnd: the length of the text up to and including the separator before the name.
std::string keyOf(const char* path, size_t& folderEnd) {
  std::string key;
  bool separatorLast = false;
  folderEnd = 0;
  for (const char* p = path; *p; ++p) {
    unsigned char c = static_cast<unsigned char>(*p);
    separatorLast = c == '\\';
    if (isLead(c) && p[1]) {
      key.append(p++, 2);
      continue;
    }
    key += c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : *p;
    if (separatorLast && p[1]) folderEnd = key.size();
  }
  if (separatorLast) key.pop_back();
  return key;
}
}  // namespace

void copyPlan::clear() { made.clear(); }

pathKind copyPlan::find(const char* path) const {
  size_t folderEnd;
  auto at = made.find(keyOf(path, folderEnd));
  return at != made.end() ? at->second.kind : kindOf(path);
}

bool copyPlan::make(const char* path, pathKind what, const char* source) {
  size_t folderEnd;
  std::string key = keyOf(path, folderEnd);
  if (find(path) != pathKind::none || find(std::string(path, folderEnd).c_str()) != pathKind::folder)
    return false;
  made[key] = entry{what, source};
  return true;
}

void copyPlan::fill(const char* path, const char* source) {
  size_t folderEnd;
  made[keyOf(path, folderEnd)] = entry{pathKind::file, source};
}

const char* copyPlan::contentOf(const char* path) const {
  size_t folderEnd;
  auto at = made.find(keyOf(path, folderEnd));
  return at != made.end() ? at->second.source.c_str() : nullptr;
}
