// Where the layer's code-page calls knowingly part from the reference platform.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstdint>
#include <vector>

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
