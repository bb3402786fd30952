// libFuzzer target over the code converters: every direction of vlKanjiConvert, and
// UTF8toSJIS / SJIStoUTF8 into buffers of exactly the size they ask for and one byte
// less. Each destination is a heap block of its exact size, so AddressSanitizer sees a
// byte written past it; the checks are the header's contracts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>
#include "vlUtl2.h"

namespace {
void check(bool ok) {
  if (!ok) __builtin_trap();
}

// A zero-terminated copy of the input, cut at its first zero.
std::vector<unsigned char> textOf(const uint8_t* data, size_t size) {
  std::vector<unsigned char> text(data, data + size);
  text.push_back(0);
  text.resize(std::strlen(reinterpret_cast<char*>(text.data())) + 1);
  return text;
}

// Converts into a generous buffer, then again into one of exactly the length the
// first gave: both results and texts must agree.
void kanjiDirection(int from, int to, std::vector<unsigned char>& source) {
  size_t room = 8 * source.size() + 16;
  std::vector<unsigned char> wide(room, 0x7F);
  int result = vlKanjiConvert(from, to, source.data(), wide.data());
  check(result == 0 || result == -1);
  if (to == vlKanjiUTF16 && from == vlKanjiSJIS) {
    size_t units = 0;
    while (wide[2 * units] || wide[2 * units + 1]) ++units;
    check(units <= 200);
    check(units <= source.size() - 1);
    auto* exact = static_cast<unsigned char*>(std::malloc(402));
    check(vlKanjiConvert(from, to, source.data(), exact) == result);
    check(std::memcmp(exact, wide.data(), 2 * units + 2) == 0);
    std::free(exact);
    return;
  }
  size_t length = std::strlen(reinterpret_cast<char*>(wide.data()));
  check(length < room);
  // JIS output ends in one-byte mode (a source with escape bytes of its own aside).
  if (to == vlKanjiJIS && from != to && !std::memchr(source.data(), 0x1B, source.size())) {
    bool twoByte = false;
    for (size_t i = 0; i + 1 < length; ++i)
      if (wide[i] == 0x1B) twoByte = wide[i + 1] == '$';
    check(!twoByte);
  }
  auto* exact = static_cast<unsigned char*>(std::malloc(length + 1));
  check(vlKanjiConvert(from, to, source.data(), exact) == result);
  check(std::memcmp(exact, wide.data(), length + 1) == 0);
  std::free(exact);
}

// The size a conversion asks for, an exact fit and one byte short.
void utfDirection(int (*convert)(unsigned char*, unsigned char*, int),
                  std::vector<unsigned char>& source) {
  int needed = convert(source.data(), nullptr, 0);
  check(needed >= 0);
  if (needed == 0) return;
  auto* exact = static_cast<unsigned char*>(std::malloc(needed));
  check(convert(source.data(), exact, needed) == needed);
  check(exact[needed - 1] == 0 && std::strlen(reinterpret_cast<char*>(exact)) == size_t(needed - 1));
  std::free(exact);
  if (needed > 1) {
    auto* shorter = static_cast<unsigned char*>(std::malloc(needed - 1));
    check(convert(source.data(), shorter, needed - 1) == 0 && shorter[0] == 0);
    std::free(shorter);
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  std::vector<unsigned char> source = textOf(data, size);
  for (int from = vlKanjiJIS; from <= vlKanjiSJIS; ++from)
    for (int to = vlKanjiJIS; to <= vlKanjiUTF16; ++to) kanjiDirection(from, to, source);
  utfDirection(UTF8toSJIS, source);
  utfDirection(SJIStoUTF8, source);
  return 0;
}
