#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>
#include "copyEngine.h"
#include "copyHelpers.h"
#include "engineFixture.h"
#include "testFs.h"

namespace {
class SortedCopy : public EngineFixture {
 protected:
  SortedCopy() {
    makeDir(src());
    makeDir(dst());
  }
  std::string src() const { return tmp / "in"; }
  std::string dst() const { return tmp / "out"; }
  std::vector<std::string> run(bool recursive, const std::string& from, const std::string& to) {
    return runJob(0, recursive, from, to);
  }
  std::vector<std::string> run(bool recursive) { return run(recursive, src(), dst()); }
  std::string content(const std::string& path) {
    std::string bytes;
    return readFile(path, bytes) ? bytes : "<missing>";
  }
};
}  // namespace

TEST_F(SortedCopy, CopiesInByteOrderOfNames) {
  for (const char* n : {"B.mp3", "a.mp3", "C.MP3", "10.mp3", "9.mp3"}) writeFile(src() + "\\" + n, n);
  std::vector<std::string> expected = {
      dst() + "  にコピーします", "10.mp3  成功", "9.mp3  成功", "B.mp3  成功", "C.MP3  成功",
      "a.mp3  成功", "5 個のファイルをコピーしました", done};
  EXPECT_EQ(run(false), expected);
  EXPECT_EQ(content(dst() + "\\C.MP3"), "C.MP3");
  EXPECT_EQ(engine->jobFailures, 0);
  EXPECT_EQ(engine->listCount, 5);
}

TEST_F(SortedCopy, JapaneseNamesSortAfterAscii) {
  // "ソ" and "表" end in the trail byte 0x5C.
  for (const char* n : {"表.mp3", "ソ.mp3", "z.mp3"}) writeFile(src() + "\\" + n, n);
  std::vector<std::string> expected = {dst() + "  にコピーします", "z.mp3  成功", "ソ.mp3  成功",
                                       "表.mp3  成功", "3 個のファイルをコピーしました", done};
  EXPECT_EQ(run(false, src() + "\\", dst() + "\\"), expected);
  EXPECT_EQ(content(dst() + "\\表.mp3"), "表.mp3");
}

TEST_F(SortedCopy, NeverOverwritesAndCountsFailures) {
  for (const char* n : {"a.mp3", "b.mp3", "c.mp3"}) writeFile(src() + "\\" + n, "new");
  writeFile(dst() + "\\b.mp3", "old");
  std::vector<std::string> expected = {dst() + "  にコピーします", "a.mp3  成功", "b.mp3  失敗",
                                       "c.mp3  成功", "1 個のファイルが失敗しました", done};
  EXPECT_EQ(run(false), expected);
  EXPECT_EQ(content(dst() + "\\b.mp3"), "old");
  EXPECT_EQ(engine->jobFailures, 1);
  // A second job fails for every file and changes nothing.
  expected = {dst() + "  にコピーします", "a.mp3  失敗", "b.mp3  失敗", "c.mp3  失敗",
              "3 個のファイルが失敗しました", done};
  EXPECT_EQ(run(false), expected);
  EXPECT_EQ(content(dst() + "\\a.mp3"), "new");
}

TEST_F(SortedCopy, RecursiveWalkIsDepthFirstAndSkipsDotFolders) {
  writeFile(src() + "\\b.mp3", "b");
  writeFile(src() + "\\A.mp3", "A");
  makeDir(src() + "\\x");
  makeDir(src() + "\\y");
  writeFile(src() + "\\y\\1.mp3", "1");
  makeDir(src() + "\\y\\z");
  makeDir(src() + "\\.hidden");
  writeFile(src() + "\\.hidden\\h.mp3", "h");
  std::vector<std::string> expected = {
      dst() + "  にコピーします",        "A.mp3  成功",
      "b.mp3  成功",                     "2 個のファイルをコピーしました",
      dst() + "\\x  にコピーします",     "mp3 ファイルはありません",
      dst() + "\\y  にコピーします",     "1.mp3  成功",
      "1 個のファイルをコピーしました", dst() + "\\y\\z  にコピーします",
      "mp3 ファイルはありません",        done};
  EXPECT_EQ(run(true), expected);
  EXPECT_TRUE(pathExists(dst() + "\\y\\z"));
  EXPECT_FALSE(pathExists(dst() + "\\.hidden"));
}

TEST_F(SortedCopy, WithoutRecursionSubFoldersAreIgnored) {
  makeDir(src() + "\\x");
  writeFile(src() + "\\x\\1.mp3", "1");
  std::vector<std::string> expected = {dst() + "  にコピーします", "mp3 ファイルはありません", done};
  EXPECT_EQ(run(false), expected);
  EXPECT_FALSE(pathExists(dst() + "\\x"));
}

TEST_F(SortedCopy, StopsEverywhereWhenASubFolderCannotBeMade) {
  makeDir(src() + "\\a");
  makeDir(src() + "\\a\\deep");
  makeDir(src() + "\\a\\deep\\x");
  makeDir(src() + "\\a\\deep\\y");
  makeDir(src() + "\\b");
  makeDir(dst() + "\\a");
  makeDir(dst() + "\\a\\deep");
  writeFile(dst() + "\\a\\deep\\x", "a file blocks the folder");
  std::vector<std::string> expected = {
      dst() + "  にコピーします",          "mp3 ファイルはありません",
      dst() + "\\a  にコピーします",       "mp3 ファイルはありません",
      dst() + "\\a\\deep  にコピーします", "mp3 ファイルはありません",
      "フォルダー x の作成に失敗しました", done};
  EXPECT_EQ(run(true), expected);
  EXPECT_FALSE(pathExists(dst() + "\\a\\deep\\y"));
  EXPECT_FALSE(pathExists(dst() + "\\b"));
  EXPECT_EQ(engine->jobFailures, 1);
}

TEST_F(SortedCopy, MissingDestinationFailsEveryCopyAndTheFirstFolder) {
  writeFile(src() + "\\a.mp3", "a");
  makeDir(src() + "\\sub");
  std::string missing = tmp / "missing";
  std::vector<std::string> expected = {missing + "  にコピーします", "a.mp3  失敗",
                                       "1 個のファイルが失敗しました",
                                       "フォルダー sub の作成に失敗しました", done};
  EXPECT_EQ(run(true, src(), missing), expected);
  EXPECT_EQ(engine->jobFailures, 2);
}

TEST_F(SortedCopy, AFolderNamedLikeMusicIsListedAndFails) {
  makeDir(src() + "\\x.mp3");
  std::vector<std::string> expected = {dst() + "  にコピーします", "x.mp3  失敗",
                                       "1 個のファイルが失敗しました", done};
  EXPECT_EQ(run(false), expected);
}

TEST_F(SortedCopy, ANameWithAControlCharacterIsLoggedOnOneLine) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows cannot make such a name; another system's folder can hold one";
#endif
  writeFile(src() + "\\line\nfeed.mp3", "lf");
  std::vector<std::string> expected = {dst() + "  にコピーします", "line?feed.mp3  成功",
                                       "1 個のファイルをコピーしました", done};
  EXPECT_EQ(run(false), expected);
}

TEST_F(SortedCopy, MissingSourceLooksEmpty) {
  std::vector<std::string> expected = {dst() + "  にコピーします", "mp3 ファイルはありません", done};
  EXPECT_EQ(run(true, tmp / "nothing", dst()), expected);
}

TEST_F(SortedCopy, MoreEntriesThanTheListHoldsRefusesTheFolder) {
  for (int i = 0; i <= copyEngine::maxEntries; ++i)
    writeFile(src() + "\\" + std::to_string(i) + ".mp3", "");
  makeDir(src() + "\\sub");
  writeFile(src() + "\\sub\\s.mp3", "s");
  std::vector<std::string> expected = {
      dst() + "  にコピーします", "mp3 ファイルが多すぎてリストに入りません。コピーしません",
      dst() + "\\sub  にコピーします", "s.mp3  成功", "1 個のファイルをコピーしました", done};
  EXPECT_EQ(run(true), expected);
  EXPECT_FALSE(pathExists(dst() + "\\0.mp3"));
  EXPECT_EQ(engine->jobFailures, 1);
}

TEST_F(SortedCopy, ExactlyAFullListIsCopied) {
  for (int i = 0; i < copyEngine::maxEntries; ++i)
    writeFile(src() + "\\" + std::to_string(1000 + i) + ".mp3", "");
  std::vector<std::string> lines = run(false);
  ASSERT_EQ(lines.size(), 1003u);
  EXPECT_EQ(lines[1], "1000.mp3  成功");
  EXPECT_EQ(lines[1001], "1000 個のファイルをコピーしました");
}

TEST_F(SortedCopy, PathsThatDoNotFitAreFailures) {
  writeFile(src() + "\\a.mp3", "a");
  makeDir(src() + "\\sub");
  // A destination whose composed paths exceed 299 bytes: nothing is attempted there.
  std::string longDest = tmp / std::string(295 - tmp.path().size(), 'd');
  ASSERT_EQ(longDest.size(), 296u);
  std::vector<std::string> expected = {longDest + "  にコピーします", "a.mp3  失敗",
                                       "1 個のファイルが失敗しました",
                                       "フォルダー sub のパスが長すぎます", done};
  EXPECT_EQ(run(true, src(), longDest), expected);
  EXPECT_EQ(engine->jobFailures, 2);
}

TEST_F(SortedCopy, AFullLengthSourceFieldIsNeverOverrun) {
  std::string longSource(299, 's');
  std::vector<std::string> lines = run(true, longSource, dst());
  std::vector<std::string> expected = {dst() + "  にコピーします",
                                       "フォルダー " + longSource + "\\ のパスが長すぎます", done};
  EXPECT_EQ(lines, expected);
}

TEST_F(SortedCopy, TheDryRunForeseesTheCopy) {
  struct Row {
    std::vector<std::string> tree;  // under the row's folder; "x\\" is a folder
    bool recursive;
    std::string source, dest;
  } rows[] = {
      // 0: a file already at the destination, in other case
      {{"in\\", "in\\a.mp3", "in\\b.mp3", "in\\c.MP3", "out\\", "out\\B.MP3"}, false, "in", "out"},
      // 1: folders the walk makes hold the files copied into them
      {{"in\\", "in\\a.mp3", "in\\x\\", "in\\x\\1.mp3", "in\\x\\y\\", "in\\x\\y\\2.mp3",
        "in\\.h\\", "in\\.h\\h.mp3", "in\\e\\", "out\\"},
       true, "in", "out"},
      // 2: a sub-folder already there in other case, with a file in it
      {{"in\\", "in\\s\\", "in\\s\\a.mp3", "in\\s\\b.mp3", "out\\", "out\\S\\", "out\\S\\A.MP3"},
       true, "in", "out"},
      // 3: a file blocks a sub-folder: the walk stops
      {{"in\\", "in\\s\\", "in\\s\\a.mp3", "in\\t\\", "out\\", "out\\s"}, true, "in", "out"},
      // 4: the destination is missing: no file and no folder can be made
      {{"in\\", "in\\a.mp3", "in\\sub\\", "in\\sub\\b.mp3"}, true, "in", "missing"},
      // 5: a folder named like music fails as a file, then is walked
      {{"in\\", "in\\x.mp3\\", "in\\x.mp3\\z.mp3", "in\\y.mp3", "out\\"}, true, "in", "out"},
      // 6: a missing source looks empty
      {{"out\\"}, true, "nothing", "out"},
  };
  int index = 0;
  for (const Row& r : rows) {
    std::string base = tmp / ("row" + std::to_string(index));
    makeDir(base);
    makeTree(base, r.tree);
    expectDryRunForesees("row " + std::to_string(index++), 0, r.recursive, base + "\\" + r.source,
                         base + "\\" + r.dest);
  }
#ifndef _WIN32
  // Folders whose names differ only in case, as another system's folder can hold them
  // (made past the layer, which would match one to the other): the second finds the
  // first made, and its file present. Windows cannot make them.
  std::string host = tmp.path().substr(2);  // Z: is the root
  std::replace(host.begin(), host.end(), '\\', '/');
  for (const char* folder : {"/cased/X", "/cased/x", "/casedOut"})
    std::filesystem::create_directories(host + folder);
  makeTree(tmp.path(), {"cased\\X\\a.mp3", "cased\\x\\A.mp3"});
  expectDryRunForesees("folders in other case", 0, true, tmp / "cased", tmp / "casedOut");
#endif
}

TEST(joinPath, RefusesAResultThatLeavesNoRoomForTheTerminator) {
  struct Row {
    const char* a;
    const char* b;
    const char* c;
    bool fits;
  } rows[] = {
      {"dir\\", "abc", "", true},  // 0: 6 bytes in 8, one shorter than the exact fit
      {"dir\\", "ab", "\\", true},  // 1: 7 bytes and the terminator: the exact fit
      {"dir\\", "abcd", "", false},  // 2: 8 bytes, as long as the buffer
      {"dir\\", "ab", "cde", false},  // 3: one over
  };
  const size_t size = 8;
  int index = 0;
  for (const Row& r : rows) {
    char out[size + 4];
    std::memset(out, 'j', sizeof out);
    std::string whole = std::string(r.a) + r.b + r.c;
    EXPECT_EQ(joinPath(out, size, r.a, r.b, r.c), r.fits) << "row " << index;
    EXPECT_EQ(std::string(out), r.fits ? whole : "") << "row " << index;
    // Nothing is written past the buffer, neither text nor terminator.
    EXPECT_EQ(std::string(out + size, 4), "jjjj") << "row " << index;
    ++index;
  }
}
