// CopyFileA through the replaceable system-call table.
#include <windows.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <string>
#include "posixCalls.h"
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
// along, until the end or a refusal; 0 or the errno of a failure.
int copyInKernel(int from, int to) {
  for (;;) {
    ssize_t moved = posixCalls.copyRange(from, to, 1 << 30);
    if (moved > 0) continue;
    if (moved == 0) return 0;
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
// buffer from wherever the kernel stopped (at the end this is one read of nothing; it
// also picks up a source whose file system reports an end too early).
int copyData(int from, int to) {
  int err = copyInKernel(from, to);
  return err ? err : copyThroughBuffer(from, to);
}

// Writes into an exclusively created file; on failure the file is removed again.
BOOL copyExclusive(int from, const struct stat& st, const std::string& to) {
  int out = posixCalls.open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                            st.st_mode & 0777);
  if (out < 0) return posixFail(errno, to.c_str());
  int err = copyData(from, out);
  if (!err) {
    struct timespec times[2] = {st.st_atim, st.st_mtim};  // keep the write time
    futimens(out, times);
  }
  if (posixCalls.close(out) != 0 && !err) err = errno;
  if (err) {
    posixCalls.unlink(to.c_str());
    return posixFail(err);
  }
  return TRUE;
}

// Copies into a temporary file beside the destination, then renames it over.
BOOL copyReplacing(int from, const struct stat& st, const std::string& to) {
  std::string temp = to + ".sondrix-partial";
  posixCalls.unlink(temp.c_str());
  if (!copyExclusive(from, st, temp)) return FALSE;
  if (posixCalls.rename(temp.c_str(), to.c_str()) != 0) {
    int err = errno;
    posixCalls.unlink(temp.c_str());
    return posixFail(err, to.c_str());
  }
  return TRUE;
}
}  // namespace

BOOL CopyFileA(const char* source, const char* destination, BOOL failIfExists) {
  std::string from, to;
  if (!source || !destination) return posixFail(EINVAL);
  if (!posixHostPath(source, from) || !posixHostPath(destination, to)) return FALSE;
  // The open never waits for a pipe's writer; a socket cannot be opened at all (ENXIO).
  int in = posixCalls.open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0);
  if (in < 0) return errno == ENXIO ? failSpecial() : posixFail(errno, from.c_str());
  struct stat st;
  BOOL ok;
  if (fstat(in, &st) != 0) ok = posixFail(errno);
  else if (S_ISDIR(st.st_mode)) ok = posixFail(EACCES);  // as Windows: access denied
  else if (!S_ISREG(st.st_mode)) ok = failSpecial();
  else if (fcntl(in, F_SETFL, fcntl(in, F_GETFL) & ~O_NONBLOCK) != 0) ok = posixFail(errno);
  else ok = failIfExists ? copyExclusive(in, st, to) : copyReplacing(in, st, to);
  int saved = GetLastError();
  posixCalls.close(in);
  SetLastError(saved);
  return ok;
}
