// DOS paths (code page 932) to host paths (UTF-8) and back, the way Wine maps them:
// drive Z: is the POSIX root and the current drive; its current folder is the process's
// working folder; "\\" (never a trail byte) becomes "/".
#pragma once
#include <windows.h>
#include <sys/stat.h>
#include <string>

// How a path is about to be used, which decides how it is matched without regard to case.
enum class PathUse {
  any,    // matched now: one lstat when it exists as written
  opened  // left as written: the caller opens it and, when that finds nothing, matches it
          // with posixResolveCase and opens again; or makes it, matched by posixMatchCreated
};

// The host path for a DOS path. False, with the last error set, for another drive or a
// network path (3), or a name that cannot be converted (123).
bool posixHostPath(const char* dosPath, std::string& hostPath, PathUse use = PathUse::any);

// Matches the host path of a name about to be made without regard to case, in place:
// from its folder's kept listing while that is still valid (one stat), otherwise now.
// mark is posixFolderBefore's, taken with the match: nothing but the create should come
// between this call and posixFolderGained, or another program's change in between goes
// unseen.
void posixMatchCreated(std::string& hostPath, unsigned long& mark);

// A host path as it exists without regard to ASCII case (Windows finds files so); the
// path itself when it exists as written or nothing matches.
std::string posixResolveCase(const std::string& hostPath);

// A host name (UTF-8) in code page 932; characters that it cannot hold become "?".
std::string posixDosName(const char* hostName);

// The folder that holds a host path ("." for a bare name, "/" at the root). Inline, as
// posixIsFolder, so that the error translation needs no other part of the layer.
inline std::string posixParentOf(const std::string& hostPath) {
  size_t end = hostPath.find_last_not_of('/');
  if (end == std::string::npos) return "/";
  size_t slash = hostPath.rfind('/', end);
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : hostPath.substr(0, slash);
}

inline bool posixIsFolder(const std::string& hostPath) {
  struct stat st;
  return stat(hostPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// True for "\\" or "/".
inline bool posixIsSeparator(char c) { return c == '\\' || c == '/'; }
