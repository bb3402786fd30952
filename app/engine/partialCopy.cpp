#include "partialCopy.h"
#include <algorithm>
#include <cstring>

namespace {
const DWORD chunkBytes = 1 << 16;

// A file handle closed at the end of its scope.
class openFile {
 public:
  openFile(const char* path, DWORD access)
      : h(CreateFileA(path, access, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)) {}
  ~openFile() {
    if (ok()) CloseHandle(h);
  }
  openFile(const openFile&) = delete;
  openFile& operator=(const openFile&) = delete;
  bool ok() const { return h != INVALID_HANDLE_VALUE; }
  HANDLE h;
};

// The size of a file; false for a folder or a failed query.
bool sizeOf(HANDLE h, unsigned long long& size) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(h, &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return false;
  size = static_cast<unsigned long long>(info.nFileSizeHigh) << 32 | info.nFileSizeLow;
  return true;
}

bool seekTo(HANDLE h, unsigned long long at) {
  LONG high = static_cast<LONG>(at >> 32);
  SetLastError(ERROR_SUCCESS);
  DWORD low = SetFilePointer(h, static_cast<LONG>(static_cast<DWORD>(at)), &high, FILE_BEGIN);
  return low != INVALID_SET_FILE_POINTER || GetLastError() == ERROR_SUCCESS;
}

// Reads exactly count bytes.
bool readAll(HANDLE h, char* into, DWORD count) {
  DWORD got = 0;
  return ReadFile(h, into, count, &got, nullptr) && got == count;
}

bool allZero(const char* bytes, size_t count) {
  return std::all_of(bytes, bytes + count, [](char c) { return c == 0; });
}

// Whether the file's last byte is zero; the position goes back to the start.
bool endsInZero(HANDLE h, unsigned long long size, bool& zero) {
  char last;
  if (!seekTo(h, size - 1) || !readAll(h, &last, 1) || !seekTo(h, 0)) return false;
  zero = last == 0;
  return true;
}

bool keepWriteTime(HANDLE source, HANDLE dest) {
  FILETIME written;
  return GetFileTime(source, nullptr, nullptr, &written) &&
         SetFileTime(dest, nullptr, nullptr, &written);
}
}  // namespace

bool partialCopy::finish(const char* source, const char* dest) {
  openFile in(source, GENERIC_READ), out(dest, GENERIC_READ | GENERIC_WRITE);
  unsigned long long at;
  if (!in.ok() || !out.ok() || !resumePoint(in.h, out.h, at)) return false;
  return seekTo(in.h, at) && seekTo(out.h, at) && copyRest(in.h, out.h) &&
         keepWriteTime(in.h, out.h);
}

// The destination is opened as finish opens it, so that a file it could not write (read
// only, in use) is foreseen as a failure too.
bool partialCopy::canFinish(const char* source, const char* dest, const char* content) {
  openFile in(source, GENERIC_READ);
  openFile out(content ? content : dest, content ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE);
  unsigned long long at;
  return in.ok() && out.ok() && resumePoint(in.h, out.h, at);
}

bool partialCopy::resumePoint(HANDLE source, HANDLE dest, unsigned long long& at) {
  unsigned long long want, have, differs;
  bool zeroTail;
  if (!sizeOf(source, want) || !sizeOf(dest, have) || have > want) return false;
  // A file of the source's size is unfinished only with zeros at its end: one that ends
  // in another byte is a whole copy or another file, and is not read through (a job run
  // again over a full card meets one for every file).
  bool zeroEnd = true;
  if (have == want && have > 0 && (!endsInZero(dest, have, zeroEnd) || !zeroEnd)) return false;
  if (!compare(source, dest, have, have == want, differs, zeroTail)) return false;
  at = differs;
  if (differs == have) return have < want;  // a strict prefix; an equal file is done
  return have == want && zeroTail;
}

bool partialCopy::compare(HANDLE source, HANDLE dest, unsigned long long have, bool sameSize,
                          unsigned long long& differs, bool& zeroTail) {
  char* ours = buffer(0);
  char* theirs = buffer(1);
  differs = have;
  zeroTail = true;
  for (unsigned long long at = 0; at < have; at += chunkBytes) {
    DWORD count = static_cast<DWORD>(std::min<unsigned long long>(chunkBytes, have - at));
    if (!readAll(dest, theirs, count)) return false;
    size_t from = 0;
    if (differs == have) {
      if (!readAll(source, ours, count)) return false;
      from = static_cast<size_t>(std::mismatch(ours, ours + count, theirs).first - ours);
      if (from == count) continue;
      differs = at + from;
      // Only a file of the source's size can be finished after a difference.
      if (!sameSize) return true;
    }
    zeroTail = allZero(theirs + from, count - from);
    if (!zeroTail) return true;
  }
  return true;
}

bool partialCopy::copyRest(HANDLE source, HANDLE dest) {
  char* chunk = buffer(0);
  for (;;) {
    DWORD got = 0, put = 0;
    if (!ReadFile(source, chunk, chunkBytes, &got, nullptr)) return false;
    if (got == 0) return true;
    if (!WriteFile(dest, chunk, got, &put, nullptr) || put != got) return false;
  }
}

char* partialCopy::buffer(int which) {
  if (buffers.empty()) buffers.resize(2 * chunkBytes);
  return buffers.data() + which * chunkBytes;
}
