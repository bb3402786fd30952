#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <string>
#include "testFs.h"
#include "vlModule.h"

namespace {
// A system library that every process here can load, by bare name.
#ifdef _WIN32
const char* systemLibrary = "kernel32.dll";
#else
const char* systemLibrary = "libm.so.6";
#endif

bool endsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         _stricmp(text.c_str() + text.size() - tail.size(), tail.c_str()) == 0;
}

std::string executablePath() {
  char path[300] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  return path;
}
}  // namespace

TEST(vlModule, PathGivesTheModuleName) {
  struct Row {
    const char* path;
    const char* moduleName;
  } rows[] = {
      {"C:\\Program Files\\Sondrix\\sondrix.exe", "sondrix"},
      {"C:\\tools\\archive.tar.gz", "archive.tar"},
      {"C:\\音楽\\表示.exe", "表示"},  // 0x5C trail bytes in folder and name
      {"C:\\apps\\", ""},
  };
  for (const Row& r : rows) {
    vlModule module(r.path);
    EXPECT_EQ(module.moduleName, r.moduleName) << r.path;
    EXPECT_STREQ(module.pathname.path, r.path) << r.path;
    EXPECT_EQ(module.handle(), nullptr) << "nothing is loaded yet: " << r.path;
  }
  vlModule module("C:\\a\\first.exe");
  EXPECT_EQ(module.storePathname("C:\\b\\second.dll"), 0);
  EXPECT_EQ(module.moduleName, "second");
}

TEST(vlModule, OwnExecutablePath) {
  std::string path = executablePath();
  ASSERT_GE(path.size(), 3u);
  EXPECT_EQ(path.substr(1, 2), ":\\");
  vlModule self(path.c_str());
  EXPECT_EQ(self.moduleName, "sondrix-tests");
}

TEST(vlModule, LoadFailuresLeaveTheModuleUnloaded) {
  TempDir dir;
  writeFile(dir / "text.dll", "not a library\n");
  makeDir(dir / "plain");
  makeDir(dir / "lib.dll");
  struct Row {
    std::string path;
    int code;
  } rows[] = {
      {"", 126},
      {dir / "missing.dll", 126},
      {dir / "none\\missing.dll", 126},
      {dir.path() + "\\", 126},
      {"Q:\\missing.dll", 126},
      {dir / "text.dll", 193},
      {dir / "text", 193},  // no extension: text.dll
      {dir / "plain", 126},
      {dir / "plain.", 5},  // a trailing dot: no extension, so the folder
      {dir / "lib", 5},
  };
  for (const Row& r : rows) {
    vlModule module;
    EXPECT_EQ(module.load(r.path.c_str()), r.code) << r.path;
    EXPECT_EQ(module.lastError, r.code) << r.path;
    EXPECT_EQ(module.handle(), nullptr) << r.path;
    EXPECT_FALSE(module.owned) << r.path;
    EXPECT_EQ(module.unload(), 0) << r.path;
  }
  vlModule named((dir / "missing.dll").c_str());
  EXPECT_EQ(named.load(nullptr), 126) << "without a file name the module's own path is loaded";
  EXPECT_EQ(named.handle(), nullptr);
}

TEST(vlModule, LoadAndUnloadALibrary) {
  vlModule module("C:\\nowhere\\missing.dll");
  EXPECT_EQ(module.load(systemLibrary), 0);
  HINSTANCE loaded = module.handle();
  ASSERT_NE(loaded, nullptr);
  EXPECT_TRUE(module.owned);
  char path[300] = {};
  EXPECT_GT(GetModuleFileNameA(loaded, path, sizeof path), 0u);
  EXPECT_TRUE(endsWith(path, std::string("\\") + systemLibrary)) << path;

  module.lastError = 99;
  EXPECT_EQ(module.load(nullptr), 0) << "already loaded: nothing more is loaded";
  EXPECT_EQ(module.lastError, 0);
  EXPECT_EQ(module.handle(), loaded);

  EXPECT_NE(module.unload(), 0);
  EXPECT_EQ(module.handle(), nullptr);
  EXPECT_FALSE(module.owned);
  EXPECT_EQ(module.unload(), 0);

  EXPECT_EQ(module.load(systemLibrary), 0);
  EXPECT_EQ(module.storePathname("C:\\other\\x.dll"), 0);
  EXPECT_EQ(module.handle(), nullptr) << "a new path frees the library first";
  EXPECT_FALSE(module.owned);
}

TEST(vlModuleDeathTest, UnloadOfABrokenHandleStops) {
  EXPECT_DEATH(
      {
        vlModule module;
        module.moduleHandle = reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(0x12340000));
        module.unload();
      },
      "FreeLibrary\\(handle\\(\\)\\)");
}

// The module calls under vlModule, checked against their Win32 contract.
TEST(ModuleCalls, FileNameIsCutWithoutZeroWhenItDoesNotFit) {
  std::string path = executablePath();
  char buffer[300];
  std::memset(buffer, '#', sizeof buffer);
  SetLastError(0xdeadbeef);
  EXPECT_EQ(GetModuleFileNameA(nullptr, buffer, sizeof buffer), path.size());
  EXPECT_EQ(GetLastError(), 0u);
  EXPECT_EQ(std::string(buffer), path);

  std::memset(buffer, '#', sizeof buffer);
  SetLastError(0xdeadbeef);
  EXPECT_EQ(GetModuleFileNameA(nullptr, buffer, 5), 5u);
  EXPECT_EQ(GetLastError(), 122u);
  EXPECT_EQ(std::string(buffer, 6), path.substr(0, 5) + "#");

  SetLastError(0xdeadbeef);
  EXPECT_EQ(GetModuleFileNameA(reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x12340000)), buffer,
                               sizeof buffer),
            0u);
  EXPECT_EQ(GetLastError(), 126u);
}

TEST(ModuleCalls, FreeLibraryRejectsWhatWasNotLoaded) {
  SetLastError(0xdeadbeef);
  EXPECT_FALSE(FreeLibrary(nullptr));
  EXPECT_EQ(GetLastError(), 6u);
  SetLastError(0xdeadbeef);
  EXPECT_FALSE(FreeLibrary(reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x12340000))));
  EXPECT_EQ(GetLastError(), 126u);

  HMODULE first = LoadLibraryA(systemLibrary);
  HMODULE second = LoadLibraryA(systemLibrary);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, second) << "a second load gives the same handle";
  EXPECT_TRUE(FreeLibrary(first));
  EXPECT_TRUE(FreeLibrary(second)) << "each load is freed on its own";
}
