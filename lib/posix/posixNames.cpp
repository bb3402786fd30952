// Path-name calls: _splitpath, _stricmp, _getdrive, _getdcwd, DeleteFileA, MoveFileExA.
#include <windows.h>
#include <direct.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include "posixCalls.h"
#include "posixFolderNames.h"
#include "posixPath.h"
#include "posixText.h"

namespace {
const int currentDrive = 26;  // Z:

BOOL fail(DWORD code) {
  SetLastError(code);
  return FALSE;
}

// One output of _splitpath: the bytes [from, to) of the path.
struct Piece {
  char* out;
  size_t size;
  const char* from;
  const char* to;
};

// Wildcards and the other characters that Windows refuses in names; never a trail byte.
bool hasInvalidChar(const char* path) {
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(path); *p; ++p) {
    if (posixIsLead(*p) && p[1]) ++p;
    else if (std::strchr("*?<>|\"", *p)) return true;
  }
  return false;
}

// The host path of a DOS path given to DeleteFileA or MoveFileExA.
bool hostName(const char* dosPath, std::string& host) {
  if (!*dosPath) return fail(ERROR_PATH_NOT_FOUND);
  if (hasInvalidChar(dosPath)) return fail(ERROR_INVALID_NAME);
  return posixHostPath(dosPath, host);
}

// True when both names lead to one entry (a file with further hard links excepted,
// whose names are distinct entries).
bool sameEntry(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  if (stat(a.c_str(), &sa) != 0 || stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino &&
         (S_ISDIR(sa.st_mode) || sa.st_nlink == 1);
}

// Waits until the entry's data and name are on the disk.
bool flush(const std::string& host) {
  int fd = open(host.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  int rc = posixCalls.fsync(fd);
  int err = errno;
  posixCalls.close(fd);
  errno = err;
  return rc == 0;
}

int renameNoReplace(const std::string& from, const std::string& to) {
  if (posixCalls.renameNoReplace(from.c_str(), to.c_str()) == 0) return 0;
  if (errno != EINVAL) return -1;
  // File systems without RENAME_NOREPLACE: test first. A folder moved into itself
  // fails again with EINVAL in rename.
  struct stat st;
  if (lstat(to.c_str(), &st) == 0) {
    errno = EEXIST;
    return -1;
  }
  return posixCalls.rename(from.c_str(), to.c_str());
}

// A missing entry is the source's when it is gone, else the target's folder.
BOOL moveFailure(int err, const std::string& from, const std::string& to) {
  if (err == EEXIST) return fail(ERROR_ALREADY_EXISTS);
  struct stat st;
  bool sourceThere = err == ENOENT && lstat(from.c_str(), &st) == 0;
  return posixFail(err, (sourceThere ? to : from).c_str());
}

// A move to another volume: copy, then delete the source. Folders are not copied.
BOOL moveByCopy(const char* existing, const char* target, const std::string& from,
                const std::string& to, DWORD flags) {
  if (posixIsFolder(from)) return fail(ERROR_ACCESS_DENIED);
  if (!CopyFileA(existing, target, !(flags & MOVEFILE_REPLACE_EXISTING))) {
    if (GetLastError() == ERROR_FILE_EXISTS) SetLastError(ERROR_ALREADY_EXISTS);
    return FALSE;
  }
  if ((flags & MOVEFILE_WRITE_THROUGH) && !flush(to)) {
    int err = errno;
    posixCalls.unlink(to.c_str());  // the source stays, so no copy is left behind
    return posixFail(err, to.c_str());
  }
  if (posixCalls.unlink(from.c_str()) != 0) return posixFail(errno, from.c_str());
  return TRUE;
}

// MoveFileExA without telling the kept folder listing.
// Our own rename: a name new to another folder joins that folder's kept listing, so that
// moving many entries into one folder does not read it again for each; any other move
// has the listing read again.
void noteMove(const std::string& from, const std::string& to, bool replaced,
              unsigned long listed) {
  struct stat a, b;
  bool otherFolder = stat(posixParentOf(from).c_str(), &a) == 0 &&
                     stat(posixParentOf(to).c_str(), &b) == 0 &&
                     (a.st_dev != b.st_dev || a.st_ino != b.st_ino);
  if (otherFolder && !replaced)
    posixFolderGained(to, listed);
  else
    posixFolderChanged();
}

BOOL moveEntry(const char* existing, const char* target, DWORD flags) {
  if (!existing || !target) return fail(ERROR_INVALID_PARAMETER);
  std::string from, to;
  if (!hostName(existing, from) || !hostName(target, to)) return FALSE;
  if (sameEntry(from, to)) return TRUE;
  bool replace = flags & MOVEFILE_REPLACE_EXISTING;
  if (replace && posixIsFolder(to)) return fail(ERROR_ACCESS_DENIED);
  unsigned long listed = posixFolderBefore(to);
  int rc = replace ? posixCalls.rename(from.c_str(), to.c_str()) : renameNoReplace(from, to);
  if (rc == 0) {
    noteMove(from, to, replace, listed);
    if (flags & MOVEFILE_WRITE_THROUGH) flush(posixParentOf(to));  // the new name on the disk
    return TRUE;
  }
  if (errno == EXDEV && (flags & MOVEFILE_COPY_ALLOWED)) {
    BOOL copied = moveByCopy(existing, target, from, to, flags);
    posixFolderChanged();
    return copied;
  }
  return moveFailure(errno, from, to);
}

// The process's working folder as a DOS path in code page 932.
bool workingFolder(std::string& dos) {
  char* cwd = getcwd(nullptr, 0);
  if (!cwd) return false;
  dos = "Z:" + posixDosName(cwd);
  std::free(cwd);
  for (char& c : dos)
    if (c == '/') c = '\\';  // no trail byte of code page 932 is "/"
  return true;
}
}  // namespace

void _splitpath(const char* path, char* drive, char* dir, char* fname, char* ext) {
  const char* text = path ? path : "";  // a null path empties every output
  const char* driveEnd = (text[0] && text[1] == ':') ? text + 2 : text;
  const char* dirEnd = driveEnd;
  for (const char* p = driveEnd; *p; ++p) {
    if (posixIsLead(static_cast<unsigned char>(*p)) && p[1]) ++p;
    else if (posixIsSeparator(*p)) dirEnd = p + 1;
  }
  const char* end = dirEnd + std::strlen(dirEnd);
  const char* dot = std::strrchr(dirEnd, '.');  // never a trail byte
  const char* extStart = dot ? dot : end;
  Piece pieces[] = {{drive, _MAX_DRIVE, text, driveEnd},
                    {dir, _MAX_DIR, driveEnd, dirEnd},
                    {fname, _MAX_FNAME, dirEnd, extStart},
                    {ext, _MAX_EXT, extStart, end}};
  bool fits = path != nullptr;
  for (const Piece& piece : pieces)
    if (piece.out && static_cast<size_t>(piece.to - piece.from) >= piece.size) fits = false;
  for (const Piece& piece : pieces) {
    if (!piece.out) continue;
    size_t length = fits ? static_cast<size_t>(piece.to - piece.from) : 0;
    std::memcpy(piece.out, piece.from, length);
    piece.out[length] = 0;
  }
  if (!fits) errno = path ? ERANGE : EINVAL;
}

int _stricmp(const char* a, const char* b) {
  if (!a || !b) {
    errno = EINVAL;
    return 0x7FFFFFFF;  // the CRT's comparison error value
  }
  for (;; ++a, ++b) {
    int ca = posixLowerAscii(static_cast<unsigned char>(*a));
    int cb = posixLowerAscii(static_cast<unsigned char>(*b));
    if (ca != cb || ca == 0) return ca - cb;
  }
}

int _getdrive() { return currentDrive; }

char* _getdcwd(int drive, char* buffer, int size) {
  if (drive != 0 && drive != currentDrive) {
    errno = EACCES;
    return nullptr;
  }
  std::string dos;
  if (!workingFolder(dos)) return nullptr;
  size_t need = dos.size() + 1;
  if (!buffer) {
    size_t bytes = size > 0 && static_cast<size_t>(size) > need ? static_cast<size_t>(size) : need;
    buffer = static_cast<char*>(std::malloc(bytes));
    if (!buffer) {
      errno = ENOMEM;
      return nullptr;
    }
  } else if (size <= 0 || static_cast<size_t>(size) < need) {
    errno = ERANGE;
    return nullptr;
  }
  std::memcpy(buffer, dos.c_str(), need);
  return buffer;
}

BOOL DeleteFileA(const char* path) {
  if (!path) return fail(ERROR_INVALID_PARAMETER);
  std::string host;
  if (!hostName(path, host)) return FALSE;
  int removed = posixCalls.unlink(host.c_str());
  posixFolderChanged();
  if (removed == 0) return TRUE;
  return posixFail(errno, host.c_str());
}

BOOL MoveFileExA(const char* existing, const char* target, DWORD flags) {
  return moveEntry(existing, target, flags);
}