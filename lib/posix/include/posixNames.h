// Path names: the CRT's _splitpath and _stricmp (<stdlib.h>, <string.h> on Windows) and
// the Win32 calls DeleteFileA and MoveFileExA, with Windows' results and error codes.
// _getdrive and _getdcwd live in <direct.h>.
#pragma once
#include "posixTypes.h"

#define _MAX_PATH 260
#define _MAX_DRIVE 3
#define _MAX_DIR 256
#define _MAX_FNAME 256
#define _MAX_EXT 256

#define MOVEFILE_REPLACE_EXISTING 0x1
#define MOVEFILE_COPY_ALLOWED 0x2
#define MOVEFILE_WRITE_THROUGH 0x8

// Splits a path into drive ("C:" when the second byte is ":"), dir (up to and including
// the last "\\" or "/", never a trail byte), fname (the rest up to its last ".") and ext
// (from that "." on). Any output may be null; each holds _MAX_DRIVE, _MAX_DIR, _MAX_FNAME
// and _MAX_EXT bytes. A piece that does not fit empties every output (errno ERANGE).
// Example: "C:\a\b.tar.gz" gives "C:", "\a\", "b.tar", ".gz".
void _splitpath(const char* path, char* drive, char* dir, char* fname, char* ext);

// Compares with ASCII letters folded to lower case: the difference of the first bytes
// that differ, 0 when equal.
int _stricmp(const char* a, const char* b);

// Deletes a file. Codes: 2 missing, 3 folder missing, 5 a folder, 123 a name with
// wildcards or other characters that names cannot hold.
BOOL DeleteFileA(const char* path);

// Renames or moves a file or folder. An existing target fails with 183 unless
// MOVEFILE_REPLACE_EXISTING is given; a folder is never replaced (5). Another volume
// needs MOVEFILE_COPY_ALLOWED (else 17), which moves files only (a folder gives 5).
// MOVEFILE_WRITE_THROUGH returns only when the move is on the disk.
// Further codes: 2 source missing, 3 a folder missing, 87 a folder into itself, 123.
BOOL MoveFileExA(const char* existing, const char* target, DWORD flags);
