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

bool checkFilename(char* out, char* listDir, char* entry) {
  bool network = entry[0] == '\\' && entry[1] == '\\';
  bool drive = std::isalpha(static_cast<unsigned char>(entry[0])) && entry[1] == ':';
  if (network || drive) return joinPath(out, 300, entry, "");
  return joinPath(out, 300, listDir, entry);
}
