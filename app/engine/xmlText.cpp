#include "xmlText.h"
#include <cstring>

namespace {
struct Entity {
  const char* name;
  char character;
};

const Entity entities[] = {
    {"amp", '&'}, {"apos", '\''}, {"quot", '"'}, {"lt", '<'}, {"gt", '>'},
};

const unsigned long maxCharacter = 0x10FFFF;

bool isXmlCharacter(unsigned long c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
         (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= maxCharacter);
}

int digitValue(char c, int base) {
  if (c >= '0' && c <= '9') return c - '0';
  if (base == 16 && c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (base == 16 && c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The character of the digits of a numeric reference ("39", "x27"); 0 when malformed.
unsigned long numericCharacter(const char* digits, size_t length) {
  int base = 10;
  if (length > 0 && digits[0] == 'x') {
    base = 16;
    ++digits;
    --length;
  }
  if (length == 0) return 0;
  unsigned long c = 0;
  for (size_t i = 0; i < length; ++i) {
    int d = digitValue(digits[i], base);
    if (d < 0) return 0;
    c = c * base + d;
    if (c > maxCharacter) return 0;  // also keeps leading digits from overflowing
  }
  return isXmlCharacter(c) ? c : 0;
}

size_t putUtf8(unsigned long c, char* out) {
  if (c < 0x80) {
    out[0] = static_cast<char>(c);
    return 1;
  }
  size_t n = c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
  static const unsigned char leadMarks[] = {0, 0, 0xC0, 0xE0, 0xF0};
  for (size_t i = n - 1; i > 0; --i, c >>= 6) out[i] = static_cast<char>(0x80 | (c & 0x3F));
  out[0] = static_cast<char>(leadMarks[n] | c);
  return n;
}

// The reference at text ("&...;"): its UTF-8 form into out, and the bytes it took in
// text; 0 when there is no well-formed reference.
size_t decodeReference(const char* text, size_t length, char* out, size_t& outLength) {
  const char* end = static_cast<const char*>(std::memchr(text, ';', length));
  if (!end) return 0;
  const char* name = text + 1;
  size_t nameLength = static_cast<size_t>(end - name);
  size_t taken = nameLength + 2;
  if (nameLength > 0 && name[0] == '#') {
    unsigned long c = numericCharacter(name + 1, nameLength - 1);
    if (c == 0) return 0;
    outLength = putUtf8(c, out);
    return taken;
  }
  for (const Entity& e : entities) {
    if (std::strlen(e.name) == nameLength && std::memcmp(e.name, name, nameLength) == 0) {
      out[0] = e.character;
      outLength = 1;
      return taken;
    }
  }
  return 0;
}
}  // namespace

size_t decodeXmlText(char* text, size_t length) {
  size_t out = 0;
  for (size_t at = 0; at < length;) {
    char character[4];
    size_t characterLength = 0, taken = 0;
    if (text[at] == '&') taken = decodeReference(text + at, length - at, character, characterLength);
    if (taken) {
      // Every reference is at least as long as its UTF-8 form ("&#65536;": 8 bytes, 4).
      std::memcpy(text + out, character, characterLength);
      out += characterLength;
      at += taken;
    } else {
      text[out++] = text[at++];
    }
  }
  text[out] = 0;
  return out;
}
