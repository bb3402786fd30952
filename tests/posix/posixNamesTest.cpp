// Layer details that the shared tests cannot reach: null arguments, which Windows' CRT
// hands to its invalid-parameter handler, and a working folder that no longer exists.
#include <gtest/gtest.h>
#include <direct.h>
#include <unistd.h>
#include <windows.h>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

TEST(posixNames, NullArgumentsHaveDefinedResults) {
  char drive[_MAX_DRIVE] = "J", dir[_MAX_DIR] = "J", fname[_MAX_FNAME] = "J", ext[_MAX_EXT] = "J";
  errno = 0;
  _splitpath(nullptr, drive, dir, fname, ext);
  EXPECT_EQ(std::string(drive) + dir + fname + ext, "");
  EXPECT_EQ(errno, EINVAL);
  _splitpath("C:\\a\\b.c", nullptr, nullptr, fname, nullptr);
  EXPECT_STREQ(fname, "b");

  EXPECT_EQ(_stricmp(nullptr, "a"), INT_MAX);
  SetLastError(0);
  EXPECT_FALSE(DeleteFileA(nullptr));
  EXPECT_EQ(GetLastError(), 87u);
  EXPECT_FALSE(MoveFileExA("a", nullptr, 0));
  EXPECT_EQ(GetLastError(), 87u);
}

TEST(posixNames, VanishedWorkingFolder) {
  char original[PATH_MAX];
  ASSERT_NE(getcwd(original, sizeof original), nullptr);
  char folder[] = "/tmp/sondrix-cwd-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  ASSERT_EQ(chdir(folder), 0);
  rmdir(folder);
  char buffer[300];
  char* result = _getdcwd(0, buffer, sizeof buffer);
  char* allocated = _getdcwd(0, nullptr, 0);
  ASSERT_EQ(chdir(original), 0);
  EXPECT_EQ(result, nullptr);
  EXPECT_EQ(allocated, nullptr);
  std::free(allocated);
}
