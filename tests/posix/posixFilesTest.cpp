// The file calls of the POSIX layer where only the host can provoke a case: injected
// read, write and open faults, FIFOs, hard links, dangling links and descriptors.
#include <gtest/gtest.h>
#include <windows.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <functional>
#include <string>
#include "posixFaults.h"
#include "../../lib/posix/posixPath.h"
#include "testFs.h"
#include "vlFileStream.h"

namespace {
int interruptions;

std::string host(const std::string& dosPath) {
  std::string out;
  EXPECT_TRUE(posixHostPath(dosPath.c_str(), out));
  return out;
}

class FileFaults : public PosixFaultTest {
 protected:
  TempDir tmp;
};
}  // namespace

TEST_F(FileFaults, WriteAndReadFailuresBecomeWin32Codes) {
  writeFile(tmp / "f", "abc");
  vlFileStream s((tmp / "f").c_str());
  ASSERT_EQ(s.uopen(), 0);
  posixCalls.write = [](int, const void*, size_t) -> ssize_t {
    errno = ENOSPC;
    return -1;
  };
  EXPECT_EQ(s.putsln("x"), ERROR_DISK_FULL);
  EXPECT_EQ(s.position(), 0);
  posixCalls.read = [](int, void*, size_t) -> ssize_t {
    errno = EIO;
    return -1;
  };
  unsigned char b;
  EXPECT_EQ(s.getb(b), ERROR_NOT_READY);  // as under Wine; 30 is the end of the data
}

TEST_F(FileFaults, InterruptedCallsAreRepeated) {
  writeFile(tmp / "f", "abc");
  HANDLE h = CreateFileA((tmp / "f").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  interruptions = 2;
  posixCalls.read = [](int fd, void* buffer, size_t) -> ssize_t {
    if (interruptions-- > 0) {
      errno = EINTR;
      return -1;
    }
    return savedCalls.read(fd, buffer, 1);  // short reads are completed too
  };
  char buffer[3];
  DWORD n = 0;
  EXPECT_TRUE(ReadFile(h, buffer, 3, &n, nullptr));
  EXPECT_EQ(std::string(buffer, n), "abc");
  CloseHandle(h);
}

TEST_F(FileFaults, OpenFailuresAndNonFiles) {
  posixCalls.open = [](const char*, int, mode_t) -> int {
    errno = EACCES;
    return -1;
  };
  vlFileStream s((tmp / "f").c_str());
  EXPECT_EQ(s.wopen(), ERROR_ACCESS_DENIED);
  posixCalls = savedCalls;

  // A FIFO would block the open; it is refused at once, with the code that a stream
  // opening it under Wine gets (87, from the query after the open).
  ASSERT_EQ(mkfifo(host(tmp / "fifo").c_str(), 0666), 0);
  EXPECT_EQ(s.openFile('r', (tmp / "fifo").c_str()), ERROR_INVALID_PARAMETER);
  // A dangling link can be neither opened nor created: no endless retrying.
  ASSERT_EQ(symlink("nowhere", host(tmp / "link").c_str()), 0);
  EXPECT_EQ(s.openFile('a', (tmp / "link").c_str()), ERROR_FILE_NOT_FOUND);
}

TEST_F(FileFaults, SharingFollowsTheFileNotTheName) {
  writeFile(tmp / "f", "abc");
  ASSERT_EQ(link(host(tmp / "f").c_str(), host(tmp / "g").c_str()), 0);
  vlFileStream first((tmp / "f").c_str()), second((tmp / "g").c_str());
  ASSERT_EQ(first.wopen(), 0);
  EXPECT_EQ(second.ropen(), ERROR_SHARING_VIOLATION);
}

TEST_F(FileFaults, HandlesOwnTheirDescriptors) {
  HANDLE h = CreateFileA((tmp / "ro").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_READONLY, nullptr);
  PosixFile* file = posixHandleAs<PosixFile>(h);
  ASSERT_NE(file, nullptr);
  int fd = file->fd;
  EXPECT_EQ(fcntl(fd, F_GETFD) & FD_CLOEXEC, FD_CLOEXEC);
  EXPECT_EQ(fcntl(fd, F_GETFL) & O_NONBLOCK, 0);
  struct stat st;
  ASSERT_EQ(stat(host(tmp / "ro").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0222, 0u);
  ASSERT_TRUE(CloseHandle(h));
  errno = 0;
  EXPECT_EQ(fcntl(fd, F_GETFD), -1);
  EXPECT_EQ(errno, EBADF);
}

TEST_F(FileFaults, MadeUpOrForeignSearchHandles) {
  WIN32_FIND_DATAA data;
  int notAHandle = 0;
  HANDLE file = CreateFileA((tmp / "f").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  for (HANDLE h : {static_cast<HANDLE>(&notAHandle), file, INVALID_HANDLE_VALUE, HANDLE()}) {
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(FindNextFileA(h, &data));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(FindClose(h));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  }
  EXPECT_TRUE(CloseHandle(file));  // FindClose left the file handle alone
  HANDLE search = FindFirstFileA((tmp / "*").c_str(), &data);
  ASSERT_TRUE(FindClose(search));
  SetLastError(0xdeadbeef);
  EXPECT_FALSE(FindClose(search));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
}

namespace {
int failedErrno;

std::string folderNames(const std::string& folder) {
  WIN32_FIND_DATAA data;
  std::string names;
  HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    std::string name = data.cFileName;
    if (name != "." && name != "..") names += (names.empty() ? "" : " ") + name;
  } while (FindNextFileA(h, &data));
  FindClose(h);
  return names;
}

int failClose(int fd) {
  savedCalls.close(fd);
  errno = failedErrno;
  return -1;
}
int failFsync(int) {
  errno = failedErrno;
  return -1;
}
int failRename(const char*, const char*) {
  errno = failedErrno;
  return -1;
}
int failUnlink(const char*) {
  errno = failedErrno;
  return -1;
}
}  // namespace

// Closing, syncing, renaming and removing fail as the host reports it, and leave the
// files as they were.
TEST_F(FileFaults, CloseSyncRenameAndRemoveFaults) {
  writeFile(tmp / "a.mp3", "new");
  writeFile(tmp / "b.mp3", "old");
  writeFile(tmp / "p.ini", "[s]\r\nk=old\r\n");
  struct Row {
    const char* what;
    void (*inject)();
    int errnoValue;
    std::function<BOOL()> call;
    DWORD code;
  } rows[] = {
      {"close of the copy", [] { posixCalls.close = failClose; }, EDQUOT,
       [&] { return CopyFileA((tmp / "a.mp3").c_str(), (tmp / "c.mp3").c_str(), TRUE); }, 112},
      {"rename of the copy", [] { posixCalls.rename = failRename; }, EACCES,
       [&] { return CopyFileA((tmp / "a.mp3").c_str(), (tmp / "b.mp3").c_str(), FALSE); }, 5},
      {"sync of the profile", [] { posixCalls.fsync = failFsync; }, ENOSPC,
       [&] { return WritePrivateProfileStringA("s", "k", "new", (tmp / "p.ini").c_str()); }, 112},
      {"rename of the profile", [] { posixCalls.rename = failRename; }, EXDEV,
       [&] { return WritePrivateProfileStringA("s", "k", "new", (tmp / "p.ini").c_str()); }, 17},
      {"removal", [] { posixCalls.unlink = failUnlink; }, EPERM,
       [&] { return DeleteFileA((tmp / "b.mp3").c_str()); }, 5},
      {"move", [] { posixCalls.renameNoReplace = failRename; }, EXDEV,
       [&] { return MoveFileExA((tmp / "b.mp3").c_str(), (tmp / "d.mp3").c_str(), 0); }, 17},
  };
  for (const Row& r : rows) {
    failedErrno = r.errnoValue;
    r.inject();
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(r.call()) << r.what;
    EXPECT_EQ(GetLastError(), r.code) << r.what;
    posixCalls = savedCalls;
    std::string bytes;
    EXPECT_FALSE(pathExists(tmp / "c.mp3")) << r.what;
    EXPECT_FALSE(pathExists(tmp / "d.mp3")) << r.what;
    EXPECT_TRUE(readFile(tmp / "b.mp3", bytes) && bytes == "old") << r.what;
    EXPECT_TRUE(readFile(tmp / "p.ini", bytes) && bytes == "[s]\r\nk=old\r\n") << r.what;
  }
  EXPECT_EQ(folderNames(tmp.path()), "a.mp3 b.mp3 p.ini");  // no temporary file left
}
