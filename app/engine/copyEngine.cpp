// The copy job and the sorted folder copy.
#include "copyEngine.h"
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>
#include "controlText.h"
#include "copyHelpers.h"
#include "nameOrder.h"
#include "vlFind.h"
#include "vlUtl1.h"

namespace {
const char* const musicPattern = "*.mp3";
const char* const okWord = "成功";
const char* const failWord = "失敗";
// An unfinished copy at the destination completed.
const char* const finishedWord = "続きをコピーしました";
// A dry run's marks: copied, finished, already at the destination, cannot be copied (the
// source cannot be read, or the destination folder is missing).
const char* const wouldCopyWord = "コピーします";
const char* const wouldFinishWord = "続きをコピーします";
const char* const presentWord = "コピー先にあります (失敗)";
const char* const unreadableWord = "コピーできません (失敗)";
const char* const longPathLine = "フォルダー %s のパスが長すぎます";
const char* const loopLine = "フォルダー %s は上位のフォルダーと同じなのでコピーしません";
const char* const flushLine = "%s  へ書いたデータをディスクに書き出せませんでした (エラー %d)";

bool isCopied(const char* mark) {
  return mark == okWord || mark == finishedWord || mark == wouldCopyWord ||
         mark == wouldFinishWord;
}

// The identity of a folder; false when it cannot be opened (the walk then finds nothing
// in it either).
bool identifyFolder(const char* dir, folderIdentity& id) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!describePath(dir, info)) return false;
  id.volume = info.dwVolumeSerialNumber;
  id.index = static_cast<unsigned long long>(info.nFileIndexHigh) << 32 | info.nFileIndexLow;
  return true;
}
}  // namespace

copyEngine::copyEngine(logSink& sink)
    : copyMethod(0), recursive(false), listCount(0), jobFailures(0), log(sink) {
  sourceFolder[0] = destFolder[0] = fileList[0] = 0;
}

// A name from another system's folder may hold control characters: each line of the
// log stays one line.
void copyEngine::addList(const char* text) {
  char line[1000];
  size_t length = std::min(std::strlen(text), sizeof line - 1);  // cut as a line holds it
  std::memcpy(line, text, length);
  line[length] = 0;
  maskControls(line, length);
  log.addList(line);
}

void copyEngine::copyJob() {
  // One byte more than the fields, for the separator that is appended.
  char source[301], dest[301];
  std::strcpy(source, sourceFolder);
  std::strcpy(dest, destFolder);
  vlAdjustDir(source, '+');
  vlAdjustDir(dest, '+');
  jobFailures = 0;
  plan.clear();
  if (copyMethod != 0)
    copyFiles1(dest);
  else
    copyFiles0(recursive, source, dest);
  if (!dryRun && flushDestination) flush(dest);
  addList("--- 処理は終了しました ---");
}

void copyEngine::flush(const char* dstDir) {
  if (flushDestination(dstDir)) return;
  int error = static_cast<int>(GetLastError());
  char display[301], line[1000];
  displayForm(display, dstDir);
  std::snprintf(line, sizeof line, flushLine, display, error);
  ++jobFailures;
  addList(line);
}

bool copyEngine::copyFiles0(bool walkSubFolders, char* srcDir, char* dstDir) {
  logHeader(dstDir);
  // The longest search pattern built on the folder must fit its 300-byte buffer.
  if (std::strlen(srcDir) + std::strlen(musicPattern) >= 300) {
    logFailure(longPathLine, srcDir);
    return true;
  }
  if (!makeList0(srcDir))
    logRefusal();
  else if (listCount != 0)
    copyFiles0a(srcDir, dstDir);
  else
    logNoMusic();
  if (!walkSubFolders) return true;
  return copySubFolders(srcDir, dstDir);
}

bool copyEngine::copySubFolders(char* srcDir, char* dstDir) {
  folderIdentity here;
  bool known = identifyFolder(srcDir, here);
  if (known) walkPath.push_back(here);
  bool goesOn = copyEachSubFolder(srcDir, dstDir);
  if (known) walkPath.pop_back();
  return goesOn;
}

bool copyEngine::copyEachSubFolder(char* srcDir, char* dstDir) {
  char pattern[300];
  vlFind find;
  if (!joinPath(pattern, sizeof pattern, srcDir, "*.*") || find.findBasic(pattern, true) != 0)
    return true;
  do {
    const char* name = find.getName(nullptr);
    if (name[0] == '.' || !(find.findData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      continue;
    if (!copySubFolder(name, srcDir, dstDir)) return false;
  } while (find.findNext());
  return true;
}

bool copyEngine::copySubFolder(const char* name, char* srcDir, char* dstDir) {
  char subSource[300], subDest[300];
  // The destination needs room for the separator added after it is made.
  if (!joinPath(subSource, sizeof subSource, srcDir, name, "\\") ||
      !joinPath(subDest, sizeof subDest - 1, dstDir, name)) {
    logFailure(longPathLine, name);
    return true;
  }
  if (onWalkPath(subSource)) {
    logFailure(loopLine, name);
    return true;
  }
  if (!makeFolder(subDest)) {
    logFailure("フォルダー %s の作成に失敗しました", name);
    return false;
  }
  std::strcat(subDest, "\\");
  return copyFiles0(recursive, subSource, subDest);
}

bool copyEngine::onWalkPath(const char* dir) const {
  folderIdentity id;
  return identifyFolder(dir, id) &&
         std::find(walkPath.begin(), walkPath.end(), id) != walkPath.end();
}

bool copyEngine::makeList0(char* srcDir) {
  clearList();
  char pattern[300];
  vlFind find;
  if (!joinPath(pattern, sizeof pattern, srcDir, musicPattern) ||
      (findNames ? find.findWith(findNames, pattern) : find.findBasic(pattern, false)) != 0)
    return true;
  do {
    if (!appendName(find.getName(nullptr))) {
      clearList();
      return false;
    }
  } while (find.findNext());
  sortList();
  return true;
}

void copyEngine::copyFiles0a(char* srcDir, char* dstDir) {
  int failures = 0;
  for (int i = 0; i < listCount; ++i) {
    char source[300], dest[300];
    bool fits = joinPath(source, sizeof source, srcDir, listNames[i]) &&
                joinPath(dest, sizeof dest, dstDir, listNames[i]);
    copyOne(listNames[i], fits ? source : nullptr, dest, failures);
  }
  logCount(failures);
}

void copyEngine::copyOne(const char* name, const char* source, const char* dest,
                         int& failures) {
  if (source && observer) observer->fileStarts(source);
  const char* mark;
  if (!dryRun)
    mark = source ? copyFile(source, dest) : failWord;
  else
    mark = source ? foreseeCopy(source, dest) : unreadableWord;
  bool copied = isCopied(mark);
  if (source && observer) observer->fileEnds(source, copied);
  logResult(name, mark, copied, failures);
}

// Whatever made the copy fail, an existing destination is finished only when it is an
// unfinished copy of the source: the dry run foresees it without knowing the reason.
const char* copyEngine::copyFile(const char* source, const char* dest) {
  if (CopyFileA(source, dest, TRUE)) return okWord;
  return finishPartial && partial.finish(source, dest) ? finishedWord : failWord;
}

// What copyFile would do after what the job did so far, found without copying:
// CopyFileA never replaces what is at dest, copies only a file it can read, and only
// into a folder that is there; a file at dest is finished as finish would.
const char* copyEngine::foreseeCopy(const char* source, const char* dest) {
  pathKind there = plan.find(dest);
  if (there == pathKind::file && finishPartial &&
      partial.canFinish(source, dest, plan.contentOf(dest))) {
    plan.fill(dest, source);
    return wouldFinishWord;
  }
  if (there != pathKind::none) return presentWord;
  if (!canRead(source)) return unreadableWord;
  return plan.make(dest, pathKind::file, source) ? wouldCopyWord : unreadableWord;
}

// A dry run makes no folder: it is made in the plan where checkDir would make it.
bool copyEngine::makeFolder(char* path) {
  if (!dryRun) return checkDir(path);
  return plan.find(path) == pathKind::folder || plan.make(path, pathKind::folder);
}

void copyEngine::clearList() { listCount = 0; }

bool copyEngine::appendName(const char* name, bool refused) {
  char* at = listCount ? listNames[listCount - 1] + std::strlen(listNames[listCount - 1]) + 1
                       : nameBuffer;
  size_t size = std::strlen(name) + 1;
  if (listCount >= maxEntries || size > static_cast<size_t>(nameBuffer + nameBytes - at))
    return false;
  std::memcpy(at, name, size);
  listRefused[listCount] = refused;
  listNames[listCount++] = at;
  return true;
}

// In byte or natural order (nameOrder.h, shared with the check of a volume); among
// equal names the first stays first.
void copyEngine::sortList() {
  bool natural = naturalOrder;
  std::stable_sort(listNames, listNames + listCount, [natural](const char* a, const char* b) {
    return nameCompare(a, b, natural) < 0;
  });
}

void copyEngine::displayForm(char* display, const char* dstDir) {
  std::strcpy(display, dstDir);
  vlAdjustDir(display, ' ');
}

void copyEngine::logHeader(const char* dstDir) {
  char display[301];
  char line[1000];
  displayForm(display, dstDir);
  std::snprintf(line, sizeof line, "%s  にコピーします", display);
  addList(line);
}

void copyEngine::logResult(const char* name, const char* mark, bool copied, int& failures) {
  char line[1000];
  if (!copied) {
    ++failures;
    ++jobFailures;
  }
  // Joined directly, as this runs for every file; a name too long for the line is cut.
  if (!joinPath(line, sizeof line, name, "  ", mark))
    std::snprintf(line, sizeof line, "%s  %s", name, mark);
  addList(line);
}

void copyEngine::logCount(int failures) {
  char line[1000];
  if (failures > 0)
    std::snprintf(line, sizeof line, "%d 個のファイルが失敗しました", failures);
  else
    std::snprintf(line, sizeof line, "%d 個のファイルをコピーしました", listCount);
  addList(line);
}

void copyEngine::logRefusal() {
  ++jobFailures;
  addList("mp3 ファイルが多すぎてリストに入りません。コピーしません");
}

void copyEngine::logNoMusic() { addList("mp3 ファイルはありません"); }

void copyEngine::logFailure(const char* format, const char* text) {
  char line[1000];
  ++jobFailures;
  std::snprintf(line, sizeof line, format, text);
  addList(line);
}
