// System calls of the POSIX layer that tests replace to inject faults (disk full,
// permission denied, a file appearing mid-copy).
#pragma once
#include <sys/types.h>

struct PosixCalls {
  int (*open)(const char* path, int flags, mode_t mode);
  ssize_t (*read)(int fd, void* buffer, size_t count);
  ssize_t (*write)(int fd, const void* buffer, size_t count);
};

extern PosixCalls posixCalls;
