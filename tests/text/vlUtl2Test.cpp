#include <gtest/gtest.h>
#include <windows.h>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>
#include "vlUtl2.h"

namespace {
const char* const ESC_B = "\x1B$B";  // into two-byte mode
const char* const ESC_A = "\x1B(B";  // back to ASCII

std::string hex(const std::string& bytes) {
  std::string out;
  char h[4];
  for (unsigned char c : bytes) {
    std::snprintf(h, sizeof h, "%02X ", c);
    out += h;
  }
  return out;
}

unsigned char* bytesOf(std::string& s) { return reinterpret_cast<unsigned char*>(&s[0]); }

// Converts with a junk-filled destination; the result text ends at the first zero.
std::string convert(int from, int to, std::string in, int* result) {
  std::vector<unsigned char> out(in.size() * 4 + 16, 0x7F);
  *result = vlKanjiConvert(from, to, bytesOf(in), out.data());
  return reinterpret_cast<char*>(out.data());
}

std::string convert(int from, int to, const std::string& in) {
  int result;
  std::string out = convert(from, to, in, &result);
  EXPECT_EQ(result, 0) << from << "->" << to << " " << hex(in);
  return out;
}

std::string jis(const std::string& twoByte) { return ESC_B + twoByte + ESC_A; }

// 64-bit FNV-1a, for fingerprints of whole conversion tables.
struct Fingerprint {
  uint64_t value = 1469598103934665603ull;
  void add(uint32_t x) {
    for (int i = 0; i < 4; ++i) value = (value ^ ((x >> (8 * i)) & 0xFF)) * 1099511628211ull;
  }
};
}  // namespace

TEST(jis2sjis, KnownCodes) {
  struct Row {
    unsigned char first, second, lead, trail;
  } rows[] = {
      {0x30, 0x21, 0x88, 0x9F}, {0x24, 0x22, 0x82, 0xA0}, {0x5F, 0x21, 0xE0, 0x40},
      {0x21, 0x21, 0x81, 0x40}, {0x2F, 0x7E, 0x88, 0x9E}, {0x21, 0x60, 0x81, 0x80},
      {0x5E, 0x7E, 0x9F, 0xFC}, {0x74, 0x26, 0xEA, 0xA4}, {0x7E, 0x7E, 0xEF, 0xFC},
  };
  for (const Row& r : rows) {
    unsigned char a = r.first, b = r.second;
    jis2sjis(a, b);
    EXPECT_EQ(a * 256 + b, r.lead * 256 + r.trail) << std::hex << r.first * 256 + r.second;
  }
}

// Every code of the 94x94 grid must map to a distinct Shift_JIS pair and come back
// unchanged through every pair of encodings.
TEST(vlKanjiConvert, WholeGridRoundTrips) {
  std::set<int> seen;
  int failures = 0;
  for (int r = 0x21; r <= 0x7E; ++r) {
    for (int c = 0x21; c <= 0x7E; ++c) {
      unsigned char lead = r, trail = c;
      jis2sjis(lead, trail);
      std::string code{static_cast<char>(r), static_cast<char>(c)};
      std::string sjis{static_cast<char>(lead), static_cast<char>(trail)};
      std::string euc{static_cast<char>(r | 0x80), static_cast<char>(c | 0x80)};
      bool ok = ((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xEF)) &&
                trail >= 0x40 && trail <= 0xFC && trail != 0x7F &&
                seen.insert(lead * 256 + trail).second &&
                convert(3, 1, sjis) == jis(code) && convert(3, 2, sjis) == euc &&
                convert(1, 3, jis(code)) == sjis && convert(1, 2, jis(code)) == euc &&
                convert(2, 3, euc) == sjis && convert(2, 1, euc) == jis(code);
      if (!ok && ++failures <= 5) ADD_FAILURE() << "JIS " << hex(code) << "-> " << hex(sjis);
    }
  }
  EXPECT_EQ(failures, 0);
}

TEST(getKana, FullWidthFormsAndVoicingMarks) {
  // Literals are code page 932: the compiler is the reference for the katakana.
  const std::string full =
      "。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテト"
      "ナニヌネノハヒフヘホマミムメモヤユヨラリルレロワン゛゜";
  ASSERT_EQ(full.size(), 63u * 2);
  for (int kana = 0xA1; kana <= 0xDF; ++kana) {
    unsigned char first, second;
    EXPECT_FALSE(getKana(kana, 'a', first, second));
    jis2sjis(first, second);
    EXPECT_EQ(first * 256 + second, static_cast<unsigned char>(full[(kana - 0xA1) * 2]) * 256 +
                                        static_cast<unsigned char>(full[(kana - 0xA1) * 2 + 1]))
        << std::hex << kana;
  }
  unsigned char first = 1, second = 1;
  EXPECT_FALSE(getKana(0xA0, 0xDE, first, second));
  EXPECT_EQ(first + second, 0);

  struct Row {
    const char *half, *full;
  } rows[] = {
      {"ｶﾞｷﾞｸﾞｹﾞｺﾞｻﾞｼﾞｽﾞｾﾞｿﾞﾀﾞﾁﾞﾂﾞﾃﾞﾄﾞ", "ガギグゲゴザジズゼゾダヂヅデド"},
      {"ﾊﾞﾋﾞﾌﾞﾍﾞﾎﾞﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ", "バビブベボパピプペポ"},
      {"ｳﾞｱﾞﾏﾟｶﾟﾝﾞｯﾞﾞﾟ", "ウ゛ア゛マ゜カ゜ン゛ッ゛゛゜"},  // no combined form: mark kept
      {"aｶﾞb", "aガb"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(convert(1, 3, convert(3, 1, r.half)), r.full) << r.half;
    EXPECT_EQ(convert(1, 3, convert(2, 1, convert(3, 2, r.half))), r.full) << r.half;
  }
}

TEST(vlKanjiConvert, Examples) {
  struct Row {
    int from, to;
    std::string in, out;
    int result;
  } rows[] = {
      {3, 1, "\x88\x9F", jis("\x30\x21"), 0},
      {3, 2, "\x88\x9F", "\xB0\xA1", 0},
      {3, 1, "ｶﾞ", jis("\x25\x2C"), 0},
      {3, 1, "ﾊﾟ", jis("\x25\x51"), 0},
      {3, 1, "ｳﾞ", jis("\x25\x26\x21\x2B"), 0},
      {3, 2, "ｱ", "\x8E\xB1", 0},
      {3, 1, "aあb", "a" + jis("\x24\x22") + "b", 0},
      {3, 1, "あいa", jis("\x24\x22\x24\x24") + "a", 0},
      {3, 2, "a\x88", "a", -1},  // ends inside a two-byte character
      {3, 1, "\x82\xA0\x88", jis("\x24\x22"), -1},  // back in one-byte mode
      {2, 1, "\xB0\xA1\xB0", jis("\x30\x21"), -1},
      {2, 1, "a\x80\xB1", "a", -1},  // the code would hold a zero byte
      {1, 3, "\x1B$", "", -1},
      {1, 3, "a\x1B$B\x30", "a", -1},
      {1, 3, "\x1B$@\x30\x21\x1B(Jx", "\x88\x9Fx", 0},
      {1, 2, "\x1B$B\x30\x21\x1B(Bz", "\xB0\xA1z", 0},
      {1, 3, "a\x1B(Ix", "ax", 0},  // unknown sequence dropped
      {1, 4, "\x1B$B\x30\x21", "\x88\x9F", 0},
      {2, 1, "\xB0\xA1", jis("\x30\x21"), 0},
      {2, 1, "a\xB0\xA1" "b\xA4\xA2", "a" + jis("\x30\x21") + "b" + jis("\x24\x22"), 0},
      {2, 1, "\x8E\xB6\x8E\xDE", jis("\x25\x2C"), 0},
      {2, 1, "\x8E\xB3\x8E\xDE\x8E\xB1", jis("\x25\x26\x21\x2B\x25\x22"), 0},
      {2, 3, "\x8E\xB1\x8E\xDE" "a", "\xB1\xDE" "a", 0},
      {2, 3, "\xB0", "", -1},
      {2, 1, "a\xB0", "a", -1},
      {2, 4, "\xB0\xA1", "\x88\x9F", 0},
      {3, 3, "\x1B$Bxyz", "\x1B$Bxyz", 0},
      {5, 1, "abc", "", 0},
      {3, 5, "abc", "", 0},
      {3, 1, "", "", 0},
  };
  for (const Row& r : rows) {
    int result;
    EXPECT_EQ(hex(convert(r.from, r.to, r.in, &result)), hex(r.out))
        << r.from << "->" << r.to << " " << hex(r.in);
    EXPECT_EQ(result, r.result) << r.from << "->" << r.to << " " << hex(r.in);
  }
  unsigned char buffer[4] = "x";
  EXPECT_EQ(vlKanjiConvert(3, 1, nullptr, buffer), -1);
  EXPECT_EQ(vlKanjiConvert(3, 1, buffer, nullptr), -1);
}

TEST(vlKanjiConvert, ToUtf16) {
  struct Row {
    std::string in;
    std::vector<uint16_t> units;
    int result;
  } rows[] = {
      {"aあｱ\x81", {'a', 0x3042, 0xFF71}, -1},  // ends inside a two-byte character
      {"", {}, 0},
      {std::string(200, 'x'), std::vector<uint16_t>(200, 'x'), 0},
      {std::string(199, 'x') + "ああ", [] {
         std::vector<uint16_t> v(199, 'x');
         v.push_back(0x3042);
         return v;
       }(), -1},
  };
  for (Row& r : rows) {
    std::vector<unsigned char> out(2 * 202 + 1, 0x7F);
    // An odd address: the units are written byte by byte.
    EXPECT_EQ(vlKanjiConvert(3, 4, bytesOf(r.in), out.data() + 1), r.result) << r.in.size();
    std::vector<uint16_t> got;
    for (size_t i = 1; out[i] || out[i + 1]; i += 2) got.push_back(out[i] | out[i + 1] << 8);
    EXPECT_EQ(got, r.units) << r.in.size();
    EXPECT_EQ(out[2 * got.size() + 3], 0x7F) << "wrote past the terminator";
  }
}

namespace {
struct Recoded {
  int result;
  std::string text;
};

// Runs a UTF conversion into a destination of size bytes followed by guard bytes.
Recoded recode(int (*f)(unsigned char*, unsigned char*, int), std::string in, int size) {
  size_t room = size > 0 ? size : 0;
  std::vector<unsigned char> out(room + 8, 0x7F);
  int result = f(bytesOf(in), out.data(), size);
  for (size_t i = room; i < out.size(); ++i)
    EXPECT_EQ(out[i], 0x7F) << "byte " << i << " written, size " << size;
  return {result, room ? std::string(reinterpret_cast<char*>(out.data())) : ""};
}
}  // namespace

TEST(UTF8toSJIS, ResultsAndBounds) {
  struct Row {
    std::string utf8;
    int size;
    int result;
    std::string sjis;
  } rows[] = {
      {"\xE3\x81\x82", 500, 3, "あ"},
      {"a\xE3\x81\x82" "b", 5, 5, "aあb"},  // exact fit
      {"a\xE3\x81\x82" "b", 4, 0, ""},      // one byte short
      {"a", 1, 0, ""},
      {"", 1, 1, ""},
      {"a", 0, 0, ""},
      {"a", -5, 0, ""},
      {"\xEF\xBD\x9E\xE3\x80\x9C", 10, 4, "～?"},  // U+FF5E is in code page 932, U+301C not
      {"\xC3\xA9\xC3\x97", 10, 4, "e×"},             // best fit for e-acute
      {"\xF0\x9F\x98\x80", 10, 3, "??"},             // one per surrogate
      {"a\xFF" "b\xC0\x80" "c\xED\xA0\x80", 20, 9, "a?b??c??"},
      {"\xE3\x81x\xE3\x81", 20, 4, "?x?"},
      {"\xEF\xBB\xBF" "a", 10, 3, "?a"},  // a byte order mark has no code page 932 form
  };
  for (const Row& r : rows) {
    Recoded got = recode(UTF8toSJIS, r.utf8, r.size);
    EXPECT_EQ(got.result, r.result) << hex(r.utf8) << " size " << r.size;
    EXPECT_EQ(hex(got.text), hex(r.sjis)) << hex(r.utf8) << " size " << r.size;
  }
  std::string a = "\xE3\x81\x82";
  EXPECT_EQ(UTF8toSJIS(bytesOf(a), nullptr, 0), 3);
  EXPECT_EQ(UTF8toSJIS(nullptr, bytesOf(a), 4), 0);
  EXPECT_EQ(a[0], 0);
}

TEST(UTF8toSJIS, LongLines) {
  std::string line;
  for (int i = 0; i < 249; ++i) line += "\xE3\x81\x82";  // 498 bytes in code page 932
  EXPECT_EQ(recode(UTF8toSJIS, line + "a", 500).result, 500);
  EXPECT_EQ(recode(UTF8toSJIS, line + "ab", 500).result, 0);
  EXPECT_EQ(recode(UTF8toSJIS, line + "ab", 500).text, "");
  std::string longLine;  // 3000 units: converted off the stack
  for (int i = 0; i < 1000; ++i) longLine += "\xE3\x81\x82z\xFF";
  EXPECT_EQ(UTF8toSJIS(bytesOf(longLine), nullptr, 0), 4001);
  Recoded got = recode(UTF8toSJIS, longLine, 4001);
  EXPECT_EQ(got.result, 4001);
  EXPECT_EQ(got.text.substr(3992), "あz?あz?");
  EXPECT_EQ(recode(UTF8toSJIS, longLine, 500).result, 0);
}

TEST(SJIStoUTF8, ResultsAndBounds) {
  struct Row {
    std::string sjis;
    int size;
    int result;
    std::string utf8;
  } rows[] = {
      {"aあ", 5, 5, "a\xE3\x81\x82"},
      {"aあ", 4, 0, ""},
      {"\x81", 10, 4, "\xE3\x83\xBB"},           // lone lead byte
      {"\x85\x40z", 10, 5, "\xE3\x83\xBBz"},      // undefined pair
      {"\xA0\x80", 10, 6, "\xEF\xA3\xB0\xC2\x80"},
      {"ｱ\x5C", 10, 5, "\xEF\xBD\xB1\\"},
  };
  for (const Row& r : rows) {
    Recoded got = recode(SJIStoUTF8, r.sjis, r.size);
    EXPECT_EQ(got.result, r.result) << hex(r.sjis) << " size " << r.size;
    EXPECT_EQ(hex(got.text), hex(r.utf8)) << hex(r.sjis) << " size " << r.size;
  }
}

// Every defined double-byte character survives code page 932 -> UTF-8 -> code page 932,
// except duplicates, which come back as the preferred code of the same character.
TEST(SJIStoUTF8, RoundTripThroughUtf8) {
  int defined = 0, duplicates = 0, failures = 0;
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (lead > 0x9F && lead < 0xE0) continue;
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      std::string sjis{static_cast<char>(lead), static_cast<char>(trail)};
      Recoded utf8 = recode(SJIStoUTF8, sjis, 8);
      if (utf8.text == "\xE3\x83\xBB" && sjis != "・") continue;
      ++defined;
      Recoded back = recode(UTF8toSJIS, utf8.text, 8);
      if (back.text == sjis) continue;
      ++duplicates;
      if (recode(SJIStoUTF8, back.text, 8).text != utf8.text && ++failures <= 5)
        ADD_FAILURE() << hex(sjis) << "-> " << hex(utf8.text) << "-> " << hex(back.text);
    }
  }
  EXPECT_EQ(failures, 0);
  EXPECT_EQ(defined, 9604);  // user-defined area included
  EXPECT_EQ(duplicates, 398);
}

TEST(Unicode2Sjis, Texts) {
  struct Row {
    std::vector<uint16_t> units;
    std::string sjis;
  } rows[] = {
      {{'a', 'b', 0}, std::string("ab", 3)},
      {{0x3042, 0xFF71, 0xD800, 'x', 0}, std::string("あｱ?x", 6)},
      {{0}, std::string(1, '\0')},
  };
  for (const Row& r : rows) {
    std::string out = "junk";
    EXPECT_EQ(Unicode2Sjis(const_cast<uint16_t*>(r.units.data()), out), 0);
    EXPECT_EQ(hex(out), hex(r.sjis));
  }
  std::string out = "junk";
  EXPECT_EQ(Unicode2Sjis(nullptr, out), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(out, "");
}

// The platform calls behind the UTF conversions, held to the Windows contract.
TEST(CodePageCalls, CountsSizesAndErrors) {
  WCHAR wide[8];
  char narrow[8];
  const WCHAR text[] = {'a', 0x3042, 'b', 0};
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "a\xE3\x81\x82" "b", -1, nullptr, 0), 4);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "a\x82\xA0" "b", 3, wide, 8), 2);
  EXPECT_EQ(WideCharToMultiByte(932, 0, text, -1, nullptr, 0, nullptr, nullptr), 5);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, text, 2, nullptr, 0, nullptr, nullptr), 4);

  // Too small: the whole characters that fit are written, then 122.
  struct Short {
    UINT page;
    int size;
    const char* written;
  } shorts[] = {{932, 2, "a"}, {932, 4, "a\x82\xA0" "b"}, {CP_UTF8, 3, "a"}};
  for (const Short& s : shorts) {
    std::memset(narrow, 0x7F, sizeof narrow);
    SetLastError(0xdeadbeef);
    EXPECT_EQ(WideCharToMultiByte(s.page, 0, text, -1, narrow, s.size, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(std::string(narrow, std::strlen(s.written)), s.written) << s.page << " " << s.size;
    EXPECT_EQ(narrow[std::strlen(s.written)], 0x7F) << s.page << " " << s.size;
  }
  SetLastError(0xdeadbeef);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", -1, wide, 3), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

  struct Bad {
    int result;
  } bad[] = {
      {MultiByteToWideChar(932, 0, "a", 0, wide, 8)},
      {MultiByteToWideChar(932, 0, nullptr, 1, wide, 8)},
      {MultiByteToWideChar(932, 0, "a", 1, nullptr, 8)},
      {MultiByteToWideChar(932, 0, "a", 1, wide, -1)},
      {MultiByteToWideChar(12345, 0, "a", 1, wide, 8)},
      {WideCharToMultiByte(932, 0, text, 0, narrow, 8, nullptr, nullptr)},
      {WideCharToMultiByte(932, 0, nullptr, 1, narrow, 8, nullptr, nullptr)},
      {WideCharToMultiByte(932, 0, text, 1, nullptr, 8, nullptr, nullptr)},
      {WideCharToMultiByte(12345, 0, text, 1, narrow, 8, nullptr, nullptr)},
  };
  for (size_t i = 0; i < sizeof bad / sizeof bad[0]; ++i)
    EXPECT_EQ(bad[i].result, 0) << "row " << i;
  SetLastError(0xdeadbeef);
  WideCharToMultiByte(932, 0, text, 1, narrow, -1, nullptr, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

  BOOL used = 7;
  const WCHAR odd[] = {'a', 0x00E9, 0x4E02, 0};  // e-acute best fits, U+4E02 has no form
  std::memset(narrow, 0, sizeof narrow);
  EXPECT_EQ(WideCharToMultiByte(932, 0, odd, -1, narrow, 8, "*", &used), 4);
  EXPECT_STREQ(narrow, "ae*");
  EXPECT_EQ(used, TRUE);
  EXPECT_EQ(WideCharToMultiByte(932, 0, text, -1, narrow, 8, nullptr, &used), 5);
  EXPECT_EQ(used, FALSE);

  // A caller may hand buffers that are not aligned for WCHAR, both ways.
  alignas(8) unsigned char raw[2 * sizeof text + 1];
  LPWSTR unaligned = reinterpret_cast<LPWSTR>(raw + 1);
  std::memcpy(raw + 1, text, sizeof text);
  EXPECT_EQ(WideCharToMultiByte(932, 0, unaligned, -1, narrow, 8, nullptr, nullptr), 5);
  EXPECT_STREQ(narrow, "a\x82\xA0" "b");
  EXPECT_EQ(MultiByteToWideChar(932, 0, narrow, -1, unaligned, 4), 4);
  EXPECT_EQ(std::memcmp(raw + 1, text, sizeof text), 0);
}

TEST(CodePageCalls, InvalidUtf8BecomesReplacementCharacters) {
  struct Row {
    const char* utf8;
    std::vector<uint16_t> units;
  } rows[] = {
      {"\xC0\x80", {0xFFFD, 0xFFFD}},       {"\xC2x", {0xFFFD, 'x'}},
      {"\xE3\x81x", {0xFFFD, 'x'}},          {"\xE3x\x81", {0xFFFD, 'x', 0xFFFD}},
      {"\xED\xA0\x80", {0xFFFD, 0xFFFD}},    {"\xE0\x80\x80", {0xFFFD, 0xFFFD}},
      {"\xF0\x80\x80\x80", {0xFFFD, 0xFFFD, 0xFFFD}},
      {"\xF4\x90\x80\x80", {0xFFFD, 0xFFFD, 0xFFFD}},
      {"\xF5\x80\x80\x80", {0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD}},
      {"\xF0\x9F\x98\x80", {0xD83D, 0xDE00}}, {"\xEF\xBF\xBE", {0xFFFE}},
      {"a\xF0\x9F\x98", {'a', 0xFFFD}},      {"\xBF\x80", {0xFFFD, 0xFFFD}},
  };
  for (const Row& r : rows) {
    WCHAR out[8];
    int n = MultiByteToWideChar(CP_UTF8, 0, r.utf8, static_cast<int>(std::strlen(r.utf8)), out, 8);
    EXPECT_EQ(std::vector<uint16_t>(out, out + (n > 0 ? n : 0)), r.units) << hex(r.utf8);
  }
  const WCHAR lone[] = {0xDC00, 'a', 0xD83D, 0xD83D, 0xDE00};
  char out[16] = {};
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, lone, 5, out, 16, nullptr, nullptr), 11);
  EXPECT_EQ(hex(out), hex("\xEF\xBF\xBD" "a\xEF\xBF\xBD\xF0\x9F\x98\x80"));
}

// Fingerprints of the whole tables, taken from the reference platform: any single
// character converted differently changes them.
TEST(CodePageCalls, WholeTablesMatchTheReference) {
  Fingerprint toWide, fromWide, utf8, toUtf8;
  WCHAR units[8];
  char bytes[8];
  for (int lead = 0; lead < 256; ++lead) {
    for (int trail = -1; trail < 256; ++trail) {
      char in[3] = {static_cast<char>(lead), static_cast<char>(trail), 'x'};
      if (trail >= 0 && !((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC)))
        break;
      int n = MultiByteToWideChar(932, 0, in, trail < 0 ? 1 : 3, units, 8);
      toWide.add(n);
      for (int i = 0; i < n; ++i) toWide.add(units[i]);
    }
  }
  for (int u = 0; u < 0x10000; ++u) {
    WCHAR in = static_cast<WCHAR>(u);
    BOOL used = FALSE;
    int n = WideCharToMultiByte(932, 0, &in, 1, bytes, 8, nullptr, &used);
    fromWide.add(n * 2 + used);
    for (int i = 0; i < n; ++i) fromWide.add(static_cast<unsigned char>(bytes[i]));
    n = WideCharToMultiByte(CP_UTF8, 0, &in, 1, bytes, 8, nullptr, nullptr);
    for (int i = 0; i < n; ++i) toUtf8.add(static_cast<unsigned char>(bytes[i]));
  }
  // Two- and three-byte starts, each followed by enough bytes not to be cut off.
  for (int a = 0x80; a < 0x100; ++a) {
    for (int b = 0; b < 0x100; ++b) {
      for (int c = 0x7E; c < (a >= 0xE0 ? 0xC2 : 0x7F); ++c) {
        char in[6] = {static_cast<char>(a), static_cast<char>(b), static_cast<char>(c), 'x', 'y', 'z'};
        int n = MultiByteToWideChar(CP_UTF8, 0, in, 6, units, 8);
        utf8.add(n);
        for (int i = 0; i < n; ++i) utf8.add(units[i]);
      }
    }
  }
  EXPECT_EQ(toWide.value, 6197721941554966567ull);
  EXPECT_EQ(fromWide.value, 14107370793061847661ull);
  EXPECT_EQ(utf8.value, 5259166678345002371ull);
  EXPECT_EQ(toUtf8.value, 15687011130611713411ull);
}
