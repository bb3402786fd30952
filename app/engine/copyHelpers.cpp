#include "copyHelpers.h"
#include <direct.h>
#include <cctype>
#include <cstring>
#include "vlFind.h"

bool checkDir(char* path) {
  vlFind find;
  if (find.findFirst(path, 255) != 0) return _mkdir(path) == 0;
  return (find.findData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool joinPath(char* out, size_t size, const char* a, const char* b, const char* c) {
  size_t la = std::strlen(a), lb = std::strlen(b), lc = std::strlen(c);
  if (la + lb + lc >= size) {
    if (size) *out = 0;
    return false;
  }
  std::memcpy(out, a, la);
  std::memcpy(out + la, b, lb);
  std::memcpy(out + la + lb, c, lc + 1);
  return true;
}

namespace {
bool endsWithMp3(const char* value, size_t len) {
  if (len < 4) return false;
  const char* tail = value + len - 4;
  return tail[0] == '.' && std::tolower(static_cast<unsigned char>(tail[1])) == 'm' &&
         std::tolower(static_cast<unsigned char>(tail[2])) == 'p' && tail[3] == '3';
}
}  // namespace

bool cutMP3name(char* line, char* out) {
  if (!std::strstr(line, "<media")) return false;
  char* src = std::strstr(line, "src=");
  if (!src) return false;
  // The value starts after "src=" and its opening quote, which is not itself tested.
  for (int i = 0; i < 5; ++i)
    if (!src[i]) return false;
  char* value = src + 5;
  char* close = std::strchr(value, '"');
  if (!close) return false;
  *close = 0;
  size_t len = static_cast<size_t>(close - value);
  if (!endsWithMp3(value, len)) return false;
  std::memcpy(out, value, len + 1);
  return true;
}

bool checkFilename(char* out, char* listDir, char* entry) {
  bool network = entry[0] == '\\' && entry[1] == '\\';
  bool drive = std::isalpha(static_cast<unsigned char>(entry[0])) && entry[1] == ':';
  if (network || drive) return joinPath(out, 300, entry, "");
  return joinPath(out, 300, listDir, entry);
}
