#include "vlJstring.h"
#include <algorithm>
#include <climits>
#include <functional>
#include <new>
#include <vector>

jchar jupper(jchar code) { return code >= 'a' && code <= 'z' ? jchar(code - 0x20) : code; }

jchar jlower(jchar code) { return code >= 'A' && code <= 'Z' ? jchar(code + 0x20) : code; }

namespace {
bool pairs(const unsigned char* p) { return p[0] >= 0x80 && p[1] != 0; }

jchar folded(jchar code, bool fold) { return fold ? jupper(code) : code; }

// a - b, held within the range of int.
int difference(long long a, long long b) {
  return static_cast<int>(std::clamp<long long>(a - b, INT_MIN, INT_MAX));
}
}  // namespace

vlJString::vlJString()
    : vlObject("vlJString"),
      charCount(0),
      capacity(LocalChars),
      data(localBuffer),
      localBuffer{},
      heapBuffer(nullptr) {}

vlJString::~vlJString() { delete[] heapBuffer; }

int vlJString::length(const unsigned char* text) {
  int count = 0;
  for (const unsigned char* p = text; p && *p; p += pairs(p) ? 2 : 1) ++count;
  return count;
}

int vlJString::byte2jchar(const unsigned char* text, jchar* codes) {
  int count = 0;
  for (const unsigned char* p = text; p && *p; ++count) {
    if (pairs(p)) {
      codes[count] = jchar(p[0] << 8 | p[1]);
      p += 2;
    } else {
      codes[count] = *p++;
    }
  }
  return count;
}

int vlJString::jchar2byte(const jchar* codes, int count, unsigned char* text) {
  unsigned char* out = text;
  for (int i = 0; i < count; ++i) {
    if (codes[i] > 0xFF) *out++ = static_cast<unsigned char>(codes[i] >> 8);
    *out++ = static_cast<unsigned char>(codes[i]);
  }
  *out = 0;
  return static_cast<int>(out - text);
}

int vlJString::byteLength(const jchar* codes, int count) {
  int bytes = 0;
  for (int i = 0; i < count; ++i) bytes += codes[i] > 0xFF ? 2 : 1;
  return bytes;
}

void vlJString::clearHeap() {
  delete[] heapBuffer;
  heapBuffer = nullptr;
  data = localBuffer;
  capacity = LocalChars;
  charCount = 0;
}

bool vlJString::checkAlloc(int needed) {
  if (needed <= capacity) return true;
  if (needed > MaxChars) return false;
  int grown = std::max(needed, std::min(capacity + LocalChars, MaxChars));
  jchar* buffer = new (std::nothrow) jchar[grown];
  if (!buffer) return false;
  std::copy(data, data + charCount, buffer);
  delete[] heapBuffer;
  data = heapBuffer = buffer;
  capacity = grown;
  return true;
}

// Makes room for count characters before position, moving the tail up.
bool vlJString::openGap(int position, int count) {
  if (position < 0 || position > charCount || count <= 0) return false;
  if (count > MaxChars - charCount || !checkAlloc(charCount + count)) return false;
  std::copy_backward(data + position, data + charCount, data + charCount + count);
  charCount += count;
  return true;
}

// Makes count characters from position on part of the string, to be overwritten.
bool vlJString::cover(int position, int count) {
  if (position < 0 || position > charCount || count <= 0) return false;
  if (count > MaxChars - position || !checkAlloc(position + count)) return false;
  charCount = std::max(charCount, position + count);
  return true;
}

// Codes from this string's own buffer would move, or be freed, while it grows.
bool vlJString::inBuffer(const jchar* codes) {
  std::less<const jchar*> before;
  return !before(codes, data) && before(codes, data + capacity);
}

// Resolves the count of a string-form edit: false when the range is refused.
bool vlJString::sourceRange(vlJString* other, int index, int& count) {
  if (!other || index < 0 || index > other->charCount || count == 0) return false;
  int rest = other->charCount - index;
  if (count < 0 || count > rest) count = rest;
  return count > 0;
}

void vlJString::storeString(const unsigned char* text) {
  charCount = 0;
  append(text);
}

void vlJString::append(const unsigned char* text) { insert(charCount, text); }

void vlJString::append(jchar code, int count) { insert(charCount, code, count); }

void vlJString::append(const jchar* codes, int count) { insert(charCount, codes, count); }

void vlJString::append(vlJString* other) { insert(charCount, other, 0, -1); }

void vlJString::insert(int position, const unsigned char* text) {
  if (openGap(position, length(text))) byte2jchar(text, data + position);
}

void vlJString::insert(int position, jchar code, int count) {
  if (openGap(position, count)) std::fill(data + position, data + position + count, code);
}

void vlJString::insert(int position, const jchar* codes, int count) {
  if (!codes || count <= 0) return;
  if (inBuffer(codes)) {
    std::vector<jchar> copy(codes, codes + count);
    insert(position, copy.data(), count);
  } else if (openGap(position, count)) {
    std::copy(codes, codes + count, data + position);
  }
}

void vlJString::insert(int position, vlJString* other, int index, int count) {
  if (sourceRange(other, index, count)) insert(position, other->data + index, count);
}

void vlJString::replace(int position, const unsigned char* text) {
  if (cover(position, length(text))) byte2jchar(text, data + position);
}

void vlJString::replace(int position, jchar code, int count) {
  if (cover(position, count)) std::fill(data + position, data + position + count, code);
}

void vlJString::replace(int position, const jchar* codes, int count) {
  if (!codes || count <= 0) return;
  if (inBuffer(codes)) {
    std::vector<jchar> copy(codes, codes + count);
    replace(position, copy.data(), count);
  } else if (cover(position, count)) {
    std::copy(codes, codes + count, data + position);
  }
}

void vlJString::replace(int position, vlJString* other, int index, int count) {
  if (sourceRange(other, index, count)) replace(position, other->data + index, count);
}

int vlJString::erase(int position, int count) {
  if (position < 0 || count < 0) return -1;
  if (count == 0 || position >= charCount) return 0;
  if (count >= charCount - position) {
    charCount = position;
    return 0;
  }
  std::copy(data + position + count, data + charCount, data + position);
  charCount -= count;
  return 0;
}

vlJString* vlJString::subString(int index, int count) {
  if (index < 0) return nullptr;
  auto* part = new vlJString;
  if (count < 0 || count >= charCount - index) count = charCount - index;
  if (count > 0) part->append(data + index, count);
  return part;
}

void vlJString::toUpper() { std::transform(data, data + charCount, data, jupper); }

void vlJString::toLower() { std::transform(data, data + charCount, data, jlower); }

int vlJString::byteLength() { return byteLength(data, charCount); }

int vlJString::toByte(unsigned char* text) {
  return text ? jchar2byte(data, charCount, text) : byteLength();
}

int vlJString::find(jchar code, int index, int count, bool fold) {
  if (index < 0 || index >= charCount) return -1;
  if (count < 0 || count > charCount - index) count = charCount - index;
  jchar wanted = folded(code, fold);
  for (int at = index; at < index + count; ++at)
    if (folded(data[at], fold) == wanted) return at;
  return -1;
}

bool vlJString::matchesAt(int at, const jchar* pattern, int count, bool fold) {
  for (int k = 0; k < count; ++k)
    if (folded(data[at + k], fold) != folded(pattern[k], fold)) return false;
  return true;
}

int vlJString::find(int index, int count, vlJString* other, int otherIndex, int otherCount,
                    bool fold) {
  if (!other || index < 0 || otherIndex < 0) return -1;
  int rest = other->charCount - otherIndex;
  if (otherCount < 0 || otherCount > rest) otherCount = rest;
  if (otherCount <= 0) return -1;
  if (count < 0 || count > charCount - index) count = charCount - index;
  const jchar* pattern = other->data + otherIndex;
  for (int at = index; at <= index + count - otherCount; ++at)
    if (matchesAt(at, pattern, otherCount, fold)) return at;
  return -1;
}

int vlJString::comp(int index, int count, vlJString* other, int otherIndex, int otherCount,
                    bool fold) {
  if (index < 0 || otherIndex < 0) return difference(index, otherIndex);
  int otherLength = other ? other->charCount : 0;
  if (count < 0) count = charCount - index;
  if (otherCount < 0) otherCount = otherLength - otherIndex;
  int shared = std::min({count, otherCount, charCount - index, otherLength - otherIndex});
  for (int k = 0; k < shared; ++k) {
    int mine = folded(data[index + k], fold);
    int theirs = folded(other->data[otherIndex + k], fold);
    if (mine != theirs) return mine - theirs;
  }
  return difference(count, otherCount);
}

int vlJString::comp(int index, int count, const unsigned char* text, int textIndex,
                    int textCount, bool fold) {
  vlJString other;
  other.storeString(text);
  return comp(index, count, &other, textIndex, textCount, fold);
}
