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
// Copies text with every separator turned into "/", skipping trail bytes.
std::string withSlashes(const char* text) {
  std::string out(text);
  for (size_t i = 0; i < out.size(); ++i) {
    if (posixIsLead(static_cast<unsigned char>(out[i])) && i + 1 < out.size()) ++i;
    else if (out[i] == '\\') out[i] = '/';
  }
  return out;
}

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

// A new name is answered from its folder's listing while that is still valid.
bool listedPath(const std::string& path, std::string& resolved, unsigned long& mark) {
  LastName last = lastName(path);
  std::string folder = path.substr(0, last.start), found;
  if (!last.end ||
      !posixListedEntry(folder, path.substr(last.start, last.end - last.start), found, mark))
    return false;
  resolved = folder + found + path.substr(last.end);
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
  std::string slashed = withSlashes(rest);
  std::string host;
  if (!posixRecode("CP932", "UTF-8", slashed.data(), slashed.size(), host, nullptr))
    return fail(ERROR_INVALID_NAME);
  hostPath = use == PathUse::opened ? host : posixResolveCase(host);
  return true;
}

std::string posixCreatedPath(const std::string& hostPath, unsigned long& mark) {
  std::string resolved;
  if (listedPath(hostPath, resolved, mark)) return resolved;
  resolved = posixResolveCase(hostPath);
  mark = posixFolderBefore(resolved);
  return resolved;
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
