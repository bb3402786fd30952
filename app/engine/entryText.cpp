#include "entryText.h"
#include <cctype>
#include <cstring>

bool endsWithMp3(const char* text, size_t length) {
  if (length < 4) return false;
  const char* t = text + length - 4;
  return t[0] == '.' && std::tolower(static_cast<unsigned char>(t[1])) == 'm' &&
         std::tolower(static_cast<unsigned char>(t[2])) == 'p' && t[3] == '3';
}

bool isLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

void copyWhole(char* out, const char* text, size_t size) {
  size_t n = 0;
  for (size_t step; text[n]; n += step) {
    step = isLeadByte(static_cast<unsigned char>(text[n])) && text[n + 1] ? 2 : 1;
    if (n + step > size - 1) break;
  }
  std::memmove(out, text, n);
  out[n] = 0;
}
