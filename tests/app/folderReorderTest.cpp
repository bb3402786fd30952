// The reorder on plain folders, the same rows in both builds: every state a stopped run
// can leave is finished, a clash stops the folder with nothing lost, and the entries, their
// bytes and the tree stay what they were. (Which order a file system lists is its own
// affair here; the order of the moves is checked through the call table in
// tests/posix/folderReorderFaultTest.cpp, and on real FAT and exFAT by tests/cli.)
#include <gtest/gtest.h>
#include <windows.h>
#include <map>
#include <string>
#include <vector>
#include "engineFixture.h"
#include "folderReorder.h"
#include "testFs.h"

namespace {
// Every entry under path, relative to it: a file's bytes, or "<dir>".
void walk(const std::string& path, const std::string& relative,
          std::map<std::string, std::string>& out) {
  WIN32_FIND_DATAA data;
  HANDLE h = FindFirstFileA((path + "\\*").c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    std::string name = data.cFileName;
    if (name == "." || name == "..") continue;
    std::string bytes = "<dir>";
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      walk(path + "\\" + name, relative + name + "\\", out);
    else
      readFile(path + "\\" + name, bytes);
    out[relative + name] = bytes;
  } while (FindNextFileA(h, &data));
  FindClose(h);
}

std::map<std::string, std::string> tree(const std::string& path) {
  std::map<std::string, std::string> out;
  walk(path, "", out);
  return out;
}

using tree_t = std::map<std::string, std::string>;

// Makes the entries of a tree under folder; a parent sorts before what it holds.
void plant(const std::string& folder, const tree_t& entries) {
  for (const auto& e : entries) {
    if (e.second == "<dir>") makeDir(folder + "\\" + e.first);
    else writeFile(folder + "\\" + e.first, e.second);
  }
}

struct Row {
  const char* what;
  tree_t before;  // the parent's tree; M is the folder to reorder
  bool recursive, dryRun;
  int status;
  std::vector<std::string> log;  // "P" stands for the folder's path
  tree_t after;
};

const std::string W = "M.sondrix-reorder";
const std::string D = "<dir>";
}  // namespace

TEST(FolderReorder, FinishesEveryStateAndLosesNothing) {
  const Row rows[] = {
      {"stopped while moving: the working folder holds the first entries",
       {{"M", D}, {W, D}, {W + "\\a.mp3", "a"}, {"M\\c.mp3", "c"}, {"M\\B.mp3", "B"}, {"M\\sub", D},
        {"M\\sub\\x.mp3", "x"}},
       false, false, 0, {"P  並べ替えました (3 項目を移動しました)"},
       {{"M", D}, {"M\\a.mp3", "a"}, {"M\\B.mp3", "B"}, {"M\\c.mp3", "c"}, {"M\\sub", D},
        {"M\\sub\\x.mp3", "x"}}},
      {"stopped before the last rename: only the working folder is left",
       {{W, D}, {W + "\\a.mp3", "a"}}, false, false, 0, {"P  並べ替えました (0 項目を移動しました)"},
       {{"M", D}, {"M\\a.mp3", "a"}}},
      {"a sub-folder's stopped run is finished before its parent's",
       {{"M", D}, {W, D}, {"M\\sub.sondrix-reorder", D}, {"M\\sub.sondrix-reorder\\x.mp3", "x"},
        {"M\\z.mp3", "z"}},
       true, false, 0,
       {"P\\sub  並べ替えました (0 項目を移動しました)", "P  並べ替えました (2 項目を移動しました)"},
       {{"M", D}, {"M\\sub", D}, {"M\\sub\\x.mp3", "x"}, {"M\\z.mp3", "z"}}},
      {"a clash in the working folder stops the folder; both files stay",
       {{"M", D}, {W, D}, {W + "\\b.mp3", "theirs"}, {"M\\a.mp3", "a"}, {"M\\b.mp3", "mine"},
        {"M\\c.mp3", "c"}},
       false, false, 1, {"P  並べ替えられません: b.mp3 を移動できません (エラー 183)"},
       {{"M", D}, {"M\\b.mp3", "mine"}, {"M\\c.mp3", "c"}, {W, D},
        {W + "\\a.mp3", "a"}, {W + "\\b.mp3", "theirs"}}},
      {"a dry run shows the order and changes nothing",
       {{"M", D}, {W, D}, {W + "\\a.mp3", "a"}, {"M\\c.mp3", "c"}, {"M\\b", D}, {"M\\b.mp3", "b"}},
       false, true, 0,
       {"P  の新しい順序", "  a.mp3", "  b.mp3  移動します", "  c.mp3  移動します", "  b  移動します",
        "P  3 項目を移動します"},
       {{"M", D}, {"M\\b", D}, {"M\\b.mp3", "b"}, {"M\\c.mp3", "c"}, {W, D},
        {W + "\\a.mp3", "a"}}},
      {"neither the folder nor its working folder",
       {}, false, false, 1, {"P  並べ替えられません: フォルダーが見つかりません"}, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    TempDir tmp;
    std::string p = tmp / "M";
    plant(tmp.path(), row.before);
    recordSink log;
    reorderOptions options;
    options.recursive = row.recursive;
    options.dryRun = row.dryRun;
    EXPECT_EQ(folderReorder(log, options).run(p.c_str()), row.status);
    std::vector<std::string> expected;
    for (std::string line : row.log) expected.push_back(line[0] == 'P' ? p + line.substr(1) : line);
    EXPECT_EQ(log.lines, expected);
    EXPECT_EQ(tree(tmp.path()), row.after);
  }
}

// A tree whose order the file system decides: every entry, byte and folder stays, and
// nothing of the working folders is left.
TEST(FolderReorder, KeepsEveryEntryOfATree) {
  TempDir tmp;
  std::string p = tmp / "Music";
  makeDir(p);
  const char* names[] = {"10.mp3", "2.mp3", "b.mp3", "A.mp3", "ソ.mp3", "cover.jpg", "list.wpl"};
  for (const char* name : names) writeFile(p + "\\" + name, name);
  for (const char* folder : {"z", "disc 2", "disc 10"}) {
    makeDir(p + "\\" + folder);
    for (const char* name : names) writeFile(p + "\\" + folder + "\\" + name, folder);
  }
  std::map<std::string, std::string> before = tree(tmp.path());
  recordSink log;
  reorderOptions options;
  options.recursive = options.natural = true;
  EXPECT_EQ(folderReorder(log, options).run((p + "\\").c_str()), 0);
  EXPECT_EQ(log.lines.size(), 4u);
  EXPECT_EQ(tree(tmp.path()), before);
}
