// The playlist copy: the ".mp3" entries of a playlist, in playlist order, copied flat
// into the destination folder.
#include <windows.h>
#include <cstdio>
#include <cstring>
#include "copyEngine.h"
#include "copyHelpers.h"
#include "vlFileStream.h"
#include "vlPathname.h"
#include "vlUtl2.h"

void copyEngine::copyFiles1(char* dstDir) {
  if (!makeList1()) {
    logRefusal();
    return;
  }
  if (listCount == 0) {
    logNoMusic();
    return;
  }
  vlPathname playlist;
  playlist.storeName(fileList);
  char listDir[300];
  playlist.getFilePos(listDir);
  copyFiles1a(listDir, dstDir);
}

bool copyEngine::makeList1() {
  clearList();
  vlFileStream stream(fileList);
  if (stream.openFile('r', nullptr) != 0) {
    ++jobFailures;
    addList("リストファイルが開けません");
    return true;
  }
  unsigned char raw[1000], line[1000];
  while (stream.position() < stream.size()) {
    if (stream.gets(raw, sizeof raw) != 0) break;
    // A line that does not convert into 500 bytes gives no entry.
    if (UTF8toSJIS(raw, line, 500) == 0) continue;
    if (!cutMP3name(reinterpret_cast<char*>(line), reinterpret_cast<char*>(raw))) continue;
    if (!appendName(reinterpret_cast<char*>(raw))) {
      clearList();
      return false;
    }
  }
  return true;
}

void copyEngine::copyFiles1a(char* listDir, char* dstDir) {
  logHeader(dstDir);
  int failures = 0;
  for (int i = 0; i < listCount; ++i) {
    char source[300], dest[300];
    vlPathname resolved;
    bool fits = checkFilename(source, listDir, listNames[i]) &&
                resolved.storeName(source) == 0 && *resolved.filePos &&
                joinPath(dest, sizeof dest, dstDir, resolved.filePos);
    logResult(listNames[i], fits && CopyFileA(source, dest, TRUE), failures);
  }
  logCount(failures);
}
