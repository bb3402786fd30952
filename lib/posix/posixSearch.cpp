// Directory search over opendir/readdir, and _mkdir and _rmdir.
#include <windows.h>
#include <direct.h>
#include <unistd.h>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
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
// One entry found, kept compact until it is handed out: a whole record is 320 bytes,
// and a folder of a thousand records would be copied and sorted in large blocks.
struct Found {
  std::string dosName, alias;
  DWORD attributes;
  FILETIME accessed, written;
  uint64_t size;
};

// A search is registered like the other handles, so that a closed or made-up search
// handle gives 6 instead of reaching freed memory.
struct SearchHandle : PosixHandle {
  std::vector<Found> entries;
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

Found describe(std::string dosName, std::string alias, const struct stat& st, DWORD linkBit) {
  DWORD attributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
  attributes |= linkBit;
  if (!(st.st_mode & S_IWUSR)) attributes |= FILE_ATTRIBUTE_READONLY;
  // As Wine does, a Unix dot file counts as hidden.
  if (dosName[0] == '.' && dosName != "." && dosName != "..") attributes |= FILE_ATTRIBUTE_HIDDEN;
  uint64_t size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
  return Found{std::move(dosName), std::move(alias), attributes, fileTime(st.st_atim),
               fileTime(st.st_mtim), size};
}

void fillRecord(WIN32_FIND_DATAA& d, const Found& f) {
  std::memset(&d, 0, sizeof d);
  d.dwFileAttributes = f.attributes;
  // Linux keeps no creation time that can be set: as Wine, report the last-write time.
  d.ftCreationTime = f.written;
  d.ftLastAccessTime = f.accessed;
  d.ftLastWriteTime = f.written;
  d.nFileSizeHigh = static_cast<DWORD>(f.size >> 32);
  d.nFileSizeLow = static_cast<DWORD>(f.size);
  // The record is zeroed already: the names are copied without padding.
  std::memcpy(d.cFileName, f.dosName.c_str(), std::min<size_t>(f.dosName.size(), MAX_PATH - 1));
  std::memcpy(d.cAlternateFileName, f.alias.c_str(),
              std::min(f.alias.size(), sizeof d.cAlternateFileName - 1));
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

// Wildcard match of one name, ASCII case folded; "?" takes one whole character.
bool matches(const unsigned char* mask, const unsigned char* name) {
  if (*mask == 0) return *name == 0;
  if (*mask == '*') {
    // A plain character after the star must start what follows: other places are skipped
    // without a call (a lead byte never equals it, so no character is split).
    unsigned char next = mask[1];
    bool plain = next && next != '*' && next != '?' && !posixIsLead(next);
    for (const unsigned char* p = name;; ++p) {
      if ((!plain || posixLowerAscii(*p) == posixLowerAscii(next)) && matches(mask + 1, p)) return true;
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
  return posixLowerAscii(*mask) == posixLowerAscii(*name) && matches(mask + 1, name + 1);
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
  fillRecord(*data, search->entries[0]);
  search->next = 1;
  return posixHandleOpen(search);
}

// What a search lists and how.
struct SearchKind {
  bool sorted;       // as Wine lists, else in the file system's order
  bool foldersOnly;  // FindExSearchLimitToDirectories
  bool shortNames;   // FindExInfoStandard; FindExInfoBasic leaves them out
  bool namesOnly;    // posixFindNames: entries are read only where the folder cannot tell
};
const SearchKind plainSearch = {true, false, true, false};

// What a names-only search takes from the folder itself: the kind, where the folder tells
// it and the entry is no link (a link may lead to a folder, or nowhere). False when the
// entry must be read.
bool kindFromFolder(const struct dirent* e, struct stat& st) {
  if (e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) return false;
  st = {};
  st.st_mode = (e->d_type == DT_DIR ? S_IFDIR : S_IFREG) | S_IWUSR;
  return true;
}

// An entry that the directory itself shows is no folder (a link or an unknown type may
// still lead to one): a folder search skips it without converting or reading it.
bool surelyNoFolder(const struct dirent* e) {
  return e->d_type != DT_DIR && e->d_type != DT_LNK && e->d_type != DT_UNKNOWN;
}

// The entries in the order of their keys; equal keys keep the file system's order.
std::vector<Found> inKeyOrder(const std::vector<std::string>& keys, std::vector<Found>& found) {
  std::vector<size_t> order(keys.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return keys[a] < keys[b]; });
  std::vector<Found> sorted;
  sorted.reserve(found.size());
  for (size_t i : order) sorted.push_back(std::move(found[i]));
  return sorted;
}

HANDLE findMatching(const std::string& hostFolder, const std::string& mask,
                    WIN32_FIND_DATAA* data, const SearchKind& kind = plainSearch) {
  DIR* dir = opendir(hostFolder.c_str());
  // The folder of the pattern is missing: that is a folder on the way (3).
  if (!dir) return failSearch(posixErrorCode(errno, (hostFolder + "/" + mask).c_str()));
  std::vector<std::string> keys;
  std::vector<Found> found;
  while (struct dirent* e = readdir(dir)) {
    if (kind.foldersOnly && surelyNoFolder(e)) continue;
    std::string dosName = posixDosName(e->d_name);
    if (dosName.size() >= MAX_PATH) continue;
    // The short name is made only where it is shown or may decide the match.
    bool longMatch = wildMatch(mask, dosName);
    std::string alias = longMatch && !kind.shortNames ? "" : posixShortName(e->d_name);
    if (!longMatch && (alias.empty() || !wildMatch(mask, alias))) continue;
    struct stat st;
    bool told = kind.namesOnly && kindFromFolder(e, st);
    if (!told && fstatat(dirfd(dir), e->d_name, &st, 0) != 0) continue;  // vanished or dangling
    if (kind.foldersOnly && !S_ISDIR(st.st_mode)) continue;
    if (kind.sorted) keys.push_back(sortKey(e->d_name));
    if (!kind.shortNames) alias.clear();
    found.push_back(describe(std::move(dosName), std::move(alias), st,
                             told ? 0 : linkAttribute(dirfd(dir), e->d_name, st)));
  }
  closedir(dir);
  if (found.empty()) return failSearch(ERROR_FILE_NOT_FOUND);
  auto* search = new SearchHandle;
  search->entries = kind.sorted ? inKeyOrder(keys, found) : std::move(found);
  return openSearch(search, data);
}

HANDLE findExact(const std::string& hostFolder, const std::string& mask, WIN32_FIND_DATAA* data,
                 const SearchKind& kind) {
  std::string hostName;
  if (!posixRecode("CP932", "UTF-8", mask.data(), mask.size(), hostName, nullptr))
    return failSearch(ERROR_INVALID_NAME);
  std::string full = hostFolder + "/" + hostName;
  struct stat st;
  if (stat(full.c_str(), &st) != 0) {
    DWORD code = posixErrorCode(errno, full.c_str());
    // The name may differ in case only: look for it the slow way.
    return code == ERROR_FILE_NOT_FOUND ? findMatching(hostFolder, mask, data, kind)
                                        : failSearch(code);
  }
  auto* search = new SearchHandle;
  search->entries.push_back(describe(mask, kind.shortNames ? posixShortName(hostName) : "", st,
                                     linkAttribute(AT_FDCWD, full.c_str(), st)));
  return openSearch(search, data);
}

HANDLE search(const char* pattern, WIN32_FIND_DATAA* data, const SearchKind& kind) {
  if (!pattern || !data) return failSearch(ERROR_INVALID_PARAMETER);
  size_t split = lastComponent(pattern);
  std::string folder(pattern, split);
  std::string mask(pattern + split);
  if (mask.empty()) return failSearch(ERROR_FILE_NOT_FOUND);
  std::string hostFolder;
  if (!posixHostPath(folder.c_str(), hostFolder)) return INVALID_HANDLE_VALUE;
  if (hostFolder.empty()) hostFolder = ".";
  if (hasWildcards(mask)) return findMatching(hostFolder, mask, data, kind);
  // As under Wine, a name without wildcards finds the entry itself, folder or not.
  return findExact(hostFolder, mask, data,
                   SearchKind{kind.sorted, false, kind.shortNames, kind.namesOnly});
}
}  // namespace

HANDLE FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* data) {
  return search(pattern, data, plainSearch);
}

HANDLE FindFirstFileExA(const char* pattern, FINDEX_INFO_LEVELS level, void* data,
                        FINDEX_SEARCH_OPS op, void* filter, DWORD flags) {
  bool known = (level == FindExInfoStandard || level == FindExInfoBasic) &&
               (op == FindExSearchNameMatch || op == FindExSearchLimitToDirectories) &&
               !filter && (flags & ~FIND_FIRST_EX_LARGE_FETCH) == 0;
  if (!known) return failSearch(ERROR_INVALID_PARAMETER);
  SearchKind kind = {true, op == FindExSearchLimitToDirectories, level == FindExInfoStandard,
                     false};
  return search(pattern, static_cast<WIN32_FIND_DATAA*>(data), kind);
}

HANDLE posixFindFirstInDiskOrder(const char* pattern, WIN32_FIND_DATAA* data) {
  return search(pattern, data, SearchKind{false, false, true, false});
}

HANDLE posixFindNames(const char* pattern, WIN32_FIND_DATAA* data) {
  return search(pattern, data, SearchKind{true, false, false, true});
}

BOOL FindNextFileA(HANDLE h, WIN32_FIND_DATAA* data) {
  auto* search = posixHandleAs<SearchHandle>(h);
  if (!search) return FALSE;
  if (search->next >= search->entries.size()) {
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
  }
  fillRecord(*data, search->entries[search->next++]);
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
