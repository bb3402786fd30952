// System calls of the POSIX layer that tests replace to inject faults (disk full,
// permission denied, a file appearing mid-copy, a failing close, rename or sync).
// Every call of the layer that opens, reads, writes, closes, syncs, renames or removes
// goes through this table.
#pragma once
#include <sys/types.h>

struct PosixCalls {
  int (*open)(const char* path, int flags, mode_t mode);
  ssize_t (*read)(int fd, void* buffer, size_t count);
  ssize_t (*write)(int fd, const void* buffer, size_t count);
  int (*close)(int fd);
  int (*fsync)(int fd);
  int (*rename)(const char* from, const char* to);
  // rename that fails with EEXIST instead of replacing (renameat2 RENAME_NOREPLACE).
  int (*renameNoReplace)(const char* from, const char* to);
  int (*unlink)(const char* path);
  // copy_file_range from and to the descriptors' own positions.
  ssize_t (*copyRange)(int from, int to, size_t count);
  // syncfs: writes out everything cached for the file system that holds fd.
  int (*syncfs)(int fd);
};

extern PosixCalls posixCalls;
