// The playlist copy: the ".mp3" entries of a playlist, in playlist order, copied flat
// into the destination folder.
#include <windows.h>
#include <cstring>
#include "copyEngine.h"
#include "copyHelpers.h"
#include "mediaLine.h"
#include "vlFileStream.h"
#include "vlPathname.h"

void copyEngine::copyFiles1(char* dstDir) {
  if (!makeList1()) {
    logRefusal();
    return;
  }
  if (listCount == 0) {
    logNoMusic();
    return;
  }
  char listDir[301];
  listFolder(listDir);
  copyFiles1a(listDir, dstDir);
}

namespace {
// Feeds one line of the playlist to line, in the pieces of at most 999 bytes that gets
// returns: a piece that fills the buffer without reaching a line end goes on in the
// next one. False when the stream fails.
bool readLine(vlStream& stream, mediaLine& line) {
  unsigned char piece[1000];
  const int pieceMax = sizeof piece - 1;
  bool goesOn = true;
  while (goesOn) {
    int start = stream.position();
    if (stream.gets(piece, sizeof piece) != 0) return false;
    int length = static_cast<int>(std::strlen(reinterpret_cast<char*>(piece)));
    line.feed(reinterpret_cast<char*>(piece), static_cast<size_t>(length));
    // gets takes a line end along with a full piece, so no line end was read when the
    // position moved by the piece alone.
    goesOn = length == pieceMax && stream.position() - start == pieceMax && !stream.eof();
  }
  return true;
}
}  // namespace

bool copyEngine::makeList1() {
  clearList();
  vlFileStream stream(fileList);
  if (stream.openFile('r', nullptr) != 0) {
    ++jobFailures;
    addList("リストファイルが開けません");
    return true;
  }
  if (isM3uList()) return makeM3uList(stream);
  while (stream.position() < stream.size()) {
    mediaLine line;
    if (!readLine(stream, line)) {
      // Only part of the list was read: copying that part would give a wrong order.
      ++jobFailures;
      addList("リストファイルが読めません");
      clearList();
      return true;
    }
    char entry[mediaLine::entryBytes];
    mediaLine::result found = line.take(entry);
    if (found == mediaLine::noEntry) continue;
    if (!appendName(entry, found != mediaLine::entry)) {
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
    bool fits = !listRefused[i] && checkFilename(source, listDir, listNames[i]) &&
                resolved.storeName(source) == 0 && *resolved.filePos &&
                joinPath(dest, sizeof dest, dstDir, resolved.filePos);
    copyOne(listNames[i], fits ? source : nullptr, dest, failures);
  }
  logCount(failures);
}
