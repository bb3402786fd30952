// CopyFileA and the flush of a volume after copies, through the replaceable system-call
// table.
#include <windows.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <string>
#include "posixCalls.h"
#include "posixFolderNames.h"
#include "posixPath.h"

namespace {
// A source that is neither a file nor a folder (a pipe, socket or device) fails with 87,
// as under Wine.
BOOL failSpecial() {
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}

// Errors by which a file system (or an older kernel) refuses to copy in the kernel; the
// buffer copy does the rest.
bool refusesKernelCopy(int error) {
  return error == EXDEV || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP ||
         error == EBADF;
}

// Moves data in the kernel from the source's position to the destination's, both moved
// along, until the end or a refusal; 0 or the errno of a failure. moved counts the bytes.
int copyInKernel(int from, int to, off_t& moved) {
  for (;;) {
    ssize_t step = posixCalls.copyRange(from, to, 1 << 30);
    if (step > 0) {
      moved += step;
      continue;
    }
    if (step == 0) return 0;
    if (errno == EINTR) continue;
    return refusesKernelCopy(errno) ? 0 : errno;
  }
}

// Copies from the descriptors' positions to the end through a buffer; 0 or the errno
// of the failure.
int copyThroughBuffer(int from, int to) {
  char buffer[1 << 16];
  for (;;) {
    ssize_t got = posixCalls.read(from, buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (got == 0) return 0;
    for (ssize_t done = 0; done < got;) {
      ssize_t put = posixCalls.write(to, buffer + done, static_cast<size_t>(got - done));
      if (put < 0) {
        if (errno == EINTR) continue;
        return errno;
      }
      done += put;
    }
  }
}

// Copies everything from one descriptor to the other: in the kernel, then through the
// buffer from wherever the kernel stopped short of the source's size (a refusal, or a
// file system that reports an end too early; a size of 0 may be such an end too).
int copyData(int from, int to, off_t size) {
  off_t moved = 0;
  int err = copyInKernel(from, to, moved);
  if (err || (size > 0 && moved >= size)) return err;
  return copyThroughBuffer(from, to);
}

// The file being written, for posixAbandonCopy: the slot is claimed by one copy at a
// time, and the descriptor is set only once the path is in place.
struct WritingSlot {
  std::atomic<bool> claimed{false};
  std::atomic<int> fd{-1};
  char path[4096];
};
WritingSlot writing;

bool trackWriting(int fd, const std::string& path) {
  if (path.size() >= sizeof writing.path || writing.claimed.exchange(true)) return false;
  std::memcpy(writing.path, path.c_str(), path.size() + 1);
  writing.fd.store(fd);
  return true;
}

void untrackWriting(bool tracked) {
  if (!tracked) return;
  writing.fd.store(-1);
  writing.claimed.store(false);
}

// Writes into an exclusively created file; on failure the file is removed again. listed:
// the folder listing's mark, taken just before (posixFolderBefore).
BOOL copyExclusive(int from, const struct stat& st, const std::string& to, unsigned long listed) {
  int out = posixCalls.open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                            st.st_mode & 0777);
  if (out < 0) return posixFail(errno, to.c_str());
  bool tracked = trackWriting(out, to);
  posixFolderGained(to, listed);
  int err = copyData(from, out, st.st_size);
  if (!err) {
    struct timespec times[2] = {st.st_atim, st.st_mtim};  // keep the write time
    futimens(out, times);
  }
  untrackWriting(tracked);
  if (posixCalls.close(out) != 0 && !err) err = errno;
  if (err) {
    posixCalls.unlink(to.c_str());
    posixFolderChanged();
    return posixFail(err);
  }
  return TRUE;
}

// Whether path names the file st describes (the same name, or a link to it).
bool sameFile(const struct stat& st, const std::string& path) {
  struct stat other;
  return stat(path.c_str(), &other) == 0 && other.st_dev == st.st_dev && other.st_ino == st.st_ino;
}

// Copies into a temporary file beside the destination, then renames it over. A file is
// never copied onto itself: Windows refuses that as a sharing violation.
BOOL copyReplacing(int from, const struct stat& st, const std::string& to) {
  if (sameFile(st, to)) {
    SetLastError(ERROR_SHARING_VIOLATION);
    return FALSE;
  }
  std::string temp = to + ".sondrix-partial";
  posixCalls.unlink(temp.c_str());
  if (!copyExclusive(from, st, temp, posixFolderBefore(temp))) return FALSE;
  int renamed = posixCalls.rename(temp.c_str(), to.c_str());
  posixFolderChanged();
  if (renamed != 0) {
    int err = errno;
    posixCalls.unlink(temp.c_str());
    return posixFail(err, to.c_str());
  }
  return TRUE;
}

// The source opened for reading, as written or else matched without regard to case; -1
// with errno on failure. The open never waits for a pipe's writer, and a socket cannot be
// opened at all (ENXIO). O_NONBLOCK stays: it changes nothing for a regular file.
int openSource(std::string& from) {
  const int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
  int in = posixCalls.open(from.c_str(), flags, 0);
  if (in >= 0 || errno != ENOENT) return in;
  std::string matched = posixResolveCase(from);
  if (matched == from) {
    errno = ENOENT;
    return -1;
  }
  from = matched;
  return posixCalls.open(from.c_str(), flags, 0);
}

// The destination is matched without regard to case only now, after the source was
// opened: the match and the create then follow each other with nothing in between, so
// one look at the folder serves both.
BOOL copyOpened(int in, const struct stat& st, std::string& to, BOOL failIfExists) {
  unsigned long listed;
  posixMatchCreated(to, listed);
  return failIfExists ? copyExclusive(in, st, to, listed) : copyReplacing(in, st, to);
}
}  // namespace

void posixAbandonCopy() {
  int fd = writing.fd.load();
  struct stat written, named;
  // Only the file this copy made: not one put in its place meanwhile.
  if (fd >= 0 && fstat(fd, &written) == 0 && lstat(writing.path, &named) == 0 &&
      written.st_dev == named.st_dev && written.st_ino == named.st_ino)
    unlink(writing.path);
}

BOOL posixFlushVolume(const char* folder) {
  std::string host;
  if (!folder) return posixFail(EINVAL);
  if (!posixHostPath(folder, host)) return FALSE;
  int fd = posixCalls.open(host.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
  if (fd < 0) return posixFail(errno, host.c_str());
  int err = posixCalls.syncfs(fd) == 0 ? 0 : errno;
  posixCalls.close(fd);
  return err ? posixFail(err) : TRUE;
}

BOOL CopyFileA(const char* source, const char* destination, BOOL failIfExists) {
  std::string from, to;
  if (!source || !destination) return posixFail(EINVAL);
  if (!posixHostPath(source, from, PathUse::opened) ||
      !posixHostPath(destination, to, PathUse::opened))
    return FALSE;
  int in = openSource(from);
  if (in < 0) return errno == ENXIO ? failSpecial() : posixFail(errno, from.c_str());
  struct stat st;
  BOOL ok;
  if (fstat(in, &st) != 0) ok = posixFail(errno);
  else if (S_ISDIR(st.st_mode)) ok = posixFail(EACCES);  // as Windows: access denied
  else if (!S_ISREG(st.st_mode)) ok = failSpecial();
  else ok = copyOpened(in, st, to, failIfExists);
  int saved = GetLastError();
  posixCalls.close(in);
  SetLastError(saved);
  return ok;
}
