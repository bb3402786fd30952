// vlFileStream: a vlStream on a platform file handle. Opens its file by a mode letter:
//   'r' read, others may read too; 'w' write, emptied or created, exclusive;
//   'a' append, created when missing, exclusive; 'u' read and write, created when
//   missing, exclusive.
// The file name is kept in the stream, or taken from an attached vlPathname, which the
// caller keeps alive while it is attached. Reading goes through a read-ahead block, so
// that byte-wise reading does not cost one platform call per byte; position, size,
// seeking and writing behave as if every byte were read from the file itself. A
// caller that lends its handle does not use it while the stream reads from it.
#pragma once
#include <windows.h>
#include "vlStream.h"

class vlDate;

class vlFileStream : public vlStream {
 public:
  vlFileStream();
  // name must be shorter than 300 bytes; a longer one leaves the name empty (-1).
  explicit vlFileStream(const char* name);
  // Wraps an open handle; destruction closes it only when owned is set.
  vlFileStream(void* handle, char mode, bool owned);
  explicit vlFileStream(vlPathname* pathname);
  ~vlFileStream() override;

  int openStream(char mode) override;
  int close() override;
  int readStream(void* buffer, int count, int* done) override;
  int writeStream(const void* buffer, int count, int* done) override;
  int seek(int offset, int method) override;
  const char* getPath() override;
  // Without a vlPathname: at most 290 bytes, else -1 and the name stays.
  // With one: that object parses the name, and the result is 0.
  int setPath(const char* path) override;
  int setPath(vlPathname* pathname) override;  // null detaches
  using vlStream::setPath;

  // Opens the current name (first set to name when that is not null) in mode 'r',
  // 'w', 'a' or 'u'; 0, -1 for another letter, or the platform's code. A handle that
  // is still open is released first, as the destructor would.
  int openFile(char mode, const char* name);
  // The file's information, also copied into record when given; sets len.
  int getInfo(BY_HANDLE_FILE_INFORMATION* record);
  int cancel();
  // The file's last-write, last-access and creation times into the dates given (each
  // may be null); a closed stream opens the file for reading and closes it again.
  int getTime(vlDate* write, vlDate* access, vlDate* creation);
  // Sets the times of the dates given and keeps the file's own for the others (also
  // for a date that cannot be converted); a closed stream opens the file with 'u'
  // (creating it when missing) and closes it again.
  int setTime(vlDate* write, vlDate* access, vlDate* creation);
  // Forgets the handle without closing it, for a caller that takes it over.
  vlFileStream& clearHandle();

  HANDLE handle;
  char pathText[300];
  BY_HANDLE_FILE_INFORMATION info;
  vlPathname* pathname;

  static const int ReadAheadSize = 4096;

 private:
  int storePath(const char* path, size_t limit);
  void release();
  int platformRead(void* buffer, int count, int& got);
  int takeAhead(unsigned char* out, int count);
  // Moves the platform's file position back over the bytes read ahead but not yet
  // delivered, so that it stands where an unbuffered stream would have left it.
  int rewindAhead();

  unsigned char readAhead[ReadAheadSize];
  int aheadAt;   // the next byte to deliver
  int aheadEnd;  // the bytes held
};
