// CopyFileA's copy in the kernel under injected faults: refusals at any point (the
// buffer copy goes on from there), short moves, an early end, a full disk and an I/O
// error mid-file. The result is always the whole file with its write time, or no file.
#include <gtest/gtest.h>
#include <windows.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <cerrno>
#include <string>
#include "posixFaults.h"
#include "../../lib/posix/posixPath.h"
#include "testFs.h"

namespace {
// The injected copy_file_range: moves at most step bytes a call; after `calls` calls
// it fails with failure (or, when failure is 0, reports the end), once or from then on.
struct KernelCopyRow {
  const char* what;
  size_t step;
  int calls;
  int failure;
  bool once;
  DWORD error;  // 0: the copy succeeds
};

const KernelCopyRow* row;
int callsMade;

ssize_t injectedCopyRange(int from, int to, size_t count) {
  int call = callsMade++;
  if (call == row->calls || (call > row->calls && !row->once)) {
    if (row->failure == 0) return 0;
    errno = row->failure;
    return -1;
  }
  return savedCalls.copyRange(from, to, count < row->step ? count : row->step);
}

const KernelCopyRow kernelCopyRows[] = {
    {"refused at once", 1 << 30, 0, EXDEV, false, 0},
    {"not supported by the file system", 1 << 30, 0, EOPNOTSUPP, false, 0},
    {"short moves to the end", 4096, 1000, 0, false, 0},
    {"refused mid-file", 5000, 3, EINVAL, false, 0},
    {"an early end", 5000, 2, 0, false, 0},
    {"interrupted", 5000, 1, EINTR, true, 0},
    {"disk full mid-file", 5000, 2, ENOSPC, false, ERROR_DISK_FULL},
    {"I/O error mid-file", 5000, 2, EIO, false, ERROR_NOT_READY},
};

class KernelCopyFaults : public PosixFaultTest {
 protected:
  TempDir tmp;
};

std::string hostPath(const std::string& dos) {
  std::string host;
  posixHostPath(dos.c_str(), host);
  return host;
}
}  // namespace

TEST_F(KernelCopyFaults, WholeFileWithItsWriteTimeOrNoFile) {
  std::string bytes;
  for (int i = 0; i < 70000; ++i) bytes += static_cast<char>('a' + i % 26);
  writeFile(tmp / "a.mp3", bytes);
  struct timespec old[2] = {{1000000000, 5}, {1000000000, 123456789}};
  ASSERT_EQ(utimensat(AT_FDCWD, hostPath(tmp / "a.mp3").c_str(), old, 0), 0);
  for (const KernelCopyRow& r : kernelCopyRows) {
    SCOPED_TRACE(r.what);
    row = &r;
    callsMade = 0;
    posixCalls.copyRange = injectedCopyRange;
    SetLastError(0xdeadbeef);
    BOOL copied = CopyFileA((tmp / "a.mp3").c_str(), (tmp / "b.mp3").c_str(), TRUE);
    posixCalls = savedCalls;
    std::string got;
    if (r.error == 0) {
      ASSERT_TRUE(copied);
      ASSERT_TRUE(readFile(tmp / "b.mp3", got));
      EXPECT_EQ(got, bytes);
      struct stat st;
      ASSERT_EQ(stat(hostPath(tmp / "b.mp3").c_str(), &st), 0);
      EXPECT_EQ(st.st_mtim.tv_sec, old[1].tv_sec);
      EXPECT_EQ(st.st_mtim.tv_nsec, old[1].tv_nsec);
      ASSERT_EQ(unlink(hostPath(tmp / "b.mp3").c_str()), 0);
    } else {
      EXPECT_FALSE(copied);
      EXPECT_EQ(GetLastError(), r.error);
      EXPECT_FALSE(pathExists(tmp / "b.mp3"));
    }
  }
}

// The kernel copy never replaces: a destination that exists fails before any data moves.
TEST_F(KernelCopyFaults, ExistingDestinationIsKeptWhatever) {
  writeFile(tmp / "a.mp3", std::string(70000, 'n'));
  writeFile(tmp / "b.mp3", "theirs");
  posixCalls.copyRange = [](int, int, size_t) -> ssize_t {
    ADD_FAILURE() << "data moved onto an existing file";
    return errno = EIO, -1;
  };
  SetLastError(0);
  EXPECT_FALSE(CopyFileA((tmp / "a.mp3").c_str(), (tmp / "b.mp3").c_str(), TRUE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
  std::string got;
  ASSERT_TRUE(readFile(tmp / "b.mp3", got));
  EXPECT_EQ(got, "theirs");
}
