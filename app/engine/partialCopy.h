// partialCopy: finishing a copy that was cut short (the program killed, the card pulled,
// the power lost). A destination file that holds the first bytes of its source and is
// shorter, or that has the source's size, the source's bytes up to some point and only
// zero bytes after it (a copy that sets the size before it writes leaves that), is
// completed in place: the rest is written into the same file, so its directory entry
// keeps its place in the folder, and it takes the source's write time. Anything else is
// left alone. Decided by reading both files, never by their sizes alone; a file of the
// source's size is read through only when it ends in a zero byte.
#pragma once
#include <windows.h>
#include <vector>

class partialCopy {
 public:
  // Completes dest from source. False, writing nothing, when dest is not an unfinished
  // copy of source or cannot be opened for writing; false too when a read or write fails
  // midway, which leaves a longer unfinished copy.
  bool finish(const char* source, const char* dest);

  // Whether finish(source, dest) would complete dest, found without writing. content:
  // the file whose bytes dest would hold by then (the source of an earlier copy of the
  // same job), or null for dest as it is.
  bool canFinish(const char* source, const char* dest, const char* content);

 private:
  // Where the copy of source into dest goes on; false when dest is not an unfinished
  // copy of source or a read fails.
  bool resumePoint(HANDLE source, HANDLE dest, unsigned long long& at);
  // Compares the first `have` bytes of both: differs is the first offset where they
  // differ (have when they agree), zeroTail whether dest holds only zeros from there.
  // Stops early once the answer is known; false when a read fails.
  bool compare(HANDLE source, HANDLE dest, unsigned long long have, bool sameSize,
               unsigned long long& differs, bool& zeroTail);
  bool copyRest(HANDLE source, HANDLE dest);
  char* buffer(int which);

  std::vector<char> buffers;  // two chunks, made on first use
};
