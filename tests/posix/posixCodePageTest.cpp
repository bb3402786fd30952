// Where the layer's code-page calls knowingly part from the reference platform.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>
#include "posixRecode.h"

namespace {
std::vector<uint16_t> toWide(const char* text, int length) {
  WCHAR out[8];
  int n = MultiByteToWideChar(CP_UTF8, 0, text, length, out, 8);
  return std::vector<uint16_t>(out, out + n);
}
}  // namespace

// A sequence cut off by the end of the input becomes one U+FFFD without taking the
// bytes behind it: the reference swallows them, the terminator included, which leaves
// a -1 conversion unterminated.
TEST(posixCodePage, CutOffSequenceKeepsWhatFollows) {
  EXPECT_EQ(toWide("\xE3x", 2), (std::vector<uint16_t>{0xFFFD, 'x'}));
  EXPECT_EQ(toWide("\xE3", -1), (std::vector<uint16_t>{0xFFFD, 0}));
  EXPECT_EQ(toWide("a\xF4\x90", -1), (std::vector<uint16_t>{'a', 0xFFFD, 0}));
  EXPECT_EQ(toWide("\xF0\x9F\x98", 3), (std::vector<uint16_t>{0xFFFD}));
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "\xE3", -1, nullptr, 0), 2);
}

// Only flags 0 are implemented; the default-character arguments do not apply to UTF-8.
TEST(posixCodePage, RefusesWhatItDoesNotImplement) {
  WCHAR wide[4];
  char narrow[4];
  const WCHAR text[] = {'a', 0};
  BOOL used;
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(932, 8, "a", -1, wide, 4), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(932, 0x400, text, -1, narrow, 4, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow, 4, "?", nullptr), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow, 4, nullptr, &used), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

// A leading ASCII run is taken over without iconv, and the last conversion of what
// follows is remembered: the rest must still convert (or fail, or be substituted) as
// before, and the run never ends inside a character.
TEST(posixRecode, AsciiRunsAndWhatFollowsThem) {
  struct Row {
    const char *from, *to;
    std::string in;
    const char* substitute;
    bool ok;
    std::string out;
  } rows[] = {
      {"CP932", "UTF-8", "a\\b~\x7f\x01 .mp3", nullptr, true, "a\\b~\x7f\x01 .mp3"},
      // "01 ソング.mp3": the run ends at a lead byte; ソ's trail byte is 0x5C.
      {"CP932", "UTF-8", "01 \x83\x5c\x83\x93\x83\x4f.mp3", nullptr, true,
       "01 \xe3\x82\xbd\xe3\x83\xb3\xe3\x82\xb0.mp3"},
      {"UTF-8", "CP932", "01 \xe3\x82\xbd.mp3", nullptr, true, "01 \x83\x5c.mp3"},
      {"CP932", "UTF-8", "ab\x80" "c", "?", true, "ab?c"},
      {"UTF-8", "CP932", "song \xc3\xa9.mp3", "?", true, "song ?.mp3"},
      {"UTF-8", "UTF-16LE", "a\\", nullptr, true, std::string("a\0\\\0", 4)},
      {"UTF-8", "UTF-16LE", "a\xc3\xa9", nullptr, true, std::string("a\0\xe9\0", 4)},
      {"UTF-16LE", "UTF-8", std::string("a\0", 2), nullptr, true, "a"},
      // The same text after the ASCII run, converted otherwise: a remembered conversion
      // must not answer for another substitute or another encoding.
      {"CP932", "UTF-8", "x\x80", nullptr, false, ""},
      {"CP932", "UTF-8", "y\x80", "?", true, "y?"},
      {"CP932", "UTF-8", "z\x80", "_", true, "z_"},
      {"UTF-8", "CP932", "a\xe3\x82\xbd", nullptr, true, "a\x83\x5c"},
      {"UTF-8", "UTF-16LE", "b\xe3\x82\xbd", nullptr, true, std::string("b\0\xbd\x30", 4)},
      {"CP932", "UTF-8", "", nullptr, true, ""},
      {"CP932", "NO-SUCH-CODE", "", nullptr, false, ""},
      {"CP932", "NO-SUCH-CODE", "abc", nullptr, false, ""},
  };
  for (const Row& r : rows) {
    std::string out = "left over";
    bool ok = posixRecode(r.from, r.to, r.in.data(), r.in.size(), out, r.substitute);
    EXPECT_EQ(ok, r.ok) << r.from << " " << r.in;
    if (r.ok) {
      EXPECT_EQ(out, r.out) << r.from << " " << r.in;
    }
  }
}
