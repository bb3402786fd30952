#include "vlFileStream.h"
#include <algorithm>
#include <cstring>
#include "vlDate.h"
#include "vlPathname.h"

namespace {
struct OpenMode {
  char letter;
  DWORD access;
  DWORD share;
  DWORD creation;
  DWORD attributes;
};

// Reading lets others read along; every writing mode keeps the file to itself.
const OpenMode openModes[] = {
    {'r', GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0},
    {'w', GENERIC_WRITE, 0, CREATE_ALWAYS, 0},
    {'a', GENERIC_WRITE, 0, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL},
    {'u', GENERIC_READ | GENERIC_WRITE, 0, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL},
};

const OpenMode* findMode(char letter) {
  for (const OpenMode& m : openModes)
    if (m.letter == letter) return &m;
  return nullptr;
}

int lastPlatformError() { return static_cast<int>(GetLastError()); }
}  // namespace

vlFileStream::vlFileStream()
    : handle(INVALID_HANDLE_VALUE), pathText{}, info{}, pathname(nullptr), aheadAt(0), aheadEnd(0) {
  owned = true;
}

vlFileStream::vlFileStream(const char* name) : vlFileStream() {
  storePath(name, sizeof pathText - 1);
}

vlFileStream::vlFileStream(void* openHandle, char openMode, bool ownsHandle) : vlFileStream() {
  handle = openHandle;
  mode = openMode;
  owned = ownsHandle;
}

vlFileStream::vlFileStream(vlPathname* attached) : vlFileStream() { pathname = attached; }

vlFileStream::~vlFileStream() { release(); }

int vlFileStream::openStream(char openMode) { return openFile(openMode, nullptr); }

int vlFileStream::close() {
  lastError = 0;
  if (mode == 0) return 0;
  aheadAt = aheadEnd = 0;  // the handle goes, and what was read ahead with it
  int code = CloseHandle(handle) ? 0 : lastPlatformError();
  clearHandle();
  return viewError(code, nullptr, 5);
}

// Small requests are served from the read-ahead block, refilled with one platform
// read; a request of a block or more goes to the platform directly.
int vlFileStream::readStream(void* buffer, int count, int* done) {
  lastError = 0;
  if (count < 0) return viewError(-1, "vlFIleStream", 5);
  auto* out = static_cast<unsigned char*>(buffer);
  int delivered = takeAhead(out, count);
  int code = 0;
  if (delivered < count) {
    int got = 0;
    if (count - delivered >= ReadAheadSize) {
      code = platformRead(out + delivered, count - delivered, got);
    } else if ((code = platformRead(readAhead, ReadAheadSize, aheadEnd)) == 0) {
      got = takeAhead(out + delivered, count - delivered);
    }
    delivered += got;
  }
  if (done) *done = delivered;
  pos += delivered;
  return code ? viewError(code, "vlFIleStream", 5) : 0;
}

int vlFileStream::platformRead(void* buffer, int count, int& got) {
  DWORD n = 0;
  got = 0;
  if (!ReadFile(handle, buffer, static_cast<DWORD>(count), &n, nullptr)) return lastPlatformError();
  got = lastRead = static_cast<int>(n);
  return 0;
}

int vlFileStream::takeAhead(unsigned char* out, int count) {
  int n = std::min(count, aheadEnd - aheadAt);
  std::memcpy(out, readAhead + aheadAt, static_cast<size_t>(n));
  aheadAt += n;
  if (aheadAt == aheadEnd) aheadAt = aheadEnd = 0;
  return n;
}

int vlFileStream::rewindAhead() {
  int held = aheadEnd - aheadAt;
  aheadAt = aheadEnd = 0;
  if (held == 0) return 0;
  return static_cast<int>(SetFilePointer(handle, -held, nullptr, FILE_CURRENT)) < 0
             ? lastPlatformError()
             : 0;
}

int vlFileStream::writeStream(const void* buffer, int count, int* done) {
  lastError = 0;
  if (count < 0) return viewError(-1, nullptr, 5);
  if (int code = rewindAhead()) return viewError(code, nullptr, 5);
  DWORD put = 0;
  int code = WriteFile(handle, buffer, static_cast<DWORD>(count), &put, nullptr)
                 ? 0
                 : lastPlatformError();
  lastWritten = static_cast<int>(put);
  if (code == 0) {
    if (done) *done = lastWritten;
    pos += lastWritten;
    if (pos > len) len = pos;
  }
  return viewError(code, nullptr, 5);
}

int vlFileStream::seek(int offset, int method) {
  if (int code = rewindAhead()) {
    viewError(code, nullptr, 5);
    return -1;
  }
  int target = static_cast<int>(SetFilePointer(handle, offset, nullptr, static_cast<DWORD>(method)));
  if (target < 0) {
    viewError(lastPlatformError(), nullptr, 5);
    return target;
  }
  lastError = 0;
  pos = target;
  return target;
}

const char* vlFileStream::getPath() { return pathname ? pathname->path : pathText; }

int vlFileStream::setPath(const char* path) {
  if (!pathname) return storePath(path, 290);
  pathname->storeName(path);
  return 0;
}

int vlFileStream::setPath(vlPathname* attached) {
  pathname = attached;
  return 0;
}

int vlFileStream::openFile(char letter, const char* name) {
  if (name) setPath(name);
  const OpenMode* m = findMode(letter);
  if (!m) return viewError(-1, nullptr, 5);
  release();
  handle = CreateFileA(getPath(), m->access, m->share, nullptr, m->creation, m->attributes,
                       nullptr);
  if (handle == INVALID_HANDLE_VALUE) return viewError(lastPlatformError(), nullptr, 5);
  owned = true;  // opened here, so closed here
  int code = getInfo(nullptr);
  if (code == 0 && letter == 'a' && seek(0, FILE_END) < 0) code = lastError;
  if (code != 0) {
    CloseHandle(handle);  // a half-opened stream would otherwise never close it
    clearHandle();
    return viewError(code, nullptr, 5);
  }
  if (letter == 'r') unreadCount = 0;
  if (letter != 'a') pos = 0;
  mode = letter;
  return viewError(0, nullptr, 5);
}

int vlFileStream::getInfo(BY_HANDLE_FILE_INFORMATION* record) {
  lastError = 0;
  if (!GetFileInformationByHandle(handle, &info)) return viewError(lastPlatformError(), nullptr, 5);
  if (record) *record = info;
  len = static_cast<int>(info.nFileSizeLow);
  return 0;
}

int vlFileStream::cancel() {
  return viewError(CancelIo(handle) ? 0 : lastPlatformError(), nullptr, 5);
}

int vlFileStream::getTime(vlDate* write, vlDate* access, vlDate* creation) {
  bool openedHere = mode == 0;
  if (openedHere && ropen() != 0) return viewError(lastError, nullptr, 5);
  // Dates are only set from information just read; its failure is the result.
  int code = getInfo(nullptr);
  if (code == 0) {
    FILETIME times[3] = {info.ftLastWriteTime, info.ftLastAccessTime, info.ftCreationTime};
    vlDate* dates[3] = {write, access, creation};
    for (int i = 0; i < 3; ++i)
      if (dates[i]) dates[i]->setFileTime(&times[i]);
  }
  if (openedHere && close() != 0 && code == 0) code = lastError;
  lastError = code;
  return code;
}

int vlFileStream::setTime(vlDate* write, vlDate* access, vlDate* creation) {
  bool openedHere = mode == 0;
  if (openedHere && uopen() != 0) return viewError(lastError, nullptr, 5);
  FILETIME times[3];  // creation, last access, last write
  int code = 0;
  if (!GetFileTime(handle, &times[0], &times[1], &times[2])) code = lastPlatformError();
  if (code == 0) {
    vlDate* dates[3] = {creation, access, write};
    for (int i = 0; i < 3; ++i)
      if (dates[i]) dates[i]->getFileTime(&times[i]);
    if (!SetFileTime(handle, &times[0], &times[1], &times[2])) code = lastPlatformError();
  }
  getInfo(nullptr);
  if (openedHere) close();
  return viewError(code, nullptr, 5);
}

vlFileStream& vlFileStream::clearHandle() {
  rewindAhead();  // a caller taking the handle over finds it where it read up to
  handle = INVALID_HANDLE_VALUE;
  mode = 0;
  unreadCount = 0;
  return *this;
}

int vlFileStream::storePath(const char* path, size_t limit) {
  if (!path) path = "";
  size_t length = std::strlen(path);
  if (length > limit) return viewError(-1, nullptr, 5);
  std::memcpy(pathText, path, length + 1);
  return 0;
}

void vlFileStream::release() {
  if (owned) close();
  else clearHandle();
}
