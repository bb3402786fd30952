// The CRT's folder functions (<direct.h> on Windows) over the POSIX layer.
#pragma once

// Creates one folder; 0 on success, -1 with errno set (EEXIST, ENOENT, ...).
int _mkdir(const char* path);

// Removes one empty folder; 0 on success, -1 with errno set (ENOTEMPTY, ENOENT, ...).
int _rmdir(const char* path);

// The current drive, 1 = A: always Z: (26), whose root is the POSIX root.
int _getdrive();

// The current folder of a drive (0 = the current one) as a DOS path in code page 932:
// "Z:\work", or "Z:\" at the root. Other drives fail (EACCES). A null buffer is
// allocated with malloc (at least size bytes); a buffer of size bytes that cannot hold
// the text fails with ERANGE and is left untouched. Null on failure.
char* _getdcwd(int drive, char* buffer, int size);
