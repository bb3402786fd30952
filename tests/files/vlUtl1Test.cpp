#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include "vlUtl1.h"

namespace {
std::string adjust(const char* text, char mode) {
  char buffer[64];
  std::strcpy(buffer, text);
  vlAdjustDir(buffer, mode);
  return buffer;
}
}  // namespace

TEST(vlAdjustDir, Modes) {
  struct Row {
    const char* in;
    char mode;
    const char* out;
  } rows[] = {
      {"C:\\a", '+', "C:\\a\\"},      {"C:\\a\\", '+', "C:\\a\\"},  {"", '+', "\\"},
      {"abc", '-', "abc"},            {"C:\\a\\", '-', "C:\\a"},    {"C:", ' ', "C:\\"},
      {"C:\\", ' ', "C:\\"},          {"C:\\a\\", ' ', "C:\\a"},    {"D:\\music\\", ' ', "D:\\music"},
      {"D:\\music", ' ', "D:\\music"}, {"\\", ' ', "\\"},          {"ab", '-', "ab"},
      // 0x95 0x5C is one character whose trail byte is 0x5C, not a separator.
      {"C:\\\x95\x5C", '+', "C:\\\x95\x5C\\"}, {"C:\\\x95\x5C", '-', "C:\\\x95\x5C"},
      {"C:\\\x95\x5C\\", ' ', "C:\\\x95\x5C"}, {"ab\x95\x5C", ' ', "ab\x95\x5C"},
      {"\x95\x5C", '+', "\x95\x5C\\"},
  };
  for (const Row& r : rows)
    EXPECT_EQ(adjust(r.in, r.mode), r.out) << "[" << r.in << "] mode '" << r.mode << "'";
}

TEST(vlStrncpy, BoundsAndDoubleByteCharacters) {
  struct Row {
    const char* src;
    int size;
    int result;
    const char* out;
  } rows[] = {
      {"abc", 1, 0, ""},
      {"ab", 2, 1, "a"},
      {"ab", 3, 2, "ab"},
      {"ab", 10, 2, "ab"},
      {"\x82\xA0x", 2, 1, "x"},          // the two-byte character does not fit, x does
      {"\x82\xA0\x82\xA2", 4, 2, "\x82\xA0"},
      {"\x82\xA0\x82\xA2", 5, 4, "\x82\xA0\x82\xA2"},
      {"a\xB1", 2, 1, "a"},              // a lone high byte before the end is one byte
      {"\xB1\xB2z", 3, 2, "\xB1\xB2"},   // half-width katakana pair as one character
  };
  for (const Row& r : rows) {
    unsigned char out[16];
    std::memset(out, 0x7F, sizeof out);
    int n = vlStrncpy(out, reinterpret_cast<const unsigned char*>(r.src), r.size);
    EXPECT_EQ(n, r.result) << r.src << " size " << r.size;
    EXPECT_STREQ(reinterpret_cast<char*>(out), r.out) << r.src << " size " << r.size;
    EXPECT_EQ(out[r.size], 0x7F) << "wrote past the size";
  }
  unsigned char out[4];
  EXPECT_EQ(vlStrncpy(out, nullptr, 4), -1);
  EXPECT_EQ(vlStrncpy(nullptr, out, 4), -1);
  EXPECT_EQ(vlStrncpy(out, reinterpret_cast<const unsigned char*>("a"), 0), -1);
}

TEST(vlMbschr, SkipsTrailBytes) {
  const unsigned char text[] = "\x95\x5C" "a\\b";
  EXPECT_EQ(vlMbschr(text, '\\'), reinterpret_cast<const char*>(text) + 3);
  EXPECT_EQ(vlMbschr(text, 'b'), reinterpret_cast<const char*>(text) + 4);
  EXPECT_EQ(vlMbschr(text, 'z'), nullptr);
  const unsigned char onlyTrail[] = "\x83\x5C";
  EXPECT_EQ(vlMbschr(onlyTrail, '\\'), nullptr);
}

TEST(vlBlankCut, TrimsBothEnds) {
  struct Row {
    const char* in;
    const char* out;
  } rows[] = {
      {"", ""}, {"  a b \t\r\n", "a b"}, {"\t\x01x", "x"}, {"   ", ""}, {"ab", "ab"},
      {"\x82\xA0 ", "\x82\xA0"},
  };
  for (const Row& r : rows) {
    char buffer[32];
    std::strcpy(buffer, r.in);
    vlBlankCut(buffer);
    EXPECT_STREQ(buffer, r.out) << "[" << r.in << "]";
  }
}
