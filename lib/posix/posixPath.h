// DOS paths (code page 932) to host paths (UTF-8) and back, the way Wine maps them:
// drive Z: is the POSIX root and the current drive; its current folder is the process's
// working folder; "\\" (never a trail byte) becomes "/".
#pragma once
#include <windows.h>
#include <string>

// The host path for a DOS path. False, with the last error set, for another drive or a
// network path (3), or a name that cannot be converted (123).
bool posixHostPath(const char* dosPath, std::string& hostPath);

// A host name (UTF-8) in code page 932; characters that it cannot hold become "?".
std::string posixDosName(const char* hostName);

// The folder that holds a host path ("." for a bare name, "/" at the root).
std::string posixParentOf(const std::string& hostPath);
bool posixIsFolder(const std::string& hostPath);

// True for "\\" or "/".
inline bool posixIsSeparator(char c) { return c == '\\' || c == '/'; }
