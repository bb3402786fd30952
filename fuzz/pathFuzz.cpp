// libFuzzer target over path names and the path-text functions: vlPathname::storeName,
// _splitpath, vlStrncpy, vlMbschr and vlAdjustDir on any text. Checks: results in their
// buffers, terminated, never a split two-byte character, and the pieces of a stored
// path joined again give the path.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include "vlPathname.h"
#include "vlUtl1.h"

namespace {
void check(bool ok) {
  if (!ok) __builtin_trap();
}

bool isLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// True when offset is where a character starts under code page 932 rules.
bool startsCharacter(const unsigned char* text, size_t offset) {
  size_t i = 0;
  while (i < offset) i += (isLead(text[i]) && text[i + 1]) ? 2 : 1;
  return i == offset;
}

void storedPath(const std::string& text) {
  vlPathname path;
  int result = path.storeName(text.c_str());
  check(result == 0 || path.path[0] == 0);
  if (path.path[0] == 0) return;  // refused, or an empty text: the object stays empty
  size_t length = strnlen(path.path, sizeof path.path);
  check(length < sizeof path.path);
  check(path.filePos >= path.path && path.filePos <= path.path + length);
  char folder[300];
  path.getFilePos(folder);
  check(std::string(folder) + path.filePos == path.path);
  check(std::string(path.server) + path.drive + path.dir == folder);
}

void copies(const std::string& text) {
  const auto* source = reinterpret_cast<const unsigned char*>(text.c_str());
  for (int size = 1; size <= static_cast<int>(text.size()) + 1 && size < 64; ++size) {
    auto* out = static_cast<unsigned char*>(std::malloc(size));
    int n = vlStrncpy(out, source, size);
    check(n >= 0 && n < size && out[n] == 0 && std::strlen(reinterpret_cast<char*>(out)) == size_t(n));
    std::free(out);
  }
  for (int c : {0x5C, 0x2E, 0x3A, 0x82}) {  // "\\", ".", ":" and a lead byte
    const char* found = vlMbschr(source, c);
    if (found) {
      size_t at = static_cast<size_t>(found - text.c_str());
      check(at < text.size() && static_cast<unsigned char>(text[at]) == c && startsCharacter(source, at));
    }
  }
}

void adjusted(const std::string& text) {
  for (char mode : {'+', '-', ' '}) {
    auto* buffer = static_cast<char*>(std::malloc(text.size() + 3));
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    vlAdjustDir(buffer, mode);
    check(std::strlen(buffer) <= text.size() + 1);
    std::free(buffer);
  }
}

void split(const std::string& text) {
  char drive[_MAX_DRIVE], dir[_MAX_DIR], fname[_MAX_FNAME], ext[_MAX_EXT];
  _splitpath(text.c_str(), drive, dir, fname, ext);
  std::string joined = std::string(drive) + dir + fname + ext;
  check(joined.empty() || joined == text);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 600) return 0;
  std::string text(reinterpret_cast<const char*>(data), size);
  text = text.substr(0, text.find('\0'));
  storedPath(text);
  copies(text);
  adjusted(text);
  split(text);
  return 0;
}
