// CopyFileA as the copy engine relies on it, the same rows in both builds: Wine's
// Win32 is the reference for every result and last-error code.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <string>
#include <vector>
#include "testFs.h"
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#include "../../lib/posix/posixPath.h"
#endif

namespace {
const DWORD sentinel = 0xdeadbeef;

// A folder made read-only the platform's way. Windows and Wine ignore the attribute
// on a folder; off Windows the folder loses its write permission, which binds only a
// user other than root. Returns whether copying into it is refused.
bool makeReadOnlyFolder(const std::string& path) {
  makeDir(path);
#ifdef _WIN32
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
  return false;
#else
  std::string host;
  posixHostPath(path.c_str(), host);
  chmod(host.c_str(), 0555);
  return geteuid() != 0;
#endif
}

// The last-write time through a handle, as the copy engine's callers read it.
bool writeTime(const std::string& path, FILETIME& time) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  bool ok = GetFileInformationByHandle(h, &info);
  CloseHandle(h);
  time = info.ftLastWriteTime;
  return ok;
}

void setWriteTime(const std::string& path, const FILETIME& time) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(SetFileTime(h, nullptr, nullptr, &time));
  CloseHandle(h);
}

// The .mp3 names in a folder as it lists them, sorted.
std::vector<std::string> mp3Names(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  HANDLE h = FindFirstFileA((folder + "\\*.mp3").c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return names;
  do names.push_back(data.cFileName);
  while (FindNextFileA(h, &data));
  FindClose(h);
  std::sort(names.begin(), names.end());
  return names;
}

class CopyFileConformance : public ::testing::Test {
 protected:
  CopyFileConformance() {
    writeFile(tmp / "a.mp3", "new");
    writeFile(tmp / "old.mp3", "old");
    makeDir(tmp / "dir");
    refusedFolder = makeReadOnlyFolder(tmp / "rodir");
  }
  TempDir tmp;
  bool refusedFolder;
};
}  // namespace

TEST_F(CopyFileConformance, ResultsAndLastErrors) {
  struct Row {
    const char* source;
    const char* dest;
    BOOL failIfExists;
    BOOL ok;
    DWORD error;     // the last error after a failure (Win32 leaves it open on success)
    const char* at;  // the destination's bytes afterwards; null: it does not exist
  } rows[] = {
      /* 0 */ {"none.mp3", "out.mp3", TRUE, FALSE, ERROR_FILE_NOT_FOUND, nullptr},
      /* 1 */ {"none\\a.mp3", "out.mp3", TRUE, FALSE, ERROR_PATH_NOT_FOUND, nullptr},
      /* 2 */ {"a.mp3", "none\\out.mp3", TRUE, FALSE, ERROR_PATH_NOT_FOUND, nullptr},
      /* 3 */ {"a.mp3", "none\\out.mp3", FALSE, FALSE, ERROR_PATH_NOT_FOUND, nullptr},
      /* 4 */ {"a.mp3", "old.mp3", TRUE, FALSE, ERROR_FILE_EXISTS, "old"},
      /* 5 */ {"a.mp3", "dir", TRUE, FALSE, ERROR_FILE_EXISTS, nullptr},
      /* 6 */ {"a.mp3", "dir", FALSE, FALSE, ERROR_ACCESS_DENIED, nullptr},
      /* 7 */ {"dir", "out.mp3", TRUE, FALSE, ERROR_ACCESS_DENIED, nullptr},
      /* 8 */ {"a.mp3", "a.mp3", FALSE, FALSE, ERROR_SHARING_VIOLATION, "new"},
      /* 9 */ {"a.mp3", "A.MP3", FALSE, FALSE, ERROR_SHARING_VIOLATION, "new"},
      /* 10 */ {"a.mp3", "a.mp3", TRUE, FALSE, ERROR_FILE_EXISTS, "new"},
      /* 11 */ {"a.mp3", "old.mp3", FALSE, TRUE, 0, "new"},
      /* 12 */ {"a.mp3", "out.mp3", TRUE, TRUE, 0, "new"},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    const Row& r = rows[i];
    SetLastError(sentinel);
    BOOL ok = CopyFileA((tmp / r.source).c_str(), (tmp / r.dest).c_str(), r.failIfExists);
    EXPECT_EQ(ok, r.ok) << "row " << i;
    if (!r.ok) {
      EXPECT_EQ(GetLastError(), r.error) << "row " << i;
    }
    std::string bytes;
    bool there = readFile(tmp / r.dest, bytes);
    if (r.at) {
      EXPECT_EQ(bytes, r.at) << "row " << i;
    } else if (std::string(r.dest) != "dir") {
      EXPECT_FALSE(there) << "row " << i;
    }
  }
}

TEST_F(CopyFileConformance, ReadOnlyDestinationFolder) {
  SetLastError(sentinel);
  BOOL ok = CopyFileA((tmp / "a.mp3").c_str(), (tmp / "rodir\\a.mp3").c_str(), TRUE);
  EXPECT_EQ(ok, !refusedFolder);
  if (refusedFolder) {
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
  }
  EXPECT_EQ(pathExists(tmp / "rodir\\a.mp3"), !refusedFolder);
}

TEST_F(CopyFileConformance, CopyKeepsTheWriteTime) {
  const FILETIME past = {0x12345670u, 0x01C00000u};  // some day in 1999, whole 100 ns steps
  setWriteTime(tmp / "a.mp3", past);
  for (BOOL failIfExists : {TRUE, FALSE}) {
    std::string dest = tmp / (failIfExists ? "b.mp3" : "old.mp3");
    ASSERT_TRUE(CopyFileA((tmp / "a.mp3").c_str(), dest.c_str(), failIfExists));
    FILETIME copied{};
    ASSERT_TRUE(writeTime(dest, copied));
    EXPECT_EQ(copied.dwHighDateTime, past.dwHighDateTime) << failIfExists;
    EXPECT_EQ(copied.dwLowDateTime, past.dwLowDateTime) << failIfExists;
  }
}

// Names are found without regard to case, and a folder read for one copy must still see
// what changed before the next: another program's new or removed file, and this
// program's own copies and deletions.
TEST_F(CopyFileConformance, NamesMatchWithoutRegardToCase) {
  makeDir(tmp / "Out");
  enum Before { nothing, theyWrite, theyRemove, weDelete };
  struct Step {
    Before before;
    const char* changed;  // the file that the change before the copy is about
    const char* source;
    const char* dest;
    DWORD error;  // 0: copied
  } steps[] = {
      /* 0 */ {nothing, nullptr, "A.MP3", "out\\one.mp3", 0},
      /* 1 */ {nothing, nullptr, "a.mp3", "Out\\ONE.MP3", ERROR_FILE_EXISTS},
      /* 2 */ {theyWrite, "Out\\Two.mp3", "a.mp3", "Out\\two.MP3", ERROR_FILE_EXISTS},
      /* 3 */ {theyRemove, "Out\\Two.mp3", "a.mp3", "Out\\TWO.mp3", 0},
      /* 4 */ {weDelete, "Out\\TWO.mp3", "a.mp3", "Out\\two.mp3", 0},
      /* 5 */ {nothing, nullptr, "a.mp3", "OUT\\Three.mp3", 0},
      /* 6 */ {nothing, nullptr, "a.mp3", "Out\\Zz.mp3", 0},
      /* 7 */ {nothing, nullptr, "a.mp3", "Out\\zZ.mp3", ERROR_FILE_EXISTS},
      /* 8 */ {nothing, nullptr, "a.mp3", "Out\\@[.mp3", 0},  // no case: the letters' neighbours
      /* 9 */ {nothing, nullptr, "a.mp3", "Out\\`{.mp3", 0},
  };
  for (size_t i = 0; i < sizeof steps / sizeof steps[0]; ++i) {
    const Step& s = steps[i];
    if (s.before == theyWrite) writeFile(tmp / s.changed, "theirs");
    if (s.before == theyRemove) removeFile(tmp / s.changed);
    if (s.before == weDelete) {
      EXPECT_TRUE(DeleteFileA((tmp / s.changed).c_str())) << "step " << i;
    }
    SetLastError(sentinel);
    BOOL ok = CopyFileA((tmp / s.source).c_str(), (tmp / s.dest).c_str(), TRUE);
    EXPECT_EQ(ok, s.error == 0) << "step " << i;
    if (s.error) {
      EXPECT_EQ(GetLastError(), s.error) << "step " << i;
    }
  }
  EXPECT_EQ(mp3Names(tmp / "Out"), (std::vector<std::string>{"@[.mp3", "Three.mp3", "Zz.mp3",
                                                               "`{.mp3", "one.mp3", "two.mp3"}));
}

// Another program moves the destination folder away between two copies and puts another
// in its place that holds SONG.MP3. The names kept for the old folder must not answer
// for the new one at the same path (song.mp3 would be made beside SONG.MP3), nor may the
// copies follow the old folder to where it went.
TEST_F(CopyFileConformance, AFolderPutInPlaceOfTheDestinationIsReadAgain) {
  writeFile(tmp / "a.mp3", "new");
  makeDir(tmp / "New");
  writeFile(tmp / "New\\SONG.MP3", "theirs");
  makeDir(tmp / "Out");
  ASSERT_TRUE(CopyFileA((tmp / "a.mp3").c_str(), (tmp / "Out\\one.mp3").c_str(), TRUE));
  moveEntry(tmp / "Out", tmp / "Old");
  moveEntry(tmp / "New", tmp / "Out");
  SetLastError(sentinel);
  EXPECT_FALSE(CopyFileA((tmp / "a.mp3").c_str(), (tmp / "Out\\song.mp3").c_str(), TRUE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
  ASSERT_TRUE(CopyFileA((tmp / "a.mp3").c_str(), (tmp / "Out\\two.mp3").c_str(), TRUE));
  EXPECT_EQ(mp3Names(tmp / "Out"), (std::vector<std::string>{"SONG.MP3", "two.mp3"}));
  EXPECT_EQ(mp3Names(tmp / "Old"), (std::vector<std::string>{"one.mp3"}));
}
