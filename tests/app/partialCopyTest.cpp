// Finishing a copy that an interruption left unfinished at the destination: which files
// are finished, what they hold and which write time they carry afterwards, and that the
// dry run foresees each decision.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "engineFixture.h"
#include "testFs.h"

namespace {
const unsigned long long sourceTime = 126000000000000000ULL;  // 2000-04-12
const unsigned long long destTime = 129000000000000000ULL;    // 2009-10-11

bool fileTime(const std::string& path, unsigned long long* set, unsigned long long& got) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  FILETIME t;
  if (set) t = {static_cast<DWORD>(*set), static_cast<DWORD>(*set >> 32)};
  bool ok = (!set || SetFileTime(h, nullptr, nullptr, &t)) && GetFileTime(h, nullptr, nullptr, &t);
  got = static_cast<unsigned long long>(t.dwHighDateTime) << 32 | t.dwLowDateTime;
  CloseHandle(h);
  return ok;
}

unsigned long long stamp(const std::string& path, unsigned long long time) {
  unsigned long long got = 0;
  fileTime(path, &time, got);
  return got;
}

unsigned long long writeTime(const std::string& path) {
  unsigned long long got = 0;
  return fileTime(path, nullptr, got) ? got : 0;
}

// A handle kept open on a file across the job: what it reads afterwards is what was
// written into that same file, not into one made anew under its name.
HANDLE holdOpen(const std::string& path) {
  return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_EXISTING, 0, nullptr);
}

std::string readHeld(HANDLE h) {
  std::string bytes;
  char chunk[4096];
  DWORD got = 0;
  SetFilePointer(h, 0, nullptr, FILE_BEGIN);
  while (ReadFile(h, chunk, sizeof chunk, &got, nullptr) && got) bytes.append(chunk, got);
  CloseHandle(h);
  return bytes;
}

// count bytes that no shift of a chunk repeats: a misplaced chunk shows.
std::string pattern(size_t count) {
  std::string bytes(count, 0);
  for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<char>(1 + (i * 7 + i / 251) % 250);
  return bytes;
}

std::string zeros(size_t count) { return std::string(count, '\0'); }

class PartialCopy : public EngineFixture {};
}  // namespace

TEST_F(PartialCopy, FinishesOnlyAnUnfinishedCopyOfTheSource) {
  const std::string big = pattern(200000);  // over three chunks of the comparison
  const std::string text = "0123456789";
  std::string changed = big;
  changed[150000] = 'x';
  struct Row {
    const char* what;
    std::string source, dest;
    bool finishing;  // the engine's setting; the dialog leaves it off
    bool finished;
  } rows[] = {
      {"empty destination", text, "", true, true},
      {"a strict prefix", text, "01234", true, true},
      {"the source's size with a zero tail", text, "01234" + zeros(5), true, true},
      {"equal", text, text, true, false},
      {"same size, one byte changed", text, "0123x56789", true, false},
      {"longer", text, text + "A", true, false},
      {"a prefix of another file", text, "abcde", true, false},
      {"shorter with a zero tail", text, "01234" + zeros(3), true, false},
      {"zeros, then a byte again", text, "01234" + zeros(4) + "9", true, false},
      {"a source ending in zeros, equal", "01234" + zeros(5), "01234" + zeros(5), true, false},
      {"a source ending in zeros, its prefix", "01234" + zeros(5), "01234" + zeros(2), true, true},
      {"both empty", "", "", true, false},
      {"a prefix over a chunk's end", big, big.substr(0, 70000), true, true},
      {"a zero tail from inside a later chunk", big, big.substr(0, 150000) + zeros(50000), true,
       true},
      {"a zero tail broken in a later chunk", big,
       big.substr(0, 100) + zeros(189900) + "x" + zeros(9999), true, false},
      {"a prefix differing in a later chunk", big, changed.substr(0, 160000), true, false},
      {"a strict prefix, setting off", text, "01234", false, false},
  };
  int index = 0;
  for (const Row& r : rows) {
    std::string row = "row " + std::to_string(index) + " (" + r.what + ")";
    std::string in = tmp / ("in" + std::to_string(index)), out = tmp / ("out" + std::to_string(index));
    ++index;
    makeDir(in);
    makeDir(out);
    writeFile(in + "\\s.mp3", r.source);
    writeFile(out + "\\s.mp3", r.dest);
    ASSERT_EQ(stamp(in + "\\s.mp3", sourceTime), sourceTime) << row;
    ASSERT_EQ(stamp(out + "\\s.mp3", destTime), destTime) << row;
    HANDLE held = holdOpen(out + "\\s.mp3");
    ASSERT_NE(held, INVALID_HANDLE_VALUE) << row;
    engine->finishPartial = r.finishing;
    observed dry = runObserved(true, 0, false, in, out);
    observed real = runObserved(false, 0, false, in, out);
    EXPECT_EQ(dry.log, real.log) << row;
    EXPECT_EQ(dry.failures, real.failures) << row;
    EXPECT_EQ(dry.copied, real.copied) << row;
    ASSERT_EQ(real.log.size(), 4u) << row;
    EXPECT_EQ(real.log[1], r.finished ? "s.mp3  続きをコピーしました" : "s.mp3  失敗") << row;
    EXPECT_EQ(real.log[2], r.finished ? "1 個のファイルをコピーしました" : "1 個のファイルが失敗しました")
        << row;
    EXPECT_EQ(real.failures, r.finished ? 0 : 1) << row;
    std::string after;
    ASSERT_TRUE(readFile(out + "\\s.mp3", after)) << row;
    EXPECT_TRUE(after == (r.finished ? r.source : r.dest)) << row << ": " << after.size() << " bytes";
    EXPECT_EQ(writeTime(out + "\\s.mp3"), r.finished ? sourceTime : destTime) << row;
    EXPECT_TRUE(readHeld(held) == after) << row << ": the file was made anew";
  }
}

// A file the job itself copies earlier holds that source's bytes when a later entry of
// the same name comes: the dry run compares with those, as the copy compares with the file.
TEST_F(PartialCopy, TheDryRunForeseesFilesTheJobWrites) {
  makeTree(tmp.path(), {"lists\\", "lists\\a\\", "lists\\b\\", "lists\\c\\", "out\\"});
  writeFile(tmp / "lists\\a\\x.mp3", "0123");
  writeFile(tmp / "lists\\b\\x.mp3", "0123456789");    // finishes a's copy
  writeFile(tmp / "lists\\c\\x.mp3", "0123456789AB");  // and then b's
  writeFile(tmp / "lists\\a\\y.mp3", "abcdef");
  writeFile(tmp / "lists\\b\\y.mp3", "abc");  // a's copy is longer
  std::string body = "<?wpl version=\"1.0\"?>\r\n<smil><body><seq>\r\n";
  for (const char* e : {"a\\x.mp3", "b\\x.mp3", "a\\y.mp3", "b\\y.mp3", "c\\x.mp3", "c\\x.mp3"})
    body += "<media src=\"" + std::string(e) + "\"/>\r\n";
  writeFile(tmp / "lists\\p.wpl", body + "</seq></body></smil>\r\n");
  engine->finishPartial = true;
  observed dry = runObserved(true, 1, false, tmp / "lists\\p.wpl", tmp / "out");
  observed real = runObserved(false, 1, false, tmp / "lists\\p.wpl", tmp / "out");
  std::vector<std::string> expected = {
      tmp / "out  にコピーします", "a\\x.mp3  成功", "b\\x.mp3  続きをコピーしました",
      "a\\y.mp3  成功", "b\\y.mp3  失敗", "c\\x.mp3  続きをコピーしました", "c\\x.mp3  失敗",
      "2 個のファイルが失敗しました", done};
  EXPECT_EQ(real.log, expected);
  EXPECT_EQ(dry.log, real.log);
  EXPECT_EQ(dry.copied, real.copied);
  std::string x, y;
  EXPECT_TRUE(readFile(tmp / "out\\x.mp3", x) && x == "0123456789AB") << x;
  EXPECT_TRUE(readFile(tmp / "out\\y.mp3", y) && y == "abcdef") << y;
}
