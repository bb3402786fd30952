// The playlist copy from M3U playlists: each row is a small playlist as some player
// writes it, run through a whole job into a fresh destination.
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>
#include "copyEngine.h"
#include "engineFixture.h"
#include "testFs.h"

namespace {
// UTF-16 text with its byte-order mark.
std::string utf16(const std::u16string& text, bool bigEndian) {
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (char16_t unit : text) {
    char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
    bytes += bigEndian ? std::string{high, low} : std::string{low, high};
  }
  return bytes;
}

const char* const bom = "\xEF\xBB\xBF";

class M3uCopy : public EngineFixture {
 protected:
  M3uCopy() {
    makeDir(tmp / "lists");
    makeDir(tmp / "lists\\ソ");  // 0x83 0x5C: the second byte is the separator's
    makeDir(tmp / "music");
    for (const char* name : {"lists\\a.mp3", "lists\\b.MP3", "lists\\ソ\\表.mp3", "lists\\a b.mp3",
                             "lists\\x%41.mp3", "lists\\c.wma", "music\\c.mp3", "music\\表.mp3"})
      writeFile(tmp / name, name);
  }
  // The folder as a path without its drive, with forward slashes ("/tmp/x").
  std::string rooted(const std::string& name) const {
    std::string path = (tmp / name).substr(2);
    for (char& c : path)
      if (c == '\\') c = '/';
    return path;
  }
  std::vector<std::string> run(const std::string& listName, const std::string& body, int row) {
    std::string dst = tmp / ("out" + std::to_string(row));
    makeDir(dst);
    writeFile(tmp / ("lists\\" + listName), body);
    std::vector<std::string> lines = runJob(1, false, tmp / ("lists\\" + listName), dst);
    if (!lines.empty() && lines.front() == dst + "  にコピーします") lines.erase(lines.begin());
    if (!lines.empty() && lines.back() == done) lines.pop_back();
    return lines;
  }
};

struct Row {
  const char* what;
  const char* listName;
  std::string body;
  std::vector<std::string> log;  // between the header and the closing line
  const char* base;              // a folder under the test folder, or null
};
}  // namespace

TEST_F(M3uCopy, PlaylistsAsPlayersWriteThem) {
  std::string longName = std::string(320, 'L') + ".mp3";
  std::string longLine = std::string(1200, 'W') + ".mp3";
  const Row rows[] = {
      {"extended, UTF-8 mark, CR LF", "p.m3u8",
       std::string(bom) + "#EXTM3U\r\n#EXTINF:12,Artist - A\r\na.mp3\r\n#EXTINF:-1,B\r\nb.MP3\r\n",
       {"a.mp3  成功", "b.MP3  成功", "2 個のファイルをコピーしました"}, nullptr},
      {"UTF-16 little endian, CR alone, 0x5C second byte", "p.m3u",
       utf16(u"#EXTM3U\r\u30BD\\\u8868.mp3\ra.mp3", false),
       {"ソ\\表.mp3  成功", "a.mp3  成功", "2 個のファイルをコピーしました"}, nullptr},
      {"UTF-16 big endian, LF, forward slashes", "p.M3U",
       utf16(u"\u30BD/\u8868.mp3\n", true), {"ソ\\表.mp3  成功", "1 個のファイルをコピーしました"}, nullptr},
      {"UTF-8 without a mark", "p.m3u", u8"ソ/表.mp3\n",
       {"ソ\\表.mp3  成功", "1 個のファイルをコピーしました"}, nullptr},
      {"code page 932", "p.m3u", "#EXTINF:1,\x95\x5C\r\n\x83\x5C\\\x95\x5C.mp3\r\n",
       {"ソ\\表.mp3  成功", "1 個のファイルをコピーしました"}, nullptr},
      {"blank lines, directives, trailing blanks, last line without an end", "p.m3u",
       "\n  \t\r\n#EXTM3U\n#EXT-X-ENDLIST a.mp3\na.mp3 \t\n\n#b.mp3\nb.MP3",
       {"a.mp3  成功", "b.MP3  成功", "2 個のファイルをコピーしました"}, nullptr},
      {"only .mp3 entries", "p.m3u", "c.wma\r\na.mp3x\r\na.mp3\r\nsong.m4a\r\nMP3\r\n.mp3\r\n",
       {"a.mp3  成功", ".mp3  失敗", "1 個のファイルが失敗しました"}, nullptr},
      {"absolute, rooted and server paths", "p.m3u",
       tmp / "lists\\a.mp3\r\n" + rooted("lists/b.MP3") + "\r\n" + tmp.path().substr(0, 2) +
           rooted("music/c.mp3") + "\r\n\\\\srv\\m\\z.mp3\r\n" +
           (tmp / "music\\c.mp3").substr(2) + "\r\n",
       {tmp / "lists\\a.mp3  成功", tmp / "lists\\b.MP3  成功", tmp / "music\\c.mp3  成功",
        "\\\\srv\\m\\z.mp3  失敗", tmp / "music\\c.mp3  失敗", "2 個のファイルが失敗しました"},
       nullptr},
      {"file: URLs; other schemes are not local", "p.m3u8",
       "file://" + rooted("lists/a%20b.mp3") + "\nhttp://radio.example/a.mp3\n" +
           "FILE://localhost" + rooted("music/%E8%A1%A8.mp3") + "\nfile:" + rooted("lists/a.mp3") +
           "\nfile:///" + tmp.path().substr(0, 2) + rooted("music/c.mp3") + "\nrtsp://x/b.mp3\n" +
           "file://" + tmp.path().substr(0, 2) + rooted("lists/b.MP3") + "\n",
       {tmp / "lists\\a b.mp3  成功", tmp / "music\\表.mp3  成功", tmp / "lists\\a.mp3  成功",
        tmp / "music\\c.mp3  成功", tmp / "lists\\b.MP3  成功", "5 個のファイルをコピーしました"}, nullptr},
      {"escapes in relative entries: as written first", "p.m3u", "x%41.mp3\na%20b.mp3\nq%ZZ.mp3\n",
       {"x%41.mp3  成功", "a b.mp3  成功", "q%ZZ.mp3  失敗", "1 個のファイルが失敗しました"}, nullptr},
      {"relative entries against another folder", "p.m3u", u8"c.mp3\n表.mp3\n../lists/a.mp3\n",
       {"c.mp3  成功", "表.mp3  成功", "..\\lists\\a.mp3  成功", "3 個のファイルをコピーしました"}, "music"},
      {"what code page 932 cannot hold, control characters, invalid text", "p.m3u8",
       std::string(bom) + u8"caf\u00e9.mp3\n\U0001F3B5.mp3\na\x01.mp3\nfile:///a%00.mp3\n\xFF" + "a.mp3\n",
       {"caf?.mp3  失敗", "?.mp3  失敗", "a?.mp3  失敗", "\\a?.mp3  失敗", "?a.mp3  失敗",
        "5 個のファイルが失敗しました"}, nullptr},
      {"a lone surrogate in UTF-16", "p.m3u", utf16(u"\xD800" u"a.mp3\n\xDC00.mp3\na.mp3", false),
       {"?a.mp3  失敗", "?.mp3  失敗", "a.mp3  成功", "2 個のファイルが失敗しました"}, nullptr},
      {"code page 932 that is not (Latin-1)", "p.m3u", "Beyonc\xE9.mp3\r\na.mp3\r\n",
       {"Beyonc?.mp3  失敗", "a.mp3  成功", "1 個のファイルが失敗しました"}, nullptr},
      {"entries longer than the buffers", "p.m3u", longName + "\n" + longLine + "  \n" + longLine + ".txt\n",
       {longName.substr(0, 299) + "  失敗", longLine.substr(0, 299) + "  失敗",
        "2 個のファイルが失敗しました"}, nullptr},
      {"no .mp3 entry", "p.m3u8", "#EXTM3U\r\nhttp://x/a.mp3\r\n", {"mp3 ファイルはありません"}, nullptr},
  };
  int row = 0;
  for (const Row& r : rows) {
    std::strcpy(engine->listBase, r.base ? (tmp / r.base).c_str() : "");
    EXPECT_EQ(run(r.listName, r.body, row), r.log) << "row " << row << ": " << r.what;
    ++row;
  }
}

TEST_F(M3uCopy, ExtensionChoosesTheReader) {
  // The same M3U text named .wpl gives nothing; a Windows Media playlist named .zpl is one.
  EXPECT_EQ(run("p.wpl", "a.mp3\r\n", 0), std::vector<std::string>{"mp3 ファイルはありません"});
  EXPECT_EQ(run("p.zpl", "<media src=\"a.mp3\"/>\r\n", 1),
            (std::vector<std::string>{"a.mp3  成功", "1 個のファイルをコピーしました"}));
  EXPECT_EQ(run("p.m3u8x", "a.mp3\r\n", 2), std::vector<std::string>{"mp3 ファイルはありません"});
}

TEST_F(M3uCopy, AThousandEntriesFitOneMoreIsRefused) {
  std::string body = "#EXTM3U\r\n";
  for (int i = 0; i < copyEngine::maxEntries; ++i) body += "#EXTINF:1,x\r\nmissing" + std::to_string(i) + ".mp3\r\n";
  std::vector<std::string> lines = run("p.m3u", body, 0);
  ASSERT_EQ(lines.size(), static_cast<size_t>(copyEngine::maxEntries) + 1);
  EXPECT_EQ(lines.back(), "1000 個のファイルが失敗しました");
  const int full = copyEngine::maxEntries;
  EXPECT_EQ(engine->listCount, full);
  EXPECT_EQ(run("p.m3u", body + "a.mp3", 1),
            std::vector<std::string>{"mp3 ファイルが多すぎてリストに入りません。コピーしません"});
  EXPECT_EQ(engine->jobFailures, 1);
}
