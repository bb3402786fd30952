// CopyFileA of the POSIX layer under injected faults that the real platform shows
// only rarely: a full disk, a destination that appears while copying.
#include <gtest/gtest.h>
#include <windows.h>
#include <fcntl.h>
#include <cerrno>
#include <cstdio>
#include <string>
#include "posixFaults.h"
#include "../../lib/posix/posixPath.h"
#include "testFs.h"

namespace {
int writesBeforeFailure;
std::string appearingPath;
bool replacedFirst;  // another program moves the file away and puts its own in place

ssize_t failingWrite(int fd, const void* buffer, size_t count) {
  if (writesBeforeFailure-- > 0) return savedCalls.write(fd, buffer, count);
  errno = ENOSPC;
  return -1;
}

// The copy through the buffer, as on file systems that refuse to copy in the kernel
// (the kernel copy's own faults are in posixKernelCopyTest.cpp).
class CopyFaults : public PosixFaultTest {
 protected:
  void SetUp() override {
    PosixFaultTest::SetUp();
    posixCalls.copyRange = [](int, int, size_t) -> ssize_t { return errno = EXDEV, -1; };
  }
  TempDir tmp;
};
}  // namespace

TEST_F(CopyFaults, DiskFullLeavesNoPartialFile) {
  writeFile(tmp / "big.mp3", std::string(200000, 'x'));
  writesBeforeFailure = 1;
  posixCalls.write = failingWrite;
  SetLastError(0xdeadbeef);
  EXPECT_FALSE(CopyFileA((tmp / "big.mp3").c_str(), (tmp / "copy.mp3").c_str(), TRUE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
  EXPECT_FALSE(pathExists(tmp / "copy.mp3"));
}

TEST_F(CopyFaults, ReplacingCopyKeepsTheOldFileWhenItFails) {
  writeFile(tmp / "a.mp3", std::string(200000, 'n'));
  writeFile(tmp / "b.mp3", "old");
  writesBeforeFailure = 0;
  posixCalls.write = failingWrite;
  EXPECT_FALSE(CopyFileA((tmp / "a.mp3").c_str(), (tmp / "b.mp3").c_str(), FALSE));
  posixCalls = savedCalls;
  std::string bytes;
  ASSERT_TRUE(readFile(tmp / "b.mp3", bytes));
  EXPECT_EQ(bytes, "old");
  ASSERT_TRUE(CopyFileA((tmp / "a.mp3").c_str(), (tmp / "b.mp3").c_str(), FALSE));
  ASSERT_TRUE(readFile(tmp / "b.mp3", bytes));
  EXPECT_EQ(bytes.size(), 200000u);
}

TEST_F(CopyFaults, DestinationAppearingWhileCopyingIsNotReplaced) {
  writeFile(tmp / "a.mp3", "new");
  appearingPath = tmp / "b.mp3";
  // The destination is created by someone else between our check and our create.
  posixCalls.open = [](const char* path, int flags, mode_t mode) -> int {
    if (flags & O_CREAT) writeFile(appearingPath, "theirs");
    return savedCalls.open(path, flags, mode);
  };
  SetLastError(0xdeadbeef);
  EXPECT_FALSE(CopyFileA((tmp / "a.mp3").c_str(), appearingPath.c_str(), TRUE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
  std::string bytes;
  ASSERT_TRUE(readFile(appearingPath, bytes));
  EXPECT_EQ(bytes, "theirs");
}

// Another program creates SONG.MP3 after our copy matched its destination name against
// the kept listing and before it creates the file: the folder's stamp after our create
// must not make the listing current again without that name, or a later "song.mp3"
// would be created beside it instead of failing.
TEST_F(CopyFaults, KeptNamesNeverTakeInAnotherProgramsCreate) {
  writeFile(tmp / "a.mp3", "new");
  makeDir(tmp / "Out");
  ASSERT_TRUE(CopyFileA((tmp / "a.mp3").c_str(), (tmp / "Out\\one.mp3").c_str(), TRUE));
  appearingPath = tmp / "Out\\SONG.MP3";
  posixCalls.open = [](const char* path, int flags, mode_t mode) -> int {
    if (!(flags & O_CREAT) && !appearingPath.empty()) writeFile(appearingPath, "theirs");
    appearingPath.clear();
    return savedCalls.open(path, flags, mode);
  };
  ASSERT_TRUE(CopyFileA((tmp / "a.mp3").c_str(), (tmp / "Out\\two.mp3").c_str(), TRUE));
  posixCalls = savedCalls;
  SetLastError(0xdeadbeef);
  EXPECT_FALSE(CopyFileA((tmp / "a.mp3").c_str(), (tmp / "Out\\song.mp3").c_str(), TRUE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
  WIN32_FIND_DATAA data;
  HANDLE h = FindFirstFileA((tmp / "Out\\s*").c_str(), &data);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_STREQ(data.cFileName, "SONG.MP3");
  EXPECT_FALSE(FindNextFileA(h, &data)) << data.cFileName;
  FindClose(h);
}

// An interrupt handler's posixAbandonCopy (called here from the first write, as a signal
// would come) removes the file being written, but never one put in its place meanwhile,
// nor a finished copy.
TEST_F(CopyFaults, AbandonedCopyLeavesNoPartialFile) {
  writeFile(tmp / "big.mp3", std::string(200000, 'x'));
  for (bool replaced : {false, true}) {
    appearingPath = tmp / (replaced ? "replaced.mp3" : "abandoned.mp3");
    replacedFirst = replaced;
    posixCalls.write = [](int fd, const void* buffer, size_t count) -> ssize_t {
      if (!appearingPath.empty()) {
        std::string host;
        posixHostPath(appearingPath.c_str(), host);
        if (replacedFirst) {
          std::rename(host.c_str(), (host + ".moved").c_str());
          writeFile(appearingPath, "theirs");
        }
        posixAbandonCopy();
        appearingPath.clear();
      }
      return savedCalls.write(fd, buffer, count);
    };
    std::string dest = appearingPath;
    CopyFileA((tmp / "big.mp3").c_str(), dest.c_str(), TRUE);
    std::string bytes;
    EXPECT_EQ(readFile(dest, bytes), replaced) << replaced;
    if (replaced) {
      EXPECT_EQ(bytes, "theirs");
    }
  }
  posixCalls = savedCalls;
  ASSERT_TRUE(CopyFileA((tmp / "big.mp3").c_str(), (tmp / "done.mp3").c_str(), TRUE));
  posixAbandonCopy();
  EXPECT_TRUE(pathExists(tmp / "done.mp3"));
}

TEST(posixError, ErrnoTable) {
  struct Row {
    int errnoValue;
    DWORD code;
  } rows[] = {{ENOENT, 2}, {ENOTDIR, 3}, {EACCES, 5}, {EEXIST, 80}, {ENOSPC, 112},
              {ENAMETOOLONG, 206}, {EBADF, 6}, {12345, 1}};
  for (const Row& r : rows) EXPECT_EQ(posixErrorCode(r.errnoValue), r.code) << r.errnoValue;
  // On a path, a missing entry is 2 only when its folder is there.
  TempDir tmp;
  makeDir(tmp / "dir");
  writeFile(tmp / "file", "");
  std::string folder, inFolder, beyond, underFile;
  ASSERT_TRUE(posixHostPath((tmp / "dir").c_str(), folder));
  ASSERT_TRUE(posixHostPath((tmp / "dir\\none").c_str(), inFolder));
  ASSERT_TRUE(posixHostPath((tmp / "none\\x").c_str(), beyond));
  ASSERT_TRUE(posixHostPath((tmp / "file\\x").c_str(), underFile));
  EXPECT_EQ(posixErrorCode(ENOENT, inFolder.c_str()), DWORD(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(posixErrorCode(ENOENT, folder.c_str()), DWORD(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(posixErrorCode(ENOENT, beyond.c_str()), DWORD(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(posixErrorCode(ENOENT, underFile.c_str()), DWORD(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(posixErrorCode(EACCES, beyond.c_str()), DWORD(ERROR_ACCESS_DENIED));
}

TEST(posixPath, DrivesAndSeparators) {
  TempDir tmp;
  // Another drive and network paths cannot be reached.
  SetLastError(0);
  EXPECT_FALSE(CopyFileA("C:\\a.mp3", (tmp / "x").c_str(), TRUE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_FALSE(CopyFileA("\\\\server\\share\\a.mp3", (tmp / "x").c_str(), TRUE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_NETPATH));
  // Lower-case drive letter and forward slashes reach the same file.
  writeFile(tmp / "a.mp3", "a");
  std::string lower = tmp.path();
  lower[0] = 'z';
  for (char& c : lower)
    if (c == '\\') c = '/';
  EXPECT_TRUE(CopyFileA((lower + "/a.mp3").c_str(), (tmp / "b.mp3").c_str(), TRUE));
}
