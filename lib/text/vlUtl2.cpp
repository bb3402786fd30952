#include "vlUtl2.h"
#include <windows.h>
#include <climits>
#include <cstring>
#include <vector>

namespace {
const unsigned char ESC = 0x1B;

// JIS X 0208 codes of the full-width forms of half-width katakana 0xA1-0xDF.
const unsigned char hkana[63][2] = {
    {0x21, 0x23}, {0x21, 0x56}, {0x21, 0x57}, {0x21, 0x22}, {0x21, 0x26}, {0x25, 0x72},
    {0x25, 0x21}, {0x25, 0x23}, {0x25, 0x25}, {0x25, 0x27}, {0x25, 0x29}, {0x25, 0x63},
    {0x25, 0x65}, {0x25, 0x67}, {0x25, 0x43}, {0x21, 0x3C},  // 0xA1-0xB0
    {0x25, 0x22}, {0x25, 0x24}, {0x25, 0x26}, {0x25, 0x28}, {0x25, 0x2A}, {0x25, 0x2B},
    {0x25, 0x2D}, {0x25, 0x2F}, {0x25, 0x31}, {0x25, 0x33}, {0x25, 0x35}, {0x25, 0x37},
    {0x25, 0x39}, {0x25, 0x3B}, {0x25, 0x3D}, {0x25, 0x3F},  // 0xB1-0xC0
    {0x25, 0x41}, {0x25, 0x44}, {0x25, 0x46}, {0x25, 0x48}, {0x25, 0x4A}, {0x25, 0x4B},
    {0x25, 0x4C}, {0x25, 0x4D}, {0x25, 0x4E}, {0x25, 0x4F}, {0x25, 0x52}, {0x25, 0x55},
    {0x25, 0x58}, {0x25, 0x5B}, {0x25, 0x5E}, {0x25, 0x5F},  // 0xC1-0xD0
    {0x25, 0x60}, {0x25, 0x61}, {0x25, 0x62}, {0x25, 0x64}, {0x25, 0x66}, {0x25, 0x68},
    {0x25, 0x69}, {0x25, 0x6A}, {0x25, 0x6B}, {0x25, 0x6C}, {0x25, 0x6D}, {0x25, 0x6F},
    {0x25, 0x73}, {0x21, 0x2B}, {0x21, 0x2C},  // 0xD1-0xDF
};

bool isLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
bool isKana(unsigned char c) { return c >= 0xA1 && c <= 0xDF; }

// Shift_JIS lead and trail byte to the JIS X 0208 code (arithmetic modulo 256).
void sjis2jis(unsigned char lead, unsigned char trail, unsigned char& first,
              unsigned char& second) {
  if (lead > 0xDF) lead -= 0x40;
  if (trail >= 0x80) --trail;
  if (trail >= 0x9E) {
    first = static_cast<unsigned char>(2 * lead + 0x20);
    second = static_cast<unsigned char>(trail - 0x7D);
  } else {
    first = static_cast<unsigned char>(2 * lead + 0x1F);
    second = static_cast<unsigned char>(trail - 0x1F);
  }
}

// Writes the converted text, terminated after every byte so that an early stop
// leaves a valid text; for JIS output it switches modes with escape sequences.
class Output {
 public:
  Output(unsigned char* destination, bool jisOutput) : at(destination), jis(jisOutput) {
    *at = 0;
  }
  void put(unsigned char c) {
    *at++ = c;
    *at = 0;
  }
  // False, writing nothing, for a code with a zero byte (only invalid codes give one):
  // it would end the text in the middle.
  bool pair(unsigned char first, unsigned char second) {
    if (!first || !second) return false;
    if (jis && !twoByte) escape('$');
    twoByte = true;
    put(first);
    put(second);
    return true;
  }
  void single(unsigned char c) {
    finish();
    put(c);
  }
  // Back to one-byte mode, so that JIS text ends as ASCII.
  void finish() {
    if (jis && twoByte) escape('(');
    twoByte = false;
  }

 private:
  void escape(unsigned char intermediate) {
    put(ESC);
    put(intermediate);
    put('B');
  }
  unsigned char* at;
  bool jis;
  bool twoByte = false;
};

int fromJis(bool toEuc, const unsigned char* p, Output& out) {
  bool twoByte = false;
  while (*p) {
    if (*p == ESC) {
      if (!p[1] || !p[2]) return -1;
      if (p[1] == '$' && (p[2] == 'B' || p[2] == '@')) twoByte = true;
      if (p[1] == '(' && (p[2] == 'B' || p[2] == 'J')) twoByte = false;
      p += 3;
    } else if (!twoByte) {
      out.put(*p++);
    } else {
      if (!p[1]) return -1;
      unsigned char first = p[0], second = p[1];
      p += 2;
      if (toEuc) {
        first |= 0x80;
        second |= 0x80;
      } else {
        jis2sjis(first, second);
      }
      if (!out.pair(first, second)) return -1;
    }
  }
  return 0;
}

int fromEuc(bool toJis, const unsigned char* p, Output& out) {
  while (*p) {
    if (p[0] == 0x8E && isKana(p[1])) {
      if (!toJis) {
        out.single(p[1]);  // Shift_JIS has the same half-width byte
        p += 2;
        continue;
      }
      unsigned char first, second;
      unsigned char next = (p[2] == 0x8E) ? p[3] : 0;
      p += getKana(p[1], next, first, second) ? 4 : 2;
      if (!out.pair(first, second)) return -1;
    } else if (*p & 0x80) {
      if (!p[1]) return -1;
      unsigned char first = p[0] & 0x7F, second = p[1] & 0x7F;
      p += 2;
      if (!toJis) jis2sjis(first, second);
      if (!out.pair(first, second)) return -1;
    } else {
      out.single(*p++);
    }
  }
  return 0;
}

int fromSjis(bool toEuc, const unsigned char* p, Output& out) {
  while (*p) {
    unsigned char first, second;
    if (isLead(*p)) {
      if (!p[1]) return -1;
      sjis2jis(p[0], p[1], first, second);
      p += 2;
      if (toEuc) {
        first |= 0x80;
        second |= 0x80;
      }
      if (!out.pair(first, second)) return -1;
    } else if (isKana(*p) && toEuc) {
      out.put(0x8E);
      out.put(*p++);
    } else if (isKana(*p)) {
      p += getKana(p[0], p[1], first, second) ? 2 : 1;
      if (!out.pair(first, second)) return -1;
    } else {
      out.single(*p++);
    }
  }
  return 0;
}

// Code page 932 gives one UTF-16 unit per character, so the first 200 characters are
// what fits; a lead byte just before the end is not a character.
int sjisToUtf16(const unsigned char* source, unsigned char* destination) {
  const int maxUnits = 200;
  size_t length = 0;
  for (int chars = 0; source[length] && chars < maxUnits; ++chars) {
    size_t width = isLead(source[length]) ? 2 : 1;
    if (width == 2 && !source[length + 1]) break;
    length += width;
  }
  WCHAR units[maxUnits];
  int count = length == 0 ? 0
                          : MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(source),
                                                static_cast<int>(length), units, maxUnits);
  std::memcpy(destination, units, count * sizeof(WCHAR));
  std::memset(destination + count * sizeof(WCHAR), 0, sizeof(WCHAR));
  return source[length] ? -1 : 0;
}

// UTF-16 form of a text: texts of up to 1000 units stay off the heap.
class WideText {
 public:
  bool convert(UINT codePage, const char* text, int length) {
    int needed = MultiByteToWideChar(codePage, 0, text, length, nullptr, 0);
    if (needed <= 0) return false;
    if (needed > localUnits) {
      heap.resize(needed);
      units = heap.data();
    }
    count = MultiByteToWideChar(codePage, 0, text, length, units, needed);
    return count == needed;
  }
  const WCHAR* data() const { return units; }
  int size() const { return count; }

 private:
  static const int localUnits = 1000;
  WCHAR local[localUnits];
  std::vector<WCHAR> heap;
  WCHAR* units = local;
  int count = 0;
};

// Lengths are explicit and the terminator is written here: a platform that drops the
// terminator behind a broken sequence cannot make this read or write out of bounds.
int recode(UINT fromPage, UINT toPage, const unsigned char* source, unsigned char* destination,
           int size) {
  if (destination && size > 0) destination[0] = 0;
  if (!source || (destination && size <= 0)) return 0;
  size_t length = std::strlen(reinterpret_cast<const char*>(source));
  if (length > INT_MAX) return 0;
  if (length == 0) return 1;
  WideText wide;
  if (!wide.convert(fromPage, reinterpret_cast<const char*>(source), static_cast<int>(length)))
    return 0;
  int needed = WideCharToMultiByte(toPage, 0, wide.data(), wide.size(), nullptr, 0, nullptr,
                                   nullptr);
  if (needed <= 0 || needed == INT_MAX) return 0;
  if (!destination) return needed + 1;
  if (needed + 1 > size) return 0;
  char* out = reinterpret_cast<char*>(destination);
  if (WideCharToMultiByte(toPage, 0, wide.data(), wide.size(), out, needed, nullptr, nullptr) !=
      needed) {
    destination[0] = 0;
    return 0;
  }
  destination[needed] = 0;
  return needed + 1;
}
}  // namespace

void jis2sjis(unsigned char& first, unsigned char& second) {
  unsigned char row = static_cast<unsigned char>(first - 0x21);
  if (row & 1) {
    second = static_cast<unsigned char>(second + 0x7E);
  } else {
    second = static_cast<unsigned char>(second + (second + 0x1F > 0x7E ? 0x20 : 0x1F));
  }
  unsigned lead = (row >> 1) + 0x81u;
  if (lead > 0x9F) lead += 0x40;
  first = static_cast<unsigned char>(lead);
}

bool getKana(unsigned char kana, unsigned char next, unsigned char& first,
             unsigned char& second) {
  if (!isKana(kana)) {
    first = second = 0;
    return false;
  }
  first = hkana[kana - 0xA1][0];
  second = hkana[kana - 0xA1][1];
  bool hToHo = kana >= 0xCA && kana <= 0xCE;
  if (next == 0xDF && hToHo) {
    second += 2;
    return true;
  }
  if (next == 0xDE && (hToHo || (kana >= 0xB6 && kana <= 0xC4))) {
    second += 1;
    return true;
  }
  return false;
}

int vlKanjiConvert(int from, int to, unsigned char* source, unsigned char* destination) {
  if (!source || !destination) return -1;
  // UTF-16 ends in a zero unit, also for an empty source.
  if (from == vlKanjiSJIS && to == vlKanjiUTF16) return sjisToUtf16(source, destination);
  *destination = 0;
  if (!*source) return 0;
  if (from == to) {
    std::strcpy(reinterpret_cast<char*>(destination), reinterpret_cast<char*>(source));
    return 0;
  }
  if (from == vlKanjiJIS) {
    Output out(destination, false);
    return fromJis(to == vlKanjiEUC, source, out);
  }
  if (from != vlKanjiEUC && (from != vlKanjiSJIS || (to != vlKanjiJIS && to != vlKanjiEUC)))
    return 0;
  // JIS output ends in one-byte mode, also after a source that stops short.
  Output out(destination, to == vlKanjiJIS);
  int result = from == vlKanjiEUC ? fromEuc(to == vlKanjiJIS, source, out)
                                  : fromSjis(to == vlKanjiEUC, source, out);
  out.finish();
  return result;
}

int UTF8toSJIS(unsigned char* source, unsigned char* destination, int size) {
  return recode(CP_UTF8, CP_ACP, source, destination, size);
}

int SJIStoUTF8(unsigned char* source, unsigned char* destination, int size) {
  return recode(CP_ACP, CP_UTF8, source, destination, size);
}

int Unicode2Sjis(void* source, std::string& result) {
  result.clear();
  const WCHAR* text = static_cast<const WCHAR*>(source);
  int needed = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (needed == 0) return static_cast<int>(GetLastError());
  result.assign(needed, ' ');
  if (!WideCharToMultiByte(CP_ACP, 0, text, -1, &result[0], needed, nullptr, nullptr)) {
    result.clear();
    return static_cast<int>(GetLastError());
  }
  return 0;
}
