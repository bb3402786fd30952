#include "m3uLines.h"
#include <cstring>
#include "vlStream.h"

namespace {
const int endOfData = 30;  // vlStream's code for the end of the data
const unsigned replacement = 0xFFFD;

// The continuation bytes that a UTF-8 lead byte needs, with the range its first one
// must fall in (no overlong forms, no surrogates, nothing past U+10FFFF); -1 when the
// byte cannot start a character.
int utf8Needs(unsigned char lead, unsigned char& low, unsigned char& high) {
  low = 0x80;
  high = 0xBF;
  if (lead < 0x80) return 0;
  if (lead >= 0xC2 && lead <= 0xDF) return 1;
  if (lead >= 0xE0 && lead <= 0xEF) {
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
    return 2;
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
    return 3;
  }
  return -1;
}

// One code point as UTF-8 into bytes; the number of bytes.
int encodeUtf8(unsigned code, unsigned char* bytes) {
  if (code < 0x80) {
    bytes[0] = static_cast<unsigned char>(code);
    return 1;
  }
  if (code < 0x800) {
    bytes[0] = static_cast<unsigned char>(0xC0 | code >> 6);
    bytes[1] = static_cast<unsigned char>(0x80 | (code & 0x3F));
    return 2;
  }
  if (code < 0x10000) {
    bytes[0] = static_cast<unsigned char>(0xE0 | code >> 12);
    bytes[1] = static_cast<unsigned char>(0x80 | (code >> 6 & 0x3F));
    bytes[2] = static_cast<unsigned char>(0x80 | (code & 0x3F));
    return 3;
  }
  bytes[0] = static_cast<unsigned char>(0xF0 | code >> 18);
  bytes[1] = static_cast<unsigned char>(0x80 | (code >> 12 & 0x3F));
  bytes[2] = static_cast<unsigned char>(0x80 | (code >> 6 & 0x3F));
  bytes[3] = static_cast<unsigned char>(0x80 | (code & 0x3F));
  return 4;
}

bool isHighSurrogate(unsigned unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(unsigned unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }
}  // namespace

m3uLines::m3uLines(vlStream& source)
    : stream(source),
      code(utf8Text),
      blockAt(0),
      blockEnd(0),
      readFault(false),
      afterCr(false),
      pendingUnit(false),
      heldUnit(0) {}

bool m3uLines::start() {
  int markBytes = 0;
  if (!findEncoding(markBytes)) return false;
  blockAt = blockEnd = 0;
  if (stream.seek(markBytes, 0) != markBytes) readFault = true;
  return !readFault;
}

bool m3uLines::findEncoding(int& markBytes) {
  if (!fill() && readFault) return false;
  const unsigned char* b = block;
  int n = blockEnd;
  if (n >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) {
    code = utf8Text;
    markBytes = 3;
  } else if (n >= 2 && ((b[0] == 0xFF && b[1] == 0xFE) || (b[0] == 0xFE && b[1] == 0xFF))) {
    code = b[0] == 0xFF ? utf16Little : utf16Big;
    markBytes = 2;
  } else {
    code = validUtf8() ? utf8Text : cp932Text;
  }
  return !readFault;
}

// Reads the rest of the stream; true when all of it is well-formed UTF-8.
bool m3uLines::validUtf8() {
  int needs = 0;
  unsigned char byte, low = 0x80, high = 0xBF;
  bool valid = true;
  while (valid && nextByte(byte)) {
    if (needs > 0) {
      valid = byte >= low && byte <= high;
      low = 0x80;
      high = 0xBF;
      --needs;
    } else {
      needs = utf8Needs(byte, low, high);
      valid = needs >= 0;
    }
  }
  return valid && needs == 0;
}

bool m3uLines::fill() {
  blockAt = blockEnd = 0;
  int done = 0;
  int result = stream.read(block, blockBytes, &done);
  if (result != 0 && result != endOfData) readFault = true;
  blockEnd = readFault ? 0 : done;
  return blockEnd > 0;
}

bool m3uLines::nextByte(unsigned char& byte) {
  if (blockAt == blockEnd && !fill()) return false;
  byte = block[blockAt++];
  return true;
}

// One UTF-16 unit in the file's byte order; a lone last byte stands for a replacement.
bool m3uLines::nextUnit(unsigned& unit) {
  unsigned char first, second;
  if (!nextByte(first)) return false;
  if (!nextByte(second)) {
    unit = replacement;
    return !readFault;
  }
  unit = code == utf16Little ? (second << 8 | first) : (first << 8 | second);
  return true;
}

// The bytes of the next character: one byte of UTF-8 or code page 932 text, or one
// UTF-16 character as UTF-8 (an unpaired surrogate becoming a replacement character).
bool m3uLines::nextCharacter(unsigned char* bytes, int& count) {
  if (code == utf8Text || code == cp932Text) {
    count = 1;
    return nextByte(bytes[0]);
  }
  unsigned unit;
  if (pendingUnit) {
    unit = heldUnit;
    pendingUnit = false;
  } else if (!nextUnit(unit)) {
    return false;
  }
  unsigned low = 0;
  bool paired = false;
  if (isHighSurrogate(unit) && nextUnit(low)) {
    paired = isLowSurrogate(low);
    pendingUnit = !paired;  // the unit after a lone high surrogate is a character of its own
    heldUnit = low;
  }
  if (paired)
    unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
  else if (isHighSurrogate(unit) || isLowSurrogate(unit))
    unit = replacement;
  count = encodeUtf8(unit, bytes);
  return true;
}

bool m3uLines::next(m3uLine& line) {
  line.length = line.tailLength = 0;
  line.cut = false;
  line.utf8 = code != cp932Text;
  line.head[0] = 0;
  bool started = false;
  unsigned char bytes[4];
  int count;
  while (nextCharacter(bytes, count)) {
    bool cr = count == 1 && bytes[0] == '\r', lf = count == 1 && bytes[0] == '\n';
    bool ending = afterCr && lf;
    afterCr = cr;
    if (ending) continue;  // the LF of a CR LF
    if (cr || lf) return true;
    started = true;
    for (int i = 0; i < count; ++i) keep(line, bytes[i]);
  }
  return started && !readFault;
}

void m3uLines::keep(m3uLine& line, unsigned char byte) {
  if (line.length < m3uLine::headBytes - 1) {
    line.head[line.length++] = static_cast<char>(byte);
    line.head[line.length] = 0;
    return;
  }
  line.cut = true;
  if (line.tailLength == m3uLine::tailBytes - 1)
    std::memmove(line.tail, line.tail + 1, --line.tailLength);
  line.tail[line.tailLength++] = static_cast<char>(byte);
}
