// DOS to host path mapping.
#include "posixPath.h"
#include <windows.h>
#include <sys/stat.h>
#include <cctype>
#include <cerrno>
#include <cstring>
#include "posixFolderNames.h"
#include "posixText.h"

namespace {
bool exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

// Where the last name of a path starts and ends (before any trailing separators).
struct LastName {
  size_t start, end;
};

LastName lastName(const std::string& path) {
  size_t end = path.find_last_not_of('/') + 1;  // 0 for a path of separators only
  size_t slash = end ? path.rfind('/', end - 1) : std::string::npos;
  return {slash == std::string::npos ? 0 : slash + 1, end};
}

// A new name is answered from its folder's listing while that is still valid; the path
// changes only where an entry spells the name otherwise.
bool listedPath(std::string& path, unsigned long& mark) {
  LastName last = lastName(path);
  if (!last.end) return false;
  std::string_view folder(path.data(), last.start);
  std::string_view name(path.data() + last.start, last.end - last.start);
  std::string found;
  if (!posixListedEntry(folder, name, found, mark)) return false;
  if (found != name) path.replace(last.start, last.end - last.start, found);
  return true;
}

bool fail(DWORD code) {
  SetLastError(code);
  return false;
}
}  // namespace

bool posixHostPath(const char* dosPath, std::string& hostPath, PathUse use) {
  const char* rest = dosPath;
  if (posixIsSeparator(rest[0]) && posixIsSeparator(rest[1])) return fail(ERROR_BAD_NETPATH);
  if (rest[0] && rest[1] == ':') {
    if (std::toupper(static_cast<unsigned char>(rest[0])) != 'Z')
      return fail(ERROR_PATH_NOT_FOUND);
    rest += 2;  // "Z:name" is relative to the working folder, "Z:\name" to the root
  }
  if (!posixRecode("CP932", "UTF-8", rest, std::strlen(rest), hostPath, nullptr))
    return fail(ERROR_INVALID_NAME);
  // Converted first: every "\\" left is a separator, as no UTF-8 sequence holds that byte.
  for (char& c : hostPath)
    if (c == '\\') c = '/';
  if (use == PathUse::any) hostPath = posixResolveCase(hostPath);
  return true;
}

void posixMatchCreated(std::string& hostPath, unsigned long& mark) {
  if (listedPath(hostPath, mark)) return;
  hostPath = posixResolveCase(hostPath);
  mark = posixFolderBefore(hostPath);
}

// Windows finds files without regard to case: a path that does not exist as written is
// matched against the names in its folder, and so is the folder when it is missing too.
std::string posixResolveCase(const std::string& path) {
  if (path.empty() || exists(path) || errno != ENOENT) return path;
  LastName last = lastName(path);
  if (!last.end) return path;
  std::string folder = path.substr(0, last.start);
  std::string name = path.substr(last.start, last.end - last.start), found;
  if (!posixFolderEntry(folder, name, found)) {
    if (!folder.empty()) folder = posixResolveCase(folder);
    if (!posixFolderEntry(folder, name, found)) found = name;
  }
  return folder + found + path.substr(last.end);
}

std::string posixDosName(const char* hostName) {
  std::string out;
  posixRecode("UTF-8", "CP932", hostName, std::strlen(hostName), out, "?");
  return out;
}
