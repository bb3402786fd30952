// Code-page conversion over iconv, shaped to the Windows tables where iconv's differ:
// the single bytes and the replacement character of code page 932, its best-fit forms,
// the few characters that iconv alone maps into it, and the UTF-8 repair rules.
#include <windows.h>
#include <algorithm>
#include <cstring>
#include <string>
#include "posixText.h"

namespace {
enum class Page { cp932, utf8, unknown };

Page pageOf(UINT codePage) {
  if (codePage == CP_ACP || codePage == 932) return Page::cp932;
  return codePage == CP_UTF8 ? Page::utf8 : Page::unknown;
}

int fail(DWORD code) {
  SetLastError(code);
  return 0;
}

const char16_t replacement = 0xFFFD;
const char16_t cp932Unknown = 0x30FB;  // what code page 932 reads for an undefined pair

// Single bytes that code page 932 reads although iconv does not.
char16_t cp932Single(unsigned char c) {
  if (c == 0x80) return 0x0080;
  if (c == 0xA0) return 0xF8F0;
  if (c >= 0xFD) return static_cast<char16_t>(0xF8F1 + (c - 0xFD));
  return 0;
}

struct BestFit {
  char16_t unit;
  const char* bytes;
};

// The forms that code page 932 gives characters it cannot hold, by unit.
const BestFit bestFit[] = {
    {0x0080, "\x80"}, {0x00A1, "!"}, {0x00A6, "|"}, {0x00A9, "c"}, {0x00AA, "a"},
    {0x00AB, "\x81\xE1"}, {0x00AD, "-"}, {0x00AE, "R"}, {0x00AF, "\x81\x50"},
    {0x00B2, "2"}, {0x00B3, "3"}, {0x00B5, "\x83\xCA"}, {0x00B7, "\x81\x45"},
    {0x00B8, "\x81\x43"}, {0x00B9, "1"}, {0x00BA, "o"}, {0x00BB, "\x81\xE2"},
    {0x00C0, "A"}, {0x00C1, "A"}, {0x00C2, "A"}, {0x00C3, "A"}, {0x00C4, "A"},
    {0x00C5, "A"}, {0x00C6, "A"}, {0x00C7, "C"}, {0x00C8, "E"}, {0x00C9, "E"},
    {0x00CA, "E"}, {0x00CB, "E"}, {0x00CC, "I"}, {0x00CD, "I"}, {0x00CE, "I"},
    {0x00CF, "I"}, {0x00D0, "D"}, {0x00D1, "N"}, {0x00D2, "O"}, {0x00D3, "O"},
    {0x00D4, "O"}, {0x00D5, "O"}, {0x00D6, "O"}, {0x00D8, "O"}, {0x00D9, "U"},
    {0x00DA, "U"}, {0x00DB, "U"}, {0x00DC, "U"}, {0x00DD, "Y"}, {0x00DE, "T"},
    {0x00DF, "s"}, {0x00E0, "a"}, {0x00E1, "a"}, {0x00E2, "a"}, {0x00E3, "a"},
    {0x00E4, "a"}, {0x00E5, "a"}, {0x00E6, "a"}, {0x00E7, "c"}, {0x00E8, "e"},
    {0x00E9, "e"}, {0x00EA, "e"}, {0x00EB, "e"}, {0x00EC, "i"}, {0x00ED, "i"},
    {0x00EE, "i"}, {0x00EF, "i"}, {0x00F0, "d"}, {0x00F1, "n"}, {0x00F2, "o"},
    {0x00F3, "o"}, {0x00F4, "o"}, {0x00F5, "o"}, {0x00F6, "o"}, {0x00F8, "o"},
    {0x00F9, "u"}, {0x00FA, "u"}, {0x00FB, "u"}, {0x00FC, "u"}, {0x00FD, "y"},
    {0x00FE, "t"}, {0x00FF, "y"}, {0x3094, "\x83\x94"}, {0xF8F0, "\xA0"},
    {0xF8F1, "\xFD"}, {0xF8F2, "\xFE"}, {0xF8F3, "\xFF"},
};

const BestFit* findBestFit(char16_t unit) {
  const BestFit* end = bestFit + sizeof bestFit / sizeof bestFit[0];
  const BestFit* it = std::lower_bound(
      bestFit, end, unit, [](const BestFit& b, char16_t u) { return b.unit < u; });
  return (it != end && it->unit == unit) ? it : nullptr;
}

bool isSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

// Characters that iconv writes into code page 932 but Windows does not.
bool iconvOnly(char16_t unit) {
  return unit == 0x2014 || unit == 0x2016 || unit == 0x203E || unit == 0x2212 ||
         unit == 0x301C;
}

std::string toUtf16Bytes(const char16_t* units, size_t count) {
  std::string bytes;
  for (size_t i = 0; i < count; ++i) {
    bytes += static_cast<char>(units[i] & 0xFF);
    bytes += static_cast<char>(units[i] >> 8);
  }
  return bytes;
}

void appendUtf16Bytes(std::u16string& out, const std::string& bytes) {
  for (size_t i = 0; i + 1 < bytes.size(); i += 2)
    out += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                 static_cast<unsigned char>(bytes[i + 1]) << 8);
}

// ---- code page 932 -> UTF-16

// Converts a run of characters that iconv knows, undefined pairs becoming U+30FB.
void cp932Run(const unsigned char* text, size_t length, std::u16string& out) {
  if (length == 0) return;
  const char unknown[] = {static_cast<char>(cp932Unknown & 0xFF),
                          static_cast<char>(cp932Unknown >> 8), 0};
  std::string bytes;
  posixRecode("CP932", "UTF-16LE", reinterpret_cast<const char*>(text), length, bytes,
              unknown);
  appendUtf16Bytes(out, bytes);
}

void decodeCp932(const unsigned char* text, size_t length, std::u16string& out) {
  size_t runStart = 0;
  size_t i = 0;
  while (i < length) {
    unsigned char c = text[i];
    char16_t single = cp932Single(c);
    bool loneLead = posixIsLead(c) && (i + 1 == length || text[i + 1] == 0);
    if (!single && !loneLead) {
      i += posixIsLead(c) ? 2 : 1;
      continue;
    }
    cp932Run(text + runStart, i - runStart, out);
    out += single ? single : cp932Unknown;
    runStart = ++i;
  }
  cp932Run(text + runStart, i - runStart, out);
}

// ---- UTF-8 -> UTF-16 (by hand: iconv cannot be told how Windows cuts bad sequences)

bool isContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

int followingBytes(unsigned char lead) {
  if (lead >= 0xC2 && lead <= 0xDF) return 1;
  if (lead >= 0xE0 && lead <= 0xEF) return 2;
  return (lead >= 0xF0 && lead <= 0xF4) ? 3 : 0;
}

// The first two bytes decide overlong forms, surrogates and values past U+10FFFF.
bool validStart(int following, char32_t partial) {
  if (following == 2) return partial >= 0x20 && (partial < 0x360 || partial > 0x37F);
  if (following == 3) return partial >= 0x10 && partial < 0x110;
  return true;
}

// Decodes one sequence at text; used is the number of bytes it takes, also when it is
// broken (then the result is false and those bytes become one U+FFFD).
bool decodeSequence(const unsigned char* text, size_t left, char32_t& value, size_t& used) {
  int following = followingBytes(text[0]);
  used = 1;
  if (following == 0) return false;
  if (static_cast<size_t>(following) >= left) {
    while (used < left && isContinuation(text[used])) ++used;
    return false;
  }
  value = text[0] & (0x7F >> (following + 1));
  for (int k = 1; k <= following; ++k) {
    if (!isContinuation(text[k])) return false;
    value = value << 6 | (text[k] & 0x3F);
    used = k + 1;
    if (k == 1 && !validStart(following, value)) return false;
  }
  return true;
}

void appendCodePoint(std::u16string& out, char32_t value) {
  if (value < 0x10000) {
    out += static_cast<char16_t>(value);
    return;
  }
  value -= 0x10000;
  out += static_cast<char16_t>(0xD800 + (value >> 10));
  out += static_cast<char16_t>(0xDC00 + (value & 0x3FF));
}

void decodeUtf8(const unsigned char* text, size_t length, std::u16string& out) {
  size_t i = 0;
  while (i < length) {
    char32_t value = text[i];
    size_t used = 1;
    if (value >= 0x80 && !decodeSequence(text + i, length - i, value, used))
      value = replacement;
    appendCodePoint(out, value);
    i += used;
  }
}

// ---- UTF-16 -> code page 932 / UTF-8

// Converts a run without surrogates; returns false when a character took the default.
bool encodeCp932Run(const char16_t* units, size_t count, const char* defaultChar,
                    std::string& out) {
  if (count == 0) return true;
  std::string bytes = toUtf16Bytes(units, count);
  std::string converted;
  bool exact = posixRecode("UTF-16LE", "CP932", bytes.data(), bytes.size(), converted, nullptr);
  if (!exact)
    posixRecode("UTF-16LE", "CP932", bytes.data(), bytes.size(), converted, defaultChar);
  out += converted;
  return exact;
}

bool encodeCp932(const char16_t* units, size_t count, const char* defaultChar,
                 std::string& out) {
  bool usedDefault = false;
  size_t runStart = 0;
  for (size_t i = 0; i < count; ++i) {
    const BestFit* fit = findBestFit(units[i]);
    if (!fit && !isSurrogate(units[i]) && !iconvOnly(units[i])) continue;
    usedDefault |= !encodeCp932Run(units + runStart, i - runStart, defaultChar, out);
    usedDefault |= !fit;
    out += fit ? fit->bytes : defaultChar;
    runStart = i + 1;
  }
  usedDefault |= !encodeCp932Run(units + runStart, count - runStart, defaultChar, out);
  return usedDefault;
}

void encodeUtf8(const char16_t* units, size_t count, std::string& out) {
  std::string bytes = toUtf16Bytes(units, count);
  posixRecode("UTF-16LE", "UTF-8", bytes.data(), bytes.size(), out, "\xEF\xBF\xBD");
}

// ---- delivery

size_t multiByteWidth(Page page, unsigned char lead) {
  if (page == Page::cp932) return posixIsLead(lead) ? 2 : 1;
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  return lead >= 0xC0 ? 2 : 1;
}

int deliverWide(const std::u16string& wide, LPWSTR output, int outputSize) {
  if (outputSize == 0) return static_cast<int>(wide.size());
  size_t fits = std::min(wide.size(), static_cast<size_t>(outputSize));
  // A caller's buffer need not be aligned for WCHAR.
  std::memcpy(output, wide.data(), fits * sizeof(WCHAR));
  if (fits < wide.size()) return fail(ERROR_INSUFFICIENT_BUFFER);
  return static_cast<int>(fits);
}

int deliverBytes(Page page, const std::string& bytes, LPSTR output, int outputSize) {
  if (outputSize == 0) return static_cast<int>(bytes.size());
  size_t room = static_cast<size_t>(outputSize);
  if (bytes.size() <= room) {
    std::memcpy(output, bytes.data(), bytes.size());
    return static_cast<int>(bytes.size());
  }
  // Whole characters only, as far as they go.
  size_t fits = 0;
  for (size_t w; fits < bytes.size(); fits += w) {
    w = multiByteWidth(page, static_cast<unsigned char>(bytes[fits]));
    if (fits + w > room) break;
  }
  std::memcpy(output, bytes.data(), fits);
  return fail(ERROR_INSUFFICIENT_BUFFER);
}

// The units of a caller's text, read bytewise: its buffer need not be aligned for WCHAR.
WCHAR wideAt(LPCWSTR text, size_t index) {
  WCHAR unit;
  std::memcpy(&unit, reinterpret_cast<const char*>(text) + index * sizeof(WCHAR), sizeof unit);
  return unit;
}

size_t wideLength(LPCWSTR text) {
  size_t n = 0;
  while (wideAt(text, n)) ++n;
  return n;
}
}  // namespace

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR source, int sourceLength,
                        LPWSTR output, int outputSize) {
  Page page = pageOf(codePage);
  if (page == Page::unknown || !source || sourceLength == 0 || outputSize < 0 ||
      (outputSize > 0 && !output))
    return fail(ERROR_INVALID_PARAMETER);
  if (flags != 0) return fail(ERROR_INVALID_FLAGS);
  size_t length = sourceLength < 0 ? std::strlen(source) + 1 : static_cast<size_t>(sourceLength);
  const unsigned char* text = reinterpret_cast<const unsigned char*>(source);
  std::u16string wide;
  if (page == Page::cp932)
    decodeCp932(text, length, wide);
  else
    decodeUtf8(text, length, wide);
  return deliverWide(wide, output, outputSize);
}

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR source, int sourceLength,
                        LPSTR output, int outputSize, LPCSTR defaultChar, BOOL* usedDefault) {
  Page page = pageOf(codePage);
  if (page == Page::unknown || !source || sourceLength == 0 || outputSize < 0 ||
      (outputSize > 0 && !output) || (page == Page::utf8 && (defaultChar || usedDefault)))
    return fail(ERROR_INVALID_PARAMETER);
  if (flags != 0) return fail(ERROR_INVALID_FLAGS);
  size_t length = sourceLength < 0 ? wideLength(source) + 1 : static_cast<size_t>(sourceLength);
  std::u16string units(length, u'\0');
  std::memcpy(&units[0], source, length * sizeof(WCHAR));
  std::string bytes;
  if (page == Page::cp932) {
    bool defaulted = encodeCp932(units.data(), length, defaultChar ? defaultChar : "?", bytes);
    if (usedDefault) *usedDefault = defaulted;
  } else {
    encodeUtf8(units.data(), length, bytes);
  }
  return deliverBytes(page, bytes, output, outputSize);
}
