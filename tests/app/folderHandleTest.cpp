// Folder handles, as the recursive walk uses them to know a folder again by its volume
// and file index: CreateFileA with FILE_FLAG_BACKUP_SEMANTICS and
// GetFileInformationByHandle. Wine is the reference for the POSIX layer.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "testFs.h"

namespace {
const DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE openFolder(const std::string& path, DWORD access, DWORD share,
                  DWORD flags = FILE_FLAG_BACKUP_SEMANTICS) {
  return CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, flags, nullptr);
}

// "volume:index" of what path names, or "error N".
std::string identity(const std::string& path) {
  HANDLE h = openFolder(path, 0, shareAll);
  if (h == INVALID_HANDLE_VALUE) return "error " + std::to_string(GetLastError());
  BY_HANDLE_FILE_INFORMATION info;
  std::string out = "error " + std::to_string(GetLastError());
  if (GetFileInformationByHandle(h, &info))
    out = std::to_string(info.dwVolumeSerialNumber) + ":" +
          std::to_string(static_cast<unsigned long long>(info.nFileIndexHigh) << 32 |
                         info.nFileIndexLow);
  CloseHandle(h);
  return out;
}

class FolderHandles : public ::testing::Test {
 protected:
  FolderHandles() {
    makeDir(tmp / "a");
    makeDir(tmp / "a\\b");
    makeDir(tmp / "c");
    writeFile(tmp / "a\\f.mp3", "x");
  }
  TempDir tmp;
};
}  // namespace

TEST_F(FolderHandles, OneFolderHasOneIdentityWhateverThePath) {
  struct Case {
    const char* first;
    const char* second;
    bool same;
  } cases[] = {
      {"a", "a\\", true},          {"a", "A", true},     {"a", "a\\b\\..", true},
      {"a", "c", false},           {"a", "a\\b", false}, {"a\\f.mp3", "a", false},
      {"a\\f.mp3", "a\\F.MP3", true},
  };
  for (const Case& c : cases) {
    std::string first = identity(tmp / c.first), second = identity(tmp / c.second);
    EXPECT_EQ(first.rfind("error", 0), std::string::npos) << c.first << ": " << first;
    EXPECT_EQ(first == second, c.same) << c.first << " / " << c.second;
  }
}

TEST_F(FolderHandles, FailuresKeepTheirCodes) {
  struct Case {
    const char* path;
    DWORD flags;
    DWORD code;
  } cases[] = {
      {"a", 0, ERROR_ACCESS_DENIED},  // without the flag a folder is not opened
      {"nothing", FILE_FLAG_BACKUP_SEMANTICS, ERROR_FILE_NOT_FOUND},
      {"nothing\\a", FILE_FLAG_BACKUP_SEMANTICS, ERROR_PATH_NOT_FOUND},
      {"a\\f.mp3\\", FILE_FLAG_BACKUP_SEMANTICS, ERROR_INVALID_NAME},
  };
  for (const Case& c : cases) {
    SetLastError(0);
    EXPECT_EQ(openFolder(tmp / c.path, GENERIC_READ, shareAll, c.flags), INVALID_HANDLE_VALUE)
        << c.path;
    EXPECT_EQ(GetLastError(), c.code) << c.path;
  }
}

TEST_F(FolderHandles, AFolderHandleDescribesAFolderAndMovesNoData) {
  HANDLE reading = openFolder(tmp / "a", GENERIC_READ, 0);
  ASSERT_NE(reading, INVALID_HANDLE_VALUE);
  BY_HANDLE_FILE_INFORMATION info;
  ASSERT_TRUE(GetFileInformationByHandle(reading, &info));
  EXPECT_EQ(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_ARCHIVE),
            static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  char byte;
  DWORD done = 7;
  EXPECT_FALSE(ReadFile(reading, &byte, 1, &done, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FUNCTION));
  EXPECT_EQ(done, 0u);

  // Its share mode binds other readers; a handle without data access is still let in.
  EXPECT_EQ(openFolder(tmp / "a", GENERIC_READ, shareAll), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  HANDLE naming = openFolder(tmp / "a\\", 0, shareAll);
  ASSERT_NE(naming, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(ReadFile(naming, &byte, 1, &done, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(CloseHandle(naming));
  EXPECT_TRUE(CloseHandle(reading));
}
