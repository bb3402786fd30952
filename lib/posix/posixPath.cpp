// DOS to host path mapping.
#include "posixPath.h"
#include <windows.h>
#include <dirent.h>
#include <sys/stat.h>
#include <cctype>
#include <cerrno>
#include <cstring>
#include "posixText.h"

namespace {
// Copies text with every separator turned into "/", skipping trail bytes.
std::string withSlashes(const char* text) {
  std::string out;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
    if (posixIsLead(*p) && p[1]) {
      out += static_cast<char>(*p++);
      out += static_cast<char>(*p);
    } else {
      out += (*p == '\\') ? '/' : static_cast<char>(*p);
    }
  }
  return out;
}

bool sameIgnoringCase(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return i == a.size() && !b[i];
}

// The name in folder that equals name without regard to ASCII case, or name itself.
std::string entryIgnoringCase(const std::string& folder, const std::string& name) {
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return name;
  std::string found = name;
  while (struct dirent* e = readdir(dir)) {
    if (sameIgnoringCase(name, e->d_name)) {
      found = e->d_name;
      break;
    }
  }
  closedir(dir);
  return found;
}

bool exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

// Windows finds files without regard to case: a path that does not exist as written
// is matched component by component against what the folders hold.
std::string resolveCase(const std::string& path) {
  if (path.empty() || exists(path) || errno != ENOENT) return path;
  std::string resolved;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    std::string name = path.substr(start, end - start);
    std::string folder = resolved;
    if (!name.empty() && !exists(folder + name)) name = entryIgnoringCase(folder, name);
    resolved += name;
    if (end < path.size()) resolved += '/';
    start = end + 1;
  }
  return resolved;
}

bool fail(DWORD code) {
  SetLastError(code);
  return false;
}
}  // namespace

bool posixHostPath(const char* dosPath, std::string& hostPath) {
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
  hostPath = resolveCase(host);
  return true;
}

std::string posixDosName(const char* hostName) {
  std::string out;
  posixRecode("UTF-8", "CP932", hostName, std::strlen(hostName), out, "?");
  return out;
}
