#include <gtest/gtest.h>
#include <climits>
#include <functional>
#include <memory>
#include <string>
#include <vector>
#include "testFs.h"
#include "vlFileStream.h"
#include "vlJstring.h"

namespace {
// Two-byte characters whose second byte is 0x5C, the byte of a backslash.
const char* const HYO = "\x95\x5C";  // 表
const char* const SO = "\x83\x5C";   // ソ

const unsigned char* bytes(const std::string& s) {
  return reinterpret_cast<const unsigned char*>(s.c_str());
}

std::string text(vlJString& s) {
  std::vector<unsigned char> out(s.toByte(nullptr) + 1, 0x7F);
  int n = s.toByte(out.data());
  EXPECT_EQ(out[n], 0);
  return std::string(reinterpret_cast<char*>(out.data()), n);
}

void store(vlJString& s, const std::string& t) { s.storeString(bytes(t)); }
}  // namespace

TEST(vlJString, PairingRuleAndRoundTrip) {
  struct Row {
    std::string in;
    std::vector<jchar> codes;
  } rows[] = {
      {"\x82\xA0" "A", {0x82A0, 0x41}},
      {"\xB1" "A", {0xB141}},           // half-width katakana pairs with what follows
      {"ab\x82", {'a', 'b', 0x82}},      // a lone lead byte at the end stands alone
      {std::string(HYO) + "\\", {0x955C, 0x5C}},
      {"\x81\x5C\x5C\x5C", {0x815C, 0x5C, 0x5C}},  // a byte below 0x80 never leads
      {"", {}},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(vlJString::length(bytes(r.in)), int(r.codes.size())) << r.in;
    std::vector<jchar> codes(r.in.size() + 1, 0xEEEE);
    int n = vlJString::byte2jchar(bytes(r.in), codes.data());
    codes.resize(n);
    EXPECT_EQ(codes, r.codes) << r.in;
    EXPECT_EQ(vlJString::byteLength(codes.data(), n), int(r.in.size()));
    std::vector<unsigned char> back(r.in.size() + 2, 0x7F);
    EXPECT_EQ(vlJString::jchar2byte(codes.data(), n, back.data()), int(r.in.size()));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(back.data())), r.in);
    vlJString s;
    store(s, r.in);
    EXPECT_EQ(s.charCount, n);
    EXPECT_EQ(text(s), r.in);
  }
  EXPECT_EQ(vlJString::length(nullptr), 0);
}

TEST(vlJString, EditsCountCharactersNotBytes) {
  const std::string five = std::string(HYO) + SO + "\\ab";  // 表ソ\ab
  struct Row {
    const char* what;
    std::string start;
    std::function<int(vlJString&)> edit;
    std::string expected;
    int result;
  } rows[] = {
      {"insert text at 0", "ab", [](vlJString& s) { s.insert(0, bytes(HYO)); return 0; },
       std::string(HYO) + "ab", 0},
      {"insert at the end appends", five, [](vlJString& s) { s.insert(5, bytes("!")); return 0; },
       five + "!", 0},
      {"insert past the end", five, [](vlJString& s) { s.insert(6, bytes("!")); return 0; }, five, 0},
      {"insert before 0", five, [](vlJString& s) { s.insert(-1, bytes("!")); return 0; }, five, 0},
      {"insert code twice", "ab", [](vlJString& s) { s.insert(1, 0x955C, 2); return 0; },
       std::string("a") + HYO + HYO + "b", 0},
      {"insert code 0 times", "ab", [](vlJString& s) { s.insert(1, 0x955C, 0); return 0; }, "ab", 0},
      {"insert codes", "ab",
       [](vlJString& s) { jchar c[] = {0x835C, '\\'}; s.insert(2, c, 2); return 0; },
       std::string("ab") + SO + "\\", 0},
      {"insert rest of other", "ab",
       [&](vlJString& s) { vlJString o; store(o, five); s.insert(1, &o, 1, -1); return 0; },
       std::string("a") + SO + "\\abb", 0},
      {"insert count cut at the source end", "ab",
       [&](vlJString& s) { vlJString o; store(o, five); s.insert(2, &o, 3, 99); return 0; },
       "abab", 0},
      {"insert from past the source end", "ab",
       [&](vlJString& s) { vlJString o; store(o, five); s.insert(0, &o, 6, -1); return 0; }, "ab", 0},
      {"insert count 0 of other", "ab",
       [&](vlJString& s) { vlJString o; store(o, five); s.insert(0, &o, 0, 0); return 0; }, "ab", 0},
      {"insert itself", std::string("a") + HYO,
       [](vlJString& s) { s.insert(1, &s, 0, -1); return 0; },
       std::string("a") + "a" + HYO + HYO, 0},
      {"append code, text, codes, other", HYO,
       [](vlJString& s) {
         jchar c[] = {'x'};
         vlJString o;
         store(o, SO);
         s.append('\\', 1);
         s.append(bytes("y"));
         s.append(c, 1);
         s.append(c, -1);
         s.append(&o);
         return 0;
       },
       std::string(HYO) + "\\yx" + SO, 0},
      {"replace 3 at the last makes it 2 longer", "ab",
       [](vlJString& s) { s.replace(1, bytes("\x95\x5C\x95\x5C\x95\x5C")); return 0; },
       std::string("a") + HYO + HYO + HYO, 0},
      {"replace a two-byte character", five, [](vlJString& s) { s.replace(1, 'x', 1); return 0; },
       std::string(HYO) + "x\\ab", 0},
      {"replace at the end appends", "ab", [](vlJString& s) { s.replace(2, 0x835C, 1); return 0; },
       std::string("ab") + SO, 0},
      {"replace past the end", "ab", [](vlJString& s) { s.replace(3, 'x', 1); return 0; }, "ab", 0},
      {"replace with part of itself", "abcd",
       [](vlJString& s) { s.replace(2, &s, 0, 3); return 0; }, "ababc", 0},
      {"erase cuts the tail", five, [](vlJString& s) { return s.erase(2, 100); },
       std::string(HYO) + SO, 0},
      {"erase in the middle", five, [](vlJString& s) { return s.erase(1, 2); },
       std::string(HYO) + "ab", 0},
      {"erase at the end", five, [](vlJString& s) { return s.erase(5, 1); }, five, 0},
      {"erase before 0", five, [](vlJString& s) { return s.erase(-1, 1); }, five, -1},
      {"erase a negative count", five, [](vlJString& s) { return s.erase(1, -1); }, five, -1},
      {"upper case: ASCII only, paired bytes skipped", "a\xB1" "b" "c{\x82\x81",
       [](vlJString& s) { s.toUpper(); return 0; }, "A\xB1" "bC{\x82\x81", 0},
      {"lower case", std::string("AZ") + HYO, [](vlJString& s) { s.toLower(); return 0; },
       std::string("az") + HYO, 0},
      {"store replaces", five, [](vlJString& s) { store(s, "q"); return 0; }, "q", 0},
      {"huge counts are refused", "ab",
       [](vlJString& s) {
         s.insert(1, 'x', INT_MAX);
         s.replace(1, 'x', INT_MAX);
         s.append('x', vlJString::MaxChars);
         return 0;
       },
       "ab", 0},
  };
  for (const Row& r : rows) {
    vlJString s;
    store(s, r.start);
    EXPECT_EQ(r.edit(s), r.result) << r.what;
    EXPECT_EQ(text(s), r.expected) << r.what;
    EXPECT_EQ(s.charCount, vlJString::length(bytes(r.expected))) << r.what;
  }
}

TEST(vlJString, GrowsPast64And128ByAtLeast64) {
  vlJString s;
  EXPECT_EQ(s.capacity, 64);
  s.append(0x955C, 64);
  EXPECT_EQ(s.data, s.localBuffer);
  s.append('a', 1);
  EXPECT_EQ(s.capacity, 128);
  EXPECT_EQ(s.data, s.heapBuffer);
  s.append('b', 64);
  EXPECT_EQ(s.capacity, 192);  // 129 needed: one more step of 64
  s.insert(0, &s, 0, -1);       // grows while copying from itself
  EXPECT_EQ(s.charCount, 258);
  EXPECT_EQ(s.capacity, 258);
  EXPECT_EQ(s.data[0], 0x955C);
  EXPECT_EQ(s.data[129], 0x955C);
  EXPECT_EQ(s.data[257], 'b');
  EXPECT_EQ(s.byteLength(), 2 * (64 * 2 + 65));
  EXPECT_FALSE(s.checkAlloc(vlJString::MaxChars + 1));
  s.clearHeap();
  EXPECT_EQ(s.charCount, 0);
  EXPECT_EQ(s.data, s.localBuffer);
  EXPECT_EQ(s.heapBuffer, nullptr);

  vlJString once;
  once.append('z', 200);
  EXPECT_EQ(once.capacity, 200);
  once.storeString(bytes("x"));  // the buffer stays
  EXPECT_EQ(once.capacity, 200);
  EXPECT_EQ(text(once), "x");
}

TEST(vlJString, SubString) {
  const std::string five = std::string(HYO) + "abc" + SO;
  struct Row {
    int index, count;
    const char* expected;  // null: no string
  } rows[] = {
      {5, 3, ""}, {1, 3, "abc"}, {3, -1, "c\x83\x5C"}, {3, INT_MAX, "c\x83\x5C"},
      {0, 0, ""}, {9, 1, ""},    {-1, 3, nullptr},
  };
  vlJString s;
  store(s, five);
  for (const Row& r : rows) {
    std::unique_ptr<vlJString> part(s.subString(r.index, r.count));
    if (!r.expected) {
      EXPECT_EQ(part, nullptr) << r.index;
      continue;
    }
    ASSERT_NE(part, nullptr) << r.index;
    EXPECT_EQ(text(*part), r.expected) << r.index << "," << r.count;
  }
}

TEST(vlJString, FindCodesAndParts) {
  struct CodeRow {
    std::string in;
    jchar code;
    int index, count;
    bool fold;
    int expected;
  } codeRows[] = {
      {"abc", 'c', 0, -1, false, 2},
      {"xa", 'A', 0, -1, true, 1},
      {"xa", 'A', 0, -1, false, -1},
      {"abc", 'c', 0, 2, false, -1},
      {"abc", 'a', 1, 99, false, -1},
      {"abc", 'a', 3, -1, false, -1},
      {"abc", 'a', -1, -1, false, -1},
      {HYO, '\\', 0, -1, false, -1},  // a second byte is no character
      {std::string("a") + HYO, 0x955C, 0, -1, false, 1},
  };
  for (const CodeRow& r : codeRows) {
    vlJString s;
    store(s, r.in);
    EXPECT_EQ(s.find(r.code, r.index, r.count, r.fold), r.expected) << r.in << " " << r.code;
  }

  struct PartRow {
    std::string in;
    int index, count;
    std::string pattern;
    int patternIndex, patternCount;
    bool fold;
    int expected;
  } partRows[] = {
      {"ab", 0, -1, "ab", 0, -1, false, 0},
      {"xxAbab", 0, -1, "ab", 0, -1, true, 2},
      {"xxAbab", 0, -1, "ab", 0, -1, false, 4},
      {"xxabab", 3, -1, "ab", 0, -1, false, 4},
      {"xxabab", 0, 3, "ab", 0, -1, false, -1},
      {"xxabab", 0, 4, "ab", 0, -1, false, 2},
      {"abc", 0, -1, "zbc", 1, 99, false, 1},
      {"abc", 0, -1, "ab", 2, -1, false, -1},
      {"abc", 0, -1, "ab", -1, 1, false, -1},
      {"abc", 5, -1, "a", 0, -1, false, -1},
      {std::string("\\") + HYO + "\\", 0, -1, std::string(HYO) + "\\", 0, -1, false, 1},
  };
  for (const PartRow& r : partRows) {
    vlJString s, p;
    store(s, r.in);
    store(p, r.pattern);
    EXPECT_EQ(s.find(r.index, r.count, &p, r.patternIndex, r.patternCount, r.fold), r.expected)
        << r.in << " / " << r.pattern;
  }
}

TEST(vlJString, Compare) {
  struct Row {
    std::string a;
    int index, count;
    std::string b;
    int otherIndex, otherCount;
    bool fold;
    int expected;
  } rows[] = {
      {"abc", 0, -1, "abd", 0, -1, false, 'c' - 'd'},
      {"ab", 0, -1, "abc", 0, -1, false, -1},
      {"ABC", 0, -1, "abc", 0, -1, true, 0},
      {"ABC", 0, -1, "abc", 0, -1, false, 'A' - 'a'},
      {HYO, 0, -1, "\\", 0, -1, false, 0x955C - 0x5C},
      {"\\", 0, -1, HYO, 0, -1, false, 0x5C - 0x955C},
      {"ab", 0, 5, "ab", 0, 5, false, 0},   // requested lengths, not what is held
      {"ab", 0, 2, "abc", 0, 3, false, -1},
      {"xab", 1, 2, "ab", 0, -1, false, 0},
      {"ab", -2, 1, "ab", 3, 1, false, -5},
      {"ab", INT_MIN, 1, "ab", 1, 1, false, INT_MIN},
      {"ab", 0, INT_MAX, "ab", 0, -1, false, INT_MAX - 2},
  };
  for (const Row& r : rows) {
    vlJString a, b;
    store(a, r.a);
    store(b, r.b);
    EXPECT_EQ(a.comp(r.index, r.count, &b, r.otherIndex, r.otherCount, r.fold), r.expected)
        << r.a << " / " << r.b;
    EXPECT_EQ(a.comp(r.index, r.count, bytes(r.b), r.otherIndex, r.otherCount, r.fold), r.expected)
        << r.a << " / " << r.b;
  }
}

namespace {
std::vector<std::string> readLines(const std::string& path, int& endCode) {
  vlFileStream in(path.c_str());
  EXPECT_EQ(in.openFile('r', nullptr), 0);
  std::vector<std::string> lines;
  vlJString line;
  while ((endCode = in.gets(&line)) == 0) lines.push_back(text(line));
  EXPECT_EQ(line.charCount, 0);
  EXPECT_EQ(in.lastError, endCode);
  return lines;
}
}  // namespace

TEST(vlJStringStream, LineReadsEndAtCrLfOrCrLf) {
  const std::string longLine(200, 'x');
  struct Row {
    std::string bytes;
    std::vector<std::string> lines;
  } rows[] = {
      {"a\rb", {"a", "b"}},
      {"ab\r\ncd\ref\ngh", {"ab", "cd", "ef", "gh"}},
      {"x\r", {"x"}},
      {"\n\r\n\r", {"", "", ""}},
      {std::string(HYO) + "\r\n" + SO + "\\", {HYO, std::string(SO) + "\\"}},
      {"a\x82", {"a\x82"}},  // a lead byte at the very end is kept
      {longLine + HYO + "\n", {longLine + HYO}},
      {"", {}},
  };
  TempDir dir;
  for (const Row& r : rows) {
    writeFile(dir / "lines.txt", r.bytes);
    int endCode = 0;
    EXPECT_EQ(readLines(dir / "lines.txt", endCode), r.lines) << r.bytes;
    EXPECT_EQ(endCode, 30) << r.bytes;
  }
}

TEST(vlJStringStream, PutsWritesEveryCharacter) {
  TempDir dir;
  vlJString s;
  store(s, std::string(HYO) + "a" + SO);
  {
    vlFileStream out((dir / "out.txt").c_str());
    ASSERT_EQ(out.openFile('w', nullptr), 0);
    EXPECT_EQ(out.puts(&s), 0);
    EXPECT_EQ(out.putsln(&s), 0);
    out.lineEnd = '\n';
    EXPECT_EQ(out.putsln(&s), 0);
  }
  std::string bytes;
  ASSERT_TRUE(readFile(dir / "out.txt", bytes));
  const std::string once = std::string(HYO) + "a" + SO;
  EXPECT_EQ(bytes, once + once + "\r\n" + once + "\n");

  vlFileStream readOnly((dir / "out.txt").c_str());
  ASSERT_EQ(readOnly.openFile('r', nullptr), 0);
  EXPECT_EQ(readOnly.puts(&s), ERROR_ACCESS_DENIED);
  EXPECT_EQ(readOnly.lastError, ERROR_ACCESS_DENIED);
  EXPECT_EQ(readOnly.putsln(&s), ERROR_ACCESS_DENIED);
  ASSERT_TRUE(readFile(dir / "out.txt", bytes));
  EXPECT_EQ(bytes.size(), 3 * once.size() + 3);
}
