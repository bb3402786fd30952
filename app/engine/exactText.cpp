#include "exactText.h"
#include <cstring>
#include <string>
#include <vector>
#include "vlUtl2.h"

namespace {
// The code page 932 form of text, when it comes back from code page 932 unchanged.
bool roundTrips(std::string text, std::string& converted) {
  // Code page 932 never needs more bytes than UTF-8, nor UTF-8 twice as many.
  std::vector<unsigned char> to(text.size() + 1), back(2 * text.size() + 1);
  auto* source = reinterpret_cast<unsigned char*>(&text[0]);
  int bytes = UTF8toSJIS(source, to.data(), static_cast<int>(to.size()));
  if (bytes == 0) return false;
  converted.assign(reinterpret_cast<char*>(to.data()), static_cast<size_t>(bytes - 1));
  return SJIStoUTF8(to.data(), back.data(), static_cast<int>(back.size())) != 0 &&
         text == reinterpret_cast<char*>(back.data());
}

// The bytes of the UTF-8 character at text (one for a byte that starts none).
size_t utf8Length(const char* text) {
  unsigned char lead = static_cast<unsigned char>(*text);
  size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  for (size_t i = 1; i < length; ++i)
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return 1;
  return length;
}

// Character by character, "?" for each that does not survive; the count.
int convertEach(const char* text, std::string& out) {
  int replaced = 0;
  out.clear();
  for (size_t step; *text; text += step) {
    step = utf8Length(text);
    std::string one;
    bool exact = roundTrips(std::string(text, step), one);
    out += exact ? one : "?";
    replaced += !exact;
  }
  return replaced;
}
}  // namespace

int utf8ToCp932Exactly(const char* text, char* out, size_t size) {
  std::string converted;
  int replaced = roundTrips(text, converted) ? 0 : convertEach(text, converted);
  if (converted.size() >= size) {
    if (size) *out = 0;
    return -1;
  }
  std::memcpy(out, converted.c_str(), converted.size() + 1);
  return replaced;
}
