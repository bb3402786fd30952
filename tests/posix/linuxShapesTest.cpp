// What only a Linux folder holds: pipes, sockets, devices and symbolic links (also
// links that lead back up the walk). Every case must end promptly with the outcome that
// Wine gives for the same shape; a call that blocks ends the run instead of hanging it.
#include <gtest/gtest.h>
#include <windows.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <thread>
#include <vector>
#include "../../lib/posix/posixPath.h"
#include "engineFixture.h"
#include "testFs.h"

namespace {
std::string host(const std::string& dosPath) {
  std::string out;
  EXPECT_TRUE(posixHostPath(dosPath.c_str(), out));
  return out;
}

// Runs work on a thread of its own and waits a few seconds for it. A thread blocked in a
// system call (a pipe without a writer) cannot be stopped, so the program ends, failed.
template <class Work>
void withinSeconds(Work work) {
  std::promise<void> finished;
  std::future<void> done = finished.get_future();
  std::thread worker([&] {
    work();
    finished.set_value();
  });
  if (done.wait_for(std::chrono::seconds(5)) == std::future_status::timeout) {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::fprintf(stderr, "%s.%s: still blocked after 5 s\n", test->test_suite_name(), test->name());
    std::_Exit(1);
  }
  worker.join();
}

void makeSocket(const std::string& dosPath) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::string path = host(dosPath);
  ASSERT_LT(path.size(), sizeof address.sun_path);
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  int s = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(s, 0);
  EXPECT_EQ(bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  close(s);  // the socket file stays
}

void makeLink(const std::string& target, const std::string& dosPath) {
  ASSERT_EQ(symlink(target.c_str(), host(dosPath).c_str()), 0) << dosPath;
}

// Beside real files: a pipe, a socket, a device, a dangling link and a link to a file.
void makeShapes(const std::string& dir) {
  writeFile(dir + "\\a.mp3", "a");
  writeFile(dir + "\\z.mp3", "z");
  ASSERT_EQ(mkfifo(host(dir + "\\pipe.mp3").c_str(), 0666), 0);
  makeSocket(dir + "\\sock.mp3");
  makeLink("/dev/null", dir + "\\null.mp3");
  makeLink("nowhere.mp3", dir + "\\dangling.mp3");
  makeLink("a.mp3", dir + "\\link.mp3");
}

// Every entry under a host folder, sorted: "name/" for folders, "name=bytes" for files.
std::vector<std::string> tree(const std::string& dosPath) {
  std::vector<std::string> out;
  std::string root = host(dosPath);
  for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
    std::string name = e.path().string().substr(root.size() + 1), bytes;
    if (e.is_directory()) out.push_back(name + "/");
    else out.push_back(name + "=" + (readFile(dosPath + "\\" + name, bytes) ? bytes : "?"));
  }
  std::sort(out.begin(), out.end());
  return out;
}

class Shapes : public EngineFixture {
 protected:
  Shapes() {
    makeDir(src());
    makeDir(dst());
  }
  // The clean-up of the temporary folder changes modes through links: the link to the
  // machine's device goes first.
  ~Shapes() override { unlink(host(src() + "\\null.mp3").c_str()); }
  std::string src() const { return tmp / "in"; }
  std::string dst() const { return tmp / "out"; }
  std::vector<std::string> run(int method, bool recursive, const std::string& from) {
    std::vector<std::string> lines;
    withinSeconds([&] { lines = runJob(method, recursive, from, dst()); });
    return lines;
  }
};
}  // namespace

TEST_F(Shapes, OnlyRegularFilesOpenOrCopyAndNothingWaits) {
  makeShapes(src());
  makeDir(src() + "\\folder");
  makeLink("folder", src() + "\\folderLink");
  // The codes Wine gives: CopyFileA refuses every special file with 87; CreateFileA
  // fails a socket with 433 (a pipe or device gets 87 here, where Wine's handle fails every
  // query with 87). The search lists special files as files, a link to a folder as a
  // folder and a reparse point, and leaves out a dangling link.
  const DWORD unlisted = 0xFFFFFFFF;
  struct Case {
    const char* name;
    DWORD copyCode, openCode, attributes;
  } cases[] = {
      {"a.mp3", 0, 0, FILE_ATTRIBUTE_ARCHIVE},
      {"link.mp3", 0, 0, FILE_ATTRIBUTE_ARCHIVE},
      {"pipe.mp3", ERROR_INVALID_PARAMETER, ERROR_INVALID_PARAMETER, FILE_ATTRIBUTE_ARCHIVE},
      {"sock.mp3", ERROR_INVALID_PARAMETER, ERROR_NO_SUCH_DEVICE, FILE_ATTRIBUTE_ARCHIVE},
      {"null.mp3", ERROR_INVALID_PARAMETER, ERROR_INVALID_PARAMETER, FILE_ATTRIBUTE_ARCHIVE},
      {"dangling.mp3", ERROR_FILE_NOT_FOUND, ERROR_FILE_NOT_FOUND, unlisted},
      {"folderLink", ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED,
       FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT},
  };
  for (const Case& c : cases) {
    std::string path = src() + "\\" + c.name;
    DWORD copyCode = 0, openCode = 0, attributes = unlisted;
    withinSeconds([&] {
      std::string to = dst() + "\\" + c.name;
      if (!CopyFileA(path.c_str(), to.c_str(), TRUE)) copyCode = GetLastError();
      HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             0, nullptr);
      if (h == INVALID_HANDLE_VALUE) openCode = GetLastError();
      else CloseHandle(h);
      WIN32_FIND_DATAA found;
      HANDLE search = FindFirstFileA((src() + "\\*").c_str(), &found);
      do {
        if (!std::strcmp(found.cFileName, c.name)) attributes = found.dwFileAttributes;
      } while (FindNextFileA(search, &found));
      FindClose(search);
    });
    EXPECT_EQ(copyCode, c.copyCode) << c.name;
    EXPECT_EQ(openCode, c.openCode) << c.name;
    EXPECT_EQ(attributes, c.attributes) << c.name;
  }
  std::vector<std::string> copied = {"a.mp3=a", "link.mp3=a"};
  EXPECT_EQ(tree(dst()), copied);
}

// Searches that skip reading entries whose kind the folder tells: a folder search lists
// the folders and links to them (a name without wildcards finds the entry itself); a
// names-only search lists what the full search lists, in its order and as its kinds.
// Links must be read, as they may lead to a folder or nowhere.
TEST_F(Shapes, SearchesThatReadOnlyLinksListWhatFullSearchesList) {
  makeShapes(src());
  makeDir(src() + "\\folder");
  makeLink("folder", src() + "\\folderLink");
  writeFile(src() + "\\.hidden.mp3", "h");
  const DWORD kinds = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT |
                      FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;
  auto listing = [&](HANDLE (*first)(const char*, WIN32_FIND_DATAA*), const char* pattern) {
    std::vector<std::string> listed;
    WIN32_FIND_DATAA found;
    HANDLE h = first((src() + "\\" + pattern).c_str(), &found);
    for (bool more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileA(h, &found))
      listed.push_back(std::string(found.cFileName) + ":" +
                       std::to_string(found.dwFileAttributes & kinds) + found.cAlternateFileName);
    if (h != INVALID_HANDLE_VALUE) FindClose(h);
    return listed;
  };
  auto basic = [](const char* pattern, WIN32_FIND_DATAA* data) {
    return FindFirstFileExA(pattern, FindExInfoBasic, data, FindExSearchNameMatch, nullptr, 0);
  };
  auto folders = [](const char* pattern, WIN32_FIND_DATAA* data) {
    return FindFirstFileExA(pattern, FindExInfoBasic, data, FindExSearchLimitToDirectories,
                            nullptr, 0);
  };
  struct Search {
    const char* pattern;
    std::vector<std::string> folders;  // "name:attributes", no short name
  } searches[] = {
      {"*", {".:16", "..:16", "folder:16", "folderLink:1040"}},
      {"*.mp3", {}},
      {"FOLDERLINK", {"folderLink:1040"}},
      {"link.mp3", {"link.mp3:32"}},
  };
  for (const Search& search : searches) {
    EXPECT_EQ(listing(folders, search.pattern), search.folders) << search.pattern;
    EXPECT_EQ(listing(posixFindNames, search.pattern), listing(basic, search.pattern))
        << search.pattern;
  }
  EXPECT_EQ(listing(posixFindNames, "*").size(), 11u);  // all but the dangling link
  // What the call does not offer fails with 87 instead of listing something else.
  WIN32_FIND_DATAA found;
  std::string all = src() + "\\*";
  for (HANDLE h : {FindFirstFileExA(all.c_str(), FindExInfoMaxInfoLevel, &found,
                                    FindExSearchNameMatch, nullptr, 0),
                   FindFirstFileExA(all.c_str(), FindExInfoStandard, &found,
                                    FindExSearchLimitToDevices, nullptr, 0),
                   FindFirstFileExA(all.c_str(), FindExInfoStandard, &found, FindExSearchNameMatch,
                                    &found, 0),
                   FindFirstFileExA(all.c_str(), FindExInfoStandard, &found, FindExSearchNameMatch,
                                    nullptr, FIND_FIRST_EX_CASE_SENSITIVE)}) {
    EXPECT_EQ(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  }
}

TEST_F(Shapes, SortedCopyFailsSpecialFilesAndGoesOn) {
  makeShapes(src());
  // As under Wine, the search never shows the dangling link.
  std::vector<std::string> expected = {
      dst() + "  にコピーします", "a.mp3  成功",    "link.mp3  成功", "null.mp3  失敗",
      "pipe.mp3  失敗",           "sock.mp3  失敗", "z.mp3  成功",    "3 個のファイルが失敗しました",
      done};
  EXPECT_EQ(run(0, false, src()), expected);
  EXPECT_EQ(engine->jobFailures, 3);
  std::vector<std::string> copied = {"a.mp3=a", "link.mp3=a", "z.mp3=z"};
  EXPECT_EQ(tree(dst()), copied);
}

TEST_F(Shapes, PlaylistEntriesThatAreNoFilesFail) {
  makeShapes(src());
  std::string list = "<smil><body><seq>\r\n";
  for (const char* n : {"pipe.mp3", "a.mp3", "sock.mp3", "dangling.mp3", "null.mp3", "link.mp3"})
    list += "<media src=\"" + std::string(n) + "\"/>\r\n";
  writeFile(src() + "\\p.wpl", list + "</seq></body></smil>\r\n");
  std::vector<std::string> expected = {
      dst() + "  にコピーします", "pipe.mp3  失敗",     "a.mp3  成功",
      "sock.mp3  失敗",           "dangling.mp3  失敗", "null.mp3  失敗",
      "link.mp3  成功",           "4 個のファイルが失敗しました", done};
  EXPECT_EQ(run(1, false, src() + "\\p.wpl"), expected);
  EXPECT_EQ(engine->jobFailures, 4);
  std::vector<std::string> copied = {"a.mp3=a", "link.mp3=a"};
  EXPECT_EQ(tree(dst()), copied);
}

// A Linux name may hold "?", the mark put in place of what code page 932 lacks: an M3U
// entry that needed the mark fails, and the file that bears it is not copied instead.
TEST_F(Shapes, M3uEntriesNeverStandInForAFileNamedWithTheMark) {
  for (const char* name : {"caf?.mp3", "a?.mp3", "?.mp3"})
    std::ofstream(host(src()) + "/" + name) << name;
  writeFile(src() + "\\p.m3u8", u8"caf\u00e9.mp3\na\x1b.mp3\n\U0001F3B5.mp3\n");
  std::vector<std::string> expected = {dst() + "  にコピーします", "caf?.mp3  失敗", "a?.mp3  失敗",
                                       "?.mp3  失敗", "3 個のファイルが失敗しました", done};
  EXPECT_EQ(run(1, false, src() + "\\p.m3u8"), expected);
  EXPECT_TRUE(tree(dst()).empty());
}

TEST_F(Shapes, APlaylistThatIsNoFileIsRefusedAtOnce) {
  makeShapes(src());
  for (const char* n : {"pipe.mp3", "sock.mp3", "null.mp3", "dangling.mp3"}) {
    std::vector<std::string> expected = {"リストファイルが開けません", "mp3 ファイルはありません",
                                         done};
    EXPECT_EQ(run(1, false, src() + "\\" + n), expected) << n;
    EXPECT_EQ(engine->jobFailures, 1) << n;
  }
  EXPECT_TRUE(tree(dst()).empty());
}

TEST_F(Shapes, RecursiveWalkNeverEntersAFolderOnItsOwnPath) {
  struct Case {
    const char* what;
    std::vector<const char*> folders;
    std::vector<std::pair<const char*, const char*>> links;  // target, link
    std::vector<std::string> refused;
    std::vector<std::string> copied;
  } cases[] = {
      {"a link to the parent", {"sub"}, {{"..", "sub\\loop"}},
       {"フォルダー loop は上位のフォルダーと同じなのでコピーしません"},
       {"a.mp3=a", "sub/", "sub/b.mp3=b"}},
      {"a link to itself", {"sub"}, {{".", "self"}},
       {"フォルダー self は上位のフォルダーと同じなのでコピーしません"},
       {"a.mp3=a", "sub/", "sub/b.mp3=b"}},
      {"loops two levels down",
       {"sub", "sub\\deep"},
       {{"../..", "sub\\deep\\top"}, {"..", "sub\\deep\\up"}},
       {"フォルダー top は上位のフォルダーと同じなのでコピーしません",
        "フォルダー up は上位のフォルダーと同じなのでコピーしません"},
       {"a.mp3=a", "sub/", "sub/b.mp3=b", "sub/deep/"}},
      {"a link to a sibling is walked once", {"sub", "other"}, {{"../other", "sub\\sibling"}},
       {},
       {"a.mp3=a", "other/", "other/c.mp3=c", "sub/", "sub/b.mp3=b", "sub/sibling/",
        "sub/sibling/c.mp3=c"}},
  };
  for (const Case& c : cases) {
    TempDir root;
    std::string from = root / "in", to = root / "out";
    makeDir(from);
    makeDir(to);
    writeFile(from + "\\a.mp3", "a");
    for (const char* f : c.folders) makeDir(from + "\\" + f);
    writeFile(from + "\\sub\\b.mp3", "b");
    if (pathExists(from + "\\other")) writeFile(from + "\\other\\c.mp3", "c");
    for (const auto& link : c.links) makeLink(link.first, from + "\\" + link.second);
    std::vector<std::string> lines;
    withinSeconds([&] { lines = runJob(0, true, from, to); });
    std::vector<std::string> refused;
    for (const std::string& line : lines)
      if (line.find("上位") != std::string::npos) refused.push_back(line);
    EXPECT_EQ(refused, c.refused) << c.what;
    EXPECT_EQ(engine->jobFailures, static_cast<int>(c.refused.size())) << c.what;
    EXPECT_EQ(tree(to), c.copied) << c.what;
    EXPECT_EQ(lines.back(), done) << c.what;
  }
}

TEST_F(Shapes, ProfilesThatAreNoFilesReadAsEmptyAndAreNotWritten) {
  makeShapes(src());
  // The device is only read: a regression that wrote through the link would replace the
  // machine's /dev/null.
  struct Case {
    const char* name;
    DWORD code;
    bool triesWriting;
  } cases[] = {{"pipe.mp3", ERROR_INVALID_PARAMETER, true},
               {"sock.mp3", ERROR_NO_SUCH_DEVICE, true},
               {"null.mp3", ERROR_INVALID_PARAMETER, false}};
  for (const Case& c : cases) {
    std::string path = src() + "\\" + c.name;
    char value[20] = "?";
    DWORD length = 0, readCode = 0, writeCode = c.code;
    BOOL written = FALSE;
    withinSeconds([&] {
      length = GetPrivateProfileStringA("s", "k", "default", value, sizeof value, path.c_str());
      readCode = GetLastError();
      if (!c.triesWriting) return;
      written = WritePrivateProfileStringA("s", "k", "v", path.c_str());
      writeCode = GetLastError();
    });
    EXPECT_EQ(std::string(value, length), "default") << c.name;
    EXPECT_EQ(readCode, c.code) << c.name;
    EXPECT_FALSE(written) << c.name;
    EXPECT_EQ(writeCode, c.code) << c.name;
  }
  struct stat st;
  ASSERT_EQ(stat(host(src() + "\\pipe.mp3").c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));  // not replaced by a file
}
