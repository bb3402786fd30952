// Directory search: FindFirstFileA / FindNextFileA / FindClose, and the CRT's _mkdir
// (in <direct.h>). The last component of a pattern is matched with '*' and '?' without
// regard to ASCII case; "." and ".." come back like other entries; failures set the
// last error to 2 (no match), 3 (folder missing or on another drive) or 18 (no more).
// As under Wine, an entry is described by what a link points to (a link to a folder is
// also a reparse point), a dangling link is left out, and a pipe, socket or device is
// listed as a file. A search handle that is closed or was never returned gives 6 in
// FindNextFileA and FindClose.
#pragma once
#include "posixTypes.h"

#define FILE_ATTRIBUTE_READONLY 0x1
#define FILE_ATTRIBUTE_HIDDEN 0x2
#define FILE_ATTRIBUTE_SYSTEM 0x4
#define FILE_ATTRIBUTE_DIRECTORY 0x10
#define FILE_ATTRIBUTE_ARCHIVE 0x20
#define FILE_ATTRIBUTE_NORMAL 0x80
#define FILE_ATTRIBUTE_TEMPORARY 0x100
#define FILE_ATTRIBUTE_REPARSE_POINT 0x400
#define FILE_ATTRIBUTE_COMPRESSED 0x800

struct WIN32_FIND_DATAA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  CHAR cFileName[MAX_PATH];
  CHAR cAlternateFileName[14];
};

HANDLE FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* data);

enum FINDEX_INFO_LEVELS { FindExInfoStandard, FindExInfoBasic, FindExInfoMaxInfoLevel };
enum FINDEX_SEARCH_OPS {
  FindExSearchNameMatch,
  FindExSearchLimitToDirectories,
  FindExSearchLimitToDevices,
  FindExSearchMaxSearchOp
};
#define FIND_FIRST_EX_CASE_SENSITIVE 0x1
#define FIND_FIRST_EX_LARGE_FETCH 0x2

// As FindFirstFileA. FindExSearchLimitToDirectories lists only the folders that a
// pattern with wildcards matches, as Wine does (skipping the other entries without
// reading them; Windows may list them all, so callers still test the attribute); a name
// without wildcards finds the entry itself. FindExInfoBasic leaves the short name empty. Other levels and search operations, a filter, and flags other than
// FIND_FIRST_EX_LARGE_FETCH give 87.
HANDLE FindFirstFileExA(const char* pattern, FINDEX_INFO_LEVELS level, void* data,
                        FINDEX_SEARCH_OPS op, void* filter, DWORD flags);

// The layer's own: FindFirstFileA lists a folder sorted by upper-cased name, as Wine
// does; this lists it in the file system's own order, which on FAT and exFAT is the
// order of the entries on disk. Go on with FindNextFileA, end with FindClose.
HANDLE posixFindFirstInDiskOrder(const char* pattern, WIN32_FIND_DATAA* data);
// The layer's own, for callers that read only the names and the directory bit: as
// FindFirstFileExA's basic search, but an entry whose kind its folder tells, and that is
// no link, is not read one by one, so its size and times stay 0 and it never shows as
// read-only. A link is read as in a full search (listed as what it leads to, or left out
// when it leads nowhere), and so is every entry where the folder does not tell kinds.
HANDLE posixFindNames(const char* pattern, WIN32_FIND_DATAA* data);
BOOL FindNextFileA(HANDLE search, WIN32_FIND_DATAA* data);
BOOL FindClose(HANDLE search);
