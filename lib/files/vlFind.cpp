#include "vlFind.h"
#include <cstring>
#include "vlUtl1.h"

vlFind::vlFind() : vlObject("vlFind"), handle(INVALID_HANDLE_VALUE), firstPending(false) {
  std::memset(&findData, 0, sizeof findData);
  close();
}

vlFind::~vlFind() { close(); }

int vlFind::findFirst(const char* pattern, int) { return findWith(FindFirstFileA, pattern); }

int vlFind::findBasic(const char* pattern, bool foldersOnly) {
  close();
  return started(FindFirstFileExA(pattern, FindExInfoBasic, &findData,
                                  foldersOnly ? FindExSearchLimitToDirectories
                                              : FindExSearchNameMatch,
                                  nullptr, 0));
}

int vlFind::findWith(HANDLE (*first)(const char*, WIN32_FIND_DATAA*), const char* pattern) {
  close();
  return started(first(pattern, &findData));
}

int vlFind::started(HANDLE search) {
  handle = search;
  lastError = (handle == INVALID_HANDLE_VALUE) ? static_cast<int>(GetLastError()) : 0;
  return lastError;
}

bool vlFind::findNext() {
  if (FindNextFileA(handle, &findData)) return true;
  lastError = static_cast<int>(GetLastError());
  return false;
}

int vlFind::open(const char* folder, int attributes) {
  // The folder, a separator and "*.*" must fit the platform's path size.
  char pattern[MAX_PATH + 8];
  if (std::strlen(folder) > MAX_PATH) {
    close();
    firstPending = false;
    return lastError = ERROR_FILENAME_EXCED_RANGE;
  }
  std::strcpy(pattern, folder);
  vlAdjustDir(pattern, '+');
  std::strcat(pattern, "*.*");
  int result = findFirst(pattern, attributes);
  firstPending = (result == 0);
  return result;
}

bool vlFind::read(char* nameOut) {
  if (firstPending) {
    firstPending = false;
    if (nameOut) std::strcpy(nameOut, findData.cFileName);
    return true;
  }
  bool more = findNext();
  if (more && nameOut) std::strcpy(nameOut, findData.cFileName);
  return more;
}

const char* vlFind::currentName(const char* name, char* out) {
  if (handle == INVALID_HANDLE_VALUE) {
    if (out) *out = 0;
    return nullptr;
  }
  if (out) std::strcpy(out, name);
  return name;
}

const char* vlFind::getName(char* out) { return currentName(findData.cFileName, out); }

const char* vlFind::getAlterName(char* out) {
  return currentName(findData.cAlternateFileName, out);
}

const WIN32_FIND_DATAA* vlFind::getData() const {
  return handle == INVALID_HANDLE_VALUE ? nullptr : &findData;
}

void vlFind::close() {
  if (handle != INVALID_HANDLE_VALUE) FindClose(handle);
  handle = INVALID_HANDLE_VALUE;
  findData.dwFileAttributes = 0;
}
