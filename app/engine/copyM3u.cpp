// The playlist copy from an M3U playlist (".m3u", ".m3u8"), and the folder that the
// entries of any playlist are resolved against.
#include <windows.h>
#include <algorithm>
#include <cctype>
#include <cstring>
#include "copyEngine.h"
#include "m3uEntry.h"
#include "m3uLines.h"
#include "vlPathname.h"
#include "vlStream.h"
#include "vlUtl1.h"

namespace {
// Whether path ends in ".m3u" or ".m3u8", without regard to ASCII case.
bool endsWithM3u(const char* path) {
  size_t length = std::strlen(path);
  if (length > 0 && path[length - 1] == '8') --length;
  if (length < 4) return false;
  const char* t = path + length - 4;
  return t[0] == '.' && std::tolower(static_cast<unsigned char>(t[1])) == 'm' && t[2] == '3' &&
         std::tolower(static_cast<unsigned char>(t[3])) == 'u';
}

// The drive ("Z:") or server and share ("\\srv\m") of an absolute path, into out (300
// bytes): where a rooted entry such as "\Music\a.mp3" lives.
void rootOf(const char* path, char* out) {
  size_t length = 2;
  if (path[0] == '\\' && path[1] == '\\') {
    const char* share = vlMbschr(reinterpret_cast<const unsigned char*>(path + 2), '\\');
    const char* end = share ? vlMbschr(reinterpret_cast<const unsigned char*>(share + 1), '\\') : nullptr;
    length = end ? static_cast<size_t>(end - path) : std::strlen(path);
  }
  length = std::min(length, std::strlen(path));
  std::memcpy(out, path, length);
  out[length] = 0;
}
}  // namespace

bool copyEngine::isM3uList() const { return endsWithM3u(fileList); }

void copyEngine::listFolder(char* listDir) {
  if (*listBase) {
    std::strcpy(listDir, listBase);
    vlAdjustDir(listDir, '+');
    return;
  }
  vlPathname playlist;
  playlist.storeName(fileList);
  playlist.getFilePos(listDir);
}

bool copyEngine::makeM3uList(vlStream& stream) {
  char listDir[301], root[300];
  listFolder(listDir);
  vlPathname playlist;
  playlist.storeName(fileList);
  rootOf(playlist.path, root);
  m3uLines lines(stream);
  m3uLine line;
  bool reading = lines.start();
  while (reading && lines.next(line)) {
    char entry[300];
    m3uResult found = m3uEntry(line, root, listDir, entry);
    if (found != m3uNone && !appendName(entry, found == m3uUnusable)) {
      clearList();
      return false;
    }
  }
  if (lines.failed()) {
    // Only part of the list was read: copying that part would give a wrong order.
    ++jobFailures;
    addList("リストファイルが読めません");
    clearList();
  }
  return true;
}
