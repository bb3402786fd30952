// The arithmetic converters checked against iconv's tables over every JIS X 0208 code
// and every half-width katakana. Plain Shift_JIS is the reference here: code page 932
// differs from it only in the Unicode mapping of a few characters, not in the codes.
#include <gtest/gtest.h>
#include <iconv.h>
#include <clocale>
#include <string>
#include <vector>
#include "vlUtl2.h"

namespace {
bool reference(const char* from, const char* to, const std::string& in, std::string& out) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  std::vector<char> buffer(in.size() * 4 + 16);
  char* src = const_cast<char*>(in.data());
  size_t left = in.size(), room = buffer.size();
  char* dst = buffer.data();
  bool ok = iconv(cd, &src, &left, &dst, &room) != static_cast<size_t>(-1) &&
            iconv(cd, nullptr, nullptr, &dst, &room) != static_cast<size_t>(-1);
  iconv_close(cd);
  out.assign(buffer.data(), dst);
  return ok;
}

std::string convert(int from, int to, std::string in) {
  std::vector<unsigned char> out(in.size() * 4 + 16, 0x7F);
  EXPECT_EQ(vlKanjiConvert(from, to, reinterpret_cast<unsigned char*>(&in[0]), out.data()), 0);
  return reinterpret_cast<char*>(out.data());
}

struct Texts {
  std::string sjis, euc, jis;
};

// Every JIS X 0208 character, in runs of one to three, with ASCII letters between.
Texts allCharacters(int& count) {
  Texts t;
  count = 0;
  for (int r = 0x21; r <= 0x7E; ++r) {
    for (int c = 0x21; c <= 0x7E; ++c) {
      std::string euc{static_cast<char>(r | 0x80), static_cast<char>(c | 0x80)}, sjis;
      if (!reference("EUC-JP", "SHIFT_JIS", euc, sjis)) continue;
      t.sjis += sjis;
      t.euc += euc;
      if (++count % 3 == r % 3) {
        t.sjis += "ab";
        t.euc += "ab";
      }
    }
  }
  EXPECT_TRUE(reference("EUC-JP", "ISO-2022-JP", t.euc, t.jis));
  return t;
}
}  // namespace

TEST(KanjiReference, EveryJisX0208Character) {
  int count;
  Texts t = allCharacters(count);
  EXPECT_EQ(count, 6879);
  EXPECT_TRUE(convert(3, 1, t.sjis) == t.jis) << "Shift_JIS to JIS";
  EXPECT_TRUE(convert(3, 2, t.sjis) == t.euc) << "Shift_JIS to EUC-JP";
  EXPECT_TRUE(convert(2, 1, t.euc) == t.jis) << "EUC-JP to JIS";
  EXPECT_TRUE(convert(2, 3, t.euc) == t.sjis) << "EUC-JP to Shift_JIS";
  EXPECT_TRUE(convert(1, 3, t.jis) == t.sjis) << "JIS to Shift_JIS";
  EXPECT_TRUE(convert(1, 2, t.jis) == t.euc) << "JIS to EUC-JP";
}

TEST(KanjiReference, HalfWidthKatakana) {
  // iconv transliterates half-width katakana to their full-width forms, but only
  // under a UTF-8 locale; the voicing marks have no spacing form there.
  std::string saved = std::setlocale(LC_CTYPE, nullptr);
  ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
  for (int kana = 0xA1; kana <= 0xDF; ++kana) {
    std::string sjis(1, static_cast<char>(kana)), euc, jis;
    ASSERT_TRUE(reference("SHIFT_JIS", "EUC-JP", sjis, euc)) << kana;
    EXPECT_EQ(convert(3, 2, sjis), euc) << kana;
    if (kana >= 0xDE) continue;
    ASSERT_TRUE(reference("SHIFT_JIS", "ISO-2022-JP//TRANSLIT", sjis, jis)) << kana;
    EXPECT_EQ(convert(3, 1, sjis), jis) << kana;
  }
  std::setlocale(LC_CTYPE, saved.c_str());
}
