// File handles: CreateFileA, ReadFile, WriteFile, SetFilePointer,
// GetFileInformationByHandle and CancelIo over POSIX descriptors.
//
// Contracts kept as Windows and Wine keep them:
// - CreateFileA: missing file 2, missing folder 3, a folder 5, CREATE_NEW on an existing
//   entry 80, a name with * ? " < > | or a trailing separator 123, a bad disposition 87.
//   The open never waits: a socket fails with 433, as under Wine; a pipe or a device
//   fails with 87 (Wine hands out a handle on which every query then fails with 87; here
//   only regular files and folders get handles).
//   With FILE_FLAG_BACKUP_SEMANTICS, OPEN_EXISTING also opens a folder (a trailing
//   separator allowed), for GetFileInformationByHandle; reading or writing it fails with 1
//   (5 without the access); its share modes count like a file's.
//   OPEN_ALWAYS and CREATE_ALWAYS on an existing file succeed with last error 183
//   (0 when they create it). Share modes are enforced between the handles of this
//   process (32); a handle without read or write access neither checks nor blocks.
//   Of the attributes only FILE_ATTRIBUTE_READONLY is kept (as a file without write
//   permission); others are accepted and dropped.
// - ReadFile/WriteFile: synchronous only (no OVERLAPPED); 5 without the access, 6 for a
//   stale handle; reading at the end succeeds with 0 bytes; the count pointer may be null.
// - SetFilePointer: method 0/1/2 (else 87); a target before the start fails with 131 and
//   INVALID_SET_FILE_POINTER, leaving the position alone.
// - GetFileInformationByHandle: the volume serial and file index are the device and
//   inode, so two handles name the same file or folder exactly when they agree; a folder
//   reports FILE_ATTRIBUTE_DIRECTORY, size 0 and one link, as Wine does.
// - CancelIo: nothing is ever pending, so any live handle succeeds.
#pragma once
#include "posixTypes.h"
#include "posixHandle.h"

#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u

#define FILE_SHARE_READ 0x1
#define FILE_SHARE_WRITE 0x2
#define FILE_SHARE_DELETE 0x4

#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define TRUNCATE_EXISTING 5

#define FILE_FLAG_BACKUP_SEMANTICS 0x02000000u

#define FILE_BEGIN 0
#define FILE_CURRENT 1
#define FILE_END 2
#define INVALID_SET_FILE_POINTER ((DWORD)-1)

struct SECURITY_ATTRIBUTES;
struct OVERLAPPED;
typedef SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;
typedef OVERLAPPED* LPOVERLAPPED;

struct BY_HANDLE_FILE_INFORMATION {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD dwVolumeSerialNumber;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD nNumberOfLinks;
  DWORD nFileIndexHigh;
  DWORD nFileIndexLow;
};

// The handle object behind a file HANDLE, for other calls of the layer that work on
// open files (posixHandleAs<PosixFile>).
struct PosixFile : PosixHandle {
  int fd = -1;
  DWORD access = 0;  // GENERIC_READ / GENERIC_WRITE bits granted
  DWORD share = 0;   // FILE_SHARE_* bits granted to others
  uint64_t device = 0, inode = 0;
  bool folder = false;  // opened with FILE_FLAG_BACKUP_SEMANTICS; no data transfer
  bool release() override;
};

HANDLE CreateFileA(const char* name, DWORD access, DWORD share,
                   LPSECURITY_ATTRIBUTES security, DWORD creation, DWORD flagsAndAttributes,
                   HANDLE templateFile);
BOOL ReadFile(HANDLE file, void* buffer, DWORD count, DWORD* done, LPOVERLAPPED overlapped);
BOOL WriteFile(HANDLE file, const void* buffer, DWORD count, DWORD* done,
               LPOVERLAPPED overlapped);
DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD method);
BOOL GetFileInformationByHandle(HANDLE file, BY_HANDLE_FILE_INFORMATION* info);
BOOL CancelIo(HANDLE file);
