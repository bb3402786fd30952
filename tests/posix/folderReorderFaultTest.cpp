// The reorder's moves seen through the call table: their order (files, then folders,
// children before their parent), and a failed rename or a stop at every step, after
// which nothing is lost and a second run finishes the job.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>
#include "engineFixture.h"
#include "folderReorder.h"
#include "posixFaults.h"

namespace {
namespace fs = std::filesystem;

std::vector<std::string> moves;  // "from -> to", relative to the test folder
std::string base;                // the test folder's host path, with its "/"
int failAt, stopAt, steps;

std::string relative(const char* path) {
  std::string text = path;
  return text.compare(0, base.size(), base) == 0 ? text.substr(base.size()) : text;
}

int recordingRename(const char* from, const char* to) {
  if (steps++ == failAt) return errno = EIO, -1;
  moves.push_back(relative(from) + " -> " + relative(to));
  return savedCalls.renameNoReplace(from, to);
}

bool stopWhenDue() { return stopAt >= 0 && steps >= stopAt; }

// Every file under root with its bytes, the working folders' part of a path left out: a
// file waiting in a working folder still counts as where it belongs.
std::map<std::string, std::string> files(const fs::path& root) {
  std::map<std::string, std::string> out;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    if (!e.is_regular_file()) continue;
    std::string name = fs::relative(e.path(), root).string();
    for (size_t at; (at = name.find(".sondrix-reorder")) != std::string::npos;)
      name.erase(at, std::strlen(".sondrix-reorder"));
    std::ifstream in(e.path(), std::ios::binary);
    out[name] = std::string(std::istreambuf_iterator<char>(in), {});
  }
  return out;
}

// tmpfs lists the newest entry first: made in sorted order, every folder of two or more
// entries reads as out of order and is moved.
class ReorderMoves : public PosixFaultTest {
 protected:
  void SetUp() override {
    PosixFaultTest::SetUp();
    char pattern[] = "/dev/shm/sondrix-reorder-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root = pattern;
    base = root.string() + "/";
    for (const char* folder : {"M", "M/a-dir", "M/sub"}) fs::create_directory(root / folder);
    for (const char* file : {"M/10.mp3", "M/2.mp3", "M/A.mp3", "M/b.mp3", "M/cover.jpg",
                             "M/a-dir/only.mp3", "M/sub/x.mp3", "M/sub/y.mp3"})
      std::ofstream(root / file) << file;
    moves.clear();
    failAt = stopAt = -1;
    steps = 0;
    posixCalls.renameNoReplace = recordingRename;
  }
  void TearDown() override {
    fs::remove_all(root);
    PosixFaultTest::TearDown();
  }
  int run(std::vector<std::string>& log) {
    recordSink sink;
    reorderOptions options;
    options.recursive = true;
    options.stopAsked = stopWhenDue;
    options.findFirst = posixFindFirstInDiskOrder;
    std::string dosPath = "Z:" + root.string() + "/M";
    for (char& c : dosPath)
      if (c == '/') c = '\\';
    int status = folderReorder(sink, options).run(dosPath.c_str());
    log = sink.lines;
    return status;
  }
  fs::path root;
};
}  // namespace

TEST_F(ReorderMoves, FilesThenFoldersChildrenFirst) {
  std::vector<std::string> log;
  ASSERT_EQ(run(log), 0);
  const std::vector<std::string> expected = {
      "M/sub/x.mp3 -> M/sub.sondrix-reorder/x.mp3",
      "M/sub/y.mp3 -> M/sub.sondrix-reorder/y.mp3",
      "M/sub.sondrix-reorder -> M/sub",
      "M/10.mp3 -> M.sondrix-reorder/10.mp3",
      "M/2.mp3 -> M.sondrix-reorder/2.mp3",
      "M/A.mp3 -> M.sondrix-reorder/A.mp3",
      "M/b.mp3 -> M.sondrix-reorder/b.mp3",
      "M/cover.jpg -> M.sondrix-reorder/cover.jpg",
      "M/a-dir -> M.sondrix-reorder/a-dir",
      "M/sub -> M.sondrix-reorder/sub",
      "M.sondrix-reorder -> M",
  };
  EXPECT_EQ(moves, expected);
  ASSERT_EQ(log.size(), 3u);
  EXPECT_NE(log[0].find("a-dir  すでに順序どおりです"), std::string::npos) << log[0];
  EXPECT_NE(log[1].find("sub  並べ替えました (2 項目を移動しました)"), std::string::npos) << log[1];
  EXPECT_NE(log[2].find("M  並べ替えました (7 項目を移動しました)"), std::string::npos) << log[2];
}

// A rename that fails, or a stop asked, before each of the eleven renames in turn.
TEST_F(ReorderMoves, EveryStepCanFailAndARunAgainFinishes) {
  const std::map<std::string, std::string> original = files(root);
  for (int k = 0; k < 11; ++k) {
    for (bool stop : {false, true}) {
      SCOPED_TRACE("step " + std::to_string(k) + (stop ? " stopped" : " failed"));
      TearDown();
      SetUp();
      (stop ? stopAt : failAt) = k;
      std::vector<std::string> log;
      EXPECT_EQ(run(log), 1);
      const char* said = stop ? "中断しました" : "並べ替えられません";
      EXPECT_TRUE(std::any_of(log.begin(), log.end(), [said](const std::string& line) {
        return line.find(said) != std::string::npos;
      }));
      EXPECT_EQ(files(root), original);
      failAt = stopAt = -1;
      EXPECT_EQ(run(log), 0);
      EXPECT_EQ(files(root), original);
      EXPECT_EQ(std::distance(fs::directory_iterator(root), fs::directory_iterator()), 1)
          << "the working folder is gone";
    }
  }
}
