// Directory search over opendir/readdir, and _mkdir and _rmdir.
#include <windows.h>
#include <direct.h>
#include <unistd.h>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>
#include <algorithm>
#include "posixFolderNames.h"
#include "posixPath.h"
#include "posixShortName.h"
#include "posixText.h"

namespace {
// A search is registered like the other handles, so that a closed or made-up search
// handle gives 6 instead of reaching freed memory.
struct SearchHandle : PosixHandle {
  std::vector<WIN32_FIND_DATAA> entries;
  size_t next = 0;
};

// Windows FILETIME: 100-nanosecond steps since 1601-01-01.
FILETIME fileTime(const struct timespec& t) {
  const uint64_t epochDiff = 11644473600ULL;
  uint64_t v = (static_cast<uint64_t>(t.tv_sec) + epochDiff) * 10000000ULL +
               static_cast<uint64_t>(t.tv_nsec) / 100;
  return FILETIME{static_cast<DWORD>(v), static_cast<DWORD>(v >> 32)};
}

// As Wine marks it, a link to a folder is a reparse point; name is relative to dirFd.
DWORD linkAttribute(int dirFd, const char* name, const struct stat& st) {
  struct stat own;
  bool link = S_ISDIR(st.st_mode) && fstatat(dirFd, name, &own, AT_SYMLINK_NOFOLLOW) == 0 &&
              S_ISLNK(own.st_mode);
  return link ? FILE_ATTRIBUTE_REPARSE_POINT : 0;
}

void fillRecord(WIN32_FIND_DATAA& d, const std::string& dosName, const std::string& alias,
                const struct stat& st, DWORD linkBit) {
  std::memset(&d, 0, sizeof d);
  d.dwFileAttributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
  d.dwFileAttributes |= linkBit;
  if (!(st.st_mode & S_IWUSR)) d.dwFileAttributes |= FILE_ATTRIBUTE_READONLY;
  // As Wine does, a Unix dot file counts as hidden.
  if (dosName[0] == '.' && dosName != "." && dosName != "..")
    d.dwFileAttributes |= FILE_ATTRIBUTE_HIDDEN;
  // Linux keeps no creation time that can be set: as Wine, report the last-write time.
  d.ftCreationTime = fileTime(st.st_mtim);
  d.ftLastAccessTime = fileTime(st.st_atim);
  d.ftLastWriteTime = fileTime(st.st_mtim);
  uint64_t size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
  d.nFileSizeHigh = static_cast<DWORD>(size >> 32);
  d.nFileSizeLow = static_cast<DWORD>(size);
  std::strncpy(d.cFileName, dosName.c_str(), MAX_PATH - 1);
  std::strncpy(d.cAlternateFileName, alias.c_str(), sizeof d.cAlternateFileName - 1);
}

// Wine lists a folder sorted by upper-cased name, "." and ".." first; sorting the same
// way gives both builds the same order of sub-folders.
std::string sortKey(const char* hostName) {
  if (!std::strcmp(hostName, ".")) return std::string(1, '\x01');
  if (!std::strcmp(hostName, "..")) return std::string(1, '\x02');
  std::string key = hostName;
  for (char& c : key)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return key;
}

unsigned char foldCase(unsigned char c) {
  return static_cast<unsigned char>(std::tolower(c));
}

// Wildcard match of one name, ASCII case folded; "?" takes one whole character.
bool matches(const unsigned char* mask, const unsigned char* name) {
  if (*mask == 0) return *name == 0;
  if (*mask == '*') {
    for (const unsigned char* p = name;; ++p) {
      if (matches(mask + 1, p)) return true;
      if (!*p) return false;
      if (posixIsLead(*p) && p[1]) ++p;
    }
  }
  if (!*name) return false;
  size_t width = (posixIsLead(*name) && name[1]) ? 2 : 1;
  if (*mask == '?') return matches(mask + 1, name + width);
  if (width == 2) {
    if (mask[0] != name[0] || mask[1] != name[1]) return false;
    return matches(mask + 2, name + 2);
  }
  return foldCase(*mask) == foldCase(*name) && matches(mask + 1, name + 1);
}

bool wildMatch(const std::string& mask, const std::string& name) {
  if (mask == "*.*" || mask == "*") return true;  // also names without a dot
  return matches(reinterpret_cast<const unsigned char*>(mask.c_str()),
                 reinterpret_cast<const unsigned char*>(name.c_str()));
}

bool hasWildcards(const std::string& s) { return s.find_first_of("*?") != std::string::npos; }

// Splits a pattern after its last separator (never a trail byte).
size_t lastComponent(const char* pattern) {
  size_t start = 0;
  for (size_t i = 0; pattern[i]; ++i) {
    unsigned char c = static_cast<unsigned char>(pattern[i]);
    if (posixIsLead(c) && pattern[i + 1]) ++i;
    else if (posixIsSeparator(pattern[i])) start = i + 1;
  }
  if (start == 0 && pattern[0] && pattern[1] == ':') start = 2;  // "Z:name"
  return start;
}

HANDLE failSearch(DWORD code) {
  SetLastError(code);
  return INVALID_HANDLE_VALUE;
}

HANDLE openSearch(SearchHandle* search, WIN32_FIND_DATAA* data) {
  *data = search->entries[0];
  search->next = 1;
  return posixHandleOpen(search);
}

HANDLE findMatching(const std::string& hostFolder, const std::string& mask,
                    WIN32_FIND_DATAA* data, bool sorted = true) {
  DIR* dir = opendir(hostFolder.c_str());
  // The folder of the pattern is missing: that is a folder on the way (3).
  if (!dir) return failSearch(posixErrorCode(errno, (hostFolder + "/" + mask).c_str()));
  std::vector<std::pair<std::string, WIN32_FIND_DATAA>> found;
  while (struct dirent* e = readdir(dir)) {
    std::string dosName = posixDosName(e->d_name);
    std::string alias = posixShortName(e->d_name);
    if (dosName.size() >= MAX_PATH) continue;
    if (!wildMatch(mask, dosName) && (alias.empty() || !wildMatch(mask, alias))) continue;
    struct stat st;
    if (fstatat(dirfd(dir), e->d_name, &st, 0) != 0) continue;  // vanished or dangling
    found.emplace_back(sortKey(e->d_name), WIN32_FIND_DATAA{});
    fillRecord(found.back().second, dosName, alias, st, linkAttribute(dirfd(dir), e->d_name, st));
  }
  closedir(dir);
  if (found.empty()) return failSearch(ERROR_FILE_NOT_FOUND);
  if (sorted)
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
  auto* search = new SearchHandle;
  for (auto& f : found) search->entries.push_back(f.second);
  return openSearch(search, data);
}

HANDLE findExact(const std::string& hostFolder, const std::string& mask, WIN32_FIND_DATAA* data) {
  std::string hostName;
  if (!posixRecode("CP932", "UTF-8", mask.data(), mask.size(), hostName, nullptr))
    return failSearch(ERROR_INVALID_NAME);
  std::string full = hostFolder + "/" + hostName;
  struct stat st;
  if (stat(full.c_str(), &st) != 0) {
    DWORD code = posixErrorCode(errno, full.c_str());
    // The name may differ in case only: look for it the slow way.
    return code == ERROR_FILE_NOT_FOUND ? findMatching(hostFolder, mask, data) : failSearch(code);
  }
  auto* search = new SearchHandle;
  search->entries.resize(1);
  fillRecord(search->entries[0], mask, posixShortName(hostName), st,
             linkAttribute(AT_FDCWD, full.c_str(), st));
  return openSearch(search, data);
}

HANDLE search(const char* pattern, WIN32_FIND_DATAA* data, bool sorted) {
  if (!pattern || !data) return failSearch(ERROR_INVALID_PARAMETER);
  size_t split = lastComponent(pattern);
  std::string folder(pattern, split);
  std::string mask(pattern + split);
  if (mask.empty()) return failSearch(ERROR_FILE_NOT_FOUND);
  std::string hostFolder;
  if (!posixHostPath(folder.c_str(), hostFolder)) return INVALID_HANDLE_VALUE;
  if (hostFolder.empty()) hostFolder = ".";
  return hasWildcards(mask) ? findMatching(hostFolder, mask, data, sorted)
                            : findExact(hostFolder, mask, data);
}
}  // namespace

HANDLE FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* data) {
  return search(pattern, data, true);
}

HANDLE posixFindFirstInDiskOrder(const char* pattern, WIN32_FIND_DATAA* data) {
  return search(pattern, data, false);
}

BOOL FindNextFileA(HANDLE h, WIN32_FIND_DATAA* data) {
  auto* search = posixHandleAs<SearchHandle>(h);
  if (!search) return FALSE;
  if (search->next >= search->entries.size()) {
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
  }
  *data = search->entries[search->next++];
  return TRUE;
}

BOOL FindClose(HANDLE h) {
  if (!posixHandleAs<SearchHandle>(h)) return FALSE;
  return CloseHandle(h);
}

int _mkdir(const char* path) {
  std::string host;
  if (!posixHostPath(path, host)) {
    errno = ENOENT;
    return -1;
  }
  int made = mkdir(host.c_str(), 0777);
  if (made == 0) posixFolderChanged();
  return made;
}

int _rmdir(const char* path) {
  std::string host;
  if (!posixHostPath(path, host)) {
    errno = ENOENT;
    return -1;
  }
  int removed = rmdir(host.c_str());
  posixFolderChanged();
  return removed;
}
