// Free functions of the copy engine.
#pragma once
#include <windows.h>
#include <cstddef>

// What the file or folder at path is, through a handle that only names it; false when
// nothing can be opened there.
bool describePath(const char* path, BY_HANDLE_FILE_INFORMATION& info);

// What path names: nothing that can be opened, a file or a folder.
enum class pathKind { none, file, folder };
pathKind kindOf(const char* path);

// True when path names a file that opens for reading (a folder does not).
bool canRead(const char* path);

// Makes sure path (without a trailing separator) is a folder, creating that one level
// when nothing of that name exists. False when a file blocks it or creation fails.
bool checkDir(char* path);

// Joins up to three texts into out (size bytes); false, with out empty, when the
// result would not fit.
bool joinPath(char* out, size_t size, const char* a, const char* b, const char* c = "");

// Resolves a playlist entry against the playlist's folder (ending with "\\") into out
// (300 bytes): network and drive paths stay, everything else is appended. False, with
// out empty, when the result would not fit.
bool checkFilename(char* out, char* listDir, char* entry);
