// Taking the entry out of a playlist line: the line rules, the decoding of references,
// the conversion to code page 932, the buffers' limits, and lines fed in pieces.
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include "mediaLine.h"

namespace {
struct Taken {
  mediaLine::result found;
  std::string entry;
};

Taken takeLine(const std::string& line) {
  mediaLine m;
  m.feed(line.data(), line.size());
  char out[mediaLine::entryBytes];
  std::memset(out, 'j', sizeof out);
  Taken t{m.take(out), ""};
  if (t.found != mediaLine::noEntry) t.entry = out;
  return t;
}

std::string repeat(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

const std::string attributesAfter =
    " albumTitle=\"Album &amp; Co\" albumArtist=\"Artist\" trackTitle=\"Song\""
    " duration=\"245000\" tid=\"{8D4E6F7A-1B2C-4D3E-9F8A-7B6C5D4E3F2A}\"/>";

std::string longLine(const std::string& value) {
  return "    <media src=\"" + value + "\"" + attributesAfter + attributesAfter;
}
}  // namespace

TEST(mediaLine, LineRulesReferencesAndConversion) {
  const auto none = mediaLine::noEntry, entry = mediaLine::entry, tooLong = mediaLine::tooLong,
             badName = mediaLine::badName;
  struct Row {
    std::string line;  // UTF-8, as in the playlist
    mediaLine::result found;
    std::string entry;  // code page 932
  } rows[] = {
      // 0: the line rules as before
      {"<media src=\"..\\Music\\Artist\\01 Song.mp3\" tid=\"{x}\"/>", entry, "..\\Music\\Artist\\01 Song.mp3"},
      {"<media src=\"clip.wma\"/>", none, ""},
      {"<media src=\"clip.m4a\"" + attributesAfter, none, ""},
      {"<seq src=\"a.mp3\"/>", none, ""},
      {"<MEDIA src=\"a.mp3\"/>", none, ""},
      {"<media SRC=\"a.mp3\"/>", none, ""},
      {"<media src=\"a.MP3\"/>", entry, "a.MP3"},
      {"<media src=\"a.mp3x\"/>", none, ""},
      {"<media src=\"a.mp3", none, ""},
      {"<media src=", none, ""},
      // 10
      {"<media src='a.mp3' b=\"c\"", none, ""},
      {"<media src='x.mp3 y.mp3\"", entry, "x.mp3 y.mp3"},
      {"x src=\"first.mp3\" <media src=\"second.mp3\"", entry, "first.mp3"},
      {"<media src=\"one.mp3\"/><media src=\"two.mp3\"/>", entry, "one.mp3"},
      {"<media src=\".mp3\"/>", entry, ".mp3"},
      {"<media src=\"mp3\"/>", none, ""},
      {"<<media ssrc=\"a.mp3\"/>", entry, "a.mp3"},
      // 17: entities and numeric references, decoded before the ending is tested
      {"<media src=\"Rock &amp; Roll.mp3\"" + attributesAfter, entry, "Rock & Roll.mp3"},
      {"<media src=\"Don&apos;t Stop.mp3\"/>", entry, "Don't Stop.mp3"},
      {"<media src=\"&lt;&quot;x&quot;&gt;.mp3\"/>", entry, "<\"x\">.mp3"},
      // 20
      {"<media src=\"Don&#39;t &#x27;n&#X27;.mp3\"/>", entry, "Don't 'n&#X27;.mp3"},
      {"<media src=\"a&#x2E;mp3\"/>", entry, "a.mp3"},
      {"<media src=\"a.mp3&amp;.wma\"/>", none, ""},
      {"<media src=\"a.wma&#46;mp3\"/>", entry, "a.wma.mp3"},
      {"<media src=\"&amp;amp;&nbsp;&#;&#x;&#0;&#65a;&#xD800;&#1114112;& ;&.mp3\"/>", entry,
       "&amp;&nbsp;&#;&#x;&#0;&#65a;&#xD800;&#1114112;& ;&.mp3"},
      {"<media src=\"&#0000000000000000000039;.mp3\"/>", entry, "'.mp3"},
      // 26: outside ASCII: code page 932, or the substitute character
      {"<media src=\"&#x30BD;&#12477;\xE3\x82\xBD.mp3\"/>", entry, "ソソソ.mp3"},
      // no character of 932 (U+1F3B5, U+301C): "?" each, and never looked for
      {"<media src=\"&#x1F3B5;&#x301C;\xE3\x80\x9C.mp3\"/>", badName, std::string(3, '?') + ".mp3"},
      {u8"<media src=\"..\\表\\ソ.mp3\"/>", entry, "..\\表\\ソ.mp3"},
      {"\xEF\xBB\xBF<media src=\"bom.mp3\"/>", entry, "bom.mp3"},
      // 30: the value alone decides; 299 bytes fit, 300 do not and show as much as fits
      {longLine(repeat("a", 295) + ".mp3"), entry, repeat("a", 295) + ".mp3"},
      {longLine(repeat("a", 296) + ".mp3"), tooLong, repeat("a", 296) + ".mp"},
      {longLine(repeat("x", 100) + repeat("&lt;", 195) + ".mp3"), entry,  // 884 bytes as written
       repeat("x", 100) + repeat("<", 195) + ".mp3"},
      {longLine("a" + repeat(u8"ソ", 200) + ".mp3"), tooLong, "a" + repeat("ソ", 149)},  // whole characters
      {longLine(repeat("b", 296) + ".wma"), none, ""},
      // 35: longer than a line buffer: the tail tells the ending, the head is shown
      {longLine(repeat("b", 3000) + "&#46;mp3"), tooLong, repeat("b", 299)},
      {longLine(repeat("b", 3000) + ".wma"), none, ""},
      // the buffer ends inside a character (byte 999), which is left out
      {longLine(repeat("&lt;", 240) + repeat("c", 38) + u8"表" + repeat("c", 900) + ".mp3"), tooLong,
       repeat("<", 240) + repeat("c", 38)},
      // 38: no Windows name holds a control character; the log shows it as '?'
      {"<media src=\"a&#10;b.mp3\"/>", badName, "a?b.mp3"},
      // a NUL fed with the line does not end the conversion early
      {std::string("<media src=\"a\0b.mp3\"/>", 22), badName, "a?b.mp3"},
      // Not in code page 932: a look-alike ("e", "\\") would name another file.
      {"<media src=\"caf\xC3\xA9 &#165;.mp3\"/>", badName, "caf? ?.mp3"},
  };
  int index = 0;
  for (const Row& r : rows) {
    Taken t = takeLine(r.line);
    EXPECT_EQ(t.found, r.found) << "row " << index << ": " << r.line;
    EXPECT_EQ(t.entry, r.entry) << "row " << index;
    ++index;
  }
}

TEST(mediaLine, PiecesGiveTheSameEntryWhereverTheLineIsCut) {
  const std::string lines[] = {
      "      <media src=\"..\\Music\\Rock &amp; Roll.mp3\"" + attributesAfter,
      "x src=\"first.mp3\" <media src=\"second.mp3\"",
      "<media src=\"" + std::string(1200, 'z') + ".mp3\"/>",
  };
  for (const std::string& line : lines) {
    Taken whole = takeLine(line);
    for (size_t cut = 0; cut <= line.size(); cut += 7) {
      mediaLine m;
      m.feed(line.data(), cut);
      m.feed(line.data() + cut, line.size() - cut);
      char out[mediaLine::entryBytes] = "";
      EXPECT_EQ(m.take(out), whole.found) << line << " cut at " << cut;
      EXPECT_EQ(whole.found == mediaLine::noEntry ? "" : out, whole.entry) << line << " cut at " << cut;
    }
  }
}
