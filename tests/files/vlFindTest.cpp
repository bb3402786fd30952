#include <gtest/gtest.h>
#include <cstring>
#include <set>
#include <string>
#include <vector>
#include "testFs.h"
#include "vlFind.h"

namespace {
std::set<std::string> allNames(vlFind& find) {
  std::set<std::string> names;
  char name[MAX_PATH];
  while (find.read(name)) names.insert(name);
  return names;
}
}  // namespace

TEST(vlFind, OpenReadsEveryEntryWithDots) {
  TempDir dir;
  writeFile(dir / "a.mp3", "1");
  makeDir(dir / "sub");
  vlFind find;
  ASSERT_EQ(find.open(dir.path().c_str(), 255), 0);
  EXPECT_EQ(allNames(find), (std::set<std::string>{".", "..", "a.mp3", "sub"}));
  EXPECT_EQ(find.lastError, 18);
  EXPECT_FALSE(find.read(nullptr));
}

TEST(vlFind, WildcardsIgnoreCase) {
  TempDir dir;
  for (const char* n : {"a.mp3", "B.MP3", "c.Mp3", "d.mp3x", "e.wma", "noext", "f.mp"})
    writeFile(dir / n, "x");
  struct Row {
    const char* mask;
    std::set<std::string> names;
  } rows[] = {
      // d.mp3x matches through its 8.3 alias D~~~~xxx.MP3, as on Windows.
      {"*.mp3", {"a.mp3", "B.MP3", "c.Mp3", "d.mp3x"}},
      {"?.MP3", {"a.mp3", "B.MP3", "c.Mp3"}},
      {"*.*", {".", "..", "a.mp3", "B.MP3", "c.Mp3", "d.mp3x", "e.wma", "noext", "f.mp"}},
      {"NOEXT", {"noext"}},
      {"*x*", {"d.mp3x", "noext"}},
  };
  for (const Row& r : rows) {
    vlFind find;
    ASSERT_EQ(find.findFirst((dir / r.mask).c_str(), 255), 0) << r.mask;
    std::set<std::string> names{find.getName(nullptr)};
    while (find.findNext()) names.insert(find.getName(nullptr));
    EXPECT_EQ(names, r.names) << r.mask;
  }
}

TEST(vlFind, EntriesComeSortedWithoutRegardToCase) {
  TempDir dir;
  for (const char* n : {"zz", "a_b", "Z.txt", "aB", "A1", "~a", "\x82\xA0"}) writeFile(dir / n, "x");
  vlFind find;
  ASSERT_EQ(find.open(dir.path().c_str(), 255), 0);
  std::vector<std::string> names;
  char name[MAX_PATH];
  while (find.read(name)) names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{".", "..", "A1", "aB", "a_b", "Z.txt", "zz", "~a",
                                             "\x82\xA0"}));
}

TEST(vlFind, AliasOfLongNames) {
  TempDir dir;
  struct Row {
    const char* name;
    const char* alias;
  } rows[] = {
      {"a.mp3", ""},
      {"d.mp3x", "D~~~~FIL.MP3"},
      {"abcdefghij.mp3", "ABCD~PGO.MP3"},
      {"long name here.mp3", "LONG~OLS.MP3"},
      {"x.y.z", "X_Y~~JTF.Z"},
      {"\x82\xA0\x82\xA2\x82\xA4.mp3", "___~~1NA.MP3"},
  };
  for (const Row& r : rows) {
    writeFile(dir / r.name, "x");
    vlFind find;
    ASSERT_EQ(find.findFirst((dir / r.name).c_str(), 255), 0) << r.name;
    char alias[14] = "junk";
    EXPECT_STREQ(find.getAlterName(alias), r.alias) << r.name;
    EXPECT_STREQ(alias, r.alias) << r.name;
  }
}

// findBasic leaves short names out but still matches through them; with foldersOnly it
// lists only folders (the platform may list more, which callers test for).
TEST(vlFind, BasicSearchesAndFolderSearches) {
  TempDir dir;
  for (const char* n : {"a.mp3", "d.mp3x"}) writeFile(dir / n, "x");
  makeDir(dir / "Sub.mp3");
  struct Row {
    const char* mask;
    bool foldersOnly;
    std::set<std::string> names;
  } rows[] = {
      {"*.mp3", false, {"a.mp3", "d.mp3x", "Sub.mp3"}},
      {"*.*", true, {".", "..", "Sub.mp3"}},
      {"*.mp3", true, {"Sub.mp3"}},
  };
  for (const Row& r : rows) {
    vlFind find;
    ASSERT_EQ(find.findBasic((dir / r.mask).c_str(), r.foldersOnly), 0) << r.mask;
    std::set<std::string> names;
    do {
      EXPECT_STREQ(find.getAlterName(nullptr), "") << find.getName(nullptr);
      if (!r.foldersOnly || (find.findData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        names.insert(find.getName(nullptr));
    } while (find.findNext());
    EXPECT_EQ(names, r.names) << r.mask;
  }
  vlFind find;  // a name without wildcards finds the entry itself
  ASSERT_EQ(find.findBasic((dir / "a.mp3").c_str(), true), 0);
  EXPECT_STREQ(find.getName(nullptr), "a.mp3");
}

TEST(vlFind, JapaneseNamesComeBackInCodePage932) {
  TempDir dir;
  const std::string name = "ソング表.mp3";  // both characters end in trail byte 0x5C
  writeFile(dir / name, "x");
  vlFind find;
  ASSERT_EQ(find.findFirst((dir / "*.mp3").c_str(), 255), 0);
  char out[MAX_PATH];
  EXPECT_EQ(std::string(find.getName(out)), name);
  EXPECT_EQ(std::string(out), name);
  EXPECT_EQ(find.findData.nFileSizeLow, 1u);
}

TEST(vlFind, ErrorCodes) {
  TempDir dir;
  vlFind find;
  EXPECT_EQ(find.findFirst((dir / "*.mp3").c_str(), 255), 2);
  EXPECT_EQ(find.lastError, 2);
  EXPECT_EQ(find.findFirst((dir / "missing\\*.mp3").c_str(), 255), 3);
  EXPECT_EQ(find.findFirst((dir / "missing").c_str(), 255), 2);
  EXPECT_EQ(find.open((dir / "missing").c_str(), 255), 3);
  EXPECT_FALSE(find.read(nullptr));
  EXPECT_EQ(find.getData(), nullptr);
}

TEST(vlFind, ExactNameFindsTheEntryItself) {
  TempDir dir;
  makeDir(dir / "sub");
  vlFind find;
  ASSERT_EQ(find.findFirst((dir / "sub").c_str(), 255), 0);
  EXPECT_STREQ(find.getName(nullptr), "sub");
  EXPECT_TRUE(find.getData()->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_FALSE(find.findNext());
  EXPECT_EQ(find.lastError, 18);
}

TEST(vlFind, NamesWithoutSearchAreEmpty) {
  vlFind find;
  char out[8] = "junk";
  EXPECT_EQ(find.getName(out), nullptr);
  EXPECT_STREQ(out, "");
  TempDir dir;
  writeFile(dir / "a.mp3", "x");
  ASSERT_EQ(find.findFirst((dir / "a.mp3").c_str(), 255), 0);
  find.close();
  std::strcpy(out, "junk");
  EXPECT_EQ(find.getAlterName(out), nullptr);
  EXPECT_STREQ(out, "");
  EXPECT_EQ(find.findData.dwFileAttributes, 0u);
}

// A search handle that is closed gives 6, not a read of freed memory. (Closing it again
// is tested natively only: Wine then reads its freed record and may report success.)
TEST(vlFind, ClosedSearchHandle) {
  TempDir dir;
  writeFile(dir / "a.mp3", "a");
  WIN32_FIND_DATAA data;
  HANDLE h = FindFirstFileA((dir / "*").c_str(), &data);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(FindClose(h));
  SetLastError(0xdeadbeef);
  EXPECT_FALSE(FindNextFileA(h, &data));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
}
