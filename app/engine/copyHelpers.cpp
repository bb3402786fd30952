#include "copyHelpers.h"
#include <direct.h>
#include <cctype>
#include <cstring>
#include "vlFind.h"

bool describePath(const char* path, BY_HANDLE_FILE_INFORMATION& info) {
  HANDLE h = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool known = GetFileInformationByHandle(h, &info) != 0;
  CloseHandle(h);
  return known;
}

pathKind kindOf(const char* path) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!describePath(path, info)) return pathKind::none;
  return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? pathKind::folder : pathKind::file;
}

bool canRead(const char* path) {
  HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

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
