#include <gtest/gtest.h>
#include <cstring>
#include <memory>
#include <string>
#include <vector>
#include "copyEngine.h"
#include "engineFixture.h"
#include "copyHelpers.h"
#include "testFs.h"

namespace {
std::string media(const std::string& src) { return "      <media src=\"" + src + "\"/>\r\n"; }

class PlaylistCopy : public EngineFixture {
 protected:
  PlaylistCopy() {
    makeDir(tmp / "lists");
    makeDir(tmp / "music");
    makeDir(dst());
  }
  std::string dst() const { return tmp / "out"; }
  std::string playlist() const { return tmp / "lists\\p.wpl"; }
  std::vector<std::string> run(const std::string& listPath) { return runJob(1, false, listPath, dst()); }
  std::vector<std::string> runWith(const std::string& body) {
    writeFile(playlist(), body);
    return run(playlist());
  }
  std::vector<std::string> expect(std::vector<std::string> body) {
    body.insert(body.begin(), dst() + "  にコピーします");
    body.push_back(done);
    return body;
  }
};
}  // namespace

TEST_F(PlaylistCopy, KeepsPlaylistOrderAndSkipsOtherEntries) {
  for (const char* n : {"a.mp3", "b.MP3", "c.wma"}) writeFile(tmp / ("lists\\" + std::string(n)), n);
  std::string body = "<?wpl version=\"1.0\"?>\r\n<smil><body><seq>\r\n" + media("b.MP3") +
                     media("a.mp3") + media("c.wma") + media("a.mp3") +
                     "</seq></body></smil>\r\n";
  EXPECT_EQ(runWith(body), expect({"b.MP3  成功", "a.mp3  成功", "a.mp3  失敗",
                                   "1 個のファイルが失敗しました"}));
  std::string bytes;
  ASSERT_TRUE(readFile(dst() + "\\b.MP3", bytes));
  EXPECT_EQ(bytes, "b.MP3");
  EXPECT_EQ(engine->listCount, 3);
  EXPECT_EQ(engine->jobFailures, 1);
}

TEST_F(PlaylistCopy, PlaylistAsPlayersWriteIt) {
  writeFile(tmp / "music\\x.mp3", "x");
  makeDir(tmp / "lists\\Sub");
  writeFile(tmp / "lists\\Sub\\朝.mp3", "asa");
  writeFile(tmp / "lists\\A.MP3", "A");
  writeFile(tmp / "abs.mp3", "abs");
  writeFile(tmp / "lists\\a&b.mp3", "amp");
  // A byte-order mark, CRLF line ends, Japanese names in UTF-8, relative, absolute,
  // network and entity entries, and a last line without a line end.
  std::string body = "\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n" + media("..\\music\\x.mp3") +
                     media(u8"Sub\\朝.mp3") + media("A.MP3") + media(tmp / "abs.mp3") +
                     media("\\\\srv\\m\\z.mp3") + media("a&amp;b.mp3") +
                     "<MEDIA src=\"A.MP3\"/>\r\n<media SRC=\"A.MP3\"/>\r\n" +
                     "<head src=\"A.MP3\"/>\r\n<media src='A.MP3'/>\n" +
                     "<media src=\"x.mp3x\"/>\r<media src=\"../music/x.mp3\"/>";
  EXPECT_EQ(runWith(body),
            expect({"..\\music\\x.mp3  成功", "Sub\\朝.mp3  成功", "A.MP3  成功",
                    tmp / "abs.mp3  成功", "\\\\srv\\m\\z.mp3  失敗", "a&amp;b.mp3  失敗",
                    "../music/x.mp3  失敗", "3 個のファイルが失敗しました"}));
  std::string bytes;
  ASSERT_TRUE(readFile(dst() + "\\朝.mp3", bytes));
  EXPECT_EQ(bytes, "asa");
}

TEST_F(PlaylistCopy, NamesAreFoundWithoutRegardToCase) {
  makeDir(tmp / "lists\\Music");
  writeFile(tmp / "lists\\Music\\song.mp3", "song");
  writeFile(tmp / "lists\\Music\\other.mp3", "other");
  writeFile(dst() + "\\OTHER.MP3", "kept");
  EXPECT_EQ(runWith(media("music\\SONG.MP3") + media("MUSIC\\other.mp3")),
            expect({"music\\SONG.MP3  成功", "MUSIC\\other.mp3  失敗",
                    "1 個のファイルが失敗しました"}));
  std::string bytes;
  ASSERT_TRUE(readFile(dst() + "\\OTHER.MP3", bytes));
  EXPECT_EQ(bytes, "kept");
}

TEST_F(PlaylistCopy, UnreadableOrEmptyPlaylists) {
  std::vector<std::string> cannotOpen = {"リストファイルが開けません", "mp3 ファイルはありません", done};
  EXPECT_EQ(run(tmp / "missing.wpl"), cannotOpen);
  EXPECT_EQ(engine->jobFailures, 1);
  EXPECT_EQ(run(""), cannotOpen);
  std::vector<std::string> noMusic = {"mp3 ファイルはありません", done};
  EXPECT_EQ(runWith(""), noMusic);
  EXPECT_EQ(runWith("<smil>\r\n<media src=\"a.wma\"/>\r\n</smil>"), noMusic);
  EXPECT_EQ(engine->jobFailures, 0);
}

TEST_F(PlaylistCopy, BinaryJunkAndInvalidTextGiveNoEntry) {
  std::string junk;
  unsigned state = 12345;
  for (int i = 0; i < 20000; ++i) {
    state = state * 1103515245u + 12345u;
    junk += static_cast<char>(state >> 16);
  }
  std::vector<std::string> lines = runWith(junk);
  EXPECT_EQ(lines.back(), done);
  // Invalid UTF-8 becomes a substitute character: that file cannot be found.
  writeFile(tmp / "lists\\ok.mp3", "ok");
  EXPECT_EQ(runWith(media("\xFF\xFEok.mp3") + media("ok.mp3")),
            expect({"??ok.mp3  失敗", "ok.mp3  成功", "1 個のファイルが失敗しました"}));
}

TEST_F(PlaylistCopy, OverlongLinesGiveNoStaleOrPartialEntry) {
  writeFile(tmp / "lists\\a.mp3", "a");
  std::string longName(600, 'n');
  // 999 bytes are read as one line: here "<media" is cut apart, so neither piece counts.
  std::string split = std::string(995, ' ') + "<media src=\"a.mp3\"/>\r\n";
  // This line reads whole but needs more than 499 bytes once converted.
  std::string wide = media(longName + ".mp3");
  EXPECT_EQ(runWith(media("a.mp3") + split + wide),
            expect({"a.mp3  成功", "1 個のファイルをコピーしました"}));
  EXPECT_EQ(engine->listCount, 1);
}

TEST_F(PlaylistCopy, TooManyEntriesRefuseThePlaylist) {
  std::string body;
  for (int i = 0; i <= copyEngine::maxEntries; ++i) body += media(std::to_string(i) + ".mp3");
  std::vector<std::string> refused = {"mp3 ファイルが多すぎてリストに入りません。コピーしません", done};
  EXPECT_EQ(runWith(body), refused);
  EXPECT_EQ(engine->jobFailures, 1);
  // 900 entries of 470 bytes pass the count but not the 400000 bytes of names.
  body.clear();
  for (int i = 0; i < 900; ++i) body += media(std::to_string(100 + i) + std::string(463, 'x') + ".mp3");
  EXPECT_EQ(runWith(body), refused);
}

TEST_F(PlaylistCopy, ResolvedPathsThatDoNotFitFail) {
  std::string relative = std::string(290, 'r') + ".mp3";  // the playlist's folder + this > 299
  std::string absolute = "Z:\\" + std::string(262, 'a') + ".mp3";  // over 260: not a path name
  EXPECT_EQ(runWith(media(relative) + media(absolute)),
            expect({relative + "  失敗", absolute + "  失敗", "2 個のファイルが失敗しました"}));
}

TEST(cutMP3name, TakesTheSourceValue) {
  struct Row {
    const char* line;
    const char* entry;  // null: no entry
  } rows[] = {
      {"<media src=\"..\\Music\\Artist\\01 Song.mp3\" tid=\"{x}\"/>", "..\\Music\\Artist\\01 Song.mp3"},
      {"<media src=\"clip.wma\"/>", nullptr},
      {"<seq src=\"a.mp3\"/>", nullptr},
      {"<media src=\"a.MP3\"/>", "a.MP3"},
      {"<media src=\"a.mp3x\"/>", nullptr},
      {"<media src=\"a.mp3", nullptr},
      {"<media src=", nullptr},
      // In single quotes the candidate runs to the next double quote.
      {"<media src='a.mp3' b=\"c\"", nullptr},
      {"<media src='x.mp3 y.mp3\"", "x.mp3 y.mp3"},
      {"x src=\"first.mp3\" <media src=\"second.mp3\"", "first.mp3"},
      {"<media src=\".mp3\"/>", ".mp3"},
      {"<media src=\"mp3\"/>", nullptr},
  };
  for (const Row& r : rows) {
    char line[200], out[200] = "untouched";
    std::strcpy(line, r.line);
    EXPECT_EQ(cutMP3name(line, out), r.entry != nullptr) << r.line;
    EXPECT_STREQ(out, r.entry ? r.entry : "untouched") << r.line;
  }
}

TEST(checkFilename, ResolvesAgainstThePlaylistFolder) {
  struct Row {
    const char* entry;
    const char* resolved;
  } rows[] = {
      {"..\\Music\\x.mp3", "C:\\Lists\\..\\Music\\x.mp3"},
      {"E:\\y.mp3", "E:\\y.mp3"},
      {"e:y.mp3", "e:y.mp3"},
      {"\\\\srv\\m\\z.mp3", "\\\\srv\\m\\z.mp3"},
      {"\\Music\\w.mp3", "C:\\Lists\\\\Music\\w.mp3"},
      {"1:x.mp3", "C:\\Lists\\1:x.mp3"},
  };
  char listDir[] = "C:\\Lists\\";
  for (const Row& r : rows) {
    char out[300], entry[300];
    std::strcpy(entry, r.entry);
    EXPECT_TRUE(checkFilename(out, listDir, entry)) << r.entry;
    EXPECT_STREQ(out, r.resolved) << r.entry;
  }
  char out[300], entry[300];
  std::strcpy(entry, std::string(295, 'x').c_str());
  EXPECT_FALSE(checkFilename(out, listDir, entry));
  EXPECT_STREQ(out, "");
}
