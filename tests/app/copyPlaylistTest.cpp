#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>
#include "copyEngine.h"
#include "engineFixture.h"
#include "copyHelpers.h"
#include "testFs.h"
#include "vlFind.h"

namespace {
std::string media(const std::string& src) { return "      <media src=\"" + src + "\"/>\r\n"; }

// A media line as players write it: the source, then a long list of attributes
// (together about 500 bytes, more than the line converter ever took).
std::string playerMedia(const std::string& src, int track = 1) {
  std::string n = std::to_string(track);
  return "            <media src=\"" + src + "\" albumTitle=\"Greatest Hits &amp; Rarities (Deluxe)\""
         " albumArtist=\"The Artist &amp; Friends\" trackTitle=\"Track " + n + "\""
         " trackArtist=\"The Artist feat. Somebody Else\" duration=\"24" + n + "000\""
         " tid=\"{8D4E6F7A-1B2C-4D3E-9F8A-7B6C5D4E3F2A}\" cid=\"{1A2B3C4D-5E6F-4A8B-9C0D-1E2F3A4B5C6D}\""
         " serviceId=\"{00000000-0000-0000-0000-000000000000}\" genre=\"Rock\""
         " releaseDate=\"2019-04-01\" composer=\"Composer Name\"/>\r\n";
}

std::string playerHead(int count) {
  return "\xEF\xBB\xBF<?wpl version=\"1.0\"?>\r\n<smil>\r\n    <head>\r\n"
         "        <meta name=\"Generator\" content=\"Jukebox 3.1\"/>\r\n"
         "        <meta name=\"ItemCount\" content=\"" + std::to_string(count) + "\"/>\r\n"
         "        <author/>\r\n        <title>" + u8"ドライブ用" + " &amp; more</title>\r\n"
         "    </head>\r\n    <body>\r\n        <seq>\r\n";
}

const char* const playerFoot = "        </seq>\r\n    </body>\r\n</smil>";  // no final line end

// The names in a folder, sorted, with their contents.
std::vector<std::string> folderFiles(const std::string& dir) {
  std::vector<std::string> files;
  vlFind find;
  if (find.findFirst((dir + "\\*.*").c_str(), 255) != 0) return files;
  do {
    std::string name = find.getName(nullptr), bytes;
    if (name != "." && name != ".." && readFile(dir + "\\" + name, bytes)) files.push_back(name + "=" + bytes);
  } while (find.findNext());
  std::sort(files.begin(), files.end());
  return files;
}

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
                    tmp / "abs.mp3  成功", "\\\\srv\\m\\z.mp3  失敗", "a&b.mp3  成功",
                    "../music/x.mp3  失敗", "2 個のファイルが失敗しました"}));
  std::string bytes;
  ASSERT_TRUE(readFile(dst() + "\\朝.mp3", bytes));
  EXPECT_EQ(bytes, "asa");
}

TEST_F(PlaylistCopy, RealPlayerPlaylistWithReferences) {
  makeDir(tmp / "lists\\ソ");  // 0x83 0x5C: the second byte is the separator's
  writeFile(tmp / "music\\Rock & Roll.mp3", "rock");
  writeFile(tmp / "lists\\Don't Stop.mp3", "dont");
  writeFile(tmp / "lists\\It's Mine.mp3", "mine");
  writeFile(tmp / "lists\\ソ\\表.mp3", "hyo");
  writeFile(tmp / "lists\\ソング.mp3", "song");
  writeFile(tmp / "lists\\Tom &amp Jerry.mp3", "tom");
  writeFile(tmp / "abs.mp3", "abs");
  writeFile(tmp / "lists\\clip.wma", "wma");
  std::string tooLong = std::string(310, 'L') + ".mp3";
  std::string body = playerHead(15) + playerMedia("..\\music\\Rock &amp; Roll.mp3", 1) +
                     playerMedia("Don&apos;t Stop.mp3", 2) + playerMedia("clip.wma", 3) +
                     playerMedia("It&#39;s Mine.mp3", 4) + playerMedia(u8"ソ\\表.mp3", 5) +
                     playerMedia("&#x30BD;&#12531;&#x30B0;.mp3", 6) + playerMedia("song.m4a", 7) +
                     playerMedia(tmp / "abs.mp3", 8) + playerMedia("Tom &amp Jerry.mp3", 9) +
                     playerMedia("Say &quot;Hi&quot; &lt;live&gt;.mp3", 10) +
                     playerMedia("..\\music\\Rock &#38; Roll.mp3", 11) + playerMedia(tooLong, 12) +
                     playerMedia("It&#x27;s Mine.MP3", 13) + playerMedia("missing.mp3", 14) +
                     playerMedia("Line&#10;Feed.mp3", 15) + playerFoot;
  EXPECT_EQ(runWith(body),
            expect({"..\\music\\Rock & Roll.mp3  成功", "Don't Stop.mp3  成功", "It's Mine.mp3  成功",
                    "ソ\\表.mp3  成功", "ソング.mp3  成功", tmp / "abs.mp3  成功",
                    "Tom &amp Jerry.mp3  成功", "Say \"Hi\" <live>.mp3  失敗",
                    "..\\music\\Rock & Roll.mp3  失敗", tooLong.substr(0, 299) + "  失敗",
                    "It's Mine.MP3  失敗", "missing.mp3  失敗", "Line?Feed.mp3  失敗",
                    "6 個のファイルが失敗しました"}));
  EXPECT_EQ(folderFiles(dst()),
            (std::vector<std::string>{"Don't Stop.mp3=dont", "It's Mine.mp3=mine",
                                      "Rock & Roll.mp3=rock", "Tom &amp Jerry.mp3=tom",
                                      "abs.mp3=abs", "ソング.mp3=song", "表.mp3=hyo"}));
  EXPECT_EQ(engine->jobFailures, 6);
}

TEST_F(PlaylistCopy, AThousandLongLinesStayWithinTheList) {
  // Entries from 280 to 319 bytes: the longer ones do not fit the path buffers; .wma
  // lines between them do not count.
  std::string body = playerHead(1500);
  std::vector<std::string> expected;
  for (int i = 0; i < copyEngine::maxEntries; ++i) {
    std::string name = std::to_string(1000 + i) + std::string(276 + i % 40, 'x') + ".mp3";
    body += playerMedia(name, i);
    if (i % 2) body += playerMedia(std::to_string(i) + ".wma", i);
    expected.push_back(name.substr(0, 299) + "  失敗");  // too long, or its resolved path is
  }
  expected.push_back("1000 個のファイルが失敗しました");
  EXPECT_EQ(runWith(body + playerFoot), expect(expected));
  const int full = copyEngine::maxEntries;
  EXPECT_EQ(engine->listCount, full);
  // One entry more refuses the playlist as before.
  std::vector<std::string> refused = {"mp3 ファイルが多すぎてリストに入りません。コピーしません", done};
  EXPECT_EQ(runWith(body + playerMedia("one more.mp3") + playerFoot), refused);
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

TEST_F(PlaylistCopy, LongLinesAreNeverSilentlyDropped) {
  writeFile(tmp / "lists\\a.mp3", "a");
  writeFile(tmp / "lists\\b.mp3", "b");
  std::string longName(600, 'n');
  // The line reader cuts at 999 bytes, here inside "<media" and inside the value: the
  // line still gives its entry.
  std::string split = std::string(995, ' ') + "<media src=\"a.mp3\"/>\r\n";
  std::string splitValue = std::string(985, ' ') + "<media src=\"b.mp3\"/>\r\n";
  // A value that does not fit the path buffers is logged as failed, as far as it fits.
  std::string wide = media(longName + ".mp3");
  EXPECT_EQ(runWith(media("a.mp3") + split + splitValue + wide),
            expect({"a.mp3  成功", "a.mp3  失敗", "b.mp3  成功", longName.substr(0, 299) + "  失敗",
                    "2 個のファイルが失敗しました"}));
  EXPECT_EQ(engine->listCount, 4);
  EXPECT_EQ(engine->jobFailures, 2);
}

TEST_F(PlaylistCopy, TooManyEntriesRefuseThePlaylist) {
  std::string body;
  for (int i = 0; i <= copyEngine::maxEntries; ++i) body += media(std::to_string(i) + ".mp3");
  std::vector<std::string> refused = {"mp3 ファイルが多すぎてリストに入りません。コピーしません", done};
  EXPECT_EQ(runWith(body), refused);
  EXPECT_EQ(engine->jobFailures, 1);
}

TEST_F(PlaylistCopy, ResolvedPathsThatDoNotFitFail) {
  std::string relative = std::string(290, 'r') + ".mp3";  // the playlist's folder + this > 299
  std::string absolute = "Z:\\" + std::string(262, 'a') + ".mp3";  // over 260: not a path name
  EXPECT_EQ(runWith(media(relative) + media(absolute)),
            expect({relative + "  失敗", absolute + "  失敗", "2 個のファイルが失敗しました"}));
}

TEST_F(PlaylistCopy, TheDryRunForeseesTheCopy) {
  struct Row {
    std::vector<std::string> entries;
    std::string dest;  // under the temporary folder; made holding here.mp3 unless "missing"
  } rows[] = {
      // 0: one name from two folders, and again
      {{"a\\x.mp3", "b\\x.mp3", "a\\x.mp3"}, "d0"},
      // 1: names that differ in ASCII case only; two that differ in a trail byte ('A', 'a')
      {{"a\\x.mp3", "b\\X.MP3", u8"ア.mp3", u8"ヂ.mp3"}, "d1"},
      // 2: already at the destination, a missing source, a control character, a name too
      // long, the destination's own copy
      {{"here.mp3", "missing.mp3", "a&#10;b.mp3", std::string(300, 'L') + ".mp3", "a\\x.mp3",
        "..\\d2\\x.mp3"},
       "d2"},
      // 3: the destination is missing
      {{"a\\x.mp3", "b\\x.mp3"}, "missing"},
  };
  makeTree(tmp.path(), {"lists\\a\\", "lists\\a\\x.mp3", "lists\\b\\", "lists\\b\\x.mp3",
                        "lists\\here.mp3", "lists\\ア.mp3", "lists\\ヂ.mp3"});
  int index = 0;
  for (const Row& r : rows) {
    std::string body;
    for (const std::string& e : r.entries) body += media(e);
    writeFile(playlist(), body);
    if (r.dest != "missing") makeTree(tmp.path(), {r.dest + "\\", r.dest + "\\here.mp3"});
    expectDryRunForesees("row " + std::to_string(index++), 1, false, playlist(), tmp / r.dest);
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
