// Profile calls of the POSIX layer: injected write failures, and where the layer keeps
// the platform's contract more strictly than Wine (which rewrites the whole file in its
// own layout, and can leave bytes of the caller's buffer unwritten).
#include <gtest/gtest.h>
#include <windows.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include "../../lib/posix/posixCalls.h"
#include "../../lib/posix/posixPath.h"
#include "testFs.h"

namespace {
PosixCalls saved;
int failure;

class ProfileLayer : public ::testing::Test {
 protected:
  void SetUp() override { saved = posixCalls; }
  void TearDown() override { posixCalls = saved; }
  std::string text() {
    std::string bytes;
    return readFile(ini, bytes) ? bytes : "(none)";
  }
  std::string host(const std::string& dosPath) {
    std::string out;
    posixHostPath(dosPath.c_str(), out);
    return out;
  }
  size_t entries() {
    size_t count = 0;
    for (auto it = std::filesystem::directory_iterator(host(tmp.path()));
         it != std::filesystem::directory_iterator(); ++it)
      ++count;
    return count;
  }
  std::string read(const char* section, const char* key, DWORD size, DWORD& length) {
    char out[64];
    std::memset(out, '#', sizeof out);
    length = GetPrivateProfileStringA(section, key, "\x93\xFA\x96\x7B", out, size, ini.c_str());
    return std::string(out, size);
  }
  TempDir tmp;
  std::string ini = tmp / "t.ini";
};
}  // namespace

TEST_F(ProfileLayer, FailedWriteKeepsTheOldFileWhole) {
  const char* old = "[s]\r\nk=old\r\n";
  struct Row {
    const char* what;
    int errnoValue;
    bool failOpen;
    DWORD code;
  } rows[] = {{"disk full", ENOSPC, false, ERROR_DISK_FULL},
              {"no permission", EACCES, true, ERROR_ACCESS_DENIED}};
  for (const Row& r : rows) {
    writeFile(ini, old);
    failure = r.errnoValue;
    if (r.failOpen) {
      posixCalls.open = [](const char* path, int flags, mode_t mode) -> int {
        if (flags & O_CREAT) return errno = failure, -1;
        return saved.open(path, flags, mode);
      };
    } else {
      posixCalls.write = [](int, const void*, size_t) -> ssize_t { return errno = failure, -1; };
    }
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "new", ini.c_str())) << r.what;
    EXPECT_EQ(GetLastError(), r.code) << r.what;
    EXPECT_EQ(text(), old) << r.what;
    EXPECT_EQ(entries(), 1u) << r.what << ": a temporary file was left behind";
    posixCalls = saved;
  }
  ASSERT_TRUE(WritePrivateProfileStringA("s", "k", "new", ini.c_str()));
  EXPECT_EQ(text(), "[s]\r\nk=new\r\n");
}

TEST_F(ProfileLayer, KeepsEveryOtherLineByteForByte) {
  writeFile(ini, "; top\n\n[ A ]\n  x = 1  \n\n[B]\nold = v\n\n[C]\r\nlast");
  ASSERT_TRUE(WritePrivateProfileStringA("a", "y", "2", ini.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA("b", "OLD", "w", ini.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA("c", "z", "3", ini.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA("", "top", "0", ini.c_str()));
  EXPECT_EQ(text(), "; top\ntop=0\n\n[ A ]\n  x = 1  \ny=2\n\n[B]\nold=w\n\n[C]\r\nlast\nz=3\n");
}

TEST_F(ProfileLayer, KeepsTheFileMode) {
  writeFile(ini, "[s]\r\n");
  chmod(host(ini).c_str(), 0640);
  ASSERT_TRUE(WritePrivateProfileStringA("s", "k", "v", ini.c_str()));
  struct stat st;
  ASSERT_EQ(stat(host(ini).c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(ProfileLayer, ReadOnlyAndLinkedProfiles) {
  writeFile(ini, "[s]\r\nk=old\r\n");
  chmod(host(ini).c_str(), 0444);
  SetLastError(0xdeadbeef);
  EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "new", ini.c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(text(), "[s]\r\nk=old\r\n");

  chmod(host(ini).c_str(), 0644);
  std::string link = tmp / "link.ini";
  ASSERT_EQ(symlink(host(ini).c_str(), host(link).c_str()), 0);
  ASSERT_TRUE(WritePrivateProfileStringA("s", "k", "new", link.c_str()));
  EXPECT_TRUE(std::filesystem::is_symlink(host(link)));
  EXPECT_EQ(text(), "[s]\r\nk=new\r\n");
}

TEST_F(ProfileLayer, ThreadsLoseNoWrites) {
  auto writer = [this](char name) {
    for (int i = 0; i < 20; ++i)
      WritePrivateProfileStringA("s", (name + std::to_string(i)).c_str(), "1", ini.c_str());
  };
  std::thread a(writer, 'a'), b(writer, 'b');
  a.join();
  b.join();
  char keys[512];
  GetPrivateProfileStringA("s", nullptr, "", keys, sizeof keys, ini.c_str());
  size_t count = 0;
  for (const char* k = keys; *k; k += std::strlen(k) + 1) ++count;
  EXPECT_EQ(count, 40u);
}

TEST_F(ProfileLayer, CutsWholeCharactersOnly) {
  writeFile(ini, "[s]\r\nj=\x93\xFA\x96\x7B\x8C\xEA\r\nq=\"abc\"\r\n[\x93\xFA]\r\n[\x96\x7B\x8C\xEA]\r\n");
  struct Row {
    const char* section;
    const char* key;
    DWORD size;
    DWORD length;
    std::string out;  // the first size bytes
  } rows[] = {
      {"s", "j", 6, 4, std::string("\x93\xFA\x96\x7B\0#", 6)},
      {"s", "j", 2, 0, std::string("\0#", 2)},
      {"s", "none", 4, 2, std::string("\x93\xFA\0#", 4)},   // the default alike
      {"s", "q", 4, 3, std::string("abc\0", 4)},            // the quotes do not count
      // Section lists: cut before a whole character, still ending in two NULs.
      {nullptr, nullptr, 8, 6, std::string("s\0\x93\xFA\0\0\0#", 8)},
      {nullptr, nullptr, 9, 7, std::string("s\0\x93\xFA\0\x96\x7B\0\0", 9)},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    const Row& r = rows[i];
    DWORD length;
    EXPECT_EQ(read(r.section, r.key, r.size, length), r.out) << "row " << i;
    EXPECT_EQ(length, r.length) << "row " << i;
  }
}
