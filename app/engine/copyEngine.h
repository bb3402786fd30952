// copyEngine: one copy job of the main dialog without any window code: the settings
// fields, the shared file list, the sorted folder copy and the playlist copy. The log
// goes to a logSink (the dialog's list box, or the command-line tool's output).
#pragma once
#include <vector>
#include "copyPlan.h"
#include "logSink.h"
#include "partialCopy.h"

class vlStream;

// Where a folder lives: its volume and file index (device and inode off Windows), the
// same for every path that leads to it, links and junctions included.
struct folderIdentity {
  unsigned long volume;
  unsigned long long index;
  bool operator==(const folderIdentity& other) const {
    return volume == other.volume && index == other.index;
  }
};

// Follows the files of a job one by one (the command-line tool's progress); the dialog
// sets none.
class copyObserver {
 public:
  virtual ~copyObserver() = default;
  // The file at source (code page 932) is about to be copied, or looked at in a dry run.
  virtual void fileStarts(const char* source) = 0;
  // That file was copied (in a dry run: would be), or not.
  virtual void fileEnds(const char* source, bool copied) = 0;
};

class copyEngine {
 public:
  static const int maxEntries = 1000;
  static const int nameBytes = 400000;

  explicit copyEngine(logSink& log);

  // The job after the controls were read: folder names get a trailing separator, the
  // chosen method runs, the closing line is written.
  void copyJob();

  // Method 0: sorted copy of one folder and, if recursive, of its sub-folders. False
  // when the walk stopped because a destination sub-folder was not made. A sub-folder
  // that is one of the folders above it (through a link) is refused as a failure.
  bool copyFiles0(bool recursive, char* srcDir, char* dstDir);
  // Fills the file list from a folder, sorted; false when the folder holds more
  // entries than the list can take (the list is then empty).
  bool makeList0(char* srcDir);
  void copyFiles0a(char* srcDir, char* dstDir);

  // Method 1: copy in the order of a playlist (fileList).
  void copyFiles1(char* dstDir);
  // Fills the file list from the playlist, an M3U playlist when its name ends in ".m3u"
  // or ".m3u8" (m3uEntry.h), else a Windows Media one; false when it would overflow the list.
  bool makeList1();
  void copyFiles1a(char* listDir, char* dstDir);

  // One log line; control characters in it are shown as '?'.
  void addList(const char* text);

  // Settings, as the dialog reads them from its controls.
  char sourceFolder[300];
  char destFolder[300];
  char fileList[300];
  int copyMethod;
  bool recursive;

  // Options the dialog never sets. naturalOrder: the sorted copy compares digit runs by
  // value (nameOrder.h). dryRun: the job walks, lists and logs as it would, each file
  // marked with what would happen, but creates and copies nothing. observer: told of
  // each file. finishPartial: a destination file that an interrupted copy left
  // unfinished is completed (partialCopy.h) and logged as such; without it every
  // existing file fails. flushDestination: called once with the destination folder
  // before the closing line of a job that is not a dry run, to make what it wrote
  // durable; false (the last error set) is logged and counted as a failure. findNames:
  // how a folder's music files are listed, where the platform has a search that reads
  // no more than the names it gives; null for vlFind's basic search.
  bool naturalOrder = false;
  bool dryRun = false;
  copyObserver* observer = nullptr;
  // The folder that relative playlist entries are resolved against instead of the
  // playlist's own (a music library's root); empty for the playlist's folder.
  char listBase[300] = "";
  bool finishPartial = false;
  bool (*flushDestination)(const char* dstDir) = nullptr;
  HANDLE (*findNames)(const char* pattern, WIN32_FIND_DATAA* data) = nullptr;

  // The file list: names packed into nameBuffer, pointers in copy order.
  int listCount;
  char nameBuffer[nameBytes];
  char* listNames[maxEntries];

  // Failed copies, folders not made and folders or playlists refused during the
  // current job; the command-line tool's exit status.
  int jobFailures;

 private:
  void clearList();
  // refused: an entry that did not fit the buffers or names no possible file, kept only
  // to be logged as failed.
  bool appendName(const char* name, bool refused = false);
  void sortList();
  bool isM3uList() const;
  // The folder relative entries are resolved against, ending with "\\" (301 bytes).
  void listFolder(char* listDir);
  bool makeM3uList(vlStream& stream);
  // The folder as the log shows it (301 bytes): without its final separator.
  static void displayForm(char* display, const char* dstDir);
  void logHeader(const char* dstDir);
  // Copies one file (or foresees it in a dry run) and logs the result; source is null
  // when the paths did not fit.
  void copyOne(const char* name, const char* source, const char* dest, int& failures);
  const char* copyFile(const char* source, const char* dest);
  const char* foreseeCopy(const char* source, const char* dest);
  void flush(const char* dstDir);
  bool makeFolder(char* path);
  void logResult(const char* name, const char* mark, bool copied, int& failures);
  void logCount(int failures);
  void logFailure(const char* format, const char* text);
  void logRefusal();
  void logNoMusic();
  bool copySubFolders(char* srcDir, char* dstDir);
  bool copyEachSubFolder(char* srcDir, char* dstDir);
  bool copySubFolder(const char* name, char* srcDir, char* dstDir);
  bool onWalkPath(const char* dir) const;

  logSink& log;
  bool listRefused[maxEntries];
  // The folders from the source down to the one whose sub-folders are being walked: a
  // sub-folder among them (reached through a link) would be walked for ever.
  std::vector<folderIdentity> walkPath;
  // What a dry run would have made so far in the job.
  copyPlan plan;
  partialCopy partial;
};
