// File handles over POSIX descriptors, with the Win32 share modes enforced between
// the handles of this process. Reads and writes go through posixCalls so that tests
// can inject faults.
#include <windows.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <set>
#include <string>
#include "posixCalls.h"
#include "posixFolderNames.h"
#include "posixPath.h"
#include "posixText.h"

namespace {
std::mutex shareLock;
std::set<PosixFile*> openFiles;  // every live file handle, guarded by shareLock

const DWORD dataAccess = GENERIC_READ | GENERIC_WRITE;

HANDLE failOpen(DWORD code) {
  SetLastError(code);
  return INVALID_HANDLE_VALUE;
}

// True when every kind of access asked for is among the shared ones.
bool granted(DWORD access, DWORD share) {
  return (!(access & GENERIC_READ) || (share & FILE_SHARE_READ)) &&
         (!(access & GENERIC_WRITE) || (share & FILE_SHARE_WRITE));
}

// A handle without data access neither checks the others nor is checked by them.
bool conflicts(const PosixFile& a, const PosixFile& b) {
  if (!(a.access & dataAccess) || !(b.access & dataAccess)) return false;
  if (a.device != b.device || a.inode != b.inode) return false;
  return !granted(a.access, b.share) || !granted(b.access, a.share);
}

// Enters the handle into the open set unless an open handle of the same file forbids it.
bool admit(PosixFile* file) {
  std::lock_guard<std::mutex> hold(shareLock);
  for (const PosixFile* other : openFiles)
    if (conflicts(*file, *other)) return false;
  openFiles.insert(file);
  return true;
}

void forget(PosixFile* file) {
  std::lock_guard<std::mutex> hold(shareLock);
  openFiles.erase(file);
}

// Wildcards and the like are never part of a Win32 file name, and a name cannot end in
// a separator; trail bytes of two-byte characters are skipped.
enum class NameShape { ok, invalid, trailingSeparator };

NameShape nameShape(const char* name) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(name);
  bool separatorLast = false;
  for (; *p; ++p) {
    separatorLast = false;
    if (posixIsLead(*p) && p[1]) ++p;
    else if (std::strchr("*?\"<>|", *p)) return NameShape::invalid;
    else separatorLast = posixIsSeparator(static_cast<char>(*p));
  }
  return separatorLast ? NameShape::trailingSeparator : NameShape::ok;
}

int accessFlags(DWORD access) {
  if ((access & dataAccess) == dataAccess) return O_RDWR;
  return (access & GENERIC_WRITE) ? O_WRONLY : O_RDONLY;
}

// Opens (or creates) the file as the disposition says; -1 with errno on failure.
// `existed` tells whether the file was there before. O_NONBLOCK keeps a FIFO from
// blocking the open (and O_NOCTTY a terminal from becoming ours); such files are refused
// afterwards.
int openHost(const std::string& host, int flags, DWORD creation, mode_t mode, bool& existed) {
  flags |= O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
  existed = creation != CREATE_NEW;
  if (creation == CREATE_NEW) return posixCalls.open(host.c_str(), flags | O_CREAT | O_EXCL, mode);
  if (creation == OPEN_EXISTING || creation == TRUNCATE_EXISTING)
    return posixCalls.open(host.c_str(), flags, 0);
  // OPEN_ALWAYS, CREATE_ALWAYS: create exclusively to learn whether it existed; a file
  // removed or created by someone else in between makes us try again.
  for (int attempt = 0; attempt < 3; ++attempt) {
    int fd = posixCalls.open(host.c_str(), flags | O_CREAT | O_EXCL, mode);
    if (fd >= 0 || errno != EEXIST) {
      existed = false;
      return fd;
    }
    fd = posixCalls.open(host.c_str(), flags, 0);
    if (fd >= 0 || errno != ENOENT) {
      existed = true;
      return fd;
    }
  }
  errno = ENOENT;  // a dangling link or a file that keeps vanishing
  return -1;
}

// Why an open entry gets no handle, or 0: only regular files, and folders when asked for.
DWORD refusalCode(const struct stat& st, bool folderAllowed) {
  if (S_ISREG(st.st_mode)) return 0;
  if (S_ISDIR(st.st_mode)) return folderAllowed ? 0 : ERROR_ACCESS_DENIED;
  return ERROR_INVALID_PARAMETER;  // a pipe or a device: Wine fails every query on it with 87
}

// Wraps an open descriptor in a handle: refuses what refusalCode names and share
// conflicts (32), then truncates when asked to.
HANDLE adopt(int fd, DWORD access, DWORD share, bool truncating, bool folderAllowed) {
  struct stat st;
  DWORD code = fstat(fd, &st) != 0 ? posixErrorCode(errno) : refusalCode(st, folderAllowed);
  if (code) {
    posixCalls.close(fd);
    return failOpen(code);
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  auto* file = new PosixFile;
  file->fd = fd;
  file->access = access & dataAccess;
  file->share = share;
  file->device = st.st_dev;
  file->inode = st.st_ino;
  file->folder = S_ISDIR(st.st_mode);
  if (!admit(file)) code = ERROR_SHARING_VIOLATION;
  else if (truncating && ftruncate(fd, 0) != 0) code = posixErrorCode(errno);
  if (code) {
    file->release();
    delete file;
    return failOpen(code);
  }
  return posixHandleOpen(file);
}

// Windows FILETIME: 100-nanosecond steps since 1601-01-01.
FILETIME toFileTime(const struct timespec& t) {
  uint64_t steps = (static_cast<uint64_t>(t.tv_sec) + 11644473600ULL) * 10000000ULL +
                   static_cast<uint64_t>(t.tv_nsec) / 100;
  return FILETIME{static_cast<DWORD>(steps), static_cast<DWORD>(steps >> 32)};
}

DWORD failSeek(DWORD code) {
  SetLastError(code);
  return INVALID_SET_FILE_POINTER;
}

// The position that a seek method counts from; false with errno set.
bool seekBase(int fd, DWORD method, int64_t& base) {
  struct stat st;
  if (method == FILE_BEGIN) base = 0;
  else if (method == FILE_CURRENT) base = lseek(fd, 0, SEEK_CUR);
  else base = fstat(fd, &st) == 0 ? st.st_size : -1;
  return base >= 0;
}

PosixFile* fileWithAccess(HANDLE h, DWORD access) {
  PosixFile* file = posixHandleAs<PosixFile>(h);
  if (!file) return nullptr;
  DWORD code = 0;
  if (!(file->access & access)) code = ERROR_ACCESS_DENIED;
  else if (file->folder) code = ERROR_INVALID_FUNCTION;
  if (code) {
    SetLastError(code);
    return nullptr;
  }
  return file;
}

// Repeats a read or write step until count bytes have moved; a step that moves nothing
// ends a read (the end of the file) and fails a write with stalledErrno.
template <class Step>
BOOL transfer(PosixFile* file, LPOVERLAPPED overlapped, DWORD count, DWORD* done,
              int stalledErrno, Step step) {
  if (!file) return FALSE;
  if (overlapped) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  for (DWORD moved = 0; moved < count;) {
    ssize_t n = step(file->fd, moved);
    if (n < 0 && errno == EINTR) continue;
    if (n == 0 && !stalledErrno) break;
    if (n <= 0) return posixFail(n < 0 ? errno : stalledErrno);
    moved += static_cast<DWORD>(n);
    if (done) *done = moved;
  }
  return TRUE;
}
}  // namespace

bool PosixFile::release() {
  forget(this);
  if (posixCalls.close(fd) != 0) return posixFail(errno);
  return true;
}

HANDLE CreateFileA(const char* name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES,
                   DWORD creation, DWORD flagsAndAttributes, HANDLE) {
  if (creation < CREATE_NEW || creation > TRUNCATE_EXISTING)
    return failOpen(ERROR_INVALID_PARAMETER);
  if (!name || !*name) return failOpen(ERROR_PATH_NOT_FOUND);
  NameShape shape = nameShape(name);
  if (shape == NameShape::invalid) return failOpen(ERROR_INVALID_NAME);
  std::string host;
  if (!posixHostPath(name, host)) return INVALID_HANDLE_VALUE;
  bool folders = (flagsAndAttributes & FILE_FLAG_BACKUP_SEMANTICS) && creation == OPEN_EXISTING;
  if (shape == NameShape::trailingSeparator) {
    bool isFolder = posixIsFolder(host);
    if (!isFolder || !folders) return failOpen(isFolder ? ERROR_ACCESS_DENIED : ERROR_INVALID_NAME);
  }

  bool truncating = creation == CREATE_ALWAYS || creation == TRUNCATE_EXISTING;
  // Truncation needs a writable descriptor even when the caller only reads.
  int flags = accessFlags(access | (truncating ? GENERIC_WRITE : 0));
  mode_t mode = (flagsAndAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
  bool existed;
  int fd = openHost(host, flags, creation, mode, existed);
  if (fd >= 0 && !existed) posixFolderChanged();
  // A folder opens for reading only; its handle merely names it.
  if (fd < 0 && errno == EISDIR && folders)
    fd = posixCalls.open(host.c_str(), O_RDONLY | O_CLOEXEC | O_DIRECTORY, 0);
  if (fd < 0) return failOpen(posixErrorCode(errno, host.c_str()));
  HANDLE h = adopt(fd, access, share, truncating && existed, folders);
  if (h == INVALID_HANDLE_VALUE) return h;
  bool reportsExisting = creation == CREATE_ALWAYS || creation == OPEN_ALWAYS;
  SetLastError(existed && reportsExisting ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return h;
}

BOOL ReadFile(HANDLE h, void* buffer, DWORD count, DWORD* done, LPOVERLAPPED overlapped) {
  if (done) *done = 0;
  return transfer(fileWithAccess(h, GENERIC_READ), overlapped, count, done, 0,
                  [buffer, count](int fd, DWORD moved) {
                    return posixCalls.read(fd, static_cast<char*>(buffer) + moved, count - moved);
                  });
}

BOOL WriteFile(HANDLE h, const void* buffer, DWORD count, DWORD* done,
               LPOVERLAPPED overlapped) {
  if (done) *done = 0;
  // A write that makes no progress is taken for a full disk.
  return transfer(fileWithAccess(h, GENERIC_WRITE), overlapped, count, done, ENOSPC,
                  [buffer, count](int fd, DWORD moved) {
                    return posixCalls.write(fd, static_cast<const char*>(buffer) + moved,
                                            count - moved);
                  });
}

DWORD SetFilePointer(HANDLE h, LONG distance, LONG* distanceHigh, DWORD method) {
  PosixFile* file = posixHandleAs<PosixFile>(h);
  if (!file) return INVALID_SET_FILE_POINTER;
  if (method > FILE_END) return failSeek(ERROR_INVALID_PARAMETER);
  int64_t offset = distance;
  if (distanceHigh)
    offset = static_cast<int64_t>(static_cast<uint64_t>(static_cast<DWORD>(*distanceHigh)) << 32 |
                                  static_cast<DWORD>(distance));
  int64_t base = 0, target;
  if (!seekBase(file->fd, method, base)) return failSeek(posixErrorCode(errno));
  if (__builtin_add_overflow(base, offset, &target)) return failSeek(ERROR_INVALID_PARAMETER);
  if (target < 0) return failSeek(ERROR_NEGATIVE_SEEK);
  if (lseek(file->fd, static_cast<off_t>(target), SEEK_SET) < 0)
    return failSeek(posixErrorCode(errno));
  if (distanceHigh) *distanceHigh = static_cast<LONG>(static_cast<uint64_t>(target) >> 32);
  DWORD low = static_cast<DWORD>(target);
  if (low == INVALID_SET_FILE_POINTER) SetLastError(ERROR_SUCCESS);  // a real position
  return low;
}

BOOL GetFileInformationByHandle(HANDLE h, BY_HANDLE_FILE_INFORMATION* info) {
  PosixFile* file = posixHandleAs<PosixFile>(h);
  if (!file) return FALSE;
  struct stat st;
  if (!info) return posixFail(EINVAL);
  if (fstat(file->fd, &st) != 0) return posixFail(errno);
  std::memset(info, 0, sizeof *info);
  // As Wine reports a file through its handle: archive (a folder: directory), plus
  // read-only when unwritable.
  info->dwFileAttributes = file->folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
  if (!(st.st_mode & S_IWUSR)) info->dwFileAttributes |= FILE_ATTRIBUTE_READONLY;
  // Linux keeps no creation time that can be set: as Wine, report the last-write time.
  info->ftCreationTime = toFileTime(st.st_mtim);
  info->ftLastAccessTime = toFileTime(st.st_atim);
  info->ftLastWriteTime = toFileTime(st.st_mtim);
  info->dwVolumeSerialNumber = static_cast<DWORD>(st.st_dev);
  uint64_t size = file->folder ? 0 : static_cast<uint64_t>(st.st_size);
  info->nFileSizeHigh = static_cast<DWORD>(size >> 32);
  info->nFileSizeLow = static_cast<DWORD>(size);
  info->nNumberOfLinks = file->folder ? 1 : static_cast<DWORD>(st.st_nlink);
  uint64_t index = static_cast<uint64_t>(st.st_ino);
  info->nFileIndexHigh = static_cast<DWORD>(index >> 32);
  info->nFileIndexLow = static_cast<DWORD>(index);
  return TRUE;
}

BOOL CancelIo(HANDLE h) {
  // All I/O here is synchronous, so there is never anything to cancel. As on Windows,
  // INVALID_HANDLE_VALUE is the current process and counts as a live handle.
  if (h == INVALID_HANDLE_VALUE) return TRUE;
  return posixHandleGet(h) ? TRUE : FALSE;
}
