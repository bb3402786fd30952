#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "folderOrder.h"

namespace {
fatEntry entry(fatEntry::Kind kind, const std::string& shortName,
               const std::u16string& longName = u"", uint32_t slots = 1) {
  fatEntry e;
  e.kind = kind;
  e.shortName = shortName;
  e.longName = longName;
  e.slots = slots;
  return e;
}
fatEntry file(const std::string& shortName, const std::u16string& longName = u"") {
  return entry(fatEntry::Kind::file, shortName, longName);
}
fatEntry gap(uint32_t slots) { return entry(fatEntry::Kind::deleted, "", u"", slots); }

// Each line as "name" with "*" for out of order and "!" for a name that cannot be shown.
std::string lines(const folderOrder& order) {
  std::string text;
  for (const orderLine& line : order.lines) {
    text += text.empty() ? "" : "|";
    text += line.kind == fatEntry::Kind::deleted ? "-" + std::to_string(line.slots) : line.name;
    if (line.outOfOrder) text += "*";
    if (!line.showable) text += "!";
  }
  return text;
}

struct OrderCase {
  const char* what;
  std::vector<fatEntry> entries;
  bool natural;
  std::string expected;
  int music, outOfOrder, deletedBefore;
};
}  // namespace

TEST(FolderOrder, MarksFilesThatComeBeforeAnEarlierOne) {
  const fatEntry dot = entry(fatEntry::Kind::dot, ".");
  const fatEntry sub = entry(fatEntry::Kind::folder, "SUB");
  const OrderCase cases[] = {
      {"in byte order",
       {dot, file("01.mp3"), file("02.mp3"), file("B.MP3"), file("a.mp3")},
       false,
       "01.mp3|02.mp3|B.MP3|a.mp3",
       4,
       0,
       0},
      {"new files in freed slots; the largest so far is the reference",
       {file("01.mp3"), file("07.mp3"), file("03.mp3"), gap(2), file("05.mp3"), file("08.mp3")},
       false,
       "01.mp3|07.mp3|03.mp3*|-2|05.mp3*|08.mp3",
       5,
       2,
       2},
      {"deleted slots after the last entry are not counted",
       {gap(1), file("1.mp3"), sub, gap(3)},
       false,
       "-1|1.mp3|SUB|-3",
       1,
       0,
       1},
      {"only music files are compared",
       {file("b.mp3"), file("a.jpg"), sub, file("c.mp3")},
       false,
       "b.mp3|a.jpg|SUB|c.mp3",
       2,
       0,
       0},
      {"byte order puts 10 before 9",
       {file("9.mp3"), file("10.mp3")},
       false,
       "9.mp3|10.mp3*",
       2,
       1,
       0},
      {"natural order puts 9 before 10",
       {file("9.mp3"), file("10.mp3")},
       true,
       "9.mp3|10.mp3",
       2,
       0,
       0},
      {"Japanese long names in code page 932",
       {file("01_~1.MP3", u"01 朝.mp3"), file("10_~1.MP3", u"10 夜のソング.mp3"),
        file("2.MP3", u"2 昼.mp3")},
       true,
       "01 朝.mp3|10 夜のソング.mp3|2 昼.mp3*",
       3,
       1,
       0},
      {"names code page 932 cannot show",
       {file("CAFE~1.MP3", u"caf\u00e9.mp3"), file("A~1.MP3", u"a\nb.mp3"),
        file("X~1.MP3", u"x\u0e01.mp3")},
       false,
       "cafe.mp3!|a?b.mp3*!|x?.mp3!",
       3,
       1,
       0},
  };
  for (const OrderCase& c : cases) {
    folderOrder order = checkFolderOrder(c.entries, c.natural);
    EXPECT_EQ(lines(order), c.expected) << c.what;
    EXPECT_EQ(order.musicFiles, c.music) << c.what;
    EXPECT_EQ(order.outOfOrder, c.outOfOrder) << c.what;
    EXPECT_EQ(order.deletedBefore, c.deletedBefore) << c.what;
  }
}

TEST(FolderOrder, NamesMatchWithoutRegardToAsciiCase) {
  const fatEntry live = file("LIVE~1", u"ライブ Live");
  const fatEntry katakana = file("A~1", u"ア");  // 0x83 0x41: the trail byte is an 'A'
  EXPECT_TRUE(entryNameMatches(live, "ライブ live"));
  EXPECT_TRUE(entryNameMatches(live, "live~1"));
  EXPECT_FALSE(entryNameMatches(live, "ライブ"));
  EXPECT_TRUE(entryNameMatches(katakana, "\x83\x41"));
  EXPECT_FALSE(entryNameMatches(katakana, "\x83\x61"));
}
