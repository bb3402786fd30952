#include "vlPathname.h"
#include <direct.h>
#include <stdlib.h>
#include <string.h>
#include "vlFind.h"
#include "vlUtl1.h"

namespace {
const int PathSize = 300;    // the library's path buffers
const size_t MaxPath = 260;  // the longest path accepted
const int AllEntries = 0xFF;

bool present(const char* text) { return text && *text; }

// _splitpath, refusing a split whose pieces do not add up to the whole text: a piece
// too long for the splitter comes back empty or cut.
bool splitPath(const char* text, char* drive, char* dir, char* fname, char* ext) {
  _splitpath(text, drive, dir, fname, ext);
  return strlen(drive) + strlen(dir) + strlen(fname) + strlen(ext) == strlen(text);
}

// 1 for A: (either case) to 26 for Z:; 0 for a character that is no drive letter.
int driveNumber(char letter) {
  unsigned char c = static_cast<unsigned char>(letter) & ~0x20;
  return (c >= 'A' && c <= 'Z') ? c - 0x40 : 0;
}

// "C:" for the current drive; false when there is none (a network working folder).
bool currentDrive(char* drive) {
  int number = _getdrive();
  if (number < 1 || number > 26) return false;
  drive[0] = static_cast<char>(0x40 + number);
  drive[1] = ':';
  drive[2] = 0;
  return true;
}

// Completes a relative folder against the current folder of the drive:
// "C:" and "sub\" give "C:\work\sub\" in joined (2 * PathSize bytes).
bool completeFolder(const char* drive, const char* folder, char* joined) {
  int number = driveNumber(drive[0]);
  if (!number || !_getdcwd(number, joined, PathSize)) return false;
  vlAdjustDir(joined, '+');  // "C:\" at the root keeps its one separator
  strcat(joined, folder);
  return true;
}

// The extension loses its dot. A lone dot goes too ("file." names file), except in
// "..", the parent folder, which stays a name of its own.
void dropDot(char* fname, char* ext) {
  if (!*ext) return;
  if (strcmp(ext, ".") == 0 && strcmp(fname, ".") == 0) strcat(fname, ".");
  memmove(ext, ext + 1, strlen(ext));
}
}  // namespace

vlPathname::vlPathname(const char* name) : vlObject("vlPathname"), emptyText(0) {
  memset(&status, 0, sizeof status);
  clear();
  storeName(name);
}

vlPathname::vlPathname(const vlPathname& other) : vlObject(other) { *this = other; }

vlPathname& vlPathname::operator=(const vlPathname& other) {
  if (this == &other) return *this;
  vlObject::operator=(other);
  emptyText = 0;
  memcpy(path, other.path, sizeof path);
  memcpy(pieceStore, other.pieceStore, sizeof pieceStore);
  server = rebase(other, other.server);
  drive = rebase(other, other.drive);
  dir = rebase(other, other.dir);
  baseName = rebase(other, other.baseName);
  ext = rebase(other, other.ext);
  filePos = rebase(other, other.filePos);
  statusValid = other.statusValid;
  status = other.status;
  return *this;
}

vlPathname::~vlPathname() = default;

char* vlPathname::rebase(const vlPathname& other, const char* piece) {
  if (piece >= other.path && piece < other.path + sizeof path) return path + (piece - other.path);
  if (piece >= other.pieceStore && piece < other.pieceStore + sizeof pieceStore)
    return pieceStore + (piece - other.pieceStore);
  return &emptyText;
}

int vlPathname::storeName(const char* name) {
  if (present(name) && strlen(name) > MaxPath) return fail();
  char text[PathSize];  // the argument may be this object's own path
  strcpy(text, name ? name : "");
  clear();
  if (!*text) return 0;
  char host[PathSize] = "";
  const char* rest = text;
  if (text[0] == '\\' && text[1] == '\\') {  // \\host\share\...
    const char* separator = vlMbschr(reinterpret_cast<unsigned char*>(text + 2), '\\');
    if (!separator) return fail();
    memcpy(host, text, separator - text);
    host[separator - text] = 0;
    rest = separator;
  }
  char drv[PathSize], folder[PathSize], fname[PathSize], extension[PathSize];
  if (!splitPath(rest, drv, folder, fname, extension)) return fail();
  char joined[2 * PathSize];
  const char* completed = folder;
  if (*host) {
    if (*drv) return fail();  // "\\host\:x": a colon cannot start a name
  } else {
    if (!*drv && !currentDrive(drv)) return fail();
    // "/" is a separator to the splitter, so a folder starting with it is rooted too.
    if (folder[0] != '\\' && folder[0] != '/') {
      if (!completeFolder(drv, folder, joined)) return fail();
      completed = joined + 2;  // without the drive
    }
  }
  dropDot(fname, extension);
  return make(host, drv, completed, fname, extension);
}

int vlPathname::make(const char* serverPart, const char* drivePart, const char* dirPart,
                     const char* namePart, const char* extPart) {
  const char* pieces[] = {serverPart, drivePart, dirPart, namePart, extPart};
  size_t total = present(extPart) ? 1 : 0;  // the dot
  for (const char* piece : pieces)
    if (present(piece)) total += strlen(piece);
  if (total > MaxPath) return fail();
  // The pieces may point into this object: copy them before clearing it.
  char staged[PathSize];
  char* at = staged;
  for (const char*& piece : pieces) {
    const char* text = present(piece) ? piece : "";
    piece = strcpy(at, text);
    at += strlen(text) + 1;
  }
  clear();
  char* store = pieceStore;
  char text[PathSize];
  strcpy(text, pieces[0]);
  vlAdjustDir(text, '-');
  server = keep(store, text);
  drive = keep(store, pieces[1]);
  strcpy(text, pieces[2]);
  if (*text) vlAdjustDir(text, '+');
  dir = keep(store, text);
  filePos = path + strlen(path);
  if (*pieces[3]) {
    baseName = keep(store, pieces[3]);
    if (*pieces[4]) strcat(path, ".");
    ext = keep(store, pieces[4]);
  } else if (*pieces[4]) {
    // A name given only as an extension, such as ".profile", is a base name.
    strcpy(text, ".");
    baseName = keep(store, strcat(text, pieces[4]));
  }
  return 0;
}

char* vlPathname::keep(char*& store, const char* text) {
  if (!*text) return &emptyText;
  size_t size = strlen(text) + 1;
  char* piece = static_cast<char*>(memcpy(store, text, size));
  store += size;
  strcat(path, text);
  return piece;
}

int vlPathname::fail() {
  clear();
  return viewError(ERROR_INVALID_NAME, "store", 5);
}

void vlPathname::clear() {
  path[0] = 0;
  pieceStore[0] = 0;
  server = drive = dir = baseName = ext = filePos = &emptyText;
  statusValid = false;
  lastError = 0;
}

const char* vlPathname::name() { return baseName; }

char* vlPathname::getFilePos(char* out) {
  if (!out) return nullptr;
  size_t length = (filePos == &emptyText) ? 0 : static_cast<size_t>(filePos - path);
  memcpy(out, path, length);
  out[length] = 0;
  return out;
}

bool vlPathname::IsExist(const char* path) {
  if (!present(path)) return false;
  vlFind find;
  bool found = find.findFirst(path, AllEntries) == 0;
  find.close();
  return found;
}

int vlPathname::Remove(const char* path) {
  if (!IsExist(path)) return 0;  // nothing to remove counts as success
  return DeleteFileA(path) ? 0 : static_cast<int>(GetLastError());
}

int vlPathname::remove() {
  statusValid = false;
  return lastError = Remove(path);
}

int vlPathname::Rename(const char* oldName, const char* newName, int flags) {
  // An empty name would stand for the working folder on some systems.
  if (!present(oldName) || !present(newName)) return ERROR_PATH_NOT_FOUND;
  return MoveFileExA(oldName, newName, static_cast<DWORD>(flags)) ? 0
                                                                   : static_cast<int>(GetLastError());
}

int vlPathname::rename(const char* newName, int flags) {
  statusValid = false;
  return lastError = Rename(path, newName, flags);
}

int vlPathname::getStatus(WIN32_FIND_DATAA* record) {
  statusValid = false;
  vlFind find;
  lastError = find.findFirst(path, AllEntries);
  if (lastError) return lastError;
  statusValid = true;
  status = find.findData;
  if (record) *record = status;
  find.close();
  return 0;
}

bool vlPathname::hasAttribute(DWORD bit) {
  if (!statusValid && getStatus(nullptr) != 0) return false;
  return (status.dwFileAttributes & bit) != 0;
}

bool vlPathname::isReadOnly() { return hasAttribute(FILE_ATTRIBUTE_READONLY); }
bool vlPathname::isHidden() { return hasAttribute(FILE_ATTRIBUTE_HIDDEN); }
bool vlPathname::isSystem() { return hasAttribute(FILE_ATTRIBUTE_SYSTEM); }
bool vlPathname::isDirectory() { return hasAttribute(FILE_ATTRIBUTE_DIRECTORY); }
bool vlPathname::isArchive() { return hasAttribute(FILE_ATTRIBUTE_ARCHIVE); }
bool vlPathname::isNormal() { return hasAttribute(FILE_ATTRIBUTE_NORMAL); }
bool vlPathname::isTemporary() { return hasAttribute(FILE_ATTRIBUTE_TEMPORARY); }
bool vlPathname::isCompressed() { return hasAttribute(FILE_ATTRIBUTE_COMPRESSED); }

bool vlPathname::isExecutable() {
  return _stricmp(ext, "com") == 0 || _stricmp(ext, "exe") == 0 || _stricmp(ext, "bat") == 0;
}

bool vlPathname::setupDirectory() { return true; }
