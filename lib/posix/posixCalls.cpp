// The real system calls behind the replaceable table.
#include "posixCalls.h"
#include <fcntl.h>
#include <unistd.h>
#include <cstdio>

namespace {
int openFile(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }

int renameExclusive(const char* from, const char* to) {
  return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
}

ssize_t copyRange(int from, int to, size_t count) {
  return ::copy_file_range(from, nullptr, to, nullptr, count, 0);
}
}  // namespace

PosixCalls posixCalls = {openFile, ::read, ::write, ::close, ::fsync, ::rename, renameExclusive,
                         ::unlink, copyRange, ::syncfs};
